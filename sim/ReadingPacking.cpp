#include "ReadingPacking.h"

#include <bit>
#include <cstring>

namespace SimPacking {

QByteArray PackReading(const TReading &reading)
{
    if (!reading.Micrometres || std::isnan(*reading.Micrometres))
        return QByteArray(reinterpret_cast<const char *>(NoValueBytes), 3);
    const float single = static_cast<float>(*reading.Micrometres);
    quint32 pattern = std::bit_cast<quint32>(single);
    const bool negative = pattern & 0x80000000u;
    pattern &= 0x7FFFFFFFu;
    pattern += 0x40;
    if (pattern < 0x3C000000u)
        pattern = 0x3C000000u;
    if (pattern > 0x5B7FFFFFu)
        pattern = 0x5B7FFFFFu;
    quint8 b2 = static_cast<quint8>(((pattern >> 23) & 0xFF) - 119);
    if (negative)
        b2 += 0x80;
    if (reading.Valid)
        b2 += 0x40;
    const quint8 b1 = static_cast<quint8>((pattern >> 15) & 0xFF);
    const quint8 b0 = static_cast<quint8>((((pattern >> 8) & 0x7F) << 1) | ((reading.Calibration - 1) & 1));
    QByteArray out;
    out.append(char(b0)).append(char(b1)).append(char(b2));
    return out;
}

TReading UnpackReading(const quint8 *b)
{
    TReading reading;
    if (b[0] == NoValueBytes[0] && b[1] == NoValueBytes[1] && b[2] == NoValueBytes[2]) {
        reading.Valid = false;
        return reading;
    }
    reading.Calibration = (b[0] & 1) ? 2 : 1;
    reading.Valid = b[2] & 0x40;
    const quint32 sign = (b[2] & 0x80) ? 0x80000000u : 0;
    const quint32 exponent = (b[2] & 0x3Fu) + 119;
    const quint32 fraction = (quint32(b[1]) << 15) | (quint32(b[0] >> 1) << 8);
    reading.Micrometres = std::bit_cast<float>(sign | (exponent << 23) | fraction);
    return reading;
}

quint32 DateTimeWord(const QDateTime &time)
{
    if (!time.isValid())
        return 0;
    const QDate d = time.date();
    const QTime t = time.time();
    const int year = qBound(0, d.year() - 2000, 63);
    return quint32(t.second()) | quint32(t.minute()) << 6 | quint32(t.hour()) << 12 | quint32(d.day()) << 17
        | quint32(d.month()) << 22 | quint32(year) << 26;
}

QDateTime DateTimeFromWord(quint32 w)
{
    if (w == 0 || w == 0xFFFFFFFFu)
        return {};
    const QDate date(int(w >> 26) + 2000, int((w >> 22) & 15), int((w >> 17) & 31));
    const QTime time(int((w >> 12) & 31), int((w >> 6) & 63), int(w & 63));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

void AppendWord(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void AppendDword(QByteArray &out, quint32 value)
{
    AppendWord(out, quint16(value & 0xFFFF));
    AppendWord(out, quint16(value >> 16));
}

quint16 Word(const QByteArray &bytes, int offset)
{
    auto at = [&](int i) { return i < bytes.size() ? quint8(bytes[i]) : quint8(0); };
    return quint16(at(offset) | at(offset + 1) << 8);
}

quint32 Dword(const QByteArray &bytes, int offset)
{
    return quint32(Word(bytes, offset)) | quint32(Word(bytes, offset + 2)) << 16;
}

} // namespace SimPacking
