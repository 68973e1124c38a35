#pragma once

#include <QByteArray>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Thickness values are micrometres. A reading, limit or setting without a
// value holds the NaN whose bytes are all 0xFF; test it with IsNoValue, never
// by comparison.
inline constexpr double NoValue = std::bit_cast<double>(~std::uint64_t{0});
inline constexpr float NoValueSingle = std::bit_cast<float>(~std::uint32_t{0});
inline bool IsNoValue(double value) { return std::isnan(value); }

// Reading flags: bit 0 = active (cleared when the user deletes the reading),
// bit 1 = present (the gauge reported a valid reading). A reading counts for
// the statistics when its flags are exactly rfCounted.
enum TReadingFlag : std::uint8_t { rfActive = 1, rfPresent = 2, rfCounted = 3 };

// One reading as it is stored in the batch file, byte for byte (16 bytes,
// little-endian).
struct TReadingRecord
{
    double Value = NoValue;
    std::uint8_t Flags = 0;
    std::uint8_t CalNumber = 0;       // 1 or 2; 0 = none
    std::uint8_t Reserved[6] = {};
};
static_assert(sizeof(TReadingRecord) == 16, "reading records are stored byte for byte");

// The readings of a series: an array of reading records with the interface of
// a std::vector, kept in the byte layout of the batch file. The bytes are
// implicitly shared, so a loaded file's readings and the copy handed to the
// writer cost no copy; the first change to shared bytes detaches them.
class TReadingList
{
public:
    TReadingList() = default;

    // Shares the bytes when they are aligned for reading records; a trailing
    // part record is dropped.
    static TReadingList FromBytes(const QByteArray &bytes);
    // The records as they are written to a batch file, sharing the memory.
    const QByteArray &Bytes() const { return FBytes; }

    std::size_t size() const { return static_cast<std::size_t>(FBytes.size()) / sizeof(TReadingRecord); }
    bool empty() const { return FBytes.isEmpty(); }

    const TReadingRecord *data() const { return reinterpret_cast<const TReadingRecord *>(FBytes.constData()); }
    TReadingRecord *data() { return reinterpret_cast<TReadingRecord *>(FBytes.data()); }
    const TReadingRecord *begin() const { return data(); }
    const TReadingRecord *end() const { return data() + size(); }
    TReadingRecord *begin() { return data(); }
    TReadingRecord *end() { return data() + size(); }

    const TReadingRecord &operator[](std::size_t index) const { return data()[index]; }
    TReadingRecord &operator[](std::size_t index) { return data()[index]; }
    const TReadingRecord &back() const { return data()[size() - 1]; }
    TReadingRecord &back() { return data()[size() - 1]; }

    void push_back(const TReadingRecord &record);
    void reserve(std::size_t count) { FBytes.reserve(ByteCount(count)); }
    // New records are readings without a value, flags 0.
    void resize(std::size_t count);
    void clear() { FBytes.clear(); }

    bool operator==(const TReadingList &other) const { return FBytes == other.FBytes; }

private:
    static qsizetype ByteCount(std::size_t count)
    {
        return static_cast<qsizetype>(count * sizeof(TReadingRecord));
    }

    QByteArray FBytes;
};
