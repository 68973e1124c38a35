#pragma once

#include "GaugePort.h"

#include "comm/Device.h"
#include "comm/Port.h"

#include <memory>

// The transport for a device on a port: serial (or TCP for a DevicePath
// "tcp:HOST:PORT") on portCOM, FTDI on portUSB, RFCOMM on portBT, IrDA on
// portIrDA; none for portNone.
std::unique_ptr<TGaugePort> CreateGaugePort(TPort port, const TDevice &device);

// The device node a serial device is opened on (see TDevice).
QString SerialDevicePath(const TDevice &device);
