#include "store/batch/StatData.h"
#include "store/batch/ThicknessUnits.h"

#include <gtest/gtest.h>

namespace {

TThicknessFormat Format(int baseUnit, bool autoRange = true)
{
    TThicknessFormat format;
    format.BaseUnit = baseUnit;
    format.AutoRange = autoRange;
    return format;
}

} // namespace

TEST(ThicknessUnits, FormatsInEveryUnit)
{
    struct Case {
        double micrometres;
        int extra;
        TThicknessFormat format;
        const char *text;
        int unitIndex;
    };
    TThicknessFormat fixed2 = Format(tuMicrometre);
    fixed2.FixDecimal = true;
    fixed2.Decimal = 2;
    TThicknessFormat comma = Format(tuMicrometre);
    comma.DecimalSeparator = QLatin1Char(',');
    const Case cases[] = {
        {1500, 0, Format(tuMicrometre), "1.500 mm", tuMillimetre},
        {2000, 0, Format(tuMicrometre), "2 mm", tuMillimetre},
        {999, 0, Format(tuMicrometre), "999 um", tuMicrometre},
        {1000, 0, Format(tuMicrometre), "1000 um", tuMicrometre},
        {1500000, 0, Format(tuMicrometre), "150 cm", tuCentimetre},
        {1500, 0, Format(tuMicrometre, false), "1500 um", tuMicrometre},
        {250, 0, Format(tuMicrometre), "250 um", tuMicrometre},
        {250, 0, fixed2, "250.00 um", tuMicrometre},
        {12.34, 1, Format(tuMicrometre), "12.34 um", tuMicrometre},
        {12.25, 0, Format(tuMicrometre), "12.2 um", tuMicrometre},    // half to even
        {12.35, 1, Format(tuMicrometre), "12.35 um", tuMicrometre},
        {-5.5, 0, Format(tuMicrometre), "-5.5 um", tuMicrometre},
        {-0.04, 0, Format(tuMicrometre), "0.0 um", tuMicrometre},     // no "-0.0"
        {12.5, 0, comma, "12,5 um", tuMicrometre},
        {1234, 0, Format(tuMillimetre), "1.234 mm", tuMillimetre},
        {2000000, 0, Format(tuMillimetre), "200 cm", tuCentimetre},
        {12345, 0, Format(tuCentimetre), "1.23 cm", tuCentimetre},
        {254, 0, Format(tuMils), "10 mils", tuMils},
        {100, 0, Format(tuMils), "3.937 mils", tuMils},
        {30000, 0, Format(tuMils), "1.18 inch", tuInch},
        {30000, 0, Format(tuMils, false), "1181.102 mils", tuMils},
        {254, 0, Format(tuInch), "0.01 inch", tuInch},
        {254, 0, Format(tuThou), "10 thou", tuThou},
        {100, 0, Format(tuBcmPerSquareInch), "64.5 BCM/in\u00B2", tuBcmPerSquareInch},
        {12.34, 0, Format(tuCubicCmPerSquareMetre), "12.3 cm\u00B3/m\u00B2", tuCubicCmPerSquareMetre},
    };
    for (const Case &c : cases) {
        const TFormattedThickness result = FormatThickness(c.micrometres, c.extra, c.format);
        EXPECT_EQ(result.Text, QString::fromUtf8(c.text)) << c.micrometres << " unit " << c.format.BaseUnit;
        EXPECT_EQ(result.UnitIndex, c.unitIndex) << c.micrometres;
    }
}

TEST(ThicknessUnits, FormatReportsRoundedValueAndDecimals)
{
    const TFormattedThickness mean = FormatThickness(-12.345, 1, Format(tuMicrometre));
    EXPECT_DOUBLE_EQ(mean.Rounded, -12.34);
    EXPECT_EQ(mean.Decimals, 2);

    const TFormattedThickness zero = FormatThickness(-0.01, 0, Format(tuMicrometre));
    EXPECT_FALSE(std::signbit(zero.Rounded));

    for (double missing : {NoValue, double(INFINITY), double(-INFINITY)}) {
        const TFormattedThickness result = FormatThickness(missing, 0, Format(tuMicrometre));
        EXPECT_TRUE(result.Text.isEmpty());
        EXPECT_TRUE(std::isnan(result.Rounded));
        EXPECT_EQ(result.Decimals, 0);
        EXPECT_EQ(result.UnitIndex, 0);
    }
}

TEST(ThicknessUnits, ParsesTypedValues)
{
    struct Case {
        const char *text;
        int baseUnit;
        double micrometres;
    };
    const Case cases[] = {
        {"2,5 mm", tuMicrometre, 2500},
        {"100", tuMils, 2540},
        {"12 um", tuMils, 12},
        {"12", tuMicrometre, 12},
        {"1.5cm", tuMicrometre, 15000},
        {"0.001 m", tuMicrometre, 1000},
        {"2 in", tuMicrometre, 50800},
        {"1 inch", tuMicrometre, 25400},
        {"10 tho", tuMicrometre, 254},
        {"10 thou", tuMicrometre, 254},
        {"10 mil", tuMicrometre, 254},
        {"  -3.5 mm", tuMicrometre, -3500},
        {"ca 7 MM", tuMicrometre, 7},                // unit match is case-sensitive
        {"50", tuBcmPerSquareInch, 50},               // volume units are not converted back
        {"4", tuInch, 101600},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(ParseThickness(QString::fromUtf8(c.text), c.baseUnit), c.micrometres) << c.text;

    for (const char *bad : {"", "mm", "abc", "1.2.3 mm", "--5", "5-"})
        EXPECT_TRUE(IsNoValue(ParseThickness(QString::fromUtf8(bad), tuMicrometre))) << bad;
}

TEST(ThicknessUnits, UnitEntryFiltersAndCompletes)
{
    struct Case {
        const char *text;
        int caret;
        char16_t key;
        bool accepted;
        const char *result;
        int resultCaret;
    };
    const Case cases[] = {
        {"12", 2, 'm', true, "12mm", 3},
        {"12", 2, 'c', true, "12cm", 3},
        {"12", 2, 'i', true, "12inch", 3},
        {"12", 2, 'u', true, "12um", 3},
        {"12 ", 3, 0x00B5, true, "12 um", 4},        // micro sign typed as "u"
        {"12mm", 3, 'i', true, "12mils", 4},
        {"12", 1, '5', true, "152", 2},
        {"12", 2, ',', true, "12,", 3},
        {"12", 2, 'x', false, "12", 2},
        {"12", 2, 'M', false, "12", 2},
        {"12mm", 4, '\b', true, "12m", 3},
        {"", 0, '\b', true, "", 0},
    };
    for (const Case &c : cases) {
        const TUnitEntryResult result = ApplyUnitEntryKey(QString::fromUtf8(c.text), c.caret, QChar(c.key));
        EXPECT_EQ(result.Accepted, c.accepted) << c.text << " + " << int(c.key);
        EXPECT_EQ(result.Text, QString::fromUtf8(c.result)) << c.text << " + " << int(c.key);
        EXPECT_EQ(result.Caret, c.resultCaret) << c.text << " + " << int(c.key);
        EXPECT_FALSE(result.MoveFocus);
    }
    const TUnitEntryResult enter = ApplyUnitEntryKey(QStringLiteral("12 um"), 5, QLatin1Char('\r'));
    EXPECT_TRUE(enter.MoveFocus);
    EXPECT_EQ(enter.Text, "12 um");
}
