#pragma once

#include <QList>
#include <QString>

// One found device, copied by value.
//
// Serial devices on this platform: DevicePath holds the device node
// ("/dev/ttyUSB0", "/dev/pts/3") or "tcp:HOST:PORT" for a network serial
// server; when DevicePath is empty, PortName and then Name are tried as the
// node (a bare name gets "/dev/" in front).
struct TDevice
{
    QString Name;
    QString SerialNumber;     // FTDI serial number ("------" when in use); IrDA: address digits
    QString BusDescription;   // product text the USB device reports on the bus
    QString PortName;         // serial port name; FTDI description ("IN USE"); USB manufacturer
    qint32 TypeCode = 0;      // vendor id * 65536 + product id, or Bluetooth class of device
    quint8 Paired = 0;
    quint8 Connected = 0;
    qint32 Handle = -1;       // open handle of the selected device; -1 when none
    qint32 PortNumber = 0;
    QString Address;          // Bluetooth address (upper case), IrDA address, USB entry's port name
    QString DevicePath;       // upper-case USB device path; serial device node (see above)
};

// Two records name the same device when these fields agree (bus description,
// paired, connected and handle do not count).
inline bool IsSameDevice(const TDevice &a, const TDevice &b)
{
    return a.Name == b.Name && a.SerialNumber == b.SerialNumber && a.PortName == b.PortName
        && a.TypeCode == b.TypeCode && a.PortNumber == b.PortNumber && a.Address == b.Address
        && a.DevicePath == b.DevicePath;
}

using TDevices = QList<TDevice>;
