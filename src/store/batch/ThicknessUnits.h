#pragma once

#include <QChar>
#include <QString>

// Display units of thickness values, indexed by the "BaseUnit" setting.
enum TThicknessUnit {
    tuMicrometre = 0, tuMillimetre = 1, tuCentimetre = 2, tuMils = 3,
    tuInch = 4, tuThou = 5, tuBcmPerSquareInch = 6, tuCubicCmPerSquareMetre = 7
};
inline constexpr int ThicknessUnitCount = 8;

// Unit text appended to every formatted value ("um", "mm", ... "cm³/m²").
// An index outside the table gives the text of unit 0.
QString ThicknessUnitText(int unitIndex);

// The unit settings that formatting reads (stored by the settings store).
struct TThicknessFormat
{
    int BaseUnit = tuMicrometre;
    bool FixDecimal = false;
    int Decimal = 1;              // fixed number of decimals, 0..9
    bool AutoRange = true;
    QChar DecimalSeparator = QLatin1Char('.');
};

struct TFormattedThickness
{
    QString Text;                 // empty for a missing value
    double Rounded = 0;           // in the display unit, NaN for a missing value
    int Decimals = 0;
    int UnitIndex = 0;
};

// A value in micrometres as the views, reports and exports show it. Callers
// pass 0 extra decimals for readings, limits and extremes, 1 for means,
// standard deviations and block means.
TFormattedThickness FormatThickness(double micrometres, int extraDecimals, const TThicknessFormat &format);

// A typed value ("2,5 mm", "100", "12 um") in micrometres; the no-value NaN
// when the text holds no number. Without a unit the base unit applies.
double ParseThickness(const QString &text, int baseUnit);

// Keyboard entry of the limit and NDFT fields: filters a typed key and
// completes the unit text the letters typed so far begin.
struct TUnitEntryResult
{
    bool Accepted = false;        // false: drop the key, the field is unchanged
    bool MoveFocus = false;       // Enter: leave the field (which applies the value)
    QString Text;
    int Caret = 0;
};

TUnitEntryResult ApplyUnitEntryKey(const QString &text, int caret, QChar key);
