#include "QtBluetoothDiscovery.h"

#include "LinuxDiscoveryPlatform.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QBluetoothLocalDevice>
#include <QDir>

TQtBluetoothDiscovery::TQtBluetoothDiscovery()
{
    m_monitorPause.setSingleShot(true);
    connect(&m_monitorPause, &QTimer::timeout, this, [this] {
        if (m_monitor)
            m_monitor->start(QBluetoothDeviceDiscoveryAgent::ClassicMethod);
    });
}

TQtBluetoothDiscovery::~TQtBluetoothDiscovery()
{
    OnStarted = nullptr;
    OnComplete = nullptr;
    OnFound = nullptr;
    OnLost = nullptr;
    StopDiscovery();
    StopMonitoring();
}

QList<TBluetoothRadio> TQtBluetoothDiscovery::Radios()
{
    QList<TBluetoothRadio> radios;
    // The kernel lists every adapter; without one there is no need to ask
    // the Bluetooth daemon (which may not run at all).
    const QStringList adapters =
        QDir(QStringLiteral("/sys/class/bluetooth")).entryList({QStringLiteral("hci*")}, QDir::AllEntries | QDir::System);
    if (adapters.isEmpty())
        return radios;
    for (const QBluetoothHostInfo &host : QBluetoothLocalDevice::allDevices())
        radios.append({host.address().toString(), host.name()});
    return radios;
}

int TQtBluetoothDiscovery::EnumRadios(QList<TBluetoothRadio> &radios)
{
    radios = Radios();
    return 0;
}

std::unique_ptr<QBluetoothDeviceDiscoveryAgent> TQtBluetoothDiscovery::NewAgent(const TBluetoothRadio &radio,
                                                                                int timeoutSeconds)
{
    auto agent = std::make_unique<QBluetoothDeviceDiscoveryAgent>(QBluetoothAddress(radio.Address));
    agent->setLowEnergyDiscoveryTimeout(timeoutSeconds * 1000);
    m_radioAddress = radio.Address;
    return agent;
}

TBluetoothDeviceInfo TQtBluetoothDiscovery::InfoOf(const QBluetoothDeviceInfo &device) const
{
    TBluetoothDeviceInfo info;
    info.Name = device.name();
    info.NameError = info.Name.isEmpty() ? 1 : 0;
    info.Address = device.address().toString().toUpper();
    info.ClassOfDevice = (static_cast<quint32>(device.serviceClasses()) << 13)
        | (static_cast<quint32>(device.majorDeviceClass()) << 8)
        | (static_cast<quint32>(device.minorDeviceClass()) << 2);
    QBluetoothLocalDevice local{QBluetoothAddress(m_radioAddress)};
    info.Paired = local.pairingStatus(device.address()) != QBluetoothLocalDevice::Unpaired;
    info.Connected = local.connectedDevices().contains(device.address());
    return info;
}

QList<TBluetoothDeviceInfo> TQtBluetoothDiscovery::Found(QBluetoothDeviceDiscoveryAgent &agent) const
{
    QList<TBluetoothDeviceInfo> devices;
    for (const QBluetoothDeviceInfo &device : agent.discoveredDevices())
        if (device.coreConfigurations() & QBluetoothDeviceInfo::BaseRateCoreConfiguration)
            devices.append(InfoOf(device));
    return devices;
}

int TQtBluetoothDiscovery::Discover(const TBluetoothRadio &radio, int timeout, int flag)
{
    Q_UNUSED(flag)
    if (m_discovery)
        return 0;
    m_discovery = NewAgent(radio, timeout);
    connect(m_discovery.get(), &QBluetoothDeviceDiscoveryAgent::finished, this, [this] { DiscoveryEnded(false); });
    connect(m_discovery.get(), &QBluetoothDeviceDiscoveryAgent::errorOccurred, this, [this] { DiscoveryEnded(true); });
    m_discovery->start(QBluetoothDeviceDiscoveryAgent::ClassicMethod);
    if (m_discovery->error() != QBluetoothDeviceDiscoveryAgent::NoError) {
        m_discovery.reset();
        return TLinuxDiscoveryPlatform::errBluetoothStart;
    }
    if (OnStarted)
        OnStarted();
    return 0;
}

void TQtBluetoothDiscovery::DiscoveryEnded(bool failed)
{
    if (!m_discovery)
        return;
    const QList<TBluetoothDeviceInfo> devices = failed ? QList<TBluetoothDeviceInfo>{} : Found(*m_discovery);
    m_discovery.release()->deleteLater();
    if (OnComplete)
        OnComplete(failed ? nullptr : &devices);
}

void TQtBluetoothDiscovery::StopDiscovery()
{
    if (!m_discovery)
        return;
    m_discovery->disconnect(this);
    m_discovery->stop();
    m_discovery.release()->deleteLater();   // it may be the one calling us
}

int TQtBluetoothDiscovery::StartMonitoring(const TBluetoothRadio &radio, int interval)
{
    if (m_monitor)
        return 0;
    m_monitor = NewAgent(radio, interval);
    m_monitorPause.setInterval(interval * 1000);
    connect(m_monitor.get(), &QBluetoothDeviceDiscoveryAgent::finished, this, [this] { MonitorPassEnded(); });
    connect(m_monitor.get(), &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            [this] { m_monitorPause.start(); });
    m_monitor->start(QBluetoothDeviceDiscoveryAgent::ClassicMethod);
    if (m_monitor->error() != QBluetoothDeviceDiscoveryAgent::NoError) {
        m_monitor.reset();
        return TLinuxDiscoveryPlatform::errBluetoothStart;
    }
    return 0;
}

void TQtBluetoothDiscovery::MonitorPassEnded()
{
    QHash<QString, TBluetoothDeviceInfo> seen;
    for (const TBluetoothDeviceInfo &info : Found(*m_monitor))
        seen.insert(info.Address, info);
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        if (!m_present.contains(it.key()) && OnFound)
            OnFound(it.value());
    const QHash<QString, TBluetoothDeviceInfo> before = std::exchange(m_present, seen);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (!m_present.contains(it.key()) && OnLost)
            OnLost(it.value());
    if (m_monitor)
        m_monitorPause.start();
}

void TQtBluetoothDiscovery::StopMonitoring()
{
    m_monitorPause.stop();
    m_present.clear();
    if (!m_monitor)
        return;
    m_monitor->disconnect(this);
    m_monitor->stop();
    m_monitor.release()->deleteLater();   // it may be the one calling us
}
