#include "app/ui/TerminationWatch.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The signal handler may only write to a descriptor; the event loop reads
// the other end.
int SignalPair[2] = {-1, -1};
const int WatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};
}

TTerminationWatch::TTerminationWatch(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalPair) != 0)
        return;
    FNotifier = new QSocketNotifier(SignalPair[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TTerminationWatch::Drain);
    struct sigaction action = {};
    action.sa_handler = &TTerminationWatch::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : WatchedSignals)
        ::sigaction(signal, &action, nullptr);
}

TTerminationWatch::~TTerminationWatch()
{
    for (int signal : WatchedSignals)
        std::signal(signal, SIG_DFL);
    if (SignalPair[0] >= 0) {
        ::close(SignalPair[0]);
        ::close(SignalPair[1]);
        SignalPair[0] = SignalPair[1] = -1;
    }
}

void TTerminationWatch::OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(SignalPair[0], &byte, 1);
}

void TTerminationWatch::Drain()
{
    char byte = 0;
    [[maybe_unused]] const auto read = ::read(SignalPair[1], &byte, 1);
    emit Terminated();
}
