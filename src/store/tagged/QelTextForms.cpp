#include "store/tagged/QelTextForms.h"

#include <QLocale>

#include <charconv>
#include <cmath>

namespace {

// windows-1252 0x80..0x9F; the five unassigned bytes map to themselves.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char AnsiByte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] == unit)
            return static_cast<char>(0x80 + i);
    return '?';
}

const QDate &DayZero()
{
    static const QDate day(1899, 12, 30);
    return day;
}

constexpr qint64 MsPerDay = 86400000;

QString Localised(QString text)
{
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

template <class T>
QString Shortest(T value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Localised(QString::fromLatin1(buffer, result.ptr - buffer));
}

// A plain decimal number with "." as separator and an optional exponent.
std::optional<double> ParsePlain(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('+')))
        text.remove(0, 1);
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text)
        if (!c.isDigit() && !QStringLiteral("+-.eE").contains(c))
            return std::nullopt;
    const QByteArray latin = text.toLatin1();
    double value = 0;
    const auto result = std::from_chars(latin.constData(), latin.constData() + latin.size(), value);
    if (result.ec != std::errc() || result.ptr != latin.constData() + latin.size())
        return std::nullopt;
    return value;
}

bool IsDigits(QStringView text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QString AnsiToString(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<uchar>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QByteArray StringToAnsi(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text)
        *out++ = AnsiByte(c.unicode());
    return bytes;
}

QDateTime DateTimeFromDays(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3e6)
        return {};
    const double whole = std::trunc(days);
    const qint64 ms = std::min<qint64>(std::llround(std::fabs(days - whole) * MsPerDay), MsPerDay - 1);
    return QDateTime(DayZero().addDays(static_cast<qint64>(whole)), QTime::fromMSecsSinceStartOfDay(int(ms)),
        Qt::UTC);
}

double DaysFromDateTime(const QDateTime &dateTime)
{
    const double days = static_cast<double>(DayZero().daysTo(dateTime.date()));
    const double time = static_cast<double>(dateTime.time().msecsSinceStartOfDay()) / MsPerDay;
    return days >= 0 ? days + time : days - time;
}

QString FormatShortest(double value)
{
    return Shortest(value);
}

QString FormatShortest(float value)
{
    return Shortest(value);
}

std::optional<double> ParseTolerantNumber(const QString &input)
{
    QString text = input.trimmed();
    const qsizetype dots = text.count(QLatin1Char('.'));
    const qsizetype commas = text.count(QLatin1Char(','));
    if (dots > 1 || commas > 1 || (dots == 1 && commas == 1)) {
        const bool dotIsDecimal = text.lastIndexOf(QLatin1Char('.')) > text.lastIndexOf(QLatin1Char(','));
        const QChar decimal = dotIsDecimal ? QLatin1Char('.') : QLatin1Char(',');
        const QChar thousands = dotIsDecimal ? QLatin1Char(',') : QLatin1Char('.');
        if (text.count(decimal) > 1)
            return std::nullopt;
        const qsizetype decimalAt = text.indexOf(decimal);
        const QStringList groups = text.left(decimalAt).split(thousands);
        for (qsizetype i = 1; i < groups.size(); ++i)
            if (groups.at(i).size() != 3 || !IsDigits(groups.at(i)))
                return std::nullopt;
        text = groups.join(QString()) + QLatin1Char('.') + text.mid(decimalAt + 1);
    } else if (commas == 1) {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    return ParsePlain(text);
}
