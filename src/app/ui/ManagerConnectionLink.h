#pragma once

#include "app/ui/ConnectionLink.h"

class TZYKComm2Manager;

// The shell's view of the real connection manager.
class TManagerConnectionLink : public TConnectionLink
{
    Q_OBJECT

public:
    explicit TManagerConnectionLink(TZYKComm2Manager &manager, QObject *parent = nullptr);

    TDevices SerialDevices() const override;
    bool SerialPortsAvailable() const override;
    // Raises the manager's OnDeviceFound for the serial transport, then the
    // DeviceFound signal.
    void RaiseDeviceFound(const TDevice &device) override;
    // Sets the transport of the first connection item.
    void SelectPort(int activePort) override;
    void StartDiscovery() override;
    void CloseConnection() override;

private:
    TZYKComm2Manager &FManager;
};
