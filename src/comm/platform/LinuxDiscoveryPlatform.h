#pragma once

#include "DiscoveryPlatform.h"
#include "UdevDevices.h"

// The machine as the connection manager sees it on Linux: serial ports and
// USB devices from udev (with hot-plug), FTDI devices through libftdi1,
// Bluetooth through QtBluetooth (a machine without an adapter has no
// Bluetooth transport). There is no IrDA stack, so IrDA is never available.
class TLinuxDiscoveryPlatform : public IDiscoveryPlatform
{
public:
    enum TError : int {
        errNoUdev = 1,
        errMonitor = 2,
        errFtdi = 3,
        errBluetoothStart = 4,
    };

    TLinuxDiscoveryPlatform();
    ~TLinuxDiscoveryPlatform() override;

    int Load() override;
    void Unload() override;
    QString Version() const override;
    TPorts AvailablePorts() const override;
    QString ErrorText(int code) const override;

    std::unique_ptr<ISerialDiscovery> CreateSerialDiscovery() override;
    std::unique_ptr<IUsbMonitor> CreateUsbMonitor() override;
    std::unique_ptr<IIrdaDiscovery> CreateIrdaDiscovery() override { return nullptr; }
    std::unique_ptr<IBluetoothDiscovery> CreateBluetoothDiscovery() override;

    bool LoadFtdi() override { return true; }
    void UnloadFtdi() override {}
    int FtdiDeviceList(QList<TFtdiDeviceInfo> &devices) override;
    void SetFtdiMessages(bool show) override { m_ftdiMessages = show; }

    void Wait(int ms) override;
    void WaitStep() override;

private:
    void RecheckPorts();

    TUdev m_udev;
    TPorts m_ports;
    bool m_ftdiMessages = false;
    // Bluetooth adapters are often USB devices: their coming and going changes the transports.
    std::unique_ptr<TUdevWatch> m_adapterWatch;
};
