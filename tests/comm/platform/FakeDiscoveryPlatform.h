#pragma once

#include "comm/platform/DiscoveryPlatform.h"

#include <QList>

#include <memory>

// A scripted machine for the connection manager: what is plugged in, what the
// FTDI layer answers pass by pass, and switches to make components fail.
// Tests change it and fire hot-plug events through it.
struct TFakeMachine
{
    TPorts ports{portCOM, portUSB, portIrDA, portBT};
    int loadResult = 0;

    QList<TSerialPortInfo> serialPorts;
    // Some platforms report every present port again when monitoring starts.
    bool serialStartRepeatsPresent = true;

    QList<TUsbDeviceInfo> usbDevices;
    // Successive answers of the FTDI device list; the last one repeats.
    QList<QList<TFtdiDeviceInfo>> ftdiPasses;
    int ftdiCalls = 0;
    QList<int> waits;

    QList<TIrdaDeviceInfo> irdaDevices;
    int irdaDiscoveries = 0;
    bool irdaFails = false;   // the pass ends without a device list

    QList<TBluetoothRadio> radios{{QStringLiteral("00:11:22:33:44:55"), QStringLiteral("hci0")}};

    IDiscoveryPlatform *platform = nullptr;
    class TSerial;
    class TUsb;
    class TIrda;
    class TBluetooth;
    TSerial *serial = nullptr;
    TUsb *usb = nullptr;
    TIrda *irda = nullptr;
    TBluetooth *bluetooth = nullptr;

    void PlugSerial(const TSerialPortInfo &port);
    void UnplugSerial(int portNumber);
    void PlugUsb(const TUsbDeviceInfo &device, const QList<TFtdiDeviceInfo> &ftdiAfter = {});
    void UnplugUsb(const QString &path);
    void CompleteIrda();
    void BluetoothFound(const TBluetoothDeviceInfo &device);
    void BluetoothLost(const TBluetoothDeviceInfo &device);
};

class TFakeMachine::TSerial : public ISerialDiscovery
{
public:
    explicit TSerial(TFakeMachine &m) : machine(m) { machine.serial = this; }
    ~TSerial() override { machine.serial = nullptr; }
    int Enumerate(QList<TSerialPortInfo> &ports) override
    {
        ports = machine.serialPorts;
        return 0;
    }
    int StartMonitoring() override
    {
        running = true;
        if (OnStarted)
            OnStarted();
        if (machine.serialStartRepeatsPresent)
            for (const TSerialPortInfo &port : std::as_const(machine.serialPorts))
                OnFound(port);
        return 0;
    }
    void StopMonitoring() override
    {
        running = false;
        if (OnStopped)
            OnStopped();
    }
    bool Monitoring() const override { return running; }

    TFakeMachine &machine;
    bool running = false;
};

class TFakeMachine::TUsb : public IUsbMonitor
{
public:
    explicit TUsb(TFakeMachine &m) : machine(m) { machine.usb = this; }
    ~TUsb() override { machine.usb = nullptr; }
    int Enumerate(QList<TUsbDeviceInfo> &devices) override
    {
        devices = machine.usbDevices;
        return 0;
    }
    int Start() override
    {
        running = true;
        if (OnStarted)
            OnStarted();
        return 0;
    }
    void Stop() override
    {
        running = false;
        if (OnStopped)
            OnStopped();
    }
    bool Running() const override { return running; }

    TFakeMachine &machine;
    bool running = false;
};

class TFakeMachine::TIrda : public IIrdaDiscovery
{
public:
    explicit TIrda(TFakeMachine &m) : machine(m) { machine.irda = this; }
    ~TIrda() override { machine.irda = nullptr; }
    int Discover() override
    {
        ++machine.irdaDiscoveries;
        discovering = true;
        if (OnStarted)
            OnStarted();
        return 0;
    }
    bool Discovering() const override { return discovering; }

    TFakeMachine &machine;
    bool discovering = false;
};

class TFakeMachine::TBluetooth : public IBluetoothDiscovery
{
public:
    explicit TBluetooth(TFakeMachine &m) : machine(m) { machine.bluetooth = this; }
    ~TBluetooth() override { machine.bluetooth = nullptr; }
    int EnumRadios(QList<TBluetoothRadio> &radios) override
    {
        radios = machine.radios;
        return 0;
    }
    int StartMonitoring(const TBluetoothRadio &, int interval) override
    {
        monitorInterval = interval;
        monitoring = true;
        return 0;
    }
    void StopMonitoring() override { monitoring = false; }
    bool Monitoring() const override { return monitoring; }
    int Discover(const TBluetoothRadio &, int, int) override
    {
        discovering = true;
        if (OnStarted)
            OnStarted();
        return 0;
    }
    void StopDiscovery() override { discovering = false; }
    bool Discovering() const override { return discovering; }

    TFakeMachine &machine;
    bool monitoring = false;
    bool discovering = false;
    int monitorInterval = 0;
};

class TFakeDiscoveryPlatform : public IDiscoveryPlatform
{
public:
    explicit TFakeDiscoveryPlatform(TFakeMachine &m) : machine(m) { machine.platform = this; }

    int Load() override { return machine.loadResult; }
    void Unload() override {}
    QString Version() const override { return QStringLiteral("fake 1.0"); }
    TPorts AvailablePorts() const override { return machine.ports; }
    QString ErrorText(int code) const override { return QStringLiteral("fake error %1").arg(code); }

    std::unique_ptr<ISerialDiscovery> CreateSerialDiscovery() override { return std::make_unique<TFakeMachine::TSerial>(machine); }
    std::unique_ptr<IUsbMonitor> CreateUsbMonitor() override { return std::make_unique<TFakeMachine::TUsb>(machine); }
    std::unique_ptr<IIrdaDiscovery> CreateIrdaDiscovery() override { return std::make_unique<TFakeMachine::TIrda>(machine); }
    std::unique_ptr<IBluetoothDiscovery> CreateBluetoothDiscovery() override
    {
        return std::make_unique<TFakeMachine::TBluetooth>(machine);
    }

    bool LoadFtdi() override { return true; }
    void UnloadFtdi() override {}
    int FtdiDeviceList(QList<TFtdiDeviceInfo> &devices) override
    {
        const int pass = machine.ftdiCalls++;
        if (!machine.ftdiPasses.isEmpty())
            devices = machine.ftdiPasses.value(pass, machine.ftdiPasses.last());
        return 0;
    }
    void SetFtdiMessages(bool) override {}
    void Wait(int ms) override { machine.waits.append(ms); }
    // A blocking IrDA discovery ends on the first round of waiting.
    void WaitStep() override
    {
        if (machine.irda && machine.irda->discovering)
            machine.CompleteIrda();
    }

    TFakeMachine &machine;
};

inline void TFakeMachine::PlugSerial(const TSerialPortInfo &port)
{
    serialPorts.append(port);
    if (serial && serial->running)
        serial->OnFound(port);
}

inline void TFakeMachine::UnplugSerial(int portNumber)
{
    for (int i = 0; i < serialPorts.size(); ++i) {
        if (serialPorts[i].PortNumber == portNumber) {
            const TSerialPortInfo port = serialPorts.takeAt(i);
            if (serial && serial->running)
                serial->OnLost(port);
            return;
        }
    }
}

inline void TFakeMachine::PlugUsb(const TUsbDeviceInfo &device, const QList<TFtdiDeviceInfo> &ftdiAfter)
{
    usbDevices.append(device);
    if (!ftdiAfter.isEmpty()) {
        ftdiPasses = {ftdiAfter};
        ftdiCalls = 0;
    }
    if (usb && usb->running)
        usb->OnInserted(device);
}

inline void TFakeMachine::UnplugUsb(const QString &path)
{
    for (int i = 0; i < usbDevices.size(); ++i) {
        if (usbDevices[i].Path == path) {
            const TUsbDeviceInfo device = usbDevices.takeAt(i);
            if (usb && usb->running)
                usb->OnRemoved(device);
            return;
        }
    }
}

inline void TFakeMachine::CompleteIrda()
{
    irda->discovering = false;
    irda->OnComplete(irdaFails ? nullptr : &irdaDevices);
}

inline void TFakeMachine::BluetoothFound(const TBluetoothDeviceInfo &device)
{
    bluetooth->OnFound(device);
}

inline void TFakeMachine::BluetoothLost(const TBluetoothDeviceInfo &device)
{
    bluetooth->OnLost(device);
}
