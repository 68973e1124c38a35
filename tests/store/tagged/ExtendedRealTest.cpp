#include "store/tagged/ExtendedReal.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

QByteArray Bytes(const TExtended80 &value)
{
    uchar b[10];
    value.ToBytes(b);
    return QByteArray(reinterpret_cast<const char *>(b), 10);
}

TExtended80 FromHex(const char *hex)
{
    const QByteArray b = QByteArray::fromHex(hex);
    return TExtended80::FromBytes(reinterpret_cast<const uchar *>(b.constData()));
}

quint64 Bits(double v)
{
    return std::bit_cast<quint64>(v);
}

// On x86-64 the compiler's long double is the same 80-bit format; the tests
// use the hardware conversions as the reference for the bit-level ones.
constexpr bool HardwareExtended = std::numeric_limits<long double>::digits == 64;

long double HardwareLoad(const TExtended80 &value)
{
    long double result = 0;
    uchar b[10];
    value.ToBytes(b);
    std::memcpy(&result, b, 10);
    return result;
}

TExtended80 HardwareStore(long double value)
{
    uchar b[16] = {};
    std::memcpy(b, &value, 10);
    return TExtended80::FromBytes(b);
}

} // namespace

TEST(ExtendedReal, KnownEncodings)
{
    struct TCase
    {
        double value;
        const char *hex;
    };
    const TCase cases[] = {
        {0.0, "00000000000000000000"},
        {-0.0, "00000000000000000080"},
        {1.0, "0000000000000080ff3f"},
        {-2.0, "000000000000008000c0"},
        {0.1, "00d0cccccccccccc fb3f"},
        {100.0, "00000000000000c80540"},
        {std::numeric_limits<double>::infinity(), "0000000000000080ff7f"},
        {-std::numeric_limits<double>::infinity(), "0000000000000080ffff"},
        {std::numeric_limits<double>::denorm_min(), "0000000000000080cd3b"},
        {std::numeric_limits<double>::max(), "00f8ffffffffffff fe43"},
    };
    for (const TCase &c : cases) {
        const QByteArray expected = QByteArray::fromHex(QByteArray(c.hex).replace(' ', ""));
        EXPECT_EQ(Bytes(ExtendedFromDouble(c.value)).toHex(), expected.toHex()) << c.value;
        EXPECT_EQ(Bits(DoubleFromExtended(FromHex(QByteArray(c.hex).replace(' ', "")))), Bits(c.value)) << c.value;
    }
}

TEST(ExtendedReal, NoValueMarkerIsTenFFBytesInEveryWidth)
{
    const QByteArray tenFF(10, char(0xFF));
    EXPECT_EQ(Bytes(ExtendedFromDouble(std::bit_cast<double>(~quint64(0)))), tenFF);
    EXPECT_EQ(Bytes(ExtendedFromSingle(std::bit_cast<float>(~quint32(0)))), tenFF);

    const TExtended80 marker = FromHex("ffffffffffffffffffff");
    EXPECT_EQ(Bits(DoubleFromExtended(marker)), ~quint64(0));
    EXPECT_EQ(std::bit_cast<quint32>(SingleFromExtended(marker)), ~quint32(0));

    // Other NaNs are widened plainly: payload shifted up, quiet bit set.
    EXPECT_EQ(Bytes(ExtendedFromDouble(std::bit_cast<double>(0x7FF8000000000001ull))).toHex(),
        QByteArray("000800000000 00c0ff7f").replace(' ', ""));
    EXPECT_EQ(Bits(DoubleFromExtended(ExtendedFromDouble(std::bit_cast<double>(0xFFF0000000000001ull)))),
        0xFFF8000000000001ull); // a signalling NaN comes back quiet
}

TEST(ExtendedReal, SingleValues)
{
    EXPECT_EQ(Bytes(ExtendedFromSingle(0.1f)).toHex(), QByteArray("0000000000cdcccc fb3f").replace(' ', ""));
    EXPECT_EQ(SingleFromExtended(ExtendedFromSingle(0.1f)), 0.1f);
    // Narrowing rounds once, to nearest with ties to even, also into denormals.
    EXPECT_EQ(SingleFromExtended(ExtendedFromDouble(0.1)), 0.1f);
    EXPECT_EQ(SingleFromExtended(ExtendedFromDouble(1e-45)), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(SingleFromExtended(ExtendedFromDouble(1e39)), std::numeric_limits<float>::infinity());
    EXPECT_EQ(std::bit_cast<quint32>(SingleFromExtended(ExtendedFromDouble(-1e-50))), 0x80000000u);
}

TEST(ExtendedReal, EveryDoubleSurvivesTheRoundTrip)
{
    std::mt19937_64 random(7);
    auto check = [](quint64 bits) {
        const double value = std::bit_cast<double>(bits);
        const TExtended80 wide = ExtendedFromDouble(value);
        const quint64 expected = std::isnan(value) ? bits | 0x0008000000000000ull : bits;
        ASSERT_EQ(Bits(DoubleFromExtended(wide)), expected) << std::hex << bits;
        if (HardwareExtended && !std::isnan(value)) {
            ASSERT_EQ(Bytes(wide), Bytes(HardwareStore(static_cast<long double>(value)))) << std::hex << bits;
        }
    };
    for (int i = 0; i < 300000; ++i)
        check(random());
    for (quint64 bits = 0; bits < 3000; ++bits) { // denormals, the smallest normals, edges of the exponent
        check(bits);
        check(0x0010000000000000ull - bits);
        check(0x7FF0000000000000ull - bits);
        check(0x8000000000000000ull | bits);
    }
}

TEST(ExtendedReal, NarrowingMatchesTheHardware)
{
    if (!HardwareExtended)
        GTEST_SKIP() << "no 80-bit long double on this machine";
    std::mt19937_64 random(11);
    std::uniform_int_distribution<int> exponents(16383 - 1100, 16383 + 1100);
    for (int i = 0; i < 300000; ++i) {
        // Normal extended values around the double and single ranges, with
        // a random low part so that ties and near-ties come up.
        quint64 significand = random() | (quint64(1) << 63);
        if (i % 4 == 0)
            significand &= ~quint64(0) << (i % 64);
        const quint16 signExponent = quint16(exponents(random) | (i % 2 ? 0x8000 : 0));
        const TExtended80 value{significand, signExponent};
        const long double hardware = HardwareLoad(value);
        ASSERT_EQ(Bits(DoubleFromExtended(value)), Bits(static_cast<double>(hardware))) << Bytes(value).toHex().data();
        ASSERT_EQ(std::bit_cast<quint32>(SingleFromExtended(value)), std::bit_cast<quint32>(static_cast<float>(hardware)))
            << Bytes(value).toHex().data();
        if (std::fabs(hardware) < 9.2e18L) {
            ASSERT_EQ(CompFromExtended(value), std::llrint(hardware)) << Bytes(value).toHex().data();
        }
    }
}

TEST(ExtendedReal, CompRoundsTiesToEven)
{
    struct TCase
    {
        double value;
        qint64 expected;
    };
    const TCase cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {2.4999999, 2}, {1e18, 1000000000000000000},
        {9.3e18, std::numeric_limits<qint64>::min()}, // out of range: integer indefinite
        {-9223372036854775808.0, std::numeric_limits<qint64>::min()},
        {std::nan(""), std::numeric_limits<qint64>::min()},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(CompFromExtended(ExtendedFromDouble(c.value)), c.expected) << c.value;
    for (const qint64 v : {qint64(0), qint64(-1), qint64(123456789012345678), std::numeric_limits<qint64>::max(),
             std::numeric_limits<qint64>::min() + 1})
        EXPECT_EQ(CompFromExtended(ExtendedFromInt64(v)), v);
}

TEST(ExtendedReal, InvalidEncodingsAndReal48)
{
    // Unnormal and pseudo-NaN read as the default NaN; a pseudo-denormal keeps its value.
    EXPECT_EQ(Bits(DoubleFromExtended(FromHex("00000000000000400040"))), 0xFFF8000000000000ull);
    EXPECT_EQ(Bits(DoubleFromExtended(FromHex("0000000000000000ff7f"))), 0xFFF8000000000000ull);
    EXPECT_EQ(DoubleFromExtended(FromHex("00000000000000800000")), 0.0); // far below the double range

    double out = 7;
    ASSERT_TRUE(Real48FromDouble(0.1, out));
    EXPECT_EQ(out, std::ldexp(std::nearbyint(std::ldexp(0.1, 43)), -43)); // 40 significant bits
    ASSERT_TRUE(Real48FromDouble(1e-40, out));
    EXPECT_EQ(out, 0.0); // no denormals
    out = 7;
    EXPECT_FALSE(Real48FromDouble(1e39, out));
    EXPECT_FALSE(Real48FromDouble(std::numeric_limits<double>::infinity(), out));
    EXPECT_EQ(out, 7);
}
