#include "store/batch/GaugeReading.h"

#include <gtest/gtest.h>

TEST(GaugeReading, UnpacksPackedBytes)
{
    struct Case {
        TPackedReading bytes;
        bool seriesZeroOfMany;
        double value;
        std::uint8_t flags, calNumber;
    };
    const Case cases[] = {
        {{0x00, 0x90, 0x4E}, false, 100, rfCounted, 1},
        {{0x66, 0x96, 0x4C}, false, 25.39990234375, rfCounted, 1},
        {{0x01, 0x90, 0x4E}, false, 100, rfCounted, 2},      // bit 0: second calibration
        {{0x01, 0x90, 0x4E}, true, 100, rfCounted, 0},       // total series of a layered batch
        {{0x00, 0x90, 0x0E}, false, 100, 0, 1},              // not valid
        {{0x00, 0x90, 0xCE}, false, -100, rfCounted, 1},     // sign bit
    };
    for (const Case &c : cases) {
        const TReadingRecord record = UnpackGaugeReading(c.bytes, c.seriesZeroOfMany);
        EXPECT_EQ(record.Value, c.value);
        EXPECT_EQ(record.Flags, c.flags);
        EXPECT_EQ(record.CalNumber, c.calNumber);
    }
    const TReadingRecord none = UnpackGaugeReading(NoValuePackedReading);
    EXPECT_TRUE(IsNoValue(none.Value));
    EXPECT_EQ(none.Flags, 0);
    EXPECT_EQ(none.CalNumber, 0);
}

TEST(GaugeReading, PacksForTheGauge)
{
    struct Case {
        double value;
        std::uint8_t flags, calNumber;
        TPackedReading bytes;
    };
    const Case cases[] = {
        {100, rfCounted, 1, {0x00, 0x90, 0x4E}},
        {25.4, rfCounted, 1, {0x66, 0x96, 0x4C}},
        {100, rfCounted, 2, {0x01, 0x90, 0x4E}},
        {100, rfPresent, 1, {0x00, 0x90, 0x0E}},             // deleted reading: not valid
        {-100, rfCounted, 1, {0x00, 0x90, 0xCE}},
        {1e30, rfCounted, 1, {0xFE, 0xFF, 0x7F}},            // clamped to the largest packable value
        {0, rfCounted, 1, {0x00, 0x00, 0x41}},               // clamped to the smallest
    };
    for (const Case &c : cases) {
        const TPackedReading bytes = PackGaugeReading(c.value, c.flags, c.calNumber);
        EXPECT_EQ(bytes, c.bytes) << c.value;
    }
    // Packing rounds to the 16 fraction bits the gauge keeps.
    const TPackedReading packed = PackGaugeReading(25.4, rfCounted, 1);
    EXPECT_EQ(UnpackGaugeReading(packed).Value, 25.39990234375);
}

TEST(GaugeReading, DecodesTimeStampWords)
{
    const QDateTime now(QDate(2030, 1, 2), QTime(3, 4, 5));
    const auto word = [](int year, int month, int day, int hour, int minute, int second) {
        return static_cast<std::uint32_t>(second | minute << 6 | hour << 12 | day << 17 | month << 22
                                          | (year - 2000) << 26);
    };
    const QDateTime june2011(QDate(2011, 6, 1), QTime(0, 0, 0));
    const std::pair<std::uint32_t, QDateTime> cases[] = {
        {0, june2011},
        {0xFFFFFFFFu, june2011},
        {word(2024, 2, 29, 23, 59, 58), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58))},
        {word(2024, 13, 1, 0, 0, 0), now},
        {word(2023, 2, 29, 0, 0, 0), now},
        {word(2024, 1, 1, 24, 0, 0), now},
        {word(2024, 1, 1, 0, 60, 0), now},
    };
    for (const auto &[w, expected] : cases)
        EXPECT_EQ(DecodeGaugeTimeStamp(w, now), expected) << std::hex << w;
}

TEST(GaugeReading, ProbeClassFromProbeType)
{
    const std::pair<const char *, std::uint8_t> cases[] = {
        {"F", pcF}, {"n 1.5", pcN}, {"FN1.5", pcFN}, {" f.n 5 ", pcFN}, {"FH10", pcFH},
        {"ZQ5", pcUltrasonic}, {"zq 2", pcUltrasonic}, {"FX", pcUnknown}, {"", pcUnknown}, {"FNF", pcUnknown}};
    for (const auto &[type, probeClass] : cases)
        EXPECT_EQ(ProbeClassOf(QString::fromLatin1(type)), probeClass) << type;
}
