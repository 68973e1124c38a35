#include "GaugeDateTime.h"

#include <QLocale>

QDateTime DecodeGaugeDateTime(uint32_t word)
{
    if (word == 0 || word == 0xFFFFFFFFu)
        return QDateTime(QDate(2011, 6, 1), QTime(0, 0, 0));
    const int second = int(word & 63);
    const int minute = int((word >> 6) & 63);
    const int hour = int((word >> 12) & 31);
    const int day = int((word >> 17) & 31);
    const int month = int((word >> 22) & 15);
    const int year = int(word >> 26) + 2000;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return QDateTime::currentDateTime();
    return QDateTime(date, time);
}

// The locale's long time without the time-zone name that Qt adds to it.
static QString LongTimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QString GaugeDateTimeText(const QDateTime &dateTime)
{
    const QLocale locale;
    QString text = locale.toString(dateTime.date(), QLocale::ShortFormat);
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(dateTime.time(), LongTimeFormat(locale));
    return text;
}
