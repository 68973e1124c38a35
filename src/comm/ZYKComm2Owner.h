#pragma once

#include "Device.h"
#include "ErrMsg.h"
#include "Port.h"

#include <QString>

// What a connection item needs from the manager that owns it: the device
// lists, the error report and the switch for message boxes.
class IZYKComm2Owner
{
public:
    virtual ~IZYKComm2Owner() = default;

    // The manager's current list for a transport (empty for portNone).
    virtual TDevices DeviceList(TPort port) const = 0;
    // A reported communication error: raise OnError, and beep and show the
    // text when ShowErrorMsg is set.
    virtual void CommError(TErrMsg code, const QString &text) = 0;
    // A transport's own failure text (a refused connect, an FTDI call that
    // failed), shown in an error box when the manager shows messages.
    virtual void PortMessage(const QString &text) { Q_UNUSED(text) }
    virtual bool ShowErrorMsg() const { return false; }
};
