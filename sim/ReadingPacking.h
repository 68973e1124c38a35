#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

#include <cmath>
#include <optional>

// The gauge's own encodings: packed 3-byte readings and the 32-bit
// date-time word of tree entries, quick info and time stamps.
namespace SimPacking {

// b0, b1, b2 of a reading that carries no value.
inline constexpr quint8 NoValueBytes[3] = {0xFF, 0x7F, 0x5B};

struct TReading
{
    std::optional<double> Micrometres; // empty: no value
    bool Valid = true;                 // flags exactly 3 on the PC side
    int Calibration = 1;               // 1 or 2 (bit 0 of b0)
};

QByteArray PackReading(const TReading &reading);
TReading UnpackReading(const quint8 *bytes);

// second | minute << 6 | hour << 12 | day << 17 | month << 22 | (year - 2000) << 26
quint32 DateTimeWord(const QDateTime &time);
// Word 0 and 0xFFFFFFFF carry no date: an invalid QDateTime.
QDateTime DateTimeFromWord(quint32 word);

void AppendWord(QByteArray &out, quint16 value);
void AppendDword(QByteArray &out, quint32 value);
quint16 Word(const QByteArray &bytes, int offset);
quint32 Dword(const QByteArray &bytes, int offset);

} // namespace SimPacking
