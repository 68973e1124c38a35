#pragma once

// Files of the gauge: handles, create, open, position, read, write, close,
// delete.

#include "DeviceFunction.h"

// "*FFH": a free file handle.
class TGauge2FileHandle : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute();

    uint16_t FileHandleValue = 0;
};

// Raw "*FFN": create file of type a with handle w, number c.
class TGauge2FileNew : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint8_t a, uint16_t w, uint8_t c = 0);
};

// Raw "*FFO": open file of type a with handle w in mode c; gives its size.
class TGauge2FileOpen : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint8_t a, uint16_t w, uint8_t c);

    uint32_t FileSize = 0;
};

// "*FFC": close the open file.
class TGauge2FileClose : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute();
};

// "*FFP" + the position dword.
class TGauge2FilePosition : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint32_t position);
};

// "*FFW" + the bytes. A request whose frame would exceed 255 bytes is
// refused before sending; MaxWriteBytes always fits.
class TGauge2FileWrite : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr int MaxWriteBytes = 200;

    bool Execute(const uint8_t *bytes, int count);
    bool Execute(const QByteArray &bytes) { return Execute(reinterpret_cast<const uint8_t *>(bytes.constData()), int(bytes.size())); }
};

// "*FFR" with the byte count as two hex digits; ReadData is the answer.
class TGauge2FileRead : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint8_t count);

    TBuffer ReadData{};
};

// Raw "*FFD": delete the file with handle w, type b, number c.
class TGauge2FileDelete : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint16_t w, uint8_t b, uint8_t c = 0);
};
