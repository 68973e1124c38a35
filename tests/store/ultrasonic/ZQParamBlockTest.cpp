#include "store/ultrasonic/ZQParamBlock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A set with every field filled, inside and outside the gauge block. Floats
// are exact in single precision so they survive the narrowing unchanged.
TZQDiagramData FullRecord()
{
    TZQDiagramData d;
    d.Reset(QStringLiteral("0.96B185"));
    d.Name = QStringLiteral("PaintOnSteel");
    d.User = QStringLiteral("Inspector");
    d.Version = 3;
    d.Range = 2;
    d.Optimize = true;
    d.SuppressMultiEchos = true;
    d.CouplingMode = 3;
    d.CouplingTimeMax = 123.99; // truncated to 123
    d.Analyse = 4;
    d.ClipMode = 2;
    d.ExtremaMode = 1;
    d.PosGlobalClip = 2.5;
    d.NegGlobalClip = -4.25;
    d.MinStepHeight = 0.75;
    for (int n = 0; n < kZQDomainCount; ++n) {
        const auto i = size_t(n);
        d.Clip[i] = {n % 2 == 0, n % 3 == 0, 10.5 + n, -20.25 + n};
        d.Rest[i] = {100.5 + n, 30.5 - n, n % 2 == 1};
        d.Exp[i] = {5.5 + n, 50.25 + n, n % 3 != 1};
        d.EchoSelect[i] = n != 2 && n != 5;
        d.Speed[i] = 2000 + n;
        d.Material[i] = QStringLiteral("Material%1").arg(n + 1);
        d.Thickness[i] = 11 * (n + 1);
        d.Reading[i] = 7.5 * (n + 1);
    }
    d.Speed[0] = 2374.5; // ties go to the even neighbour: 2374
    d.Speed[1] = 2375.5; // 2376
    d.Speed[2] = 1999.49;
    d.LayerMax = 5;
    d.CouplingEcho = 12.5;
    d.CouplingFactor = 0.9;
    d.HeadEchoPos = 4;
    d.HeadEchoStart = 3;
    d.HeadEchoEnd = 5;
    d.Diagram[0] = 42;
    d.DiagramCounter = 1;
    d.EchoCounter = 3;
    d.Echo[1] = {55.5, 120.25, 577, kZQEchoUsed};
    d.XMax = 300;
    d.SpeedCorrectionFactor = 1.02;
    d.ReadingCounter = 2;
    d.Text = QStringLiteral("line one\r\nline two");
    return d;
}

// What reading the block of FullRecord() must give: the block's fields only.
TZQDiagramData FullRecordFromBlock()
{
    const TZQDiagramData full = FullRecord();
    TZQDiagramData d;
    d.Version = full.Version;
    d.User = full.User;
    d.LayerMax = full.LayerMax;
    d.Analyse = full.Analyse;
    d.Range = full.Range;
    d.PosGlobalClip = full.PosGlobalClip;
    d.NegGlobalClip = full.NegGlobalClip;
    d.MinStepHeight = full.MinStepHeight;
    d.Optimize = full.Optimize;
    d.ClipMode = full.ClipMode;
    d.SuppressMultiEchos = full.SuppressMultiEchos;
    d.ExtremaMode = full.ExtremaMode;
    d.CouplingMode = full.CouplingMode;
    d.CouplingTimeMax = 123;
    d.Clip = full.Clip;
    d.Rest = full.Rest;
    d.EchoSelect = full.EchoSelect;
    for (size_t i = 0; i < 5; ++i) {
        d.Exp[i] = full.Exp[i];
        d.Material[i] = full.Material[i];
    }
    d.Speed = {2374, 2376, 1999, 2003, 2004, 0, 0, 0};
    return d;
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

} // namespace

TEST(ZQParamBlock, RoundTripKeepsBlockFieldsAndClearsTheRest)
{
    const QByteArray block = TZQParamBlock::FromRecord(FullRecord());
    ASSERT_EQ(block.size(), 401);

    TZQDiagramData back = FullRecord(); // every field must be overwritten
    ASSERT_TRUE(TZQParamBlock::ToRecord(block, back));
    const TZQDiagramData expected = FullRecordFromBlock();
    EXPECT_EQ(back.Speed, expected.Speed);
    EXPECT_EQ(back.CouplingTimeMax, 123);
    EXPECT_TRUE(back.Name.isEmpty());
    EXPECT_TRUE(back.SensorSWVersion.isEmpty());
    EXPECT_TRUE(back.Material[5].isEmpty());
    EXPECT_FALSE(back.Exp[7].ExpEnable);
    EXPECT_EQ(back.SpeedCorrectionFactor, 0);
    EXPECT_EQ(back.SignalFlag, 0);
    EXPECT_TRUE(back == expected); // and everything else, field by field
}

TEST(ZQParamBlock, WritesTheGaugeLayout)
{
    TZQDiagramData d;
    d.Reset();
    d.Version = 1;
    d.User = QStringLiteral("ABCDEFGHIJKLMNOPQ"); // longer than 15 characters
    d.Range = 4;
    d.ClipMode = 1;
    d.Optimize = true;
    d.CouplingTimeMax = 150.7;
    d.Material[0] = QStringLiteral("Epoxy \u20AC");  // ANSI text: the euro sign is 0x80
    d.Speed[0] = 2500.5;
    d.Exp[0] = {0, 80, true};       // start 0 stays all ones, end is written
    d.Exp[1].ExpEnable = true;
    d.Exp[6].ExpEnable = true;      // layer 7 is not counted at offset 41
    d.EchoSelect[0] = d.EchoSelect[7] = true;
    d.Rest[0] = {0, 25, true};      // start 0: start and level stay all ones
    d.Rest[1] = {10, 0, false};     // level 0 is written with its start
    d.Clip[7] = {true, true, 2, -1};
    const QByteArray block = TZQParamBlock::FromRecord(d, 0x1234);

    const struct {
        int offset;
        QByteArray bytes;
    } cases[] = {
        {0, Bytes({1, 0x34, 0x12})},
        {3, QByteArray("ABCDEFGHIJKLMNO") + '\0'},
        {19, Bytes({1, 1, 5})},                                    // LayerMax, Analyse, Range +1
        {22, Bytes({0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x40, 0xC0, 0x00, 0x00, 0x00, 0x3F})},
        {34, Bytes({2, 0, 1, 2, 1, 1, 1, 2, 2, 1, 150, 0})},        // through CouplingTimeMax
        {46, QByteArray("Epoxy \x80").leftJustified(16, '\0')},
        {62, Bytes({0xC4, 0x09, 0, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xA0, 0x42})},
        {77, QByteArray(8, '\0')},
        {85 + 16, Bytes({0x47, 0x09})},                             // layer 2: default speed 2375
        {85 + 22, Bytes({2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {241, Bytes({2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {250, Bytes({1, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00})},
        {313, Bytes({2, 1, 1, 1, 1, 1, 1, 2})},
        {321, Bytes({1, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {391, Bytes({2, 2, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0xBF})},
    };
    for (const auto &c : cases)
        EXPECT_EQ(block.mid(c.offset, c.bytes.size()).toHex(' '), c.bytes.toHex(' ')) << "offset " << c.offset;
}

TEST(ZQParamBlock, AllOnesSinglesReadAsZero)
{
    TZQDiagramData d;
    d.Reset();
    d.Rest[0] = {0, 25, true};
    d.Clip[0] = {true, false, 0, 40}; // inverted, not in use
    TZQDiagramData back;
    ASSERT_TRUE(TZQParamBlock::ToRecord(TZQParamBlock::FromRecord(d), back));
    EXPECT_EQ(back.Rest[0].RestStart, 0);
    EXPECT_EQ(back.Rest[0].RestLevel, 0); // the block did not keep the level
    EXPECT_EQ(back.Clip[0].ClipLevel, 0);
    EXPECT_EQ(back.Exp[0].ExpStart, 0);
    EXPECT_EQ(back.Exp[4].ExpEnd, 0);
    EXPECT_TRUE(back.Rest[0].RestEnable);
    EXPECT_TRUE(back.Clip[0].ClipInvert);
}

TEST(ZQParamBlock, SizeLimit)
{
    TZQDiagramData d = FullRecord();
    const TZQDiagramData before = d;
    EXPECT_FALSE(TZQParamBlock::ToRecord(QByteArray(402, '\x01'), d));
    EXPECT_TRUE(d == before);
    EXPECT_TRUE(TZQParamBlock::ToRecord(QByteArray(401, '\x01'), d));
    EXPECT_EQ(d.Range, 0);

    // A short block reads its missing bytes as 0; "+1" fields do not wrap.
    ASSERT_TRUE(TZQParamBlock::ToRecord(Bytes({7, 0, 0, 'A', 0}), d));
    EXPECT_EQ(d.Version, 7);
    EXPECT_EQ(d.User, QStringLiteral("A"));
    ASSERT_TRUE(TZQParamBlock::ToRecord(QByteArray(46, '\0') + "Zn \x80\xE4", d));
    EXPECT_EQ(d.Material[0], QStringLiteral("Zn \u20AC\u00E4"));
    EXPECT_EQ(d.LayerMax, 0);
    EXPECT_FALSE(d.Optimize);
    EXPECT_EQ(TZQParamBlock::CopyErrorText, QStringLiteral("ZQParam copy error !"));
}

TEST(ZQDiagramData, DefaultsAndRangeEnd)
{
    TZQDiagramData d;
    d.Reset();
    EXPECT_EQ(d.SensorSWVersion, QStringLiteral("0.00B000"));
    EXPECT_EQ(d.Version, 1);
    EXPECT_EQ(d.CouplingTimeMax, 40);
    EXPECT_EQ(d.NegGlobalClip, -3);
    EXPECT_EQ(d.Speed[7], 2375);
    EXPECT_EQ(d.SpeedCorrectionFactor, 1);
    EXPECT_EQ(d.SignalFlag, 1);
    EXPECT_FALSE(d.EchoSelect[0]);

    const struct {
        int range;
        const char *version;
        double end;
    } cases[] = {
        {0, "0.00B000", 300}, {4, "0.96B184", 6300}, {0, "0.96B185", 423},
        {2, "0.97A000", 1692}, {4, "1.00B000", 6768}, {9, "0.96B185", 6768},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TZQDiagramData::RangeEnd(c.range, QString::fromLatin1(c.version)), c.end) << c.range << c.version;
}
