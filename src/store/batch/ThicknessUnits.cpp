#include "ThicknessUnits.h"

#include "StatData.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

const std::array<QString, ThicknessUnitCount> &UnitTexts()
{
    static const std::array<QString, ThicknessUnitCount> texts = {
        QStringLiteral("um"), QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("mils"),
        QStringLiteral("inch"), QStringLiteral("thou"),
        QStringLiteral("BCM/in") + QChar(0x00B2),
        QStringLiteral("cm") + QChar(0x00B3) + QStringLiteral("/m") + QChar(0x00B2)};
    return texts;
}

double PowerOfTen(int exponent)
{
    double result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// Rounds to the given number of decimals, halves to even.
double RoundDecimals(double value, int decimals)
{
    const double scale = PowerOfTen(decimals);
    return std::nearbyint(value * scale) / scale;
}

double UnitFactor(const QString &unit)
{
    if (unit == QLatin1String("mm"))
        return 1000;
    if (unit == QLatin1String("cm"))
        return 10000;
    if (unit == QLatin1String("m"))
        return 1000000;
    if (unit == QLatin1String("mil") || unit == QLatin1String("mils") || unit == QLatin1String("thou")
        || unit == QLatin1String("tho"))
        return 25.4;
    if (unit == QLatin1String("in") || unit == QLatin1String("inch"))
        return 25400;
    return 1;
}

bool IsNumberChar(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('.') || c.isDigit();
}

bool IsEntryLetter(QChar c)
{
    return c >= QLatin1Char('a') && c <= QLatin1Char('z');
}

bool IsAcceptedEntryKey(QChar key)
{
    static const QString accepted = QStringLiteral("\b +,-.0123456789chilmnostu");
    return accepted.contains(key);
}

} // namespace

QString ThicknessUnitText(int unitIndex)
{
    if (unitIndex < 0 || unitIndex >= ThicknessUnitCount)
        unitIndex = tuMicrometre;
    return UnitTexts()[static_cast<std::size_t>(unitIndex)];
}

TFormattedThickness FormatThickness(double micrometres, int extraDecimals, const TThicknessFormat &format)
{
    TFormattedThickness result;
    if (std::isnan(micrometres) || std::isinf(micrometres)) {
        result.Rounded = NAN;
        return result;
    }
    const bool negative = std::signbit(micrometres);
    double value = std::fabs(micrometres);
    int decimals = 1;
    int unit = tuMicrometre;
    const int base = format.BaseUnit;
    const bool autoRange = format.AutoRange;

    if (base == tuMillimetre || base == tuCentimetre || (base == tuMicrometre && autoRange && value / 1000 > 1)) {
        value /= 1000;
        unit = tuMillimetre;
        decimals = 3;
    }
    if (base == tuCentimetre
        || ((base == tuMicrometre || base == tuMillimetre) && autoRange && value / 1000 > 1)) {
        value /= 10;
        unit = tuCentimetre;
        decimals = 2;
    }
    if (base == tuMils || base == tuInch || base == tuThou) {
        value /= 25.4;
        decimals = 3;
        unit = base == tuThou ? tuThou : tuMils;
    }
    if (base == tuInch || (base == tuMils && autoRange && value / 1000 > 1)) {
        value /= 1000;
        unit = tuInch;
        decimals = 2;
    }
    if (base == tuBcmPerSquareInch || base == tuCubicCmPerSquareMetre) {
        unit = base;
        if (base == tuBcmPerSquareInch)
            value /= 1.55;
    }

    if (format.FixDecimal)
        decimals = format.Decimal;
    else if (std::trunc(value) == value)
        decimals = 0;
    decimals = std::max(0, decimals + extraDecimals);

    double rounded = RoundDecimals(value, decimals);
    // A value that rounds to zero is shown without a sign.
    if (negative && rounded != 0)
        rounded = -rounded;

    result.Rounded = rounded;
    result.Decimals = decimals;
    result.UnitIndex = unit;
    QString number = QString::number(rounded, 'f', decimals);
    if (format.DecimalSeparator != QLatin1Char('.'))
        number.replace(QLatin1Char('.'), format.DecimalSeparator);
    result.Text = number + QLatin1Char(' ') + ThicknessUnitText(unit);
    return result;
}

double ParseThickness(const QString &text, int baseUnit)
{
    bool hasDigit = false;
    for (QChar c : text)
        hasDigit = hasDigit || c.isDigit();
    if (!hasDigit)
        return NoValue;

    QString rest = text;
    rest.replace(QLatin1Char(','), QLatin1Char('.'));
    qsizetype start = 0;
    while (start < rest.size() && !IsNumberChar(rest[start]))
        ++start;
    qsizetype end = start;
    while (end < rest.size() && IsNumberChar(rest[end]))
        ++end;

    const QByteArray number = rest.mid(start, end - start).toLatin1();
    char *parsedEnd = nullptr;
    const double value = std::strtod(number.constData(), &parsedEnd);
    if (number.isEmpty() || parsedEnd != number.constData() + number.size())
        return NoValue;

    QString unit = rest.mid(end).trimmed();
    if (unit.isEmpty())
        unit = ThicknessUnitText(baseUnit);
    return value * UnitFactor(unit);
}

TUnitEntryResult ApplyUnitEntryKey(const QString &text, int caret, QChar key)
{
    TUnitEntryResult result;
    result.Text = text;
    caret = std::clamp(caret, 0, static_cast<int>(text.size()));
    result.Caret = caret;
    if (key == QLatin1Char('\r') || key == QLatin1Char('\n')) {
        result.MoveFocus = true;
        return result;
    }
    if (key == QChar(0x00B5) || key == QChar(0x03BC))
        key = QLatin1Char('u');
    if (!IsAcceptedEntryKey(key))
        return result;

    result.Accepted = true;
    if (key == QLatin1Char('\b')) {
        if (caret > 0) {
            result.Text.remove(caret - 1, 1);
            result.Caret = caret - 1;
        }
        return result;
    }

    QString head = text.left(caret);
    QString tail = text.mid(caret);
    if (IsEntryLetter(key)) {
        // The letters typed so far, the new one included, pick the first unit
        // they begin; the field is completed with the rest of that unit.
        qsizetype letters = 1;
        for (QChar c : head)
            letters += IsEntryLetter(c) ? 1 : 0;
        const QString typed = head + key + tail;
        static const QString units[] = {QStringLiteral("um"), QStringLiteral("um"), QStringLiteral("mm"),
                                        QStringLiteral("cm"), QStringLiteral("inch"), QStringLiteral("mils")};
        for (const QString &unit : units) {
            if (typed.contains(unit.left(letters))) {
                tail = unit.mid(letters);
                break;
            }
        }
    }
    result.Text = head + key + tail;
    result.Caret = caret + 1;
    return result;
}
