#include "GaugeTestLink.h"

#include <gtest/gtest.h>

namespace {
QByteArray Word(int value)
{
    return Bytes({value & 0xFF, (value >> 8) & 0xFF});
}
QByteArray Entry(int size, int type, int id, const char *name)
{
    return Word(size) + Bytes({type, id}) + name;
}
} // namespace

TEST(Gauge2, ReadsTheSimulatedParameterTable)
{
    TSimLink link;
    TGauge2ParamList list;
    ASSERT_TRUE(link.Gauge->ReadParamList(list));
    const QVector<TSimParamDef> &table = link.Model().ParamTable;
    ASSERT_EQ(list.size(), size_t(table.size()));
    ASSERT_GT(list.size(), 10u);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].Name, table[qsizetype(i)].Name.toUpper());
        EXPECT_EQ(list[i].ID, table[qsizetype(i)].Id);
        EXPECT_EQ(list[i].Typ, table[qsizetype(i)].Type);
        EXPECT_EQ(list[i].Size, table[qsizetype(i)].Size);
    }
    EXPECT_EQ(TGauge2::FindParam(list, QStringLiteral("parblksize")),
              TGauge2::FindParam(list, QStringLiteral("PARBLKSIZE")));
    EXPECT_GE(TGauge2::FindParam(list, QStringLiteral("ParBlkSize")), 0);
    EXPECT_EQ(TGauge2::FindParam(list, QStringLiteral("NoSuchParam")), -1);
}

TEST(Gauge2, ParameterValuesByNameOnTheSimulatedGauge)
{
    TSimLink link;
    link.Model().AddEntry(RootHead, setBatch, QStringLiteral("Bridge 12"), 13, QDateTime::currentDateTime(),
                          QDateTime::currentDateTime());
    link.Model().CreateFile({3, 13, 0});
    link.Model().CreateFile({2, 13, 0});
    TGauge2 &g = *link.Gauge;
    TGauge2ParamList list;
    ASSERT_TRUE(g.ReadParamList(list));
    link.Model().OpenFile = TSimFileKey{3, 13, 0};
    ASSERT_TRUE(g.WriteParamByName(list, QStringLiteral("parblksize"), TBuffer::FromContent({5}), 0));
    TBuffer value;
    ASSERT_TRUE(g.ReadParamByName(list, QStringLiteral("ParBlkSize"), 0, value));
    EXPECT_EQ(Content(value), Bytes({5}));
    EXPECT_TRUE(g.FileClose.Execute());
}

TEST(Gauge2, ParameterListStopsAtTheFirstFailedEntry)
{
    TScriptedLink link;
    link.Port->Answer(Word(3));
    link.Port->Answer(Entry(1, 1, 7, "ParTargetWithAVeryLongName"));
    link.Port->Then(TScriptedAnswer::saDrop);
    TGauge2ParamList list;
    EXPECT_FALSE(link.Gauge->ReadParamList(list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Name, QStringLiteral("PARTARGETWITHAVERYLO"));
    EXPECT_EQ(list[0].ID, 7);
    EXPECT_TRUE(list[1].Name.isEmpty());
    EXPECT_EQ(list[2].ID, 0);
    EXPECT_EQ(link.Port->Requests.size(), 3);  // the third entry is never asked

    link.Port->Then(TScriptedAnswer::saDrop);  // no count: an empty directory
    EXPECT_TRUE(link.Gauge->ReadParamList(list));
    EXPECT_TRUE(list.empty());
}

TEST(Gauge2, ParametersByNameNeedAKnownName)
{
    TScriptedLink link;
    const TGauge2ParamList list = {{1, 1, 7, QStringLiteral("PARTARGET")}, {3, 4, 9, QStringLiteral("PARHILIM")}};
    TBuffer value;
    EXPECT_FALSE(link.Gauge->ReadParamByName(list, QStringLiteral("ParLoLim"), 1, value));
    EXPECT_FALSE(link.Gauge->WriteParamByName(list, QStringLiteral("ParLoLim"), TBuffer::FromContent({1}), 1));
    EXPECT_TRUE(link.Port->Requests.isEmpty());

    link.Port->Answer(Bytes({0, 0, 0x80, 0x3F}));
    EXPECT_TRUE(link.Gauge->ReadParamByName(list, QStringLiteral("parhilim"), 2, value));
    EXPECT_EQ(link.LastRequest(), Bytes({198, 'P', 'R', 9, 2}));
    EXPECT_EQ(Content(value), Bytes({0, 0, 0x80, 0x3F}));
    link.Port->Answer({});
    EXPECT_FALSE(link.Gauge->ReadParamByName(list, QStringLiteral("ParHiLim"), 2, value));

    EXPECT_TRUE(link.Gauge->WriteParamByName(list, QStringLiteral("ParTarget"), TBuffer::FromContent({2}), 0));
    EXPECT_EQ(link.LastRequest(), Bytes({198, 'P', 'W', 7, 0, 2}));
}

TEST(Gauge2, WaitForGaugeRestoresTheLinkSettings)
{
    TScriptedLink link;
    link.Item.SetReceiveTimeout(123);
    link.Item.SetRetryMax(4);
    link.Port->DropPings = true;
    link.Item.SetReceiveTimeout(5);
    // A dropped ping costs the 1000 ms time-out; answer after three.
    link.Port->DropPings = false;
    EXPECT_TRUE(link.Gauge->WaitForGauge(1));
    EXPECT_EQ(link.Port->Pings, 1);
    EXPECT_EQ(link.Item.ReceiveTimeout(), 5u);
    EXPECT_EQ(link.Item.RetryMax(), 4u);
}

TEST(Gauge2, WaitForGaugeGivesUpAfterThirtyPings)
{
    TScriptedLink link;
    link.Item.SetReceiveTimeout(77);
    link.Item.SetRetryMax(2);
    link.Port->NakPings = true;  // each ping fails at once
    EXPECT_FALSE(link.Gauge->WaitForGauge(1));
    EXPECT_EQ(link.Port->Pings, 30);
    EXPECT_EQ(link.Item.ReceiveTimeout(), 77u);
    EXPECT_EQ(link.Item.RetryMax(), 2u);
}

TEST(Gauge2, TelegramsReachTheHandlerInstalledBefore)
{
    TScriptedLink link;
    link.Gauge.reset();
    QList<QByteArray> seen;
    link.Item.OnTelegram = [&](QObject *, const TTelegramData &telegram, TBuffer &) {
        seen << telegram.Data.Content();
    };
    auto sendFromGauge = [&](const QByteArray &payload) {
        TCodecState gauge;
        gauge.TransmitAdr = 53;
        gauge.ReceiveAdr = 127;
        TBuffer request = TBuffer::FromContent({'M'});
        request.Append(payload);
        TBuffer frame;
        ASSERT_EQ(BuildFrame(gauge, fkRequest, 0, request, frame), emNone);
        link.Item.ReceiveBytes(frame.ContentData(), frame.Count());
    };
    {
        TGauge2 facade(link.Item);
        sendFromGauge("12 25.4 um");
    }
    sendFromGauge("13 30.0 um");
    EXPECT_EQ(seen, QList<QByteArray>({"12 25.4 um", "13 30.0 um"}));

    link.Item.OnTelegram = nullptr;
    TGauge2 facade(link.Item);
    sendFromGauge("ignored");  // no earlier handler: nothing to pass on
    EXPECT_EQ(seen.size(), 2);
}
