#include "DeviceRecords.h"

TDevice SerialPortDevice(const TSerialPortInfo &port)
{
    TDevice device;
    device.Name = port.Name;
    device.BusDescription = port.BusDescription;
    device.PortName = port.Name;
    device.Connected = 1;
    device.PortNumber = port.PortNumber;
    device.DevicePath = port.Node;
    return device;
}

TDevice FtdiDevice(const TFtdiDeviceInfo &ftdi)
{
    TDevice device;
    const bool known = ftdi.Id != 0;
    device.Name = known ? ftdi.Description : NoDeviceInformation();
    device.SerialNumber = known ? ftdi.SerialNumber : QStringLiteral("------");
    device.PortName = known ? ftdi.Description : FtdiInUse();
    device.TypeCode = static_cast<qint32>(ftdi.Id);
    device.Connected = 1;
    return device;
}

TDevice UsbDevice(const TUsbDeviceInfo &usb)
{
    TDevice device;
    device.Name = usb.FriendlyName.isEmpty() ? usb.Description : usb.FriendlyName;
    device.BusDescription = usb.BusDescription;
    device.PortName = usb.Manufacturer;
    device.PortNumber = usb.PortNumber;
    device.Address = usb.PortName;
    device.DevicePath = usb.Path.toUpper();
    return device;
}

TDevice IrdaDevice(const TIrdaDeviceInfo &irda)
{
    TDevice device;
    device.Name = irda.Name;
    for (QChar c : irda.Address)
        if (c.isDigit())
            device.SerialNumber += c;
    device.Connected = 1;
    device.Address = irda.Address;
    return device;
}

TDevice BluetoothDevice(const TBluetoothDeviceInfo &bluetooth)
{
    TDevice device;
    device.Name = bluetooth.NameError == 0 ? bluetooth.Name
                                           : QStringLiteral("Unknown (%1)").arg(bluetooth.NameError);
    device.TypeCode = bluetooth.ClassError ? 0 : static_cast<qint32>(bluetooth.ClassOfDevice);
    device.Paired = bluetooth.Paired ? 1 : 0;
    device.Connected = bluetooth.Connected ? 1 : 0;
    device.Address = bluetooth.Address.toUpper();
    return device;
}
