#include "CliCommand.h"

#include "app/ProgramInfo.h"
#include "app/Settings.h"
#include "app/UserDialog.h"
#include "comm/platform/GaugeList.h"
#include "comm/platform/LinuxDiscoveryPlatform.h"
#include "comm/platform/ZYKComm2Manager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString TransportName(TPort port)
{
    switch (port) {
    case portCOM: return QStringLiteral("serial");
    case portUSB: return QStringLiteral("USB");
    case portIrDA: return QStringLiteral("IrDA");
    case portBT: return QStringLiteral("Bluetooth");
    case portNone: break;
    }
    return QStringLiteral("none");
}

QStringList TransportNames(TPorts ports)
{
    QStringList names;
    for (TPort port : {portCOM, portUSB, portIrDA, portBT})
        if (ports.Contains(port))
            names << TransportName(port);
    return names;
}

QJsonObject EntryJson(const TGaugeListEntry &entry)
{
    const TDevice &d = entry.Device;
    return {{"transport", TransportName(entry.Port)}, {"caption", entry.Caption},  {"name", d.Name},
            {"serialNumber", d.SerialNumber},          {"portName", d.PortName},    {"portNumber", d.PortNumber},
            {"address", d.Address},                    {"devicePath", d.DevicePath}};
}

QString EntryLine(const TGaugeListEntry &entry)
{
    return TransportName(entry.Port).leftJustified(10) + u' ' + entry.Caption;
}

// Platform messages go to stderr; nothing here asks questions.
class TStderrDialog : public IUserDialog
{
public:
    explicit TStderrDialog(QTextStream &err) : m_err(err) {}
    void ShowMessage(const QString &text) override { m_err << text << Qt::endl; }
    TAnswer AskQuestion(const QString &, bool) override { return TAnswer::No; }
    void ShowStatus(const QString &text) override { m_err << text << Qt::endl; }
    void ShowProgress(qint64, qint64) override {}
    void Beep() override {}

private:
    QTextStream &m_err;
};

// Ctrl+C and SIGTERM end the event loop through a socket pair, so that the
// handler itself only writes one byte.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

class TQuitOnSignal
{
public:
    TQuitOnSignal()
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [] {
            char byte;
            [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
            QCoreApplication::quit();
        });
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    // The program is ending: a second signal (a shell may send one to the
    // process and one to its group) must not cut the clean-up short.
    ~TQuitOnSignal()
    {
        if (!m_notifier)
            return;
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGTERM, SIG_IGN);
        m_notifier.reset();
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// One discovery pass on every transport; a Bluetooth inquiry is waited for.
void DiscoverOnce(TZYKComm2Manager &manager)
{
    manager.SetSerialMode(smManualDiscovery);
    manager.SetUSBMode(umManualDiscovery);
    manager.SetIrDAMode(imManualDiscovery);
    manager.SetBluetoothMode(bmManualDiscovery);
    QEventLoop loop;
    bool bluetoothPending = manager.BluetoothMode() == bmManualDiscovery && manager.Radio();
    manager.OnDiscoveryComplete = [&](QObject *, TPort port, const TDevices &) {
        if (port == portBT) {
            bluetoothPending = false;
            loop.quit();
        }
    };
    manager.DiscoverAll();
    if (bluetoothPending) {
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    manager.OnDiscoveryComplete = nullptr;
}

int RunDevices(TCliContext &context)
{
    const bool watch = context.TakeFlag(QStringLiteral("--watch"));
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (!context.args.isEmpty()) {
        context.err << "Usage: devices [--json] [--watch]" << Qt::endl;
        return cliUsage;
    }
    const TProgramInfo &info = TProgramInfo::Current();
    TSettings settings(TSettings::SystemDefaults());
    settings.Load(info.SettingsFile(), info.Brand());
    TGaugeList gauges(info.Edition(), settings.Record.RS232);

    TStderrDialog dialog(context.err);
    TZYKComm2Manager manager(std::make_unique<TLinuxDiscoveryPlatform>());
    manager.SetUserDialog(&dialog);
    const QStringList transports = TransportNames(manager.Ports());

    if (!watch) {
        DiscoverOnce(manager);
        for (TPort port : {portCOM, portUSB, portIrDA, portBT})
            for (const TDevice &device : manager.DeviceList(port))
                gauges.DeviceFound(port, device);
        if (context.json) {
            QJsonArray list;
            for (const TGaugeListEntry &entry : gauges.Entries())
                list.append(EntryJson(entry));
            const QJsonObject result{{"transports", QJsonArray::fromStringList(transports)}, {"gauges", list}};
            context.out << QJsonDocument(result).toJson(QJsonDocument::Indented);
            return cliOk;
        }
        context.err << "Transports: " << (transports.isEmpty() ? QStringLiteral("none") : transports.join(", "))
                    << Qt::endl;
        for (const TGaugeListEntry &entry : gauges.Entries())
            context.out << EntryLine(entry) << '\n';
        if (gauges.Entries().isEmpty())
            context.out << "No gauge found !\n";
        return cliOk;
    }

    const auto report = [&context](const char *event, const TGaugeListEntry &entry) {
        if (context.json) {
            QJsonObject line = EntryJson(entry);
            line.insert(QStringLiteral("event"), QString::fromLatin1(event));
            context.out << QJsonDocument(line).toJson(QJsonDocument::Compact) << Qt::endl;
        } else {
            context.out << event << ' ' << EntryLine(entry) << Qt::endl;
        }
    };
    gauges.OnAdded = [&](const TGaugeListEntry &entry) { report("found", entry); };
    gauges.OnRemoved = [&](const TGaugeListEntry &entry) { report("lost", entry); };
    manager.OnDeviceFound = [&gauges](QObject *, TPort port, const TDevice &device) { gauges.DeviceFound(port, device); };
    manager.OnDeviceLost = [&gauges](QObject *, TPort port, const TDevice &device) { gauges.DeviceLost(port, device); };

    TQuitOnSignal quitOnSignal;
    context.err << "Watching " << (transports.isEmpty() ? QStringLiteral("no transport") : transports.join(", "))
                << " for gauges; Ctrl+C ends." << Qt::endl;
    // The order the main window uses.
    manager.SetBluetoothMode(bmAutoDiscovery);
    manager.SetSerialMode(smAutoDiscovery);
    manager.SetUSBMode(umAutoDiscovery);
    manager.SetIrDAMode(imAutoDiscovery);
    QCoreApplication::exec();
    manager.OnDeviceFound = nullptr;
    manager.OnDeviceLost = nullptr;
    return cliOk;
}

TCliCommandRegistrar registrar(QStringLiteral("devices"), QStringLiteral("devices [--json] [--watch]"),
                               QStringLiteral("List the gauges found on every transport; --watch follows them"),
                               RunDevices);

} // namespace
