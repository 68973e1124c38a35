#pragma once

#include "DiscoveryPlatform.h"
#include "ZYKComm2Connection.h"

#include "comm/Device.h"
#include "comm/ErrMsg.h"
#include "comm/Port.h"
#include "comm/ZYKComm2Owner.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class IUserDialog;

enum TSerialMode : int { smDisabled, smManualDiscovery, smAutoDiscovery };
enum TIrDAMode : int { imDisabled, imManualDiscovery, imAutoDiscovery };
enum TUSBMode : int { umDisabled, umManualDiscovery, umAutoDiscovery };
enum TBTMode : int { bmDisabled, bmManualDiscovery, bmAutoDiscovery };

// Finds devices on four transports through the platform's discovery
// components, keeps one sorted list per transport, reports found and lost
// devices, tells its connection items about changes on their port, and
// closes an item whose device disappears.
//
// Every mode starts disabled. Manual: discovery only on Discover().
// Automatic: one immediate discovery, then monitoring (IrDA: a timer).
// All events arrive on the thread that owns the manager.
class TZYKComm2Manager : public QObject, public IZYKComm2Owner
{
public:
    using TPortEvent = std::function<void(QObject *sender, TPort port)>;
    using TDevicesEvent = std::function<void(QObject *sender, TPort port, const TDevices &devices)>;
    using TDeviceEvent = std::function<void(QObject *sender, TPort port, const TDevice &device)>;
    using THardwareEvent = std::function<void(QObject *sender, TPorts oldPorts, TPorts newPorts)>;
    using TErrorEvent = std::function<void(QObject *sender, TErrMsg code, const QString &text)>;

    explicit TZYKComm2Manager(std::unique_ptr<IDiscoveryPlatform> platform, QObject *parent = nullptr);
    ~TZYKComm2Manager() override;

    // Published properties.
    TZYKComm2Connection &Connections() { return m_connections; }
    const TZYKComm2Connection &Connections() const { return m_connections; }
    void SetConnections(const TZYKComm2Connection &connections) { m_connections.Assign(connections); }
    TPorts Ports() const { return m_ports; }
    TSerialMode SerialMode() const { return m_serialMode; }
    void SetSerialMode(TSerialMode mode);
    TIrDAMode IrDAMode() const { return m_irdaMode; }
    void SetIrDAMode(TIrDAMode mode);
    TUSBMode USBMode() const { return m_usbMode; }
    void SetUSBMode(TUSBMode mode);
    TBTMode BluetoothMode() const { return m_btMode; }
    void SetBluetoothMode(TBTMode mode);
    bool ShowErrorMsg() const override { return m_showErrorMsg; }
    void SetShowErrorMsg(bool show);
    QString wclVersion() const { return m_wclVersion; }
    static QString About() { return QStringLiteral("ZYKComm2 Manager 2.0"); }

    // Where message boxes go (error and warning boxes, ShowErrorMsg); none: nowhere.
    void SetUserDialog(IUserDialog *dialog) { m_dialog = dialog; }

    // Immediate discovery on the given transports that are in manual mode.
    void Discover(TPorts ports);
    void DiscoverAll() { Discover(m_ports); }

    // The device lists.
    const TDevices &SerialDevices() const { return m_serialDevices; }
    const TDevices &IrDADevices() const { return m_irdaDevices; }
    const TDevices &UsbGaugeDevices() const { return m_usbGaugeDevices; }
    const TDevices &UsbAllDevices() const { return m_usbAllDevices; }
    const TDevices &BluetoothDevices() const { return m_btDevices; }
    const TBluetoothRadio *Radio() const { return m_radio ? &*m_radio : nullptr; }

    // Reports list[index]: OnDeviceFound, then every item on the port
    // refreshes its list and hears neDeviceFound.
    void FoundDevice(TPort port, TDevices &list, int index);
    // Takes list[index] out; an item whose selected device it was is told
    // neDeviceRemoved (which closes it); every item on the port refreshes its
    // list; then OnDeviceLost.
    void LostDevice(TPort port, TDevices &list, int index);
    // The FTDI devices, sorted by name, then serial number.
    TDevices EnumerateFtdi();
    // The path names vendor 0403 and product 6001.
    static bool IsFtdiGauge(const QString &path);

    // The IrDA timer's tick (public so that it can be driven directly).
    void IrDATimerElapsed();
    const QTimer &IrDATimer() const { return m_irdaTimer; }

    // IZYKComm2Owner
    TDevices DeviceList(TPort port) const override;
    void CommError(TErrMsg code, const QString &text) override;
    void PortMessage(const QString &text) override;

    // Events.
    TPortEvent OnDiscoveryStarted;
    TPortEvent OnDiscoveryStopped;
    TDevicesEvent OnDiscoveryComplete;
    TDeviceEvent OnDeviceFound;
    TDeviceEvent OnDeviceLost;
    THardwareEvent OnHardwareChanged;
    TErrorEvent OnError;

private:
    void HardwareChanged();
    void ShowPlatformError(int code);
    void ShowError(const QString &text);
    void ShowWarning(const QString &text);
    void NotifyItems(TPort port, TNotificationEvent event, const TDevice &device = {});
    void NotifyItemsInPorts(TNotificationEvent event);
    bool AnyItemOpen() const;

    void DestroySerialDiscovery();
    void DestroyUsbMonitor();
    void DestroyIrdaDiscovery();
    void DestroyBluetoothDiscovery();

    void DiscoverIrda();
    void DiscoverUsb();
    void DiscoverSerial();
    void DiscoverBluetooth();

    void SerialStarted();
    void SerialStopped();
    void SerialFound(const TSerialPortInfo &port);
    void SerialLost(const TSerialPortInfo &port);
    void UsbStarted();
    void UsbStopped();
    void UsbInserted(const TUsbDeviceInfo &usb);
    void UsbRemoved(const TUsbDeviceInfo &usb);
    void IrdaStarted();
    void IrdaComplete(const QList<TIrdaDeviceInfo> *devices);
    void BluetoothStarted();
    void BluetoothComplete(const QList<TBluetoothDeviceInfo> *devices);
    void BluetoothFound(const TBluetoothDeviceInfo &info);
    void BluetoothLost(const TBluetoothDeviceInfo &info);

    TDevice SerialEntry(const TSerialPortInfo &port) const;

    std::unique_ptr<IDiscoveryPlatform> m_platform;
    TZYKComm2Connection m_connections{this};
    IUserDialog *m_dialog = nullptr;

    TPorts m_ports;
    TSerialMode m_serialMode = smDisabled;
    TIrDAMode m_irdaMode = imDisabled;
    TUSBMode m_usbMode = umDisabled;
    TBTMode m_btMode = bmDisabled;
    bool m_showErrorMsg = false;
    QString m_wclVersion;

    TDevices m_serialDevices;
    TDevices m_irdaDevices;
    TDevices m_usbGaugeDevices;
    TDevices m_usbAllDevices;
    TDevices m_btDevices;

    std::unique_ptr<ISerialDiscovery> m_serial;
    std::unique_ptr<IUsbMonitor> m_usb;
    bool m_ftdiLoaded = false;
    std::unique_ptr<IIrdaDiscovery> m_irda;
    QTimer m_irdaTimer;
    std::unique_ptr<IBluetoothDiscovery> m_bt;
    std::optional<TBluetoothRadio> m_radio;
};
