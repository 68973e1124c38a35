#include "CalibrationData.h"

#include "StatData.h"
#include "store/tagged/QelTextForms.h"

#include <algorithm>
#include <bit>
#include <cstring>

void TCalibrationData::Reset()
{
    FBytes.fill(0);
    for (int record = 0; record < RecordCount; ++record) {
        for (int point = 0; point < PointCount; ++point) {
            SetPointRaw(record, point, -1);
            SetPointThickness(record, point, point == 0 ? NoValueSingle : 0.0f);
            SetPointState(record, point, 1);
        }
    }
}

void TCalibrationData::Assign(const QByteArray &bytes)
{
    const auto count = std::min<qsizetype>(bytes.size(), Size);
    std::memcpy(FBytes.data(), bytes.constData(), static_cast<std::size_t>(count));
}

QByteArray TCalibrationData::Bytes() const
{
    return QByteArray(reinterpret_cast<const char *>(FBytes.data()), Size);
}

std::uint32_t TCalibrationData::Read32(int offset) const
{
    const auto *p = &FBytes[static_cast<std::size_t>(offset)];
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void TCalibrationData::Write32(int offset, std::uint32_t value)
{
    auto *p = &FBytes[static_cast<std::size_t>(offset)];
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

QString TCalibrationData::Name(int record) const
{
    if (!ValidRecord(record))
        return {};
    const int offset = record * RecordSize;
    const int length = std::min<int>(FBytes[static_cast<std::size_t>(offset)], MaxNameLength);
    return AnsiToString(QByteArray(reinterpret_cast<const char *>(&FBytes[static_cast<std::size_t>(offset + 1)]), length));
}

void TCalibrationData::SetName(int record, const QString &name)
{
    if (!ValidRecord(record))
        return;
    const QByteArray bytes = StringToAnsi(name).left(MaxNameLength);
    const int offset = record * RecordSize;
    FBytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(bytes.size());
    std::memset(&FBytes[static_cast<std::size_t>(offset + 1)], 0, MaxNameLength);
    std::memcpy(&FBytes[static_cast<std::size_t>(offset + 1)], bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::uint8_t TCalibrationData::Available(int record) const
{
    return ValidRecord(record) ? FBytes[static_cast<std::size_t>(record * RecordSize + 21)] : 0;
}

void TCalibrationData::SetAvailable(int record, std::uint8_t available)
{
    if (ValidRecord(record))
        FBytes[static_cast<std::size_t>(record * RecordSize + 21)] = available;
}

std::int32_t TCalibrationData::Type(int record) const
{
    return ValidRecord(record) ? static_cast<std::int32_t>(Read32(record * RecordSize + 44)) : 0;
}

void TCalibrationData::SetType(int record, std::int32_t type)
{
    if (ValidRecord(record))
        Write32(record * RecordSize + 44, static_cast<std::uint32_t>(type));
}

std::int32_t TCalibrationData::PointRaw(int record, int point) const
{
    return ValidPoint(record, point) ? static_cast<std::int32_t>(Read32(PointOffset(record, point))) : -1;
}

void TCalibrationData::SetPointRaw(int record, int point, std::int32_t raw)
{
    if (ValidPoint(record, point))
        Write32(PointOffset(record, point), static_cast<std::uint32_t>(raw));
}

float TCalibrationData::PointThickness(int record, int point) const
{
    if (!ValidPoint(record, point))
        return NoValueSingle;
    return std::bit_cast<float>(Read32(PointOffset(record, point) + 4));
}

void TCalibrationData::SetPointThickness(int record, int point, float thickness)
{
    if (ValidPoint(record, point))
        Write32(PointOffset(record, point) + 4, std::bit_cast<std::uint32_t>(thickness));
}

std::uint8_t TCalibrationData::PointState(int record, int point) const
{
    return ValidPoint(record, point) ? FBytes[static_cast<std::size_t>(PointOffset(record, point) + 8)] : 0;
}

void TCalibrationData::SetPointState(int record, int point, std::uint8_t state)
{
    if (ValidPoint(record, point))
        FBytes[static_cast<std::size_t>(PointOffset(record, point) + 8)] = state;
}
