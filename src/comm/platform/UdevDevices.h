#pragma once

#include "DiscoveryPlatform.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

struct udev;
struct udev_device;
struct udev_monitor;
class QSocketNotifier;

// Small helpers around libudev shared by the serial discovery and the USB
// monitor.

struct TUdevDeleter
{
    void operator()(udev *u) const;
    void operator()(udev_device *d) const;
    void operator()(udev_monitor *m) const;
};
using TUdev = std::unique_ptr<udev, TUdevDeleter>;
using TUdevDevice = std::unique_ptr<udev_device, TUdevDeleter>;
using TUdevMonitor = std::unique_ptr<udev_monitor, TUdevDeleter>;

TUdev NewUdev();

// The stable number of a serial port by its name: ttyS<n> 1+n, ttyUSB<n>
// 65+n, ttyACM<n> 129+n, any other name ending in a number n 193+n; 0 when
// the name gives none (such a port is not offered).
int SerialPortNumber(const QString &name);

// A serial port worth offering: a tty with a real device behind it (not a
// console, not a pseudo-terminal, not an 8250 slot without a UART).
bool IsSerialPort(udev_device *tty);
TSerialPortInfo SerialPortInfoOf(udev_device *tty);

// The USB device a device belongs to (itself when it is one), or nullptr.
udev_device *UsbDeviceOf(udev_device *device);
// The product text the USB device reports on the bus (udev's model text).
QString UsbModelText(udev_device *usb);
TUsbDeviceInfo UsbDeviceInfoOf(udev_device *usb);

// Lists the devices of a subsystem (and device type, when given).
void ForEachDevice(udev *u, const char *subsystem, const std::function<void(udev_device *)> &visit);

// A libudev monitor on one subsystem that calls back on the owning thread's
// event loop with the action ("add", "remove" ...) and the device.
class TUdevWatch
{
public:
    using THandler = std::function<void(const QString &action, udev_device *device)>;

    TUdevWatch(udev *u, const char *subsystem, const char *devtype, THandler handler);
    ~TUdevWatch();
    bool IsValid() const { return m_notifier != nullptr; }

private:
    void Receive();

    TUdevMonitor m_monitor;
    THandler m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Starts the watch in place unless it runs already, and tells onStarted when
// it starts; false when no monitor could be set up.
bool StartWatch(std::unique_ptr<TUdevWatch> &watch, udev *u, const char *subsystem, const char *devtype,
                TUdevWatch::THandler handler, const std::function<void()> &onStarted);
// Ends a running watch and tells onStopped.
void StopWatch(std::unique_ptr<TUdevWatch> &watch, const std::function<void()> &onStopped);
