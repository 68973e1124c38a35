#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The gauge's calibrations 1 to 9 as nine 104-byte records (936 bytes,
// little-endian), kept byte for byte so reserved bytes survive:
//   0  name, ShortString of at most 20 characters (21 bytes)
//   21 available (1 when the calibration exists or has a valid point)
//   22 reserved (22 bytes)
//   44 calibration type, int32
//   48 six points of 9 bytes: int32 raw value (-1 unused),
//      float thickness in micrometres, uint8 state (2 = in use)
//   102 reserved (2 bytes)
class TCalibrationData
{
public:
    static constexpr int RecordCount = 9;
    static constexpr int RecordSize = 104;
    static constexpr int PointCount = 6;
    static constexpr int Size = RecordCount * RecordSize;
    static constexpr int MaxNameLength = 20;

    TCalibrationData() { Reset(); }

    // Every record: empty name, not available, type 0, points unused
    // (raw -1, thickness NaN for point 0 and 0 for the others, state 1).
    void Reset();

    // Copies at most Size bytes over the records; shorter data leaves the rest.
    void Assign(const QByteArray &bytes);
    QByteArray Bytes() const;

    // record: 0..8 (calibration number - 1); point: 0..5. Out-of-range
    // indices read as defaults and are ignored by setters.
    QString Name(int record) const;
    void SetName(int record, const QString &name);
    std::uint8_t Available(int record) const;
    void SetAvailable(int record, std::uint8_t available);
    std::int32_t Type(int record) const;
    void SetType(int record, std::int32_t type);
    std::int32_t PointRaw(int record, int point) const;
    void SetPointRaw(int record, int point, std::int32_t raw);
    float PointThickness(int record, int point) const;
    void SetPointThickness(int record, int point, float thickness);
    std::uint8_t PointState(int record, int point) const;
    void SetPointState(int record, int point, std::uint8_t state);

    bool operator==(const TCalibrationData &) const = default;

private:
    static bool ValidRecord(int record) { return record >= 0 && record < RecordCount; }
    static bool ValidPoint(int record, int point) { return ValidRecord(record) && point >= 0 && point < PointCount; }
    static int PointOffset(int record, int point) { return record * RecordSize + 48 + point * 9; }
    std::uint32_t Read32(int offset) const;
    void Write32(int offset, std::uint32_t value);

    std::array<std::uint8_t, Size> FBytes{};
};
