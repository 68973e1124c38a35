#pragma once

// The parameter directory of the open gauge file: count, entries, values,
// and writing a value.

#include "DeviceFunction.h"

// "*FPR": alone the count, + i the directory entry i, + id, sub a value.
class TGauge2FileParamRead : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool ReadParamCount();
    bool ReadParamEntry(uint8_t i);
    bool ReadParamValue(uint8_t id, uint8_t sub);

    uint16_t ParamCount = 0;  // count, an entry's size, or a value's length
    uint8_t ParamTyp = 0;
    uint8_t ParamID = 0;
    QString ParamName;
    TBuffer ParamValue{};

private:
    void Clear();
};

// Raw "*FPW": id, sub and the data bytes.
class TGauge2FileParamWrite : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint8_t id, uint8_t sub, const TBuffer &data);
};
