#include "UdevSerialDiscovery.h"

#include "LinuxDiscoveryPlatform.h"

#include <libudev.h>

TUdevSerialDiscovery::~TUdevSerialDiscovery() = default;

int TUdevSerialDiscovery::Enumerate(QList<TSerialPortInfo> &ports)
{
    ports.clear();
    if (!m_udev)
        return TLinuxDiscoveryPlatform::errNoUdev;
    ForEachDevice(m_udev, "tty", [&ports](udev_device *tty) {
        if (IsSerialPort(tty))
            ports.append(SerialPortInfoOf(tty));
    });
    return 0;
}

int TUdevSerialDiscovery::StartMonitoring()
{
    if (m_watch)
        return 0;
    auto watch = std::make_unique<TUdevWatch>(m_udev, "tty", nullptr,
                                              [this](const QString &action, udev_device *tty) { Changed(action, tty); });
    if (!watch->IsValid())
        return TLinuxDiscoveryPlatform::errMonitor;
    m_watch = std::move(watch);
    if (OnStarted)
        OnStarted();
    return 0;
}

void TUdevSerialDiscovery::StopMonitoring()
{
    if (!m_watch)
        return;
    m_watch.reset();
    if (OnStopped)
        OnStopped();
}

void TUdevSerialDiscovery::Changed(const QString &action, udev_device *tty)
{
    if (action == QLatin1String("add")) {
        if (IsSerialPort(tty) && OnFound)
            OnFound(SerialPortInfoOf(tty));
    } else if (action == QLatin1String("remove")) {
        // The device is gone from sysfs: its name is all that is left.
        TSerialPortInfo port;
        port.Name = QString::fromUtf8(udev_device_get_sysname(tty));
        port.PortNumber = SerialPortNumber(port.Name);
        if (port.PortNumber != 0 && OnLost)
            OnLost(port);
    }
}
