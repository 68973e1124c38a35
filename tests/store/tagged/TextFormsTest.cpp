#include "store/tagged/QelBinaryStreamData.h"
#include "store/tagged/QelTextForms.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The text forms follow the locale; these tests pin it.
class TextForms : public testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

} // namespace

TEST_F(TextForms, TolerantNumberParsing)
{
    struct TCase
    {
        const char *text;
        std::optional<double> expected;
    };
    const TCase cases[] = {
        {"12.5", 12.5},
        {"12,5", 12.5},
        {"1,234.5", 1234.5},
        {"1.234,5", 1234.5},
        {"1.234.567,25", 1234567.25},
        {"1,234,567.25", 1234567.25},
        {"-1.000,5", -1000.5},
        {" 7 ", 7.0},
        {"1e3", 1000.0},
        {"1.234.567", std::nullopt},  // a second decimal separator
        {"1,23.5", std::nullopt},     // group of two
        {"1,2a4.5", std::nullopt},    // group not an integer
        {"1.5,25,3", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"inf", std::nullopt},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ParseTolerantNumber(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST_F(TextForms, FloatTypesShowShortestFormAndKeepValueOnBadText)
{
    TQelBinaryTag tag;
    auto *single = tag.AddAttribute<TQelBinarySingle>("S");
    single->SetValue(0.1f);
    EXPECT_EQ(single->AsText(), "0.1");
    auto *real = tag.AddAttribute<TQelBinaryDouble>("D");
    real->SetAsText("1.234,5");
    EXPECT_EQ(real->Value(), 1234.5);
    real->SetAsText("1,2,3");
    EXPECT_EQ(real->Value(), 1234.5);
    EXPECT_EQ(real->AsText(), "1234.5");
    auto *comp = tag.AddAttribute<TQelBinaryComp>("C");
    comp->SetAsText("2,5");
    EXPECT_EQ(comp->Value(), 2); // ties to even
    auto *real48 = tag.AddAttribute<TQelBinaryReal48>("R");
    real48->SetAsText("1e300"); // too large for a 6-byte real
    EXPECT_TRUE(real48->IsNull());

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(real->AsText(), "1234,5");
}

TEST_F(TextForms, IntegersBooleansAndCurrency)
{
    TQelBinaryTag tag;
    auto *byte = tag.AddAttribute<TQelBinaryByte>("B");
    byte->SetAsText("200");
    EXPECT_EQ(byte->AsText(), "200");
    for (const char *bad : {"256", "-1", "12x", "", "1.5"})
        EXPECT_THROW(byte->SetAsText(QString::fromLatin1(bad)), EQelConvertError) << bad;
    auto *int64 = tag.AddAttribute<TQelBinaryInt64>("I");
    int64->SetAsText("-9223372036854775808");
    EXPECT_EQ(int64->Value(), std::numeric_limits<qint64>::min());

    auto *boolean = tag.AddAttribute<TQelBinaryBoolean>("Bool");
    boolean->SetAsText("True");
    EXPECT_EQ(boolean->AsText(), "Ja");
    boolean->SetAsText("Nein");
    EXPECT_EQ(boolean->AsText(), "Nein");
    boolean->SetAsText("-1");
    EXPECT_TRUE(boolean->Value());
    EXPECT_THROW(boolean->SetAsText("vielleicht"), EQelConvertError);

    auto *currency = tag.AddAttribute<TQelBinaryCurrency>("C");
    currency->SetAsText("-12.34565");
    EXPECT_EQ(currency->Value(), -123456); // ties to even at the fourth decimal
    EXPECT_EQ(currency->AsText(), "-12.3456");
    currency->SetAsText("5");
    EXPECT_EQ(currency->AsText(), "5");
    currency->SetAsText("-922337203685477.5808");
    EXPECT_EQ(currency->Value(), std::numeric_limits<qint64>::min());
    for (const char *bad : {"1,5", "922337203685477.5808", "999999999999999", "1e5", "."})
        EXPECT_THROW(currency->SetAsText(QString::fromLatin1(bad)), EQelConvertError) << bad;
}

TEST_F(TextForms, StringsCharsBlobsAndDates)
{
    TQelBinaryTag tag;
    auto *ansi = tag.AddAttribute<TQelBinaryAnsiString>("A");
    ansi->SetAsText(QStringLiteral("\u20ac 5 \u00b5m \u4e00"));
    EXPECT_EQ(ansi->Value(), QByteArray("\x80 5 \xb5m ?"));
    EXPECT_EQ(ansi->AsText(), QStringLiteral("\u20ac 5 \u00b5m ?"));
    auto *shortString = tag.AddAttribute<TQelBinaryShortString>("S");
    shortString->SetAsText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(shortString->Value().size(), 255);
    auto *character = tag.AddAttribute<TQelBinaryChar>("Ch");
    character->SetAsText(QStringLiteral("\u00e4bc"));
    EXPECT_EQ(character->Value(), '\xe4');
    EXPECT_EQ(character->AsText(), QStringLiteral("\u00e4"));

    auto *blob = tag.AddAttribute<TQelBinaryBlob>("B");
    blob->SetValue(QByteArray("\x00\xff\x3c", 3));
    EXPECT_EQ(blob->AsText(), "AAPPDM");
    blob->SetAsText("PPAAB"); // the odd last letter is ignored
    EXPECT_EQ(blob->Value(), QByteArray("\xff\x00", 2));

    char buffer[2] = {'u', 'u'};
    EXPECT_EQ(blob->ReadInto(buffer, 1), -2);
    EXPECT_EQ(buffer[0], 'u');
    EXPECT_EQ(blob->ReadInto(buffer, 2), 2);
    EXPECT_EQ(buffer[0], '\xff');
    const char fresh[] = "xyz";
    blob->WriteFrom(fresh, 3);
    EXPECT_EQ(blob->Value(), "xyz");

    // 45000.75 is 2023-03-15 18:00; negative days keep the time as a positive fraction.
    EXPECT_EQ(DateTimeFromDays(45000.75), QDateTime(QDate(2023, 3, 15), QTime(18, 0), Qt::UTC));
    EXPECT_EQ(DateTimeFromDays(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_EQ(DaysFromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    auto *date = tag.AddAttribute<TQelBinaryDateTime>("D");
    date->SetValue(45000.75);
    const QString text = date->AsText();
    EXPECT_TRUE(text.contains(QLatin1String("2023"))) << text.toStdString();
    date->SetValue(0);
    date->SetAsText(text);
    EXPECT_EQ(date->Value(), 45000.75);
    EXPECT_THROW(date->SetAsText("not a date"), EQelConvertError);
}
