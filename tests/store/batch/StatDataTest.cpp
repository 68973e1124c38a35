#include "store/batch/StatData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <random>

namespace {

TStatData SeriesOf(std::initializer_list<double> values, int blockSize = 1, std::uint8_t probeClass = pcF)
{
    TStatData series(probeClass);
    series.BlockSize = blockSize;
    for (double value : values)
        series.AddReading(value, true, 1);
    return series;
}

TStatData NdftSeries(std::initializer_list<double> values)
{
    TStatData series = SeriesOf(values);
    series.SetInput(siNDFT, 100);
    series.Calculate();
    return series;
}

} // namespace

TEST(StatData, NewSeriesHasResetResults)
{
    TStatData series(pcF);
    EXPECT_FALSE(series.Modified);
    EXPECT_EQ(series.Count, 0);
    EXPECT_EQ(series.Mean, 0);
    EXPECT_EQ(series.StdDev, 0);
    EXPECT_TRUE(std::isnan(series.Cp));
    EXPECT_TRUE(std::isnan(series.Cpk));
    EXPECT_EQ(series.Min, INFINITY);
    EXPECT_EQ(series.Max, -INFINITY);
    EXPECT_EQ(series.Range, 0);
    EXPECT_EQ(series.Median, 0);
    EXPECT_EQ(series.AbovePercent, 0);
    EXPECT_TRUE(series.AboveText.isEmpty());
    EXPECT_TRUE(series.WithinText.isEmpty());
    EXPECT_TRUE(IsNoValue(series.UpperLimit));
    EXPECT_TRUE(series.Blocks.empty());
}

TEST(StatData, DescriptiveFigures)
{
    struct Case {
        std::initializer_list<double> values;
        double mean, stdDev, cv, median, range;
    };
    const Case cases[] = {
        {{10, 20, 30}, 20, 10, 50, 20, 20},
        {{10, 20}, 15, 0, 0, 15, 10},          // fewer than three values: no spread
        {{40, 10, 30, 20}, 25, 12.909944487358056, 51.63977794943222, 25, 30},
        {{-5, 5, 0}, 0, 5, 0, 0, 10},            // mean 0: no coefficient of variation
    };
    for (const Case &c : cases) {
        TStatData series = SeriesOf(c.values);
        series.Calculate();
        EXPECT_EQ(series.Count, static_cast<int>(c.values.size()));
        EXPECT_DOUBLE_EQ(series.Mean, c.mean);
        EXPECT_DOUBLE_EQ(series.StdDev, c.stdDev);
        EXPECT_DOUBLE_EQ(series.CV, c.cv);
        EXPECT_DOUBLE_EQ(series.Median, c.median);
        EXPECT_DOUBLE_EQ(series.Range, c.range);
        EXPECT_EQ(series.Blocks.size(), c.values.size());
    }
}

TEST(StatData, ExtendedSumsKeepSmallSpreadOnLargeValues)
{
    // In plain double sums the spread of these values vanishes in rounding.
    TStatData series = SeriesOf({1e8 + 1, 1e8 + 2, 1e8 + 3});
    series.Calculate();
    EXPECT_DOUBLE_EQ(series.Mean, 1e8 + 2);
    EXPECT_NEAR(series.StdDev, 1.0, 1e-6);
}

TEST(StatData, BlocksOfThreeIgnoreIncompleteTail)
{
    TStatData series = SeriesOf({10, 20, 30, 40, 50, 60, 70}, 3);
    series.Calculate();
    ASSERT_EQ(series.Count, 2);
    ASSERT_EQ(series.Blocks.size(), 2u);
    EXPECT_DOUBLE_EQ(series.Blocks[0].Mean, 20);
    EXPECT_DOUBLE_EQ(series.Blocks[0].StdDev, 10);
    EXPECT_DOUBLE_EQ(series.Blocks[1].Mean, 50);
    EXPECT_EQ(series.MinPos, 3);
    EXPECT_EQ(series.MaxPos, 6);
    EXPECT_DOUBLE_EQ(series.Mean, 35);
}

TEST(StatData, DeletedReadingsFillPositionsAndCountersRestart)
{
    // Block size 1 with a deleted reading first: the later readings still count.
    TStatData single = SeriesOf({10, 20, 30});
    single.Readings[0].Flags = rfPresent;
    single.Calculate();
    EXPECT_EQ(single.Count, 2);
    EXPECT_DOUBLE_EQ(single.Mean, 25);
    EXPECT_EQ(single.MinPos, 2);

    // Block size 2: the first block is all deleted and gives no value, the
    // second one gives one; the block array holds only that value.
    TStatData blocks = SeriesOf({1, 2, 10, 20}, 2);
    blocks.Readings[0].Flags = rfPresent;
    blocks.Readings[1].Flags = rfPresent;
    blocks.Calculate();
    ASSERT_EQ(blocks.Count, 1);
    ASSERT_EQ(blocks.Blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(blocks.Blocks[0].Mean, 15);
    EXPECT_EQ(blocks.MaxPos, 4);
}

TEST(StatData, ReadingsWithoutValueOccupyPositionsOnlyForUltrasonic)
{
    struct Case {
        std::uint8_t probeClass;
        int count;
        double firstBlockMean;
    };
    // Readings: 10, no value (flags 0), 20, 30 with block size 2.
    const Case cases[] = {
        {pcF, 1, 15},             // 10 and 20 form the block; 30 is left over
        {pcUltrasonic, 2, 10},    // 10 and the gap form a block, then 20 and 30
    };
    for (const Case &c : cases) {
        TStatData series(c.probeClass);
        series.BlockSize = 2;
        series.AddReading(10, true, 1);
        series.AddReading(NoValue, false, 0);
        series.AddReading(20, true, 1);
        series.AddReading(30, true, 1);
        series.Calculate();
        ASSERT_EQ(series.Count, c.count) << int(c.probeClass);
        EXPECT_DOUBLE_EQ(series.Blocks[0].Mean, c.firstBlockMean);
    }
}

TEST(StatData, OnlyFlagsThreeCount)
{
    TStatData series = SeriesOf({10, 20, 30, 40});
    series.Readings[1].Flags = rfActive;          // active but not present: no position
    series.Readings[2].Flags = rfCounted | 4;     // stray bit: present, not counted
    series.Calculate();
    EXPECT_EQ(series.Count, 2);
    EXPECT_DOUBLE_EQ(series.Mean, 25);
}

TEST(StatData, LimitsClassifyAndCapability)
{
    TStatData series = SeriesOf({100, 50, 75, 101, 49});
    series.SetInput(siUpperLimit, 100);
    series.SetInput(siLowerLimit, 50);
    series.Calculate();
    EXPECT_EQ(series.AboveCount, 1);
    EXPECT_EQ(series.WithinCount, 3);
    EXPECT_EQ(series.BelowCount, 1);
    EXPECT_EQ(series.AboveText, "20%");
    EXPECT_EQ(series.WithinText, "60%");
    EXPECT_DOUBLE_EQ(series.LimitRange, 50);
    EXPECT_DOUBLE_EQ(series.Cp, 50 / (6 * series.StdDev));
    EXPECT_DOUBLE_EQ(series.Cpk, (series.Mean - 50) / (3 * series.StdDev));

    TStatData upperOnly = SeriesOf({10, 20, 30});
    upperOnly.SetInput(siUpperLimit, 25);
    upperOnly.Calculate();
    EXPECT_EQ(upperOnly.AboveText, "33%");
    EXPECT_EQ(upperOnly.BelowText, "---");
    EXPECT_TRUE(std::isnan(upperOnly.Cp));
    EXPECT_TRUE(std::isnan(upperOnly.LimitRange));
}

TEST(StatData, NdftModeAndNinetyTenRule)
{
    TStatData boundaries = NdftSeries({100, 90});
    EXPECT_DOUBLE_EQ(boundaries.UpperLimit, 100);
    EXPECT_DOUBLE_EQ(boundaries.LowerLimit, 90);
    EXPECT_EQ(boundaries.AboveCount, 1);     // exactly NDFT is above
    EXPECT_EQ(boundaries.WithinCount, 1);    // exactly 90 % of NDFT is within

    TStatData passed = NdftSeries({95, 101, 120, 130, 140, 150, 160, 170, 180, 190});
    EXPECT_EQ(passed.BelowCount, 0);
    EXPECT_DOUBLE_EQ(passed.AbovePercent, 90);
    EXPECT_TRUE(passed.Rule9010);
    EXPECT_EQ(passed.NDFTAboveText, "90%");
    EXPECT_EQ(passed.NDFTBelowText, "0%");

    TStatData failed = NdftSeries({95, 101, 120, 130, 140, 150, 160, 170, 180, 190, 89});
    EXPECT_EQ(failed.BelowCount, 1);
    EXPECT_FALSE(failed.Rule9010);
}

TEST(StatData, PlainLimitsAreInclusive)
{
    TStatData series = SeriesOf({100, 50});
    series.SetInput(siUpperLimit, 100);
    series.SetInput(siLowerLimit, 50);
    series.Calculate();
    EXPECT_EQ(series.WithinCount, 2);
}

TEST(StatData, ExtremesKeepFirstBlockOnTies)
{
    TStatData series = SeriesOf({5, 9, 1, 9, 1});
    series.Calculate();
    EXPECT_EQ(series.MaxPos, 2);
    EXPECT_EQ(series.MinPos, 3);
}

TEST(StatData, PercentTextsRoundHalfToEven)
{
    const std::pair<double, const char *> cases[] = {
        {12.5, "12%"}, {13.5, "14%"}, {0.5, "0%"}, {33.333, "33%"}, {66.67, "67%"}, {100, "100%"}};
    for (const auto &[percent, text] : cases)
        EXPECT_EQ(PercentText(percent), QString::fromLatin1(text)) << percent;

    // 1 of 8 values above: 12.5 % shown as 12 %.
    TStatData series = SeriesOf({1, 1, 1, 1, 1, 1, 1, 9});
    series.SetInput(siUpperLimit, 5);
    series.Calculate();
    EXPECT_EQ(series.AboveText, "12%");
}

TEST(StatData, SetInputModifiedRules)
{
    struct Case {
        double before, after;
        bool modified;
    };
    const Case cases[] = {
        {NoValue, NoValue, false}, {NoValue, NAN, false}, {NoValue, 10, true},
        {10, NoValue, true}, {10, 10, false}, {10, 11, true}};
    for (const Case &c : cases) {
        TStatData series(pcF);
        series.UpperLimit = c.before;
        series.SetInput(siUpperLimit, c.after);
        EXPECT_EQ(series.Modified, c.modified) << c.before << " -> " << c.after;
    }
}

TEST(StatData, BlockSizeZeroIsTreatedAsOne)
{
    TStatData series = SeriesOf({1, 2, 3}, 0);
    series.Calculate();
    EXPECT_EQ(series.BlockSize, 1);
    EXPECT_EQ(series.Count, 3);
}

TEST(StatData, MedianOfLargeSeriesMatchesFullSort)
{
    // Large series find the median from a sample's bounds; the patterns below
    // include those that defeat the sample and must fall back to a full order.
    constexpr int Stride = 20;
    constexpr int StrideCount = 8192 * Stride;   // every sampled value sits at a multiple of the stride
    struct TCase
    {
        const char *name;
        int count;
        std::function<double(int, std::mt19937 &)> value;
    };
    std::normal_distribution<double> thickness(100, 15);
    const TCase cases[] = {
        {"random with outliers, even", 300000,
         [&](int i, std::mt19937 &r) { return i % 1000 == 0 ? 1e6 : std::round(thickness(r) * 10) / 10; }},
        {"random with outliers, odd", 300001,
         [&](int i, std::mt19937 &r) { return i % 1000 == 0 ? 1e6 : std::round(thickness(r) * 10) / 10; }},
        {"ascending", 200001, [](int i, std::mt19937 &) { return 0.5 * i; }},
        {"descending", 200000, [](int i, std::mt19937 &) { return -0.25 * i; }},
        {"all equal", 200000, [](int, std::mt19937 &) { return 42.0; }},
        {"sample sees only outliers", StrideCount,
         [](int i, std::mt19937 &) { return i % Stride == 0 ? 0.0 : 1000.0 + i % 7; }},
        {"every tenth value NaN", 200000, [&](int i, std::mt19937 &r) { return i % 10 == 0 ? NAN : thickness(r); }},
    };
    const auto nanLast = [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; };
    for (const TCase &c : cases) {
        TStatData series(pcF);
        std::mt19937 random(static_cast<unsigned>(c.count));
        std::vector<double> values;
        for (int i = 0; i < c.count; ++i) {
            values.push_back(c.value(i, random));
            series.AddReading(values.back(), true, 1);
        }
        series.Calculate();
        std::sort(values.begin(), values.end(), nanLast);
        const std::size_t middle = values.size() / 2;
        const double expected = c.count % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
        EXPECT_EQ(series.Median, expected) << c.name;
    }
}

TEST(StatData, NonFiniteCountedValuesDoNotBreakTheMedian)
{
    TStatData series = SeriesOf({10, NAN, 30, INFINITY, 20});
    series.Calculate();
    EXPECT_EQ(series.Count, 5);
    EXPECT_EQ(series.Median, 30);       // NaN orders last
    EXPECT_EQ(series.Max, INFINITY);
}
