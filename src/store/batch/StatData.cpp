#include "StatData.h"

#include <algorithm>

namespace {

bool SameInput(double a, double b)
{
    if (IsNoValue(a) || IsNoValue(b))
        return IsNoValue(a) && IsNoValue(b);
    return a == b;
}

// Sums are kept in extended precision and stored as doubles.
using TSum = long double;

double StdDevOf(TSum sum, TSum sumOfSquares, std::int64_t n)
{
    if (n < 3)
        return 0;
    TSum spread = sumOfSquares - sum * sum / n;
    return static_cast<double>(std::sqrt(std::fabs(spread) / (n - 1)));
}

// Orders NaN after every number, so a corrupt series cannot break the sort.
bool NumberLess(double a, double b)
{
    if (std::isnan(b))
        return !std::isnan(a);
    return a < b;
}

double MedianBySort(const std::vector<TBlockRecord> &blocks)
{
    std::vector<double> values;
    values.reserve(blocks.size());
    for (const TBlockRecord &block : blocks)
        values.push_back(block.Mean);
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end(), NumberLess);
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + middle, NumberLess);
    return static_cast<double>((static_cast<TSum>(lower) + upper) / 2);
}

// The median of finite values between min and max without sorting them all:
// a histogram over the range finds the buckets holding the middle ranks, and
// only the values of those buckets are ordered.
double MedianOf(const std::vector<TBlockRecord> &blocks, double min, double max, bool allFinite)
{
    constexpr std::size_t BucketCount = 1 << 16;
    const std::size_t n = blocks.size();
    const double scale = BucketCount / (max - min);
    if (n < 4 * BucketCount || !allFinite || !std::isfinite(scale) || scale <= 0)
        return MedianBySort(blocks);

    // value >= min, so the scaled offset is never negative.
    const auto bucketOf = [&](double value) {
        return std::min<std::size_t>(BucketCount - 1,
                                     static_cast<std::size_t>(static_cast<std::int64_t>((value - min) * scale)));
    };
    std::vector<std::uint32_t> counts(BucketCount, 0);
    for (const TBlockRecord &block : blocks)
        ++counts[bucketOf(block.Mean)];

    const std::size_t upperRank = n / 2;
    const std::size_t lowerRank = n % 2 == 1 ? upperRank : upperRank - 1;
    std::size_t below = 0, first = 0, last = 0, seen = 0;
    for (std::size_t b = 0; b < BucketCount; ++b) {
        if (seen + counts[b] > lowerRank && seen <= lowerRank) {
            first = b;
            below = seen;
        }
        if (seen + counts[b] > upperRank) {
            last = b;
            break;
        }
        seen += counts[b];
    }

    std::size_t candidateCount = 0;
    for (std::size_t b = first; b <= last; ++b)
        candidateCount += counts[b];
    std::vector<double> candidates(candidateCount);
    double *next = candidates.data();
    double *const end = next + candidateCount;
    for (const TBlockRecord &block : blocks) {
        const std::size_t b = bucketOf(block.Mean);
        if (b >= first && b <= last && next != end)
            *next++ = block.Mean;
    }
    if (next != end || candidateCount == 0)   // never expected: the passes disagree
        return MedianBySort(blocks);
    std::sort(candidates.begin(), candidates.end());
    const double upper = candidates[upperRank - below];
    if (n % 2 == 1)
        return upper;
    return static_cast<double>((static_cast<TSum>(candidates[lowerRank - below]) + upper) / 2);
}

} // namespace

QString PercentText(double percent)
{
    // nearbyint rounds to nearest with halves to even in the default mode.
    return QString::number(static_cast<long long>(std::nearbyint(percent))) + QLatin1Char('%');
}

TStatData::TStatData(std::uint8_t probeClass)
    : ProbeClass(probeClass)
{
    Calculate();
    Modified = false;
}

void TStatData::SetInput(TStatInput which, double value)
{
    double *target = nullptr;
    switch (which) {
    case siUpperLimit: target = &UpperLimit; break;
    case siLowerLimit: target = &LowerLimit; break;
    case siOffset: target = &Offset; break;
    case siRough: target = &Rough; break;
    case siNDFT: target = &NDFT; break;
    }
    if (!target)
        return;
    if (!SameInput(*target, value))
        Modified = true;
    *target = value;
}

double TStatData::Input(TStatInput which) const
{
    switch (which) {
    case siUpperLimit: return UpperLimit;
    case siLowerLimit: return LowerLimit;
    case siOffset: return Offset;
    case siRough: return Rough;
    case siNDFT: return NDFT;
    }
    return NoValue;
}

void TStatData::AddReading(double value, bool valid, std::uint8_t calNumber)
{
    TReadingRecord record;
    record.Value = value;
    record.Flags = valid ? rfCounted : 0;
    record.CalNumber = calNumber;
    Readings.push_back(record);
    Modified = true;
}

bool TStatData::OccupiesPosition(const TReadingRecord &reading) const
{
    return (reading.Flags & rfPresent) != 0 || (ProbeClass == pcUltrasonic && IsNoValue(reading.Value));
}

void TStatData::ResetResults()
{
    Count = AboveCount = WithinCount = BelowCount = 0;
    Mean = StdDev = CV = Range = Median = 0;
    Cp = Cpk = LimitRange = NAN;
    Min = INFINITY;
    Max = -INFINITY;
    MinPos = MaxPos = 0;
    AbovePercent = WithinPercent = BelowPercent = 0;
    NDFTAbovePercent = NDFTBelowPercent = 0;
    AboveText.clear();
    WithinText.clear();
    BelowText.clear();
    NDFTAboveText.clear();
    NDFTBelowText.clear();
    Rule9010 = false;
}

void TStatData::Calculate()
{
    ResetResults();
    if (BlockSize <= 0)
        BlockSize = 1;
    Blocks.clear();
    Blocks.reserve(Readings.size() / static_cast<std::size_t>(BlockSize));

    const bool ndftMode = !IsNoValue(NDFT);
    if (ndftMode) {
        UpperLimit = NDFT;
        LowerLimit = 0.9 * NDFT;
    }
    const bool hasUpper = !IsNoValue(UpperLimit);
    const bool hasLower = !IsNoValue(LowerLimit);

    // The running figures live in locals so the loop keeps them in registers.
    TSum total = 0, totalSquares = 0;
    bool allFinite = true;
    std::int32_t count = 0, above = 0, below = 0, within = 0;
    double min = INFINITY, max = -INFINITY;
    std::int32_t minPos = 0, maxPos = 0;
    const double upper = UpperLimit, lower = LowerLimit, ndft = NDFT;
    std::vector<TBlockRecord> &blocks = Blocks;
    const auto addValue = [&](double mean, double stdDev, std::size_t lastReading) {
        blocks.push_back({mean, stdDev});
        if (ndftMode ? mean >= ndft : (hasUpper && mean > upper))
            ++above;
        else if (hasLower && mean < lower)
            ++below;
        else
            ++within;
        if (mean > max) {
            max = mean;
            maxPos = static_cast<std::int32_t>(lastReading + 1);
        }
        if (mean < min) {
            min = mean;
            minPos = static_cast<std::int32_t>(lastReading + 1);
        }
        allFinite = allFinite && std::isfinite(mean);
        ++count;
        total += mean;
        totalSquares += static_cast<TSum>(mean) * mean;
    };

    const TReadingRecord *readings = Readings.data();
    const std::size_t readingCount = Readings.size();
    if (BlockSize == 1) {
        // Every counted reading is present, so it fills its one-reading block.
        for (std::size_t i = 0; i < readingCount; ++i) {
            if (readings[i].Flags == rfCounted)
                addValue(readings[i].Value, 0, i);
        }
    } else {
        std::int32_t position = 0;
        std::int64_t counted = 0;
        TSum blockSum = 0, blockSquares = 0;
        for (std::size_t i = 0; i < readingCount; ++i) {
            const TReadingRecord &reading = readings[i];
            if (OccupiesPosition(reading))
                ++position;
            if (reading.Flags == rfCounted) {
                const TSum value = reading.Value;
                blockSum += value;
                blockSquares += value * value;
                ++counted;
            }
            if (position != BlockSize)
                continue;
            if (counted > 0)
                addValue(static_cast<double>(blockSum / counted), StdDevOf(blockSum, blockSquares, counted), i);
            // A block without a value still ends here: the next block starts fresh.
            position = 0;
            counted = 0;
            blockSum = blockSquares = 0;
        }
    }
    Count = count;
    AboveCount = above;
    BelowCount = below;
    WithinCount = within;
    Min = min;
    MinPos = minPos;
    Max = max;
    MaxPos = maxPos;

    if (Count == 0)
        return;

    Mean = static_cast<double>(total / Count);
    StdDev = StdDevOf(total, totalSquares, Count);
    if (Mean != 0)
        CV = StdDev * 100 / Mean;
    Range = Max - Min;
    if (hasUpper && hasLower) {
        LimitRange = UpperLimit - LowerLimit;
        if (StdDev != 0) {
            Cp = LimitRange / (6 * StdDev);
            Cpk = std::min((UpperLimit - Mean) / (3 * StdDev), (Mean - LowerLimit) / (3 * StdDev));
        }
    }

    Median = MedianOf(Blocks, Min, Max, allFinite);

    AbovePercent = AboveCount * 100.0 / Count;
    WithinPercent = WithinCount * 100.0 / Count;
    BelowPercent = BelowCount * 100.0 / Count;
    AboveText = hasUpper ? PercentText(AbovePercent) : QStringLiteral("---");
    WithinText = PercentText(WithinPercent);
    BelowText = hasLower ? PercentText(BelowPercent) : QStringLiteral("---");

    NDFTAbovePercent = AbovePercent;
    NDFTAboveText = AboveText;
    NDFTBelowPercent = BelowPercent;
    NDFTBelowText = BelowText;
    Rule9010 = BelowCount == 0 && AbovePercent >= 90;
}
