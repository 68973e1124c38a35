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

double MedianOf(std::vector<double> values)
{
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + middle);
    return (static_cast<TSum>(lower) + upper) / 2;
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

    std::int32_t position = 0;
    std::int64_t counted = 0;
    TSum blockSum = 0, blockSquares = 0;
    TSum total = 0, totalSquares = 0;

    for (std::size_t i = 0; i < Readings.size(); ++i) {
        const TReadingRecord &reading = Readings[i];
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

        if (counted > 0) {
            const double mean = static_cast<double>(blockSum / counted);
            Blocks.push_back({mean, StdDevOf(blockSum, blockSquares, counted)});
            const bool above = ndftMode ? mean >= NDFT : (hasUpper && mean > UpperLimit);
            if (above)
                ++AboveCount;
            else if (hasLower && mean < LowerLimit)
                ++BelowCount;
            else
                ++WithinCount;
            const auto readingPosition = static_cast<std::int32_t>(i + 1);
            if (mean > Max) {
                Max = mean;
                MaxPos = readingPosition;
            }
            if (mean < Min) {
                Min = mean;
                MinPos = readingPosition;
            }
            ++Count;
            total += mean;
            totalSquares += static_cast<TSum>(mean) * mean;
        }
        // A block without a value still ends here: the next block starts fresh.
        position = 0;
        counted = 0;
        blockSum = blockSquares = 0;
    }

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

    std::vector<double> values;
    values.reserve(Blocks.size());
    for (const TBlockRecord &block : Blocks)
        values.push_back(block.Mean);
    Median = MedianOf(std::move(values));

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
