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
    const auto changed = [this](const QString &action, udev_device *tty) { Changed(action, tty); };
    return StartWatch(m_watch, m_udev, "tty", nullptr, changed, OnStarted) ? 0 : TLinuxDiscoveryPlatform::errMonitor;
}

void TUdevSerialDiscovery::StopMonitoring()
{
    StopWatch(m_watch, OnStopped);
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
