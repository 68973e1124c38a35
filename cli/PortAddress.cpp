#include "PortAddress.h"

#include "comm/ZYKComm2Item.h"
#include "comm/ports/GaugePort.h"
#include "comm/ports/TcpGaugePort.h"
#include "sim/GaugeSimulator.h"

namespace {

// ---- demo gauge -----------------------------------------------------------
// The one place where the built-in demo gauge is wired in: it returns the PC
// end of an in-process loopback pair whose other end the gauge simulator
// serves (the end keeps the simulator alive through TGaugePort::KeepAlive).
std::unique_ptr<TGaugePort> OpenDemoGauge(QString &error)
{
    std::unique_ptr<TGaugeSimulator> simulator = TGaugeSimulator::FromScenario(QStringLiteral("demo"), &error);
    if (!simulator)
        return nullptr;
    return TGaugeSimulator::Attach(std::shared_ptr<TGaugeSimulator>(std::move(simulator)));
}
// ---------------------------------------------------------------------------

bool ParseSerial(const QString &rest, TPortAddress &address, QString &error)
{
    QString path = rest;
    const qsizetype at = rest.lastIndexOf(u'@');
    if (at >= 0) {
        bool ok = false;
        const uint baud = rest.mid(at + 1).toUInt(&ok);
        if (!ok || baud == 0) {
            error = QStringLiteral("Bad baud rate in port: ") + rest.mid(at + 1);
            return false;
        }
        address.BaudRate = baud;
        path = rest.left(at);
    }
    if (path.isEmpty()) {
        error = QStringLiteral("Missing device path: serial:PATH[@BAUD]");
        return false;
    }
    address.Kind = TPortAddress::psSerial;
    address.Port = portCOM;
    address.Device.Name = path;
    address.Device.DevicePath = path.startsWith(u'/') ? path : QStringLiteral("/dev/") + path;
    address.Device.Connected = 1;
    return true;
}

} // namespace

bool ParsePortAddress(const QString &text, TPortAddress &address, QString &error)
{
    address = TPortAddress{};
    const qsizetype colon = text.indexOf(u':');
    const QString scheme = colon < 0 ? text : text.left(colon);
    const QString rest = colon < 0 ? QString() : text.mid(colon + 1);
    if (text == QLatin1String("demo")) {
        address.Kind = TPortAddress::psDemo;
        address.Device.Name = QStringLiteral("Demo gauge");
        return true;
    }
    if (scheme == QLatin1String("serial"))
        return ParseSerial(rest, address, error);
    if (scheme == QLatin1String("ftdi") && !rest.isEmpty()) {
        address.Kind = TPortAddress::psFtdi;
        address.Port = portUSB;
        address.Device.Name = rest;
        address.Device.SerialNumber = rest;
        address.Device.Connected = 1;
        return true;
    }
    if (scheme == QLatin1String("bt") && !rest.isEmpty()) {
        address.Kind = TPortAddress::psBluetooth;
        address.Port = portBT;
        address.Device.Name = rest.toUpper();
        address.Device.Address = rest.toUpper();
        return true;
    }
    if (scheme == QLatin1String("tcp")) {
        QString host;
        quint16 port = 0;
        if (!TTcpGaugePort::ParseAddress(text, host, port)) {
            error = QStringLiteral("Bad port: ") + text + QStringLiteral(" (expected tcp:HOST:PORT)");
            return false;
        }
        address.Kind = TPortAddress::psTcp;
        address.Port = portCOM;
        address.Device.Name = text;
        address.Device.DevicePath = text;
        address.Device.Connected = 1;
        return true;
    }
    error = QStringLiteral("Bad port: ") + text
        + QStringLiteral(" (expected serial:PATH[@BAUD], ftdi:SERIAL, bt:ADDRESS, tcp:HOST:PORT or demo)");
    return false;
}

std::unique_ptr<TZYKComm2Item> OpenPortAddress(const QString &text, QString &error)
{
    TPortAddress address;
    if (!ParsePortAddress(text, address, error))
        return nullptr;
    auto item = std::make_unique<TZYKComm2Item>();
    item->SetCmdSendDelay(10);
    item->SetRetryMax(2);
    item->SetUSBLatency(5);
    item->SetBaudRate(address.BaudRate);
    if (address.Kind == TPortAddress::psDemo) {
        std::unique_ptr<TGaugePort> demo = OpenDemoGauge(error);
        if (!demo)
            return nullptr;
        item->AttachTransport(std::move(demo));
    } else {
        item->SetDevices({address.Device});
        item->SetPort(address.Port);
        if (item->SelectDeviceIndex(0) != emNone) {
            error = ErrMsgText(emNoDevice);
            return nullptr;
        }
    }
    const TErrMsg result = item->Open(true);
    if (result != emNone) {
        const QString detail = item->Transport() ? item->Transport()->ErrorText() : QString();
        error = ErrMsgText(result) + (detail.isEmpty() ? QString() : QStringLiteral(" ") + detail);
        return nullptr;
    }
    return item;
}
