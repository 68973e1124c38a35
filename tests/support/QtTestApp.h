#pragma once

#include <QByteArray>
#include <QCoreApplication>

#include <initializer_list>

// Tests of event-driven code need an application object; the first call
// makes one, later calls find it.
inline void EnsureQtApp()
{
    static int argc = 1;
    static char name[] = "gauge_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}
