#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out, a service
// manager stopping the program) into a Terminated signal on the event loop,
// so the program closes its main window as if the user had quit and its
// settings are saved. One instance per process.
class TTerminationWatch : public QObject
{
    Q_OBJECT

public:
    explicit TTerminationWatch(QObject *parent = nullptr);
    ~TTerminationWatch() override;

signals:
    void Terminated();

private:
    static void OnSignal(int signal);
    void Drain();

    QSocketNotifier *FNotifier = nullptr;
};
