#pragma once

#include <QtGlobal>

// The 80-bit x87 extended-precision format as it is stored: 8 bytes of
// significand with an explicit integer bit, then sign and 15-bit exponent
// (bias 16383), little-endian. All conversions are done on the bits, so they
// are exact and do not depend on the compiler's long double.
struct TExtended80
{
    quint64 Significand = 0;
    quint16 SignExponent = 0;

    static constexpr int ByteSize = 10;

    static TExtended80 FromBytes(const uchar *bytes);
    void ToBytes(uchar *bytes) const;

    bool operator==(const TExtended80 &) const = default;
};

// Widening is exact. The no-value marker (all bytes 0xFF) becomes ten 0xFF
// bytes; other NaNs keep sign and payload and come out quiet.
TExtended80 ExtendedFromDouble(double value);
TExtended80 ExtendedFromSingle(float value);
TExtended80 ExtendedFromInt64(qint64 value);

// Narrowing rounds to nearest, ties to even; overflow gives infinity,
// underflow a denormal or zero. NaN payloads are truncated, so ten 0xFF bytes
// read back as the all-0xFF no-value marker of the target width. Invalid
// encodings (pseudo-NaN, unnormals) give the default quiet NaN.
double DoubleFromExtended(const TExtended80 &value);
float SingleFromExtended(const TExtended80 &value);
// Rounded to an integer, ties to even. NaN, infinities and values outside
// the int64 range give the integer indefinite 0x8000000000000000.
qint64 CompFromExtended(const TExtended80 &value);
// The 6-byte real: 40-bit significand, exponent range 2^-128 .. 2^126, no
// denormals (smaller values become zero). False when the value cannot be
// held (NaN, infinity, too large); out is then unchanged.
bool Real48FromExtended(const TExtended80 &value, double &out);
// Rounds a double to the nearest value a 6-byte real can hold.
bool Real48FromDouble(double value, double &out);
