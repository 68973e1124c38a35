#include "store/tagged/ExtendedReal.h"

#include <QtEndian>

#include <bit>
#include <cstring>

namespace {

constexpr int ExtendedBias = 16383;
constexpr quint16 ExtendedMaxExponent = 0x7FFF;
constexpr quint64 IntegerBit = quint64(1) << 63;
constexpr quint64 ExtendedQuietBit = quint64(1) << 62;
constexpr qint64 IntegerIndefinite = std::numeric_limits<qint64>::min();

// An IEEE binary format: fraction bits and exponent bits.
struct TBinaryFormat
{
    int FractionBits;
    int ExponentBits;
    int Bias() const { return (1 << (ExponentBits - 1)) - 1; }
    int MaxBiased() const { return (1 << ExponentBits) - 1; }
};

constexpr TBinaryFormat DoubleFormat{52, 11};
constexpr TBinaryFormat SingleFormat{23, 8};

quint64 AllOnes(int bits)
{
    return bits >= 64 ? ~quint64(0) : (quint64(1) << bits) - 1;
}

// value >> shift, rounded to nearest with ties to even; shift 1..64+.
quint64 ShiftRoundEven(quint64 value, int shift)
{
    if (shift <= 0)
        return value;
    if (shift > 64)
        return 0;
    if (shift == 64) // value / 2^64 lies in [0, 1): a tie only at exactly 2^63
        return value > IntegerBit ? 1 : 0;
    const quint64 kept = value >> shift;
    const quint64 rest = value & AllOnes(shift);
    const quint64 half = quint64(1) << (shift - 1);
    return (rest > half || (rest == half && (kept & 1))) ? kept + 1 : kept;
}

TExtended80 Widen(quint64 bits, TBinaryFormat format)
{
    const int totalBits = 1 + format.ExponentBits + format.FractionBits;
    if (bits == AllOnes(totalBits)) // the no-value marker keeps all its bits set
        return {~quint64(0), 0xFFFF};
    const quint16 sign = (bits >> (totalBits - 1)) & 1 ? 0x8000 : 0;
    const int exponent = static_cast<int>((bits >> format.FractionBits) & AllOnes(format.ExponentBits));
    const quint64 fraction = bits & AllOnes(format.FractionBits);
    const int toTop = 63 - format.FractionBits;
    if (exponent == format.MaxBiased()) {
        if (fraction == 0)
            return {IntegerBit, quint16(sign | ExtendedMaxExponent)};
        return {IntegerBit | ExtendedQuietBit | (fraction << toTop), quint16(sign | ExtendedMaxExponent)};
    }
    if (exponent == 0) {
        if (fraction == 0)
            return {0, sign};
        // Denormal: every one is a normal number in the wider format.
        const int shift = std::countl_zero(fraction);
        const int unbiased = 1 - format.Bias() - format.FractionBits + 63 - shift;
        return {fraction << shift, quint16(sign | (unbiased + ExtendedBias))};
    }
    const int unbiased = exponent - format.Bias();
    return {IntegerBit | (fraction << toTop), quint16(sign | (unbiased + ExtendedBias))};
}

enum class TKind { Zero, Finite, Infinite, NaN, Invalid };

// An extended value taken apart: value = Significand * 2^(Exponent - 63),
// Significand normalised (top bit set) for finite non-zero values.
struct TParts
{
    TKind Kind;
    bool Negative;
    int Exponent;
    quint64 Significand;
};

TParts Split(const TExtended80 &value)
{
    const bool negative = value.SignExponent & 0x8000;
    const int biased = value.SignExponent & ExtendedMaxExponent;
    const quint64 significand = value.Significand;
    if (biased == ExtendedMaxExponent) {
        if (!(significand & IntegerBit))
            return {TKind::Invalid, negative, 0, 0};
        if ((significand & ~IntegerBit) == 0)
            return {TKind::Infinite, negative, 0, 0};
        return {TKind::NaN, negative, 0, significand};
    }
    if (significand == 0)
        return {TKind::Zero, negative, 0, 0};
    if (biased != 0 && !(significand & IntegerBit))
        return {TKind::Invalid, negative, 0, 0}; // unnormal
    const int effective = biased == 0 ? 1 : biased; // (pseudo-)denormals
    const int shift = std::countl_zero(significand);
    return {TKind::Finite, negative, effective - ExtendedBias - shift, significand << shift};
}

quint64 Narrow(const TExtended80 &value, TBinaryFormat format)
{
    const TParts parts = Split(value);
    const int totalBits = 1 + format.ExponentBits + format.FractionBits;
    const quint64 signBit = parts.Negative ? quint64(1) << (totalBits - 1) : 0;
    const quint64 infinity = quint64(format.MaxBiased()) << format.FractionBits;
    const quint64 quietBit = quint64(1) << (format.FractionBits - 1);
    switch (parts.Kind) {
    case TKind::Zero:
        return signBit;
    case TKind::Infinite:
        return signBit | infinity;
    case TKind::Invalid:
        return (quint64(1) << (totalBits - 1)) | infinity | quietBit;
    case TKind::NaN:
        return signBit | infinity | quietBit | ((parts.Significand << 1) >> (64 - format.FractionBits));
    case TKind::Finite:
        break;
    }
    int biased = parts.Exponent + format.Bias();
    const int shift = 63 - format.FractionBits;
    if (biased >= 1) {
        quint64 mantissa = ShiftRoundEven(parts.Significand, shift);
        if (mantissa >> (format.FractionBits + 1)) { // rounding carried into a new bit
            mantissa >>= 1;
            ++biased;
        }
        if (biased >= format.MaxBiased())
            return signBit | infinity;
        return signBit | (quint64(biased) << format.FractionBits) | (mantissa & AllOnes(format.FractionBits));
    }
    // Denormal or zero; a carry into the lowest normal exponent encodes itself.
    return signBit | ShiftRoundEven(parts.Significand, shift + 1 - biased);
}

} // namespace

TExtended80 TExtended80::FromBytes(const uchar *bytes)
{
    return {qFromLittleEndian<quint64>(bytes), qFromLittleEndian<quint16>(bytes + 8)};
}

void TExtended80::ToBytes(uchar *bytes) const
{
    qToLittleEndian<quint64>(Significand, bytes);
    qToLittleEndian<quint16>(SignExponent, bytes + 8);
}

TExtended80 ExtendedFromDouble(double value)
{
    return Widen(std::bit_cast<quint64>(value), DoubleFormat);
}

TExtended80 ExtendedFromSingle(float value)
{
    return Widen(std::bit_cast<quint32>(value), SingleFormat);
}

TExtended80 ExtendedFromInt64(qint64 value)
{
    if (value == 0)
        return {};
    const bool negative = value < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    const int shift = std::countl_zero(magnitude);
    return {magnitude << shift, quint16((negative ? 0x8000 : 0) | (ExtendedBias + 63 - shift))};
}

double DoubleFromExtended(const TExtended80 &value)
{
    return std::bit_cast<double>(Narrow(value, DoubleFormat));
}

float SingleFromExtended(const TExtended80 &value)
{
    return std::bit_cast<float>(static_cast<quint32>(Narrow(value, SingleFormat)));
}

qint64 CompFromExtended(const TExtended80 &value)
{
    const TParts parts = Split(value);
    if (parts.Kind == TKind::Zero)
        return 0;
    if (parts.Kind != TKind::Finite || parts.Exponent >= 63)
        return IntegerIndefinite; // also exactly -2^63, which is the same bits
    const quint64 magnitude = ShiftRoundEven(parts.Significand, 63 - parts.Exponent);
    if (magnitude >= IntegerBit)
        return IntegerIndefinite;
    const qint64 result = static_cast<qint64>(magnitude);
    return parts.Negative ? -result : result;
}

bool Real48FromExtended(const TExtended80 &value, double &out)
{
    // 1 + 39 fraction bits, biased exponent 1..255 with bias 129, no denormals.
    constexpr int fractionBits = 39;
    constexpr int bias = 129;
    const TParts parts = Split(value);
    if (parts.Kind == TKind::Zero) {
        out = 0.0;
        return true;
    }
    if (parts.Kind != TKind::Finite)
        return false;
    int biased = parts.Exponent + bias;
    quint64 mantissa = ShiftRoundEven(parts.Significand, 63 - fractionBits);
    if (mantissa >> (fractionBits + 1)) {
        mantissa >>= 1;
        ++biased;
    }
    if (biased > 255)
        return false;
    if (biased < 1) {
        out = 0.0;
        return true;
    }
    const quint64 doubleBits = (parts.Negative ? quint64(1) << 63 : 0)
        | (quint64(biased - bias + DoubleFormat.Bias()) << 52)
        | ((mantissa & AllOnes(fractionBits)) << (52 - fractionBits));
    out = std::bit_cast<double>(doubleBits);
    return true;
}

bool Real48FromDouble(double value, double &out)
{
    return Real48FromExtended(ExtendedFromDouble(value), out);
}
