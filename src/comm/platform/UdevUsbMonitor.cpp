#include "UdevUsbMonitor.h"

#include "LinuxDiscoveryPlatform.h"

#include <libudev.h>

TUdevUsbMonitor::~TUdevUsbMonitor() = default;

int TUdevUsbMonitor::Enumerate(QList<TUsbDeviceInfo> &devices)
{
    devices.clear();
    if (!m_udev)
        return TLinuxDiscoveryPlatform::errNoUdev;
    // The serial port each USB device provides.
    QHash<QString, TSerialPortInfo> portOf;
    ForEachDevice(m_udev, "tty", [&portOf](udev_device *tty) {
        udev_device *usb = IsSerialPort(tty) ? UsbDeviceOf(tty) : nullptr;
        const QString key = usb ? QString::fromUtf8(udev_device_get_syspath(usb)) : QString();
        if (usb && !portOf.contains(key))
            portOf.insert(key, SerialPortInfoOf(tty));
    });
    ForEachDevice(m_udev, "usb", [&](udev_device *usb) {
        if (qstrcmp(udev_device_get_devtype(usb), "usb_device") != 0)
            return;
        const QString key = QString::fromUtf8(udev_device_get_syspath(usb));
        TUsbDeviceInfo info = UsbDeviceInfoOf(usb);
        const auto port = portOf.constFind(key);
        if (port != portOf.constEnd()) {
            info.PortName = port->Name;
            info.PortNumber = port->PortNumber;
        }
        m_known.insert(key, info);
        devices.append(info);
    });
    return 0;
}

int TUdevUsbMonitor::Start()
{
    const auto changed = [this](const QString &action, udev_device *usb) { Changed(action, usb); };
    return StartWatch(m_watch, m_udev, "usb", "usb_device", changed, OnStarted) ? 0
                                                                                : TLinuxDiscoveryPlatform::errMonitor;
}

void TUdevUsbMonitor::Stop()
{
    StopWatch(m_watch, OnStopped);
}

void TUdevUsbMonitor::Changed(const QString &action, udev_device *usb)
{
    const QString key = QString::fromUtf8(udev_device_get_syspath(usb));
    if (action == QLatin1String("add")) {
        const TUsbDeviceInfo info = UsbDeviceInfoOf(usb);
        m_known.insert(key, info);
        if (OnInserted)
            OnInserted(info);
    } else if (action == QLatin1String("remove")) {
        const TUsbDeviceInfo info = m_known.contains(key) ? m_known.take(key) : UsbDeviceInfoOf(usb);
        if (OnRemoved)
            OnRemoved(info);
    }
}
