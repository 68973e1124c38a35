#pragma once

#include "Device.h"

// Holds its own copy of one device: the selected device of a connection item.
class TDeviceObject
{
public:
    explicit TDeviceObject(const TDevice &device) : Device(device) {}
    TDevice Device;
};
