#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::fputs("gaugesim: no scenario support yet\n", stderr);
    return 0;
}
