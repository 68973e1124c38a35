#pragma once

#include "comm/Device.h"
#include "comm/Port.h"

#include <QString>

#include <memory>

class TZYKComm2Item;

// A port as given on the command line:
//   serial:PATH[@BAUD]  a serial device node (pseudo-terminals too)
//   ftdi:SERIAL         an FTDI USB gauge by serial number
//   bt:ADDRESS          a Bluetooth gauge (RFCOMM, serial port profile)
//   tcp:HOST:PORT       a network serial server or the simulator
//   demo                the built-in demo gauge
struct TPortAddress
{
    enum TKind { psSerial, psFtdi, psBluetooth, psTcp, psDemo };
    TKind Kind = psSerial;
    TPort Port = portNone;
    TDevice Device;
    quint32 BaudRate = 57600;
};

// False with a message in error when the text is not a port.
bool ParsePortAddress(const QString &text, TPortAddress &address, QString &error);

// A connection item opened on the port, configured as the desktop program's
// (send delay 10 ms, two retries, USB latency 5 ms); nullptr with a message
// in error when the port is malformed or does not open.
std::unique_ptr<TZYKComm2Item> OpenPortAddress(const QString &text, QString &error);
