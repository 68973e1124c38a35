#pragma once

#include "comm/Port.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// What the discovery components report about one device. Result codes of
// the platform are 0 for success; ErrorText() says what another code means.

struct TSerialPortInfo
{
    QString Name;             // the platform's port name ("ttyUSB0")
    QString Node;             // device node ("/dev/ttyUSB0")
    int PortNumber = 0;       // stable number of the port, 1..255
    QString BusDescription;   // product text of the USB device the port belongs to, if any
};

struct TUsbDeviceInfo
{
    QString Path;             // device path; names vendor id, product id and serial number
    QString FriendlyName;     // empty when the platform has none
    QString Description;
    QString BusDescription;   // product text the device reports on the bus
    QString Manufacturer;
    QString PortName;         // name of the serial port the device provides ("ttyUSB0"), or empty
    int PortNumber = 0;       // number of that port, 0 when none
};

struct TFtdiDeviceInfo
{
    quint32 Flags = 0;
    quint32 Type = 0;
    quint32 Id = 0;           // vendor id * 65536 + product id; 0 when the device gives no information
    quint32 Location = 0;
    QString SerialNumber;
    QString Description;
};

struct TIrdaDeviceInfo
{
    QString Name;
    QString Address;
};

struct TBluetoothDeviceInfo
{
    QString Name;
    int NameError = 0;        // result of the name query; non-zero when it failed
    QString Address;
    quint32 ClassOfDevice = 0;
    bool ClassError = false;  // the class query failed
    bool Paired = false;
    bool Connected = false;
};

struct TBluetoothRadio
{
    QString Address;
    QString Name;
};

// Serial ports present, and their hot-plug while monitoring.
class ISerialDiscovery
{
public:
    virtual ~ISerialDiscovery() = default;
    virtual int Enumerate(QList<TSerialPortInfo> &ports) = 0;
    virtual int StartMonitoring() = 0;
    virtual void StopMonitoring() = 0;
    virtual bool Monitoring() const = 0;

    std::function<void()> OnStarted;
    std::function<void()> OnStopped;
    std::function<void(const TSerialPortInfo &)> OnFound;
    std::function<void(const TSerialPortInfo &)> OnLost;
};

// USB devices present, and their hot-plug while the monitor runs.
class IUsbMonitor
{
public:
    virtual ~IUsbMonitor() = default;
    virtual int Enumerate(QList<TUsbDeviceInfo> &devices) = 0;
    virtual int Start() = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;

    std::function<void()> OnStarted;
    std::function<void()> OnStopped;
    std::function<void(const TUsbDeviceInfo &)> OnInserted;
    std::function<void(const TUsbDeviceInfo &)> OnRemoved;
};

class IIrdaDiscovery
{
public:
    virtual ~IIrdaDiscovery() = default;
    virtual int Discover() = 0;
    virtual bool Discovering() const = 0;

    std::function<void()> OnStarted;
    // nullptr: the discovery ended without a device list.
    std::function<void(const QList<TIrdaDeviceInfo> *)> OnComplete;
};

class IBluetoothDiscovery
{
public:
    virtual ~IBluetoothDiscovery() = default;
    virtual int EnumRadios(QList<TBluetoothRadio> &radios) = 0;
    // Watches the neighbourhood of a radio: OnFound / OnLost as devices come and go.
    virtual int StartMonitoring(const TBluetoothRadio &radio, int interval) = 0;
    virtual void StopMonitoring() = 0;
    virtual bool Monitoring() const = 0;
    // One discovery pass; the result comes through OnComplete.
    virtual int Discover(const TBluetoothRadio &radio, int timeout, int flag) = 0;
    virtual void StopDiscovery() = 0;
    virtual bool Discovering() const = 0;

    std::function<void()> OnStarted;
    // nullptr: the pass ended without a device list.
    std::function<void(const QList<TBluetoothDeviceInfo> *)> OnComplete;
    std::function<void(const TBluetoothDeviceInfo &)> OnFound;
    std::function<void(const TBluetoothDeviceInfo &)> OnLost;
};

// Everything the connection manager asks of the machine: which transports
// exist, the discovery components per transport, FTDI enumeration and the
// waits between its attempts. The desktop and command-line programs use the
// Linux implementation; unit tests use a scripted fake.
class IDiscoveryPlatform
{
public:
    virtual ~IDiscoveryPlatform() = default;

    virtual int Load() = 0;
    virtual void Unload() = 0;
    virtual QString Version() const = 0;
    virtual TPorts AvailablePorts() const = 0;
    virtual QString ErrorText(int code) const = 0;

    virtual std::unique_ptr<ISerialDiscovery> CreateSerialDiscovery() = 0;
    virtual std::unique_ptr<IUsbMonitor> CreateUsbMonitor() = 0;
    virtual std::unique_ptr<IIrdaDiscovery> CreateIrdaDiscovery() = 0;
    virtual std::unique_ptr<IBluetoothDiscovery> CreateBluetoothDiscovery() = 0;

    // FTDI: true when the library is there with everything USB identification needs.
    virtual bool LoadFtdi() = 0;
    virtual void UnloadFtdi() = 0;
    // The device information list; non-zero when it could not be built.
    virtual int FtdiDeviceList(QList<TFtdiDeviceInfo> &devices) = 0;
    // Whether the FTDI layer shows its own error messages.
    virtual void SetFtdiMessages(bool show) = 0;

    // Blocks the caller for a while (between FTDI enumeration attempts).
    virtual void Wait(int ms) = 0;
    // One round of a blocking wait: deliver pending events, then rest a moment.
    virtual void WaitStep() = 0;

    // Transport availability changed (an adapter came or went).
    std::function<void()> OnChanged;
};
