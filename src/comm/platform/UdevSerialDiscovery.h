#pragma once

#include "DiscoveryPlatform.h"
#include "UdevDevices.h"

// Serial ports from udev's tty subsystem; monitoring follows tty hot-plug.
class TUdevSerialDiscovery : public ISerialDiscovery
{
public:
    explicit TUdevSerialDiscovery(udev *u) : m_udev(u) {}
    ~TUdevSerialDiscovery() override;

    int Enumerate(QList<TSerialPortInfo> &ports) override;
    int StartMonitoring() override;
    void StopMonitoring() override;
    bool Monitoring() const override { return m_watch != nullptr; }

private:
    void Changed(const QString &action, udev_device *tty);

    udev *m_udev;
    std::unique_ptr<TUdevWatch> m_watch;
};
