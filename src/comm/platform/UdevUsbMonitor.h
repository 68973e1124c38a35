#pragma once

#include "DiscoveryPlatform.h"
#include "UdevDevices.h"

#include <QHash>

// USB devices from udev's usb subsystem; the monitor follows their hot-plug.
class TUdevUsbMonitor : public IUsbMonitor
{
public:
    explicit TUdevUsbMonitor(udev *u) : m_udev(u) {}
    ~TUdevUsbMonitor() override;

    int Enumerate(QList<TUsbDeviceInfo> &devices) override;
    int Start() override;
    void Stop() override;
    bool Running() const override { return m_watch != nullptr; }

private:
    void Changed(const QString &action, udev_device *usb);

    udev *m_udev;
    std::unique_ptr<TUdevWatch> m_watch;
    // What was reported per sysfs path, so that a removal names the same path.
    QHash<QString, TUsbDeviceInfo> m_known;
};
