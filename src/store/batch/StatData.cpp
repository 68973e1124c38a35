#include "StatData.h"

#include <algorithm>
#include <memory>
#include <optional>

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

constexpr std::size_t MedianSampleSize = 8192;

// The median of many values without ordering them all. Bounds taken from an
// evenly spread sample hold the middle ranks with near certainty; one pass
// counts the values below the bounds and keeps those between, and only the
// kept ones are ordered. Gives nullopt when the bounds miss the middle (values
// that follow the sample's stride) or would keep too many; the caller then
// orders all values. NaN is neither below nor between: it orders last.
std::optional<double> MedianBySample(const std::vector<TBlockRecord> &blocks)
{
    const std::size_t n = blocks.size();
    std::vector<double> sample(MedianSampleSize);
    for (std::size_t i = 0; i < sample.size(); ++i)
        sample[i] = blocks[i * n / sample.size()].Mean;
    // The sample's middle strays about sqrt(size) / 2 ranks from the middle of
    // all values; the bounds lie six of those away on either side.
    const auto margin = static_cast<std::ptrdiff_t>(3 * std::sqrt(static_cast<double>(sample.size())));
    const auto middle = sample.begin() + static_cast<std::ptrdiff_t>(sample.size() / 2);
    std::nth_element(sample.begin(), middle - margin, sample.end(), NumberLess);
    std::nth_element(middle - margin + 1, middle + margin, sample.end(), NumberLess);
    const double low = *(middle - margin);
    const double high = *(middle + margin);
    if (std::isnan(low) || std::isnan(high))
        return std::nullopt;

    const std::size_t capacity = n / 8;
    const auto kept = std::make_unique_for_overwrite<double[]>(capacity);
    std::size_t keptCount = 0, belowCount = 0;
    for (const TBlockRecord &block : blocks) {
        // Without branches: which side of the bounds a value falls on is as
        // good as random, so a branch would be mispredicted half the time.
        const double value = block.Mean;
        belowCount += static_cast<std::size_t>(value < low);
        kept[keptCount] = value;   // overwritten unless the count moves on
        keptCount += static_cast<std::size_t>(value >= low) & static_cast<std::size_t>(value <= high);
        if (keptCount == capacity)
            return std::nullopt;
    }

    const std::size_t upperRank = n / 2;
    const std::size_t lowerRank = n % 2 == 1 ? upperRank : upperRank - 1;
    if (lowerRank < belowCount || upperRank >= belowCount + keptCount)
        return std::nullopt;
    double *const first = kept.get();
    double *const upperAt = first + (upperRank - belowCount);
    std::nth_element(first, upperAt, first + keptCount);
    if (n % 2 == 1)
        return *upperAt;
    const double lower = *std::max_element(first, upperAt);
    return static_cast<double>((static_cast<TSum>(lower) + *upperAt) / 2);
}

double MedianOf(const std::vector<TBlockRecord> &blocks)
{
    if (blocks.size() >= 16 * MedianSampleSize) {
        if (const std::optional<double> median = MedianBySample(blocks))
            return *median;
    }
    return MedianBySort(blocks);
}

struct TSumLane
{
    TSum Total = 0;
    TSum Squares = 0;

    void Add(double value)
    {
        Total += value;
        Squares += static_cast<TSum>(value) * value;
    }
};

// How values are classified. A missing limit is NaN, which no comparison
// passes. In NDFT mode a value at the upper limit is above.
struct TClassLimits
{
    double Upper = NAN;
    double Lower = NAN;
    bool AboveAtUpper = false;
};

template <bool AboveAtUpper>
void Classify(double value, double upper, double lower, std::int32_t &above, std::int32_t &below)
{
    const bool isAbove = AboveAtUpper ? value >= upper : value > upper;
    above += isAbove;
    below += !isAbove && value < lower;
}

// The smallest and largest value and the position of the last reading of
// their blocks; on ties the first value keeps its place.
struct TExtremes
{
    double Min = INFINITY;
    double Max = -INFINITY;
    std::int32_t MinPos = 0;
    std::int32_t MaxPos = 0;

    void Take(double value, std::size_t lastReading)
    {
        if (value > Max) {
            Max = value;
            MaxPos = static_cast<std::int32_t>(lastReading + 1);
        }
        if (value < Min) {
            Min = value;
            MinPos = static_cast<std::int32_t>(lastReading + 1);
        }
    }
};

// Figures of one series' values.
struct TValueFigures
{
    TSumLane Sums;
    std::int32_t Count = 0;
    std::int32_t Above = 0;
    std::int32_t Below = 0;
    TExtremes Extremes;
};

// With block size 1 every counted reading is a value of its own. A large
// series spends its time in the loops below, so each does one thing with few
// enough figures that they all stay in registers. They are kept out of line:
// inlined into Calculate, the compiler kept their figures in memory.

// The extended sums, in two lanes so that one addition need not wait for the
// one before.
[[gnu::noinline]] TSumLane SumCountedReadings(const TReadingList &readingList)
{
    const TReadingRecord *readings = readingList.data();
    const std::size_t readingCount = readingList.size();
    TSum total0 = 0, squares0 = 0, total1 = 0, squares1 = 0;
    std::size_t i = 0;
    for (; i + 1 < readingCount; i += 2) {
        if (readings[i].Flags == rfCounted) {
            const TSum value = readings[i].Value;
            total0 += value;
            squares0 += value * value;
        }
        if (readings[i + 1].Flags == rfCounted) {
            const TSum value = readings[i + 1].Value;
            total1 += value;
            squares1 += value * value;
        }
    }
    TSumLane sums{total0 + total1, squares0 + squares1};
    if (i < readingCount && readings[i].Flags == rfCounted)
        sums.Add(readings[i].Value);
    return sums;
}

template <bool AboveAtUpper>
[[gnu::noinline]] TValueFigures ClassifyCountedReadings(const TReadingList &readingList, const TClassLimits &limits)
{
    const TReadingRecord *readings = readingList.data();
    const std::size_t readingCount = readingList.size();
    const double upper = limits.Upper, lower = limits.Lower;
    std::int32_t count = 0, above = 0, below = 0;
    TExtremes extremes;
    for (std::size_t i = 0; i < readingCount; ++i) {
        if (readings[i].Flags != rfCounted)
            continue;
        const double value = readings[i].Value;
        ++count;
        Classify<AboveAtUpper>(value, upper, lower, above, below);
        extremes.Take(value, i);
    }
    return {{}, count, above, below, extremes};
}

// Fills the block records and gives their number.
[[gnu::noinline]] std::size_t CopyCountedReadings(const TReadingList &readingList, TBlockRecord *blocks)
{
    const TReadingRecord *readings = readingList.data();
    const std::size_t readingCount = readingList.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < readingCount; ++i) {
        if (readings[i].Flags == rfCounted)
            blocks[count++] = {readings[i].Value, 0};
    }
    return count;
}

// Larger blocks: positions count the readings that are present (and, for an
// ultrasonic probe, those without a value); a full block gives the mean of its
// counted readings.
TValueFigures AddBlockMeans(const TReadingList &readings, std::int32_t blockSize, bool ultrasonic,
                            const TClassLimits &limits, std::vector<TBlockRecord> &blocks)
{
    TValueFigures figures;
    std::int32_t position = 0;
    std::int64_t counted = 0;
    TSumLane block;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const TReadingRecord &reading = readings[i];
        if ((reading.Flags & rfPresent) != 0 || (ultrasonic && IsNoValue(reading.Value)))
            ++position;
        if (reading.Flags == rfCounted) {
            block.Add(reading.Value);
            ++counted;
        }
        if (position != blockSize)
            continue;
        if (counted > 0) {
            const double mean = static_cast<double>(block.Total / counted);
            blocks.push_back({mean, StdDevOf(block.Total, block.Squares, counted)});
            if (limits.AboveAtUpper)
                Classify<true>(mean, limits.Upper, limits.Lower, figures.Above, figures.Below);
            else
                Classify<false>(mean, limits.Upper, limits.Lower, figures.Above, figures.Below);
            figures.Extremes.Take(mean, i);
            figures.Sums.Add(mean);
            ++figures.Count;
        }
        // A block without a value still ends here: the next block starts fresh.
        position = 0;
        counted = 0;
        block = {};
    }
    return figures;
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

    const bool ndftMode = !IsNoValue(NDFT);
    if (ndftMode) {
        UpperLimit = NDFT;
        LowerLimit = 0.9 * NDFT;
    }
    const TClassLimits limits{UpperLimit, LowerLimit, ndftMode};
    const TReadingList &readings = Readings;
    TValueFigures figures;
    if (BlockSize == 1) {
        figures = ndftMode ? ClassifyCountedReadings<true>(readings, limits)
                           : ClassifyCountedReadings<false>(readings, limits);
        figures.Sums = SumCountedReadings(readings);
        Blocks.resize(readings.size());
        Blocks.resize(CopyCountedReadings(readings, Blocks.data()));
    } else {
        Blocks.clear();
        Blocks.reserve(readings.size() / static_cast<std::size_t>(BlockSize));
        figures = AddBlockMeans(readings, BlockSize, ProbeClass == pcUltrasonic, limits, Blocks);
    }
    Count = figures.Count;
    AboveCount = figures.Above;
    BelowCount = figures.Below;
    WithinCount = figures.Count - figures.Above - figures.Below;
    Min = figures.Extremes.Min;
    MinPos = figures.Extremes.MinPos;
    Max = figures.Extremes.Max;
    MaxPos = figures.Extremes.MaxPos;
    if (Count == 0)
        return;

    const bool hasUpper = !IsNoValue(UpperLimit);
    const bool hasLower = !IsNoValue(LowerLimit);
    Mean = static_cast<double>(figures.Sums.Total / Count);
    StdDev = StdDevOf(figures.Sums.Total, figures.Sums.Squares, Count);
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

    Median = MedianOf(Blocks);

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
