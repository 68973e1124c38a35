#pragma once

#include "ReadingList.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <vector>

// Probe classes of a batch (derived from the probe type text).
enum TProbeClass : std::uint8_t {
    pcUnknown = 0, pcF = 1, pcN = 2, pcFN = 3, pcFH = 4, pcUltrasonic = 5
};

// A note attached to a reading: kind 'M' (counted reading) or 'g' (reading
// that was not present), the reading's 0-based index, the text.
struct TReadingNote
{
    char Kind = 'M';
    std::int32_t Index = 0;
    QString Text;

    bool operator==(const TReadingNote &) const = default;
};

struct TBlockRecord
{
    double Mean = 0;
    double StdDev = 0;
};

// Inputs selectable by number (SetInput).
enum TStatInput { siUpperLimit = 0, siLowerLimit = 1, siOffset = 2, siRough = 3, siNDFT = 4 };

// One series of a batch: readings, notes, limits, and the statistics computed
// from them over block means. Readings, notes and blocks are open for the
// batch and the views to read and edit; whoever edits them sets Modified.
class TStatData
{
public:
    explicit TStatData(std::uint8_t probeClass = pcUnknown);

    void SetInput(TStatInput which, double value);
    double Input(TStatInput which) const;
    void AddReading(double value, bool valid, std::uint8_t calNumber);
    void Calculate();

    std::uint8_t ProbeClass = pcUnknown;
    bool Modified = false;

    std::int32_t Count = 0;
    std::int32_t AboveCount = 0;
    double AbovePercent = 0;
    QString AboveText;
    std::int32_t WithinCount = 0;
    double WithinPercent = 0;
    QString WithinText;
    std::int32_t BelowCount = 0;
    double BelowPercent = 0;
    QString BelowText;
    double Mean = 0;
    double StdDev = 0;
    double CV = 0;                  // coefficient of variation, percent
    double Cp = NAN;
    double Cpk = NAN;
    double Offset = NoValue;
    double Rough = NoValue;
    double UpperLimit = NoValue;
    double LowerLimit = NoValue;
    double LimitRange = NAN;
    double NDFT = NoValue;
    double NDFTAbovePercent = 0;
    QString NDFTAboveText;
    double NDFTBelowPercent = 0;
    QString NDFTBelowText;
    bool Rule9010 = false;
    double Min = INFINITY;
    std::int32_t MinPos = 0;        // 1-based index of the last reading of the block
    double Max = -INFINITY;
    std::int32_t MaxPos = 0;
    double Range = 0;
    double Median = 0;
    std::int32_t BlockSize = 1;

    TReadingList Readings;
    std::vector<TBlockRecord> Blocks;   // one per value, in order
    std::vector<TReadingNote> Notes;

private:
    void ResetResults();
};

// Percentage text: the value rounded to the nearest integer, halves to even,
// followed by "%".
QString PercentText(double percent);
