#include "GaugeTestLink.h"

#include <gtest/gtest.h>

namespace {
QByteArray Word(int value)
{
    return Bytes({value & 0xFF, (value >> 8) & 0xFF});
}
QByteArray Dword(quint32 value)
{
    return Word(int(value & 0xFFFF)) + Word(int(value >> 16));
}
quint32 DateWord(int year, int month, int day, int hour, int minute, int second)
{
    return quint32(year - 2000) << 26 | quint32(month) << 22 | quint32(day) << 17 | quint32(hour) << 12
         | quint32(minute) << 6 | quint32(second);
}

class CommandAnswers : public ::testing::Test
{
protected:
    TScriptedLink link;
    TGauge2 &g = *link.Gauge;
    TScriptedGaugePort &gauge = *link.Port;
};
} // namespace

TEST_F(CommandAnswers, IdentityAndInfoItems)
{
    gauge.Answer("2.15A");
    gauge.Answer({});
    ASSERT_TRUE(g.Version.Execute());
    EXPECT_EQ(g.Version.VersionText, QStringLiteral("2.15A"));
    EXPECT_TRUE(g.Version.Execute());
    EXPECT_TRUE(g.Version.VersionText.isEmpty());

    gauge.Answer("Solvanta7 Gauge ZT3X");
    gauge.Answer(Bytes({0}));
    gauge.Answer(Bytes({4, 9}));
    gauge.Answer("FN 1.5");
    gauge.Answer("unused");
    ASSERT_TRUE(g.GetInfo.Execute('G', "B"));
    ASSERT_TRUE(g.GetInfo.Execute('G', "E"));
    EXPECT_EQ(g.GetInfo.GaugeE, 0);
    ASSERT_TRUE(g.GetInfo.Execute('S', "E"));
    EXPECT_EQ(g.GetInfo.SensorE, 4);
    ASSERT_TRUE(g.GetInfo.Execute('S', "N"));
    EXPECT_TRUE(g.GetInfo.Execute('G', "DU"));  // stored nowhere
    EXPECT_EQ(g.GetInfo.GaugeB, QStringLiteral("Solvanta7 Gauge ZT3X"));
    EXPECT_EQ(g.GetInfo.SensorN, QStringLiteral("FN 1.5"));
    EXPECT_TRUE(g.GetInfo.GaugeN.isEmpty());
}

// A status item answered without its byte must not read as "ready".
TEST_F(CommandAnswers, StatusWithoutByteIsNotReady)
{
    gauge.Answer({});
    ASSERT_TRUE(g.GetInfo.Execute('G', "E"));
    EXPECT_NE(g.GetInfo.GaugeE, 0);
}

TEST_F(CommandAnswers, SensorTextPartsEndAtTheirMarks)
{
    struct TCase
    {
        QByteArray answer;
        QStringList parts;
    };
    const TCase cases[] = {
        {"F<>N<>", {"F", "N", "", "", ""}},
        {"F<>N", {"F", "", "", "", ""}},
        {"", {"", "", "", "", ""}},
        {"<>x<>", {"", "x", "", "", ""}},
        {"1<>2<>3<>4<>5<>6<>", {"1", "2", "3", "4", "5"}},
    };
    for (const TCase &c : cases) {
        g.GetInfo.SensorT3 = QStringLiteral("stale");
        gauge.Answer(c.answer);
        ASSERT_TRUE(g.GetInfo.Execute('S', "T"));
        const QStringList got = {g.GetInfo.SensorT1, g.GetInfo.SensorT2, g.GetInfo.SensorT3, g.GetInfo.SensorT4,
                                 g.GetInfo.SensorT5};
        EXPECT_EQ(got, c.parts) << c.answer.constData();
    }
}

TEST_F(CommandAnswers, EepromValueKeepsAtMostSixteenBytes)
{
    gauge.Answer(Bytes({1, 1, 7}));
    ASSERT_TRUE(g.EEPROMGetParam.Execute(QStringLiteral("ConfUnitSys")));
    EXPECT_EQ(g.EEPROMGetParam.ValueType, 1);
    EXPECT_EQ(g.EEPROMGetParam.ValueLength, 1);
    EXPECT_EQ(g.EEPROMGetParam.Value, Bytes({7}));

    gauge.Answer(Bytes({4, 20}) + QByteArray(20, 'v'));
    ASSERT_TRUE(g.EEPROMGetParam.Execute(QStringLiteral("X")));
    EXPECT_EQ(g.EEPROMGetParam.Value, QByteArray(16, 'v'));

    gauge.Answer(Bytes({4, 9, 1}));  // claims more than it carries
    ASSERT_TRUE(g.EEPROMGetParam.Execute(QStringLiteral("X")));
    EXPECT_EQ(g.EEPROMGetParam.Value, Bytes({1}));

    gauge.Answer(Bytes({4}));
    ASSERT_TRUE(g.EEPROMGetParam.Execute(QStringLiteral("X")));
    EXPECT_EQ(g.EEPROMGetParam.ValueType, 0);
    EXPECT_TRUE(g.EEPROMGetParam.Value.isEmpty());
}

TEST_F(CommandAnswers, TreeInformationShortAndLong)
{
    QByteArray counters;
    for (int i = 1; i <= 6; ++i)
        counters += Word(i * 0x101);
    const QByteArray extended = Word(7) + Dword(0x10020) + Word(8) + Dword(0x20030) + Word(9) + Word(0xEEEE)
                              + Dword(0x28040) + Dword(0x600000);
    gauge.Answer(counters + extended);
    ASSERT_TRUE(g.FileTreeGetInfo.Execute(true));
    const TGauge2FileTreeGetInfo &info = g.FileTreeGetInfo;
    EXPECT_EQ(info.FreeSector, 0x101);
    EXPECT_EQ(info.OldDataSectors, 0x606);
    EXPECT_EQ(info.ActTreeFree, 7);
    EXPECT_EQ(info.ActTreeAdr, 0x10020u);
    EXPECT_EQ(info.ActNameFree, 8);
    EXPECT_EQ(info.ActNameAdr, 0x20030u);
    EXPECT_EQ(info.ActDateFree, 9);
    EXPECT_EQ(info.ActDateAdr, 0x28040u);
    EXPECT_EQ(info.ActEndAdr, 0x600000u);

    gauge.Answer(counters);
    ASSERT_TRUE(g.FileTreeGetInfo.Execute(false));
    EXPECT_EQ(info.UsedPhysicalSectors, 0x505);
    EXPECT_EQ(info.ActTreeFree, 0);
    EXPECT_EQ(info.ActEndAdr, 0u);

    gauge.Answer(counters + Bytes({1}));  // 13 bytes: nothing decoded
    ASSERT_TRUE(g.FileTreeGetInfo.Execute(false));
    EXPECT_EQ(info.FreeSector, 0);
}

TEST_F(CommandAnswers, TreeEntriesWithAndWithoutLinks)
{
    const QByteArray head = Bytes({0}) + Word(12) + Word(2) + Word(0x0D) + Dword(DateWord(2024, 3, 5, 14, 7, 9))
                          + Dword(0);
    QByteArray links;
    for (int i = 1; i <= 6; ++i)
        links += Word(i);
    gauge.Answer(head + "Tank 4 shell" + '\0' + links);
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("AF"), 12));
    const TGauge2FileTreeGet &e = g.FileTreeGet;
    EXPECT_EQ(e.EntryStatus, 0);
    EXPECT_EQ(e.Index, 12);
    EXPECT_EQ(e.Flags, 2);
    EXPECT_EQ(e.Handle, 13);
    EXPECT_EQ(e.CreateDate, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(e.ChangeDate, QDateTime(QDate(2011, 6, 1), QTime(0, 0)));
    EXPECT_EQ(e.Name, QStringLiteral("Tank 4 shell"));
    EXPECT_EQ(QList<int>({e.FwdLnk1, e.FwdLnk2, e.BckLnk1, e.BckLnk2, e.Parent, e.Child}),
              QList<int>({1, 2, 3, 4, 5, 6}));

    gauge.Answer(head + "Tank 4 shell");  // name runs to the end: no links
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("A"), 12));
    EXPECT_EQ(e.Name, QStringLiteral("Tank 4 shell"));
    EXPECT_EQ(e.FwdLnk1 + e.Child, 0);

    gauge.Answer(head.left(15));  // 15 bytes: nothing decoded, still true
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("A"), 12));
    EXPECT_EQ(e.Index, 0);
    EXPECT_TRUE(e.Name.isEmpty());
    EXPECT_FALSE(e.CreateDate.isValid());
}

TEST_F(CommandAnswers, FixedLengthAnswersAndTheirFailureValues)
{
    // Right length first, then a wrong one: the transaction still counts.
    gauge.Answer(Bytes({3}));
    gauge.Answer(Bytes({3, 4}));
    ASSERT_TRUE(g.FileTreeSession.Execute(-1));
    EXPECT_EQ(g.FileTreeSession.SessionResult, 3);
    ASSERT_TRUE(g.FileTreeSession.Execute(-1));
    EXPECT_EQ(g.FileTreeSession.SessionResult, -1);

    gauge.Answer(Bytes({2}));
    gauge.Answer({});
    ASSERT_TRUE(g.FileTreeDelete.Execute(9));
    EXPECT_EQ(g.FileTreeDelete.DeleteResult, 2);
    ASSERT_TRUE(g.FileTreeDelete.Execute(9));
    EXPECT_EQ(g.FileTreeDelete.DeleteResult, -1);

    gauge.Answer(Word(40) + Word(0x0D));
    gauge.Answer(Word(40) + Bytes({0x0D}));
    ASSERT_TRUE(g.FileTreeInsert.Execute(0, 2, 1, 3, 0, 0xFFFF, QStringLiteral("B"), QStringLiteral("PC")));
    EXPECT_EQ(g.FileTreeInsert.NewIndex, 40);
    EXPECT_EQ(g.FileTreeInsert.NewHandle, 13);
    ASSERT_TRUE(g.FileTreeInsert.Execute(0, 2, 1, 3, 0, 0xFFFF, QStringLiteral("B"), QStringLiteral("PC")));
    EXPECT_EQ(g.FileTreeInsert.NewIndex, -1);
    EXPECT_EQ(g.FileTreeInsert.NewHandle, -1);

    gauge.Answer(Word(0x1234));
    gauge.Answer(Bytes({1, 2, 3}));
    ASSERT_TRUE(g.FileHandle.Execute());
    EXPECT_EQ(g.FileHandle.FileHandleValue, 0x1234);
    ASSERT_TRUE(g.FileHandle.Execute());
    EXPECT_EQ(g.FileHandle.FileHandleValue, 0);

    gauge.Answer(Dword(70000));
    gauge.Answer(Word(7));
    ASSERT_TRUE(g.FileOpen.Execute(2, 13, 0));
    EXPECT_EQ(g.FileOpen.FileSize, 70000u);
    ASSERT_TRUE(g.FileOpen.Execute(2, 13, 0));
    EXPECT_EQ(g.FileOpen.FileSize, 0u);

    gauge.Answer(QByteArray(30, 'r'));
    ASSERT_TRUE(g.FileRead.Execute(30));
    EXPECT_EQ(Content(g.FileRead.ReadData), QByteArray(30, 'r'));
    gauge.Answer({});
    ASSERT_TRUE(g.FileRead.Execute(30));
    EXPECT_EQ(g.FileRead.ReadData.Count(), 0);
}

TEST_F(CommandAnswers, FailedTransactionsReturnFalse)
{
    gauge.Then(TScriptedAnswer::saDrop);
    EXPECT_FALSE(g.FileOpen.Execute(2, 13, 0));
    EXPECT_EQ(g.FileOpen.FileSize, 0u);
    gauge.Then(TScriptedAnswer::saNakBroadcast);
    EXPECT_FALSE(g.Version.Execute());
    // A NAK to the PC is an answer; its empty payload gives the failure values.
    gauge.Then(TScriptedAnswer::saNakToPc);
    EXPECT_TRUE(g.FileTreeSession.Execute(1));
    EXPECT_EQ(g.FileTreeSession.SessionResult, -1);
}

TEST_F(CommandAnswers, ParameterDirectoryAnswers)
{
    gauge.Answer(Word(0x0102));
    gauge.Answer(Bytes({5}));
    ASSERT_TRUE(g.FileParamRead.ReadParamCount());
    EXPECT_EQ(g.FileParamRead.ParamCount, 0x0102);
    ASSERT_TRUE(g.FileParamRead.ReadParamCount());
    EXPECT_EQ(g.FileParamRead.ParamCount, 0);

    gauge.Answer(Word(4) + Bytes({3, 17}) + "ParHiLim");
    ASSERT_TRUE(g.FileParamRead.ReadParamEntry(2));
    EXPECT_EQ(g.FileParamRead.ParamCount, 4);
    EXPECT_EQ(g.FileParamRead.ParamTyp, 3);
    EXPECT_EQ(g.FileParamRead.ParamID, 17);
    EXPECT_EQ(g.FileParamRead.ParamName, QStringLiteral("ParHiLim"));

    gauge.Answer(Bytes({9}));
    ASSERT_TRUE(g.FileParamRead.ReadParamValue(17, 1));
    EXPECT_EQ(g.FileParamRead.ParamCount, 9);
    EXPECT_EQ(Content(g.FileParamRead.ParamValue), Bytes({9}));
    gauge.Answer(Word(0x0203));
    ASSERT_TRUE(g.FileParamRead.ReadParamValue(17, 1));
    EXPECT_EQ(g.FileParamRead.ParamCount, 0x0203);
    gauge.Answer(Bytes({1, 2, 3, 4}));
    ASSERT_TRUE(g.FileParamRead.ReadParamValue(17, 1));
    EXPECT_EQ(g.FileParamRead.ParamCount, 0);
    EXPECT_EQ(Content(g.FileParamRead.ParamValue), Bytes({1, 2, 3, 4}));
}

TEST_F(CommandAnswers, QuickInformationItems)
{
    gauge.Answer(Dword(DateWord(2024, 3, 5, 0, 0, 0)) + Dword(DateWord(2024, 3, 6, 9, 30, 0)));
    ASSERT_TRUE(g.FileBatchQuickInfo.Execute('D'));
    EXPECT_EQ(g.FileBatchQuickInfo.CreateDate, QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_EQ(g.FileBatchQuickInfo.CreateDateText, QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
    EXPECT_TRUE(g.FileBatchQuickInfo.ChangeDateText.startsWith(
        QLocale().toString(QDate(2024, 3, 6), QLocale::ShortFormat) + QLatin1Char(' ')));

    gauge.Answer(QByteArray("FN 1.5") + '\0' + "123456" + '\0');
    ASSERT_TRUE(g.FileBatchQuickInfo.Execute('S'));
    EXPECT_EQ(g.FileBatchQuickInfo.SensorTyp, QStringLiteral("FN 1.5"));
    EXPECT_EQ(g.FileBatchQuickInfo.SensorSerial, QStringLiteral("123456"));

    gauge.Answer("Inspector B");
    gauge.Answer(Dword(10000));
    ASSERT_TRUE(g.FileBatchQuickInfo.Execute('U'));
    ASSERT_TRUE(g.FileBatchQuickInfo.Execute('V'));
    EXPECT_EQ(g.FileBatchQuickInfo.User, QStringLiteral("Inspector B"));
    EXPECT_EQ(g.FileBatchQuickInfo.ReadingsText, QStringLiteral("10000"));

    gauge.Answer({});  // an empty answer changes nothing
    ASSERT_TRUE(g.FileBatchQuickInfo.Execute('U'));
    EXPECT_EQ(g.FileBatchQuickInfo.User, QStringLiteral("Inspector B"));
}

TEST_F(CommandAnswers, AccessTableAndActiveBatch)
{
    struct TCase
    {
        QByteArray answer;
        bool result;
        int handle;
    };
    const TCase cases[] = {
        {Bytes({1}) + Word(0x0D), true, 0x0D},
        {Bytes({0}) + Word(0x0D), false, 65535},
        {Bytes({1}) + Word(0x0D) + Bytes({0}), false, 65535},
        {{}, false, 65535},
    };
    for (const TCase &c : cases) {
        gauge.Answer(c.answer);
        EXPECT_EQ(g.FileAccessTable.Execute('G', 2, 0x0D), c.result) << c.answer.toHex().constData();
        EXPECT_EQ(g.FileAccessTable.AccessHandle, c.handle) << c.answer.toHex().constData();
    }
    gauge.Answer({});
    EXPECT_TRUE(g.FileAccessTable.Execute('R'));

    gauge.Answer(Word(0xFFFF) + Word(1) + Word(2) + Word(3));
    ASSERT_TRUE(g.FileBatch.Execute('I'));
    EXPECT_EQ(g.FileBatch.OpenHandle, TGauge2FileBatch::NoBatch);
    EXPECT_EQ(g.FileBatch.BatchInfo4, 3);
    gauge.Answer(Word(5));
    EXPECT_FALSE(g.FileBatch.Execute('I'));
    EXPECT_EQ(g.FileBatch.OpenHandle, 0);
    gauge.Answer(Word(0x0D));
    EXPECT_TRUE(g.FileBatch.Execute('O', 5));
    EXPECT_EQ(g.FileBatch.OpenResult, 0x0D);
    gauge.Answer({});
    EXPECT_FALSE(g.FileBatch.Execute('O', 5));
    gauge.Answer({});
    EXPECT_TRUE(g.FileBatch.Execute('C'));
}

TEST_F(CommandAnswers, DisplayLines)
{
    gauge.Answer(Bytes({128}) + QByteArray(15, '\0'));
    ASSERT_TRUE(g.DisplayLine.Execute(0));
    EXPECT_EQ(g.DisplayLine.LineFormat, QStringLiteral("7X0"));
    EXPECT_EQ(g.DisplayLine.Pixels[0], pxBlack);
    for (int p = 1; p < 128; ++p)
        ASSERT_EQ(g.DisplayLine.Pixels[size_t(p)], pxWhite) << p;

    gauge.Answer(Bytes({0, 27}) + QByteArray(36, '\0') + Bytes({0xFF, 0xFF}));
    ASSERT_TRUE(g.DisplayLine.Execute(1));
    EXPECT_EQ(g.DisplayLine.LineFormat, QStringLiteral("7X00"));
    const std::array<uint32_t, 8> first = {pxWhite, pxLightGrey, pxDarkGrey, pxBlack,
                                           pxWhite, pxWhite,     pxWhite,    pxWhite};
    EXPECT_TRUE(std::equal(first.begin(), first.end(), g.DisplayLine.Pixels.begin()));
    EXPECT_EQ(g.DisplayLine.Pixels[159], pxBlack);
    EXPECT_EQ(g.DisplayLine.Pixels[151], pxWhite);

    const auto before = g.DisplayLine.Pixels;
    gauge.Answer(QByteArray(20, '\xFF'));
    ASSERT_TRUE(g.DisplayLine.Execute(2));
    EXPECT_EQ(g.DisplayLine.LineFormat, QStringLiteral("7X00"));
    EXPECT_EQ(g.DisplayLine.Pixels, before);
}
