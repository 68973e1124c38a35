#include "GaugeReading.h"

#include <QLocale>

#include <algorithm>
#include <bit>

TReadingRecord UnpackGaugeReading(const TPackedReading &packed, bool seriesZeroOfMany)
{
    TReadingRecord record;
    if (packed == NoValuePackedReading) {
        record.Value = NoValue;
        record.Flags = 0;
        record.CalNumber = 0;
        return record;
    }
    const std::uint8_t b0 = packed[0], b1 = packed[1], b2 = packed[2];
    record.CalNumber = seriesZeroOfMany ? 0 : ((b0 & 1) ? 2 : 1);
    record.Flags = (b2 & 0x40) ? rfCounted : 0;
    const std::uint32_t sign = (b2 & 0x80u) << 24;
    const std::uint32_t exponent = ((b2 & 0x3Fu) + 119u) << 23;
    const std::uint32_t fraction = (std::uint32_t{b1} << 15) | (std::uint32_t{b0 & 0xFEu} << 7);
    record.Value = std::bit_cast<float>(sign | exponent | fraction);
    return record;
}

TPackedReading PackGaugeReading(double value, std::uint8_t flags, std::uint8_t calNumber)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    const bool negative = (bits & 0x80000000u) != 0;
    std::uint32_t p = (bits & 0x7FFFFFFFu) + 0x40;
    p = std::clamp<std::uint32_t>(p, 0x3C000000u, 0x5B7FFFFFu);
    std::uint8_t b2 = static_cast<std::uint8_t>(((p >> 23) & 0xFF) - 119);
    if (negative)
        b2 += 0x80;
    if (flags == rfCounted)
        b2 += 0x40;
    const auto b1 = static_cast<std::uint8_t>((p >> 15) & 0xFF);
    const auto b0 = static_cast<std::uint8_t>((((p >> 8) & 0x7F) << 1) | (calNumber == 2 ? 1u : 0u));
    return {b0, b1, b2};
}

QDateTime DecodeGaugeTimeStamp(std::uint32_t word, const QDateTime &now)
{
    if (word == 0 || word == 0xFFFFFFFFu)
        return QDateTime(QDate(2011, 6, 1), QTime(0, 0, 0));
    const int second = word & 0x3F;
    const int minute = (word >> 6) & 0x3F;
    const int hour = (word >> 12) & 0x1F;
    const int day = (word >> 17) & 0x1F;
    const int month = (word >> 22) & 0x0F;
    const int year = 2000 + static_cast<int>(word >> 26);
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return now;
    return QDateTime(date, time);
}

QString TimeStampNoteText(const QDateTime &dateTime)
{
    const QLocale locale = QLocale::system();
    // The long time format of Qt carries a time-zone field; the note holds
    // the wall-clock time only.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    timeFormat = timeFormat.trimmed();
    return locale.toString(dateTime.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(dateTime.time(), timeFormat);
}

std::uint8_t ProbeClassOf(const QString &probeType)
{
    QString letters;
    for (QChar c : probeType.toUpper()) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            letters += c;
    }
    if (letters == QLatin1String("F"))
        return pcF;
    if (letters == QLatin1String("N"))
        return pcN;
    if (letters == QLatin1String("FN"))
        return pcFN;
    if (letters == QLatin1String("FH"))
        return pcFH;
    if (letters == QLatin1String("ZQ"))
        return pcUltrasonic;
    return pcUnknown;
}
