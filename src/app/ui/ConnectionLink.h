#pragma once

#include "comm/Device.h"

#include <QObject>

// The device entry the settings dialog reports for "None": every field zero.
inline TDevice NoSerialDevice()
{
    TDevice device;
    device.Handle = 0;
    return device;
}

// What the shell windows ask of the connection manager. The main window
// owns one; the explorer wires it to the real manager, and until then (and
// in tests) this plain one stands in: no serial ports, nothing to select,
// and the device-found event goes out as the DeviceFound signal.
class TConnectionLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Serial port devices the manager knows, and whether it has any serial
    // transport at all (the dialog's port list is enabled only then).
    virtual TDevices SerialDevices() const { return {}; }
    virtual bool SerialPortsAvailable() const { return false; }
    // The manager's device-found event, raised for the chosen serial port.
    virtual void RaiseDeviceFound(const TDevice &device) { emit DeviceFound(device); }
    // ActivePort: 1 serial, 2 USB, 3 IrDA (then the ports are rescanned), 4 Bluetooth.
    virtual void SelectPort(int activePort) { Q_UNUSED(activePort) }
    // Automatic discovery on Bluetooth, serial, USB and IrDA, in that order.
    virtual void StartDiscovery() {}
    // Closes the connection item (the main window is going away).
    virtual void CloseConnection() {}

signals:
    void DeviceFound(const TDevice &device);
};
