#pragma once

#include "DiscoveryPlatform.h"

#include "comm/Device.h"

// How each transport fills a TDevice from what its discovery reports.

TDevice SerialPortDevice(const TSerialPortInfo &port);
TDevice FtdiDevice(const TFtdiDeviceInfo &ftdi);
TDevice UsbDevice(const TUsbDeviceInfo &usb);
TDevice IrdaDevice(const TIrdaDeviceInfo &irda);
TDevice BluetoothDevice(const TBluetoothDeviceInfo &bluetooth);

// The text an FTDI entry gets when the FTDI layer gives no information.
inline QString NoDeviceInformation() { return QStringLiteral("No device information"); }
inline QString FtdiInUse() { return QStringLiteral("IN USE"); }
