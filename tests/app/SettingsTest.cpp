#include "app/IniFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const TSettings::TDefaults kDefaults{QStringLiteral("/opt/gauge"), {1, 2, 3, 4}, u','};

class SettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Settings.ini"));

    void WriteFile(const QByteArray &content)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    QByteArray ReadFile()
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    TSettings Loaded(TBrand brand = brKorventhalium)
    {
        TSettings settings(kDefaults);
        settings.Load(file, brand);
        return settings;
    }
};

} // namespace

TEST_F(SettingsTest, FirstStartWithoutFileGivesDefaults)
{
    const TSettings settings = Loaded();

    TSettingsRecord expected;
    expected.DecimalSeparator = u','; // the system's separator
    EXPECT_EQ(settings.Record, expected);
    EXPECT_EQ(settings.Record.Language, 2057);
    EXPECT_EQ(settings.Record.ViewStyle, 2);
    EXPECT_EQ(settings.Record.BaseUnit, 0);
    EXPECT_EQ(settings.Record.Decimal, 1);
    EXPECT_TRUE(settings.Record.AutoRange);
    EXPECT_FALSE(settings.Record.QuickView);
    EXPECT_TRUE(settings.Record.ExportOverview && settings.Record.ExportStats && settings.Record.ExportReadings
                && settings.Record.ExportNotes && settings.Record.ExportHisto && settings.Record.ExportTrend
                && settings.Record.ExportPicture);
    EXPECT_EQ(settings.ShellPath, QStringLiteral("/opt/gauge"));
    EXPECT_EQ(settings.MainWindow, (TWindowPlacement{wsNormal, {1, 2, 3, 4}}));
    EXPECT_EQ(settings.ParamForm, (TWindowPlacement{wsNormal, {40, 40, 40, 40}}));
    EXPECT_EQ(settings.TreeWidth, 265);
    EXPECT_EQ(settings.ShellHeight, 83);
    EXPECT_FALSE(settings.LogFile || settings.RestoreReadings);
}

TEST_F(SettingsTest, GarbageValuesReadAsDefaults)
{
    WriteFile("[setup]\r\n"
              "Language=english\r\n"
              "ViewStyle=\r\n"
              "Decimal=two\r\n"
              "AutoRange=yes\r\n"
              "DecimalSeparator=.\r\n"
              "FixDecimal=5\r\n"          // any non-zero number is true
              "ReportOutput= 1 \r\n"
              "user=  Inspector 7  \r\n"
              "[WINDOW]\r\n"
              "TreeWidth=300px\r\n"
              "ShellHeight=90\r\n");
    const TSettings settings = Loaded();

    EXPECT_EQ(settings.Record.Language, 2057);
    EXPECT_EQ(settings.Record.ViewStyle, 2);
    EXPECT_EQ(settings.Record.Decimal, 1);
    EXPECT_TRUE(settings.Record.AutoRange);
    EXPECT_EQ(settings.Record.DecimalSeparator, u',');
    EXPECT_TRUE(settings.Record.FixDecimal);
    EXPECT_EQ(settings.Record.ReportOutput, 1);
    EXPECT_EQ(settings.Record.User, QStringLiteral("Inspector 7"));
    EXPECT_EQ(settings.TreeWidth, 265);
    EXPECT_EQ(settings.ShellHeight, 90);
}

TEST_F(SettingsTest, SavesEveryKeyInLoadOrder)
{
    TSettings settings(kDefaults);
    settings.Record.DecimalSeparator = u'.';
    settings.Record.RS232 = 3;
    settings.LogFile = true; // never written
    ASSERT_TRUE(settings.Save(file));

    EXPECT_EQ(ReadFile(), QByteArray(
        "[Setup]\r\nLanguage=2057\r\nLastDevice=\r\nUser=\r\nActivePort=0\r\nViewStyle=2\r\nBaseUnit=0\r\n"
        "FixDecimal=0\r\nDecimal=1\r\nAutoRange=1\r\nDecimalSeparator=46\r\nUseDefaultNotes=0\r\nPort=0\r\n"
        "RS232=3\r\nAutoSearch=0\r\nReportPreview=1\r\nExportOverview=1\r\nExportStats=1\r\n"
        "ExportReadings=1\r\nExportNotes=1\r\nExportHisto=1\r\nExportTrend=1\r\nExportPicture=1\r\n"
        "QuickView=0\r\nShowDeleteReadings=1\r\nReportOutput=0\r\n"
        "[Window]\r\nState=0\r\nLeft=1\r\nTop=2\r\nWidth=3\r\nHeight=4\r\nTreeWidth=265\r\nShellHeight=83\r\n"
        "[ParamForm]\r\nLeft=40\r\nTop=40\r\nWidth=40\r\nHeight=40\r\nState=0\r\n"
        "[Files]\r\nShellPath=/opt/gauge\r\nNotesDefaultDir=\r\nExportDir=\r\nCompanyLogo=\r\n"
        "[Special]\r\nReadingsOnOneTab=0\r\nCharBlockDescription=0\r\n"));

    // Everything written reads back the same.
    settings.Record.ExportDir = QStringLiteral("/home/qa/export");
    settings.Record.ExportTrend = false;
    settings.Record.CharBlockDescription = true;
    ASSERT_TRUE(settings.Save(file));
    EXPECT_EQ(Loaded().Record, settings.Record);
}

TEST_F(SettingsTest, DebugUserAndUnknownKeysSurviveLoadAndSave)
{
    const QByteArray kept = "[Debug]\r\nLogFile=1\r\nRestoreReadings=7\r\n"
                            "[User]\r\nLine1=Paint Shop\r\nLine2=Hall 3\r\n"
                            "[Custom]\r\nNote=keep me\r\n";
    WriteFile("[Setup]\r\nLanguage=1031\r\nUnknownKey=42\r\n" + kept);

    TSettings settings = Loaded();
    EXPECT_TRUE(settings.LogFile);
    EXPECT_TRUE(settings.RestoreReadings);
    settings.LogFile = false;
    settings.RestoreReadings = false;
    ASSERT_TRUE(settings.Save(file));

    const QByteArray saved = ReadFile();
    EXPECT_TRUE(saved.startsWith("[Setup]\r\nLanguage=1031\r\nUnknownKey=42\r\nLastDevice=\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains(kept)) << saved.constData();
}

TEST_F(SettingsTest, BoundsOnlyInNormalState)
{
    WriteFile("[Window]\r\nState=2\r\nLeft=10\r\nTop=20\r\nWidth=300\r\nHeight=400\r\n"
              "[ParamForm]\r\nState=2\r\nLeft=5\r\nTop=6\r\nWidth=7\r\nHeight=8\r\n");
    TSettings settings = Loaded();
    EXPECT_EQ(settings.MainWindow, (TWindowPlacement{wsMaximized, {1, 2, 3, 4}})); // initial bounds
    EXPECT_EQ(settings.ParamForm, (TWindowPlacement{wsMaximized, {5, 6, 7, 8}}));  // read in any state

    settings.MainWindow.Bounds = {0, 0, 1920, 1080};
    settings.ParamForm.Bounds = {0, 0, 1920, 1080};
    ASSERT_TRUE(settings.Save(file));
    TIniFile saved(file);
    EXPECT_EQ(saved.ReadInteger("Window", "State", -1), 2);
    EXPECT_EQ(saved.ReadInteger("Window", "Width", -1), 300);
    EXPECT_EQ(saved.ReadInteger("ParamForm", "Width", -1), 7);

    settings.MainWindow = {wsNormal, {11, 12, 13, 14}};
    ASSERT_TRUE(settings.Save(file));
    EXPECT_EQ(Loaded().MainWindow, (TWindowPlacement{wsNormal, {11, 12, 13, 14}}));
}

TEST_F(SettingsTest, BaseUnitFollowsBrand)
{
    struct Case { TBrand brand; const char *stored; int expected; };
    const Case cases[] = {
        {brTarvex, nullptr, 6},        {brTarvex, "0", 6},   {brTarvex, "7", 6},   // never read for Tarvex
        {brKorventhalium, "6", 0},     {brVantrell, "7", 0}, {brOther, "5", 5},
        {brKorventhalium, "200", 0},   {brBelcaronis, "3", 3},
    };
    for (const Case &c : cases) {
        WriteFile(c.stored ? "[Setup]\r\nBaseUnit=" + QByteArray(c.stored) + "\r\n" : QByteArray());
        EXPECT_EQ(Loaded(c.brand).Record.BaseUnit, c.expected) << c.brand << ' ' << (c.stored ? c.stored : "-");
    }

    // A Tarvex installation saves unit 6; another brand reading that file gets 0.
    QFile::remove(file);
    ASSERT_TRUE(Loaded(brTarvex).Save(file));
    EXPECT_EQ(TIniFile(file).ReadInteger("Setup", "BaseUnit", -1), 6);
    EXPECT_EQ(Loaded(brKorventhalium).Record.BaseUnit, 0);
}

TEST_F(SettingsTest, SaveCreatesVanishedFolder)
{
    const QString nested = dir.filePath(QStringLiteral("gone/Dalvo 7/Settings.ini"));
    TSettings settings(kDefaults);
    settings.Record.Language = 1036;
    ASSERT_TRUE(settings.Save(nested));
    TSettings reloaded(kDefaults);
    reloaded.Load(nested, brOther);
    EXPECT_EQ(reloaded.Record.Language, 1036);

    // A folder that cannot be made is reported, not hidden.
    const QString blocked = dir.filePath(QStringLiteral("plain-file"));
    QFile(blocked).open(QIODevice::WriteOnly);
    EXPECT_FALSE(settings.Save(blocked + QStringLiteral("/Settings.ini")));
}
