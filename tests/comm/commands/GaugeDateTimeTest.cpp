#include "comm/commands/GaugeDateTime.h"

#include <gtest/gtest.h>

namespace {
uint32_t Pack(int year, int month, int day, int hour, int minute, int second)
{
    return uint32_t(year - 2000) << 26 | uint32_t(month) << 22 | uint32_t(day) << 17 | uint32_t(hour) << 12
         | uint32_t(minute) << 6 | uint32_t(second);
}
} // namespace

TEST(GaugeDateTime, DecodesEveryField)
{
    EXPECT_EQ(DecodeGaugeDateTime(Pack(2024, 2, 29, 23, 59, 58)),
              QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
    EXPECT_EQ(DecodeGaugeDateTime(Pack(2063, 12, 31, 0, 0, 1)), QDateTime(QDate(2063, 12, 31), QTime(0, 0, 1)));
}

TEST(GaugeDateTime, UnsetWordsGiveTheFixedDate)
{
    const QDateTime unset(QDate(2011, 6, 1), QTime(0, 0, 0));
    EXPECT_EQ(DecodeGaugeDateTime(0), unset);
    EXPECT_EQ(DecodeGaugeDateTime(0xFFFFFFFFu), unset);
}

TEST(GaugeDateTime, InvalidFieldsGiveTheCurrentTime)
{
    for (uint32_t word : {Pack(2013, 2, 30, 0, 0, 0), Pack(2013, 13, 1, 0, 0, 0), Pack(2013, 1, 1, 24, 0, 0),
                          Pack(2013, 1, 1, 0, 60, 0), Pack(2013, 0, 1, 0, 0, 0)}) {
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime decoded = DecodeGaugeDateTime(word);
        EXPECT_GE(decoded, before.addSecs(-1)) << word;
        EXPECT_LE(decoded, QDateTime::currentDateTime()) << word;
    }
}

TEST(GaugeDateTime, TextLeavesOutMidnight)
{
    const QDateTime midnight(QDate(2020, 5, 4), QTime(0, 0));
    const QDateTime afternoon(QDate(2020, 5, 4), QTime(15, 30, 12));
    EXPECT_FALSE(GaugeDateTimeText(midnight).contains(QLatin1Char(':')));
    EXPECT_TRUE(GaugeDateTimeText(afternoon).startsWith(GaugeDateTimeText(midnight) + QLatin1Char(' ')));
    EXPECT_TRUE(GaugeDateTimeText(afternoon).contains(QLatin1String("12")));
}
