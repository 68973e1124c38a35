#pragma once

// The gauge display mirrored on the PC, and the gauge keys.

#include "DeviceFunction.h"

#include <array>

// Pixel colours as 0xAARRGGBB values.
enum : uint32_t {
    pxWhite = 0xFFFFFFFFu,
    pxLightGrey = 0xFFC0C0C0u,
    pxDarkGrey = 0xFF808080u,
    pxBlack = 0xFF000000u,
};

// "*DL" with the line number: 16 bytes for a monochrome line of 128 pixels
// ("7X0"), 40 bytes for a grey-scale line of 160 pixels ("7X00").
class TGauge2DisplayLine : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr int MaxPixels = 160;

    bool Execute(uint8_t line);

    QString LineFormat;
    std::array<uint32_t, MaxPixels> Pixels{};

private:
    void DecodeMonochrome();
    void DecodeGreyScale();
};

// "*K" with the key name in double quotes; the answer is discarded.
class TGauge2Key : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(const QString &keyName);
};
