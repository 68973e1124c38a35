#include "GaugeTestLink.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
struct TRequestCase
{
    const char *what;
    std::function<bool(TGauge2 &)> send;
    QByteArray expected;  // command byte and payload as the gauge receives them
};

QByteArray F(const char *word, std::initializer_list<int> rest = {})
{
    QByteArray bytes = char(0x80 | word[0]) + QByteArray(word + 1);
    return bytes + Bytes(rest);
}

TBuffer Data(std::initializer_list<quint8> bytes)
{
    return TBuffer::FromContent(bytes);
}
} // namespace

// Every command's request as it arrives at the gauge, byte for byte.
TEST(CommandRequests, ArriveByteForByte)
{
    const QByteArray name20 = "ABCDEFGHIJKLMNOPQRST";
    const TRequestCase cases[] = {
        {"version", [](TGauge2 &g) { return g.Version.Execute(); }, "V"},
        {"info G B", [](TGauge2 &g) { return g.GetInfo.Execute('G', "B"); }, Bytes({199, 'G', 'B'})},
        {"info G DU", [](TGauge2 &g) { return g.GetInfo.Execute('G', "DU"); }, Bytes({199, 'G', 'D', 'U'})},
        {"PC mode on", [](TGauge2 &g) { return g.PCMode.Execute(1); }, "SP1"},
        {"PC mode off", [](TGauge2 &g) { return g.PCMode.Execute(0); }, "SP0"},
        {"sensor mode", [](TGauge2 &g) { return g.SensorMode.Execute('F', 1); }, F("SSMF", {1})},
        {"sensor mode 12", [](TGauge2 &g) { return g.SensorMode.Execute('F', 12); }, F("SSMF", {12})},
        {"EEPROM get", [](TGauge2 &g) { return g.EEPROMGetParam.Execute(QStringLiteral("ConfUnitSys")); },
         F("EGConfUnitSys")},
        {"display line", [](TGauge2 &g) { return g.DisplayLine.Execute(159); }, F("DL", {159})},
        {"key", [](TGauge2 &g) { return g.Key.Execute(QStringLiteral("O")); }, F("KO")},
        {"tree info long", [](TGauge2 &g) { return g.FileTreeGetInfo.Execute(true); }, F("FTGIF")},
        {"tree info short", [](TGauge2 &g) { return g.FileTreeGetInfo.Execute(false); }, F("FTGI")},
        {"tree get", [](TGauge2 &g) { return g.FileTreeGet.Execute(QStringLiteral("N"), 0x1234); },
         F("FTGN", {0x34, 0x12})},
        {"session 5", [](TGauge2 &g) { return g.FileTreeSession.Execute(5); }, F("FTS", {5})},
        {"session 255", [](TGauge2 &g) { return g.FileTreeSession.Execute(255); }, F("FTS", {255})},
        {"session 256", [](TGauge2 &g) { return g.FileTreeSession.Execute(256); }, F("FTS")},
        {"session -1", [](TGauge2 &g) { return g.FileTreeSession.Execute(-1); }, F("FTS")},
        {"rename", [](TGauge2 &g) { return g.FileTreeRename.Execute(0x0102, QStringLiteral("Ab")); },
         F("FTR", {2, 1, 'A', 'b'})},
        {"tree delete", [](TGauge2 &g) { return g.FileTreeDelete.Execute(7); }, F("FTD", {7, 0})},
        {"insert cuts names to 15",
         [&](TGauge2 &g) {
             return g.FileTreeInsert.Execute(1, 2, 3, 10, 11, 0xFFFF, QString::fromLatin1(name20),
                                             QString::fromLatin1(name20));
         },
         F("FTI", {1, 2, 3, 10, 0, 11, 0, 255, 255}) + name20.left(15) + '\0' + name20.left(15)},
        {"file handle", [](TGauge2 &g) { return g.FileHandle.Execute(); }, F("FFH")},
        {"file new", [](TGauge2 &g) { return g.FileNew.Execute(2, 0x0304, 1); }, F("FFN", {2, 4, 3, 1})},
        {"file open", [](TGauge2 &g) { return g.FileOpen.Execute(3, 13, 122); }, F("FFO", {3, 13, 0, 122})},
        {"file close", [](TGauge2 &g) { return g.FileClose.Execute(); }, F("FFC")},
        {"file position", [](TGauge2 &g) { return g.FilePosition.Execute(0x01020304); }, F("FFP", {4, 3, 2, 1})},
        {"file write", [](TGauge2 &g) { return g.FileWrite.Execute(Bytes({1, 2, 0})); }, F("FFW", {1, 2, 0})},
        {"file read", [](TGauge2 &g) { return g.FileRead.Execute(30); }, F("FFR", {30})},
        {"file delete", [](TGauge2 &g) { return g.FileDelete.Execute(0x0102, 2, 1); }, F("FFD", {2, 1, 2, 1})},
        {"param count", [](TGauge2 &g) { return g.FileParamRead.ReadParamCount(); }, F("FPR")},
        {"param entry", [](TGauge2 &g) { return g.FileParamRead.ReadParamEntry(4); }, F("FPR", {4})},
        {"param value", [](TGauge2 &g) { return g.FileParamRead.ReadParamValue(9, 1); }, F("FPR", {9, 1})},
        {"param write", [](TGauge2 &g) { return g.FileParamWrite.Execute(9, 1, Data({5, 6})); },
         F("FPW", {9, 1, 5, 6})},
        {"quick info", [](TGauge2 &g) { return g.FileBatchQuickInfo.Execute('D'); }, F("FBQD")},
        {"access table R", [](TGauge2 &g) { return g.FileAccessTable.Execute('R'); }, F("FAR", {0})},
        {"access table G", [](TGauge2 &g) { g.FileAccessTable.Execute('G', 2, 13, 1); return true; },
         F("FAG", {2, 13, 0, 1})},
        {"access table G without handle", [](TGauge2 &g) { g.FileAccessTable.Execute('G', 2, 0, 1); return true; },
         F("FAG", {2, 1})},
        {"batch info", [](TGauge2 &g) { g.FileBatch.Execute('I'); return true; }, F("FBI", {0, 0})},
        {"batch open", [](TGauge2 &g) { g.FileBatch.Execute('O', 0x0105); return true; }, F("FBO", {5, 1})},
        {"batch close", [](TGauge2 &g) { return g.FileBatch.Execute('C'); }, F("FBC", {0, 0})},
    };
    TScriptedLink link;
    for (const TRequestCase &c : cases) {
        EXPECT_TRUE(c.send(*link.Gauge)) << c.what;
        EXPECT_EQ(link.LastRequest().toHex(' '), c.expected.toHex(' ')) << c.what;
    }
    EXPECT_EQ(link.Port->Requests.size(), qsizetype(std::size(cases)));
}

// The 7-bit expansion of starred commands makes the frame longer than the
// request; a request whose frame would exceed 255 bytes never leaves the PC.
TEST(CommandRequests, OversizedRequestsAreRefusedBeforeSending)
{
    TScriptedLink link;
    QList<TErrMsg> reported;
    link.Item.OnError = [&](QObject *, TErrMsg code, const QString &) { reported << code; };

    EXPECT_TRUE(link.Gauge->FileWrite.Execute(QByteArray(215, 'x')));
    EXPECT_EQ(link.LastRequest().size(), 3 + 215);
    EXPECT_TRUE(link.Gauge->FileWrite.Execute(QByteArray(TGauge2FileWrite::MaxWriteBytes, 'x')));

    EXPECT_FALSE(link.Gauge->FileWrite.Execute(QByteArray(216, 'x')));
    EXPECT_FALSE(link.Gauge->FileWrite.Execute(QByteArray(300, 'x')));
    EXPECT_FALSE(link.Gauge->FileTreeRename.Execute(1, QString(260, QLatin1Char('n'))));
    TBuffer full;
    for (int i = 0; i < 255; ++i)
        full.Append(quint8(i));
    EXPECT_FALSE(link.Gauge->FileParamWrite.Execute(1, 0, full));

    EXPECT_EQ(link.Port->Requests.size(), 2);
    EXPECT_EQ(reported.size(), 4);
    EXPECT_TRUE(reported.count(emBadCmdLine) == 4);
}

TEST(CommandRequests, UnterminatedQuoteInAKeyNameSendsNothing)
{
    TScriptedLink link;
    EXPECT_FALSE(link.Gauge->Key.Execute(QStringLiteral("\"")));
    EXPECT_TRUE(link.Port->Requests.isEmpty());
}
