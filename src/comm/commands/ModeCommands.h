#pragma once

// Operating modes of the gauge: PC mode and the sensor mode.

#include "DeviceFunction.h"

// "SP" with 1 (enter) or 0 (leave) in double quotes.
class TGauge2PCMode : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint8_t on);
};

// "*SSM" with the mode character in double quotes and the value byte.
class TGauge2SensorMode : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(char mode, uint8_t value);
};
