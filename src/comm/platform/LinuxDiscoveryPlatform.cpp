#include "LinuxDiscoveryPlatform.h"

#include "QtBluetoothDiscovery.h"
#include "UdevSerialDiscovery.h"
#include "UdevUsbMonitor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <ftdi.h>
#include <libusb.h>
#include <libudev.h>

#include <thread>

TLinuxDiscoveryPlatform::TLinuxDiscoveryPlatform() = default;

TLinuxDiscoveryPlatform::~TLinuxDiscoveryPlatform() = default;

int TLinuxDiscoveryPlatform::Load()
{
    m_udev = NewUdev();
    if (!m_udev)
        return errNoUdev;
    m_ports = {};
    RecheckPorts();
    m_adapterWatch = std::make_unique<TUdevWatch>(m_udev.get(), "bluetooth", nullptr,
                                                  [this](const QString &, udev_device *) { RecheckPorts(); });
    return 0;
}

void TLinuxDiscoveryPlatform::Unload()
{
    m_adapterWatch.reset();
    m_udev.reset();
    m_ports = {};
}

QString TLinuxDiscoveryPlatform::Version() const
{
    const ftdi_version_info ftdi = ftdi_get_library_version();
    return QStringLiteral("udev, libftdi %1, Qt Bluetooth %2").arg(QString::fromUtf8(ftdi.version_str),
                                                                   QString::fromUtf8(qVersion()));
}

TPorts TLinuxDiscoveryPlatform::AvailablePorts() const
{
    return m_ports;
}

void TLinuxDiscoveryPlatform::RecheckPorts()
{
    TPorts ports;
    if (m_udev) {
        ports.Include(portCOM);
        if (QFileInfo::exists(QStringLiteral("/sys/bus/usb")))
            ports.Include(portUSB);
    }
    if (!TQtBluetoothDiscovery::Radios().isEmpty())
        ports.Include(portBT);
    const bool changed = !(ports == m_ports);
    m_ports = ports;
    if (changed && OnChanged)
        OnChanged();
}

QString TLinuxDiscoveryPlatform::ErrorText(int code) const
{
    switch (code) {
    case errNoUdev:
        return QStringLiteral("The device manager (udev) is not available");
    case errMonitor:
        return QStringLiteral("Device monitoring could not be started");
    case errFtdi:
        return QStringLiteral("The FTDI device list could not be read");
    case errBluetoothStart:
        return QStringLiteral("Bluetooth discovery could not be started");
    default:
        return QStringLiteral("Platform error %1").arg(code);
    }
}

std::unique_ptr<ISerialDiscovery> TLinuxDiscoveryPlatform::CreateSerialDiscovery()
{
    return m_udev ? std::make_unique<TUdevSerialDiscovery>(m_udev.get()) : nullptr;
}

std::unique_ptr<IUsbMonitor> TLinuxDiscoveryPlatform::CreateUsbMonitor()
{
    return m_udev ? std::make_unique<TUdevUsbMonitor>(m_udev.get()) : nullptr;
}

std::unique_ptr<IBluetoothDiscovery> TLinuxDiscoveryPlatform::CreateBluetoothDiscovery()
{
    return std::make_unique<TQtBluetoothDiscovery>();
}

int TLinuxDiscoveryPlatform::FtdiDeviceList(QList<TFtdiDeviceInfo> &devices)
{
    devices.clear();
    ftdi_context *ftdi = ftdi_new();
    if (!ftdi)
        return errFtdi;
    ftdi_device_list *list = nullptr;
    // Vendor and product 0: every FTDI converter libftdi knows.
    if (ftdi_usb_find_all(ftdi, &list, 0, 0) < 0) {
        ftdi_free(ftdi);
        return errFtdi;
    }
    for (ftdi_device_list *node = list; node; node = node->next) {
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(node->dev, &descriptor);
        char description[65] = {};
        char serial[17] = {};
        TFtdiDeviceInfo info;
        info.Type = descriptor.bcdDevice;
        info.Location = (static_cast<quint32>(libusb_get_bus_number(node->dev)) << 8)
            | libusb_get_device_address(node->dev);
        // A device that cannot be opened (in use, no permission) gives no strings.
        if (ftdi_usb_get_strings(ftdi, node->dev, nullptr, 0, description, sizeof description, serial,
                                 sizeof serial) == 0) {
            info.Id = (static_cast<quint32>(descriptor.idVendor) << 16) | descriptor.idProduct;
            info.Description = QString::fromLatin1(description);
            info.SerialNumber = QString::fromLatin1(serial);
        }
        devices.append(info);
    }
    ftdi_list_free(&list);
    ftdi_free(ftdi);
    return 0;
}

void TLinuxDiscoveryPlatform::Wait(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
        WaitStep();
}

void TLinuxDiscoveryPlatform::WaitStep()
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
