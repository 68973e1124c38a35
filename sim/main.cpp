// gaugesim: the gauge side of the wire protocol on a pseudo-terminal or a
// TCP port. Runs until SIGINT/SIGTERM (or a fault closes a pseudo-terminal
// link), then writes the gauge state when --state-out asks for it.

#include "GaugeSimulator.h"
#include "PtyLink.h"
#include "TcpLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(SignalPipe[1], &byte, 1);
}

int Fail(const QString &message)
{
    std::fprintf(stderr, "gaugesim: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gaugesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated coating-thickness / ultrasonic gauge."));
    parser.addHelpOption();
    const QCommandLineOption scenario(QStringLiteral("scenario"), QStringLiteral("Scenario JSON (default: demo)."),
                                      QStringLiteral("FILE"), QStringLiteral("demo"));
    const QCommandLineOption pty(QStringLiteral("pty"), QStringLiteral("Create a pseudo-terminal, symlinked as LINK."),
                                 QStringLiteral("LINK"));
    const QCommandLineOption tcp(QStringLiteral("tcp"), QStringLiteral("Listen on 127.0.0.1:PORT (0: any free port)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Pace answers at this line speed."),
                                  QStringLiteral("RATE"));
    const QCommandLineOption stateOut(QStringLiteral("state-out"), QStringLiteral("Write the gauge state on exit."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption trace(QStringLiteral("trace"), QStringLiteral("Log every request and answer."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("Fault rule, e.g. drop=3, corrupt=FFR:2, nak=5, delay=300@4, close=10."),
                                   QStringLiteral("RULE"));
    const QCommandLineOption measure(QStringLiteral("measure-every"),
                                     QStringLiteral("Take a reading every MS milliseconds (data output)."),
                                     QStringLiteral("MS"));
    parser.addOptions({scenario, pty, tcp, baud, stateOut, trace, fault, measure});
    parser.process(app);

    if (!parser.isSet(pty) && !parser.isSet(tcp))
        return Fail(QStringLiteral("give --pty LINK or --tcp PORT (see --help)"));

    QString error;
    std::unique_ptr<TGaugeSimulator> simulator = TGaugeSimulator::FromScenario(parser.value(scenario), &error);
    if (!simulator)
        return Fail(error);
    if (!simulator->Faults().AddAll(parser.values(fault), &error))
        return Fail(error);
    if (parser.isSet(baud))
        simulator->SetBaudRate(parser.value(baud).toInt());
    if (parser.isSet(trace) && !simulator->OpenTrace(parser.value(trace), &error))
        return Fail(error);

    TPtyLink ptyLink(*simulator);
    TTcpLink tcpLink(*simulator);
    if (parser.isSet(pty)) {
        if (!ptyLink.Open(parser.value(pty), &error))
            return Fail(error);
        QObject::connect(&ptyLink, &TPtyLink::Closed, &app, &QCoreApplication::quit);
        std::printf("%s -> %s\n", qPrintable(ptyLink.LinkPath()), qPrintable(ptyLink.SlavePath()));
    }
    if (parser.isSet(tcp)) {
        if (!tcpLink.Listen(quint16(parser.value(tcp).toUInt()), &error))
            return Fail(error);
        std::printf("tcp:127.0.0.1:%u\n", unsigned(tcpLink.Port()));
    }
    std::fflush(stdout);

    QTimer measuring;
    if (parser.isSet(measure)) {
        QObject::connect(&measuring, &QTimer::timeout, simulator.get(), [&simulator] {
            static int step = 0;
            const double base = simulator->Model().LastReading > 0 ? simulator->Model().LastReading : 120.0;
            simulator->Measure(std::round((base + 4.0 * std::sin(++step * 0.7)) * 10) / 10);
        });
        measuring.start(parser.value(measure).toInt());
    }

    if (::pipe(SignalPipe) == 0) {
        auto *notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }

    const int result = app.exec();
    ptyLink.Close();
    if (parser.isSet(stateOut) && !simulator->WriteState(parser.value(stateOut), &error))
        return Fail(error);
    return result;
}
