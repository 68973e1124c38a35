#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QRandomGenerator>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray Bytes(const TBuffer &buffer)
{
    return buffer.Content();
}

struct EncodeCase
{
    const char *line;
    const char *expectedHex;  // nullptr: "Bad command line !" with count 0
};

const EncodeCase encodeCases[] = {
    {"V", "56"},
    {"  V  ", "56"},
    {"*FTS 05", "C6545305"},
    {"*K \"12\"", "CB3132"},
    {"*SSM \"F\" 01", "D3534D4601"},
    {"*DL 3", "C44C03"},
    {"", "20"},
    {"    ", "20"},
    {"*", "A0"},
    {"X AB C", "58AB0C"},
    {"X 0A0B", "580A0B"},
    {"X A", "580A"},
    {"X zz", "580000"},
    {"X \"a b\"", "58612062"},
    {"X \"\"", "58"},
    {"X \"abc", nullptr},
    {"X #W1000", "58E803"},
    {"X #w1000", "58E803"},
    {"X #B255", "58FF"},
    {"X #T70000", "58701101"},
    {"X #L-1", "58FFFFFFFF"},
    {"X #F1,5", "580000C03F"},
    {"X #F1.5", "580000C03F"},
    {"X #F-2", "58000000C0"},
    {"X #Q5", nullptr},
    {"X #", nullptr},
    {"X #W", nullptr},
    {"X #W 5", nullptr},
    // Number texts that do not convert are syntax errors, not exceptions.
    {"X #W1.5", nullptr},
    {"X #B+", nullptr},
    {"X #F1.2.3", nullptr},
    {"X #L--4", nullptr},
};

TEST(TelegramCodec, EncodeLineCommandTable)
{
    for (const EncodeCase &c : encodeCases) {
        SCOPED_TRACE(c.line);
        TErrMsg result = emNone;
        const TBuffer request = EncodeLineCommand(QString::fromLatin1(c.line), &result);
        if (c.expectedHex) {
            EXPECT_EQ(result, emNone);
            EXPECT_EQ(Bytes(request).toHex().toUpper(), QByteArray(c.expectedHex));
        } else {
            EXPECT_EQ(result, emBadCmdLine);
            EXPECT_EQ(request.Count(), 0);
        }
    }
}

TEST(TelegramCodec, TypedFloatIgnoresTheDefaultLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const TBuffer comma = EncodeLineCommand(QStringLiteral("X #F1,5"));
    const TBuffer point = EncodeLineCommand(QStringLiteral("X #F1.5"));
    QLocale::setDefault(before);
    EXPECT_EQ(Bytes(comma), Hex("580000C03F"));
    EXPECT_EQ(Bytes(point), Hex("580000C03F"));
}

TEST(TelegramCodec, RequestNeverExceeds255Bytes)
{
    const QString fits = QStringLiteral("X ") + QStringLiteral("00").repeated(254);
    EXPECT_EQ(EncodeLineCommand(fits).Count(), 255);

    const struct { QString line; } overflowing[] = {
        {QStringLiteral("X ") + QStringLiteral("00").repeated(255)},
        {QStringLiteral("X \"") + QString(255, u'a') + u'"'},
        {QStringLiteral("X ") + QStringLiteral("00").repeated(252) + QStringLiteral(" #L7")},
        {QString(256, u'Y')},
    };
    for (const auto &c : overflowing) {
        TErrMsg result = emNone;
        EXPECT_EQ(EncodeLineCommand(c.line, &result).Count(), 0);
        EXPECT_EQ(result, emBadCmdLine);
    }
}

TEST(TelegramCodec, StringAndBufferConversions)
{
    EXPECT_EQ(Bytes(StringToBuffer(QStringLiteral("AB"))), QByteArray("AB"));
    // The count is the length taken modulo 256.
    EXPECT_EQ(StringToBuffer(QString(257, u'z')).Count(), 1);
    EXPECT_EQ(BufferToString(TBuffer::FromContent({'O', 'K', 0xE4})), QStringLiteral("OK\u00E4"));

    const quint8 word[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(ReadBigEndian32(word), 0x12345678u);
}

struct FrameCase
{
    const char *requestHex;
    quint8 subAdr;
    const char *frameHex;
};

TEST(TelegramCodec, BuildRequestFrameTable)
{
    const FrameCase cases[] = {
        {"56", 0, "02357F568C04"},
        {"20", 0, "02357F20D604"},
        {"C6545305", 0, "02357FC6D4D38580A804"},
        {"C68102830485068708", 0, "02357FC6818283848586 87D58880F504"},
        {"56", 7, "02B5077F569304"},
    };
    for (const FrameCase &c : cases) {
        SCOPED_TRACE(c.requestHex);
        TCodecState state;
        state.SubAdr = c.subAdr;
        TBuffer frame;
        ASSERT_EQ(BuildFrame(state, fkRequest, 0, TBuffer::FromContent(Hex(c.requestHex)), frame), emNone);
        EXPECT_EQ(Bytes(frame), QByteArray::fromHex(QByteArray(c.frameHex).replace(' ', "")));
    }
}

TEST(TelegramCodec, BuildFrameRefusesUnknownKindsAndOversizedFrames)
{
    TCodecState state;
    TBuffer frame;
    EXPECT_EQ(BuildFrame(state, 7, 0, EncodeLineCommand(QStringLiteral("V")), frame), emUnknownCommand);
    EXPECT_EQ(frame.Count(), 0);

    // A full request does not fit once framed; encoded payloads grow by one in eight.
    const TBuffer plain = EncodeLineCommand(QStringLiteral("X ") + QStringLiteral("00").repeated(254));
    EXPECT_EQ(BuildFrame(state, fkRequest, 0, plain, frame), emBadCmdLine);
    EXPECT_EQ(frame.Count(), 0);
    const TBuffer starred = EncodeLineCommand(QStringLiteral("*X ") + QStringLiteral("00").repeated(220));
    EXPECT_EQ(BuildFrame(state, fkAnswer, 0, starred, frame), emBadCmdLine);

    // The largest plain request that fits: 6 bytes of framing.
    const TBuffer largest = EncodeLineCommand(QStringLiteral("X ") + QStringLiteral("00").repeated(249));
    EXPECT_EQ(BuildFrame(state, fkRequest, 0, largest, frame), emNone);
    EXPECT_EQ(frame.Count(), 255);
    const TBuffer oneMore = EncodeLineCommand(QStringLiteral("X ") + QStringLiteral("00").repeated(250));
    EXPECT_EQ(BuildFrame(state, fkRequest, 0, oneMore, frame), emBadCmdLine);
}

TEST(TelegramCodec, AnswerCounterResetsOnPingAndStopsAt127)
{
    TCodecState state;
    state.LastSourceAdr = 53;
    TBuffer frame;
    const TBuffer request = TBuffer::FromContent({2});
    const TBuffer ping = TBuffer::FromContent({32});
    const auto counterOf = [&](const TBuffer &r) {
        EXPECT_EQ(BuildFrame(state, fkAnswer, 0, r, frame), emNone);
        return frame[4];
    };
    EXPECT_EQ(counterOf(request), 33);  // first answer after start
    EXPECT_EQ(counterOf(ping), 32);
    for (int expected = 33; expected <= 127; ++expected)
        ASSERT_EQ(counterOf(request), expected);
    EXPECT_EQ(counterOf(request), 127);
    EXPECT_EQ(counterOf(request), 127);
    EXPECT_EQ(counterOf(ping), 32);
    // Answer form: destination is the last sender, R[1] is not sent.
    EXPECT_EQ(Bytes(frame), Hex("06357F20DA04"));
}

// A gauge-side codec state: answers go to the PC address 127.
TCodecState GaugeSide()
{
    TCodecState gauge;
    gauge.TransmitAdr = 53;
    gauge.ReceiveAdr = 127;
    gauge.LastSourceAdr = 127;
    return gauge;
}

TEST(TelegramCodec, EncodedPayloadsOfEveryLengthRoundTrip)
{
    QRandomGenerator random(7);
    for (int size = 0; size <= 216; ++size) {
        SCOPED_TRACE(size);
        TBuffer answer = TBuffer::FromContent({0x80});
        for (int i = 0; i < size; ++i)
            answer.Append(static_cast<quint8>(random.bounded(256)));
        TCodecState gauge = GaugeSide();
        TBuffer frame;
        ASSERT_EQ(BuildFrame(gauge, fkAnswer, 0, answer, frame), emNone);
        TCodecState pc;
        TTelegramData telegram;
        ASSERT_EQ(DecodeFrame(pc, frame, telegram), emNone);
        EXPECT_EQ(telegram.Kind, 6u);
        EXPECT_EQ(telegram.Encoded, 1);
        EXPECT_EQ(telegram.AnswerByte, 1);
        EXPECT_EQ(Bytes(telegram.Data), Bytes(answer).mid(1));
    }
}

TEST(TelegramCodec, DecodeAddressesAndPlainPayload)
{
    TCodecState pc;
    TTelegramData telegram;
    // Plain answer from source 255: no sub-address.
    const TBuffer plain = TBuffer::FromContent({6, 127, 255, 33, 'O', 'K', 0, 4});
    TBuffer withSum = plain;
    withSum[7] = static_cast<quint8>(((6 + 127 + 255 + 33 + 'O' + 'K') & 0xFF) | 0x80);
    ASSERT_EQ(DecodeFrame(pc, withSum, telegram), emNone);
    EXPECT_EQ(telegram.SourceAdr, 255);
    EXPECT_EQ(pc.LastSubAdr, 0);
    EXPECT_EQ(telegram.Encoded, 0);
    EXPECT_EQ(Bytes(telegram.Data), QByteArray("OK"));

    // Source 181 (53 + 128) carries a sub-address; the answer goes back with it.
    TBuffer sub = TBuffer::FromContent({6, 127, 181, 9, 33, 0, 4});
    sub[6] = static_cast<quint8>(((6 + 127 + 181 + 9 + 33) & 0xFF) | 0x80);
    ASSERT_EQ(DecodeFrame(pc, sub, telegram), emNone);
    EXPECT_EQ(telegram.SourceAdr, 181);
    EXPECT_EQ(pc.LastSubAdr, 9);
    EXPECT_EQ(telegram.Data.Count(), 0);
    EXPECT_EQ(telegram.Encoded, 1);  // no payload: the checksum's bit 7 decides
    TBuffer answer;
    ASSERT_EQ(BuildFrame(pc, fkAnswer, 0, TBuffer::FromContent({2}), answer), emNone);
    EXPECT_EQ(Bytes(answer).left(4), Hex("06B5097F"));
}

TEST(TelegramCodec, DecodeFailures)
{
    TCodecState pc;
    pc.LastSourceAdr = 11;
    TTelegramData telegram;

    EXPECT_EQ(DecodeFrame(pc, TBuffer::FromContent({7, 127, 53, 33, 0x80, 4}), telegram), emUnknownCommand);
    EXPECT_EQ(telegram.Kind, 0u);
    EXPECT_EQ(DecodeFrame(pc, TBuffer::FromContent({6, 126, 53, 33, 0x80, 4}), telegram), emWrongAddress);
    EXPECT_EQ(telegram.Kind, 0u);
    EXPECT_EQ(pc.LastSourceAdr, 11);  // refused before the addresses are taken

    // Checksum mismatch keeps kind and addresses, with an empty payload.
    TCodecState gauge = GaugeSide();
    TBuffer frame;
    ASSERT_EQ(BuildFrame(gauge, fkAnswer, 0, TBuffer::FromContent({0x80, 1, 2, 3}), frame), emNone);
    frame[frame.Count() - 1] ^= 0x01;
    EXPECT_EQ(DecodeFrame(pc, frame, telegram), emBadCheckSum);
    EXPECT_EQ(telegram.Kind, 6u);
    EXPECT_EQ(telegram.SourceAdr, 53);
    EXPECT_EQ(telegram.Data.Count(), 0);

    // NAK: code minus 32, not an error of the frame.
    ASSERT_EQ(BuildFrame(gauge, fkNak, 32 + 5, TBuffer{}, frame), emNone);
    EXPECT_EQ(DecodeFrame(pc, frame, telegram), emNAK);
    EXPECT_EQ(telegram.Kind, 15u);
    EXPECT_EQ(telegram.NakCode, 5);

    // Broadcast destination is accepted.
    TBuffer broadcast = TBuffer::FromContent({6, 255, 53, 33, 0, 4});
    broadcast[5] = static_cast<quint8>(((6 + 255 + 53 + 33) & 0xFF) | 0x80);
    EXPECT_EQ(DecodeFrame(pc, broadcast, telegram), emNone);
}

TEST(TelegramCodec, TruncatedAndHostileFramesAreRefusedSafely)
{
    TCodecState pc;
    TTelegramData telegram;
    for (int length = 0; length < 8; ++length) {
        TBuffer frame;
        for (int i = 0; i < length; ++i)
            frame.Append(i == 0 ? 6 : (i == 1 ? 127 : 200));
        const TErrMsg result = DecodeFrame(pc, frame, telegram);
        EXPECT_NE(result, emNone) << length;
    }
    // A full buffer of payload bytes decodes without running past the end.
    TBuffer full = TBuffer::FromContent({6, 127, 53, 33});
    while (full.Count() < 253)
        full.Append(0xFF);
    unsigned sum = 0;
    for (int i = 1; i <= 253; ++i)
        sum += full[i];
    full.Append(static_cast<quint8>((sum & 0xFF) | 0x80));
    full.Append(4);
    EXPECT_EQ(DecodeFrame(pc, full, telegram), emNone);
    EXPECT_LE(telegram.Data.Count(), 255);
}

TEST(FrameAssembler, CollectsFramesAndDropsNoise)
{
    TFrameAssembler assembler;
    const QByteArray stream = Hex("FF0001") + Hex("06357F20DA04") + Hex("7E") + Hex("02357F568C05");
    QList<QByteArray> frames;
    for (char c : stream) {
        if (assembler.Feed(static_cast<quint8>(c)))
            frames << assembler.Frame().Content();
    }
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0], Hex("06357F20DA04"));
    EXPECT_EQ(frames[1], Hex("02357F568C05"));  // 5 ends a frame as well
    EXPECT_FALSE(assembler.InProgress());
    EXPECT_EQ(assembler.EmptiedFrame()[1], 2);
    EXPECT_EQ(assembler.EmptiedFrame().Count(), 0);
}

TEST(FrameAssembler, OverlongFrameKeepsItsStartAndLatestByte)
{
    TFrameAssembler assembler;
    assembler.Feed(6);
    for (int i = 0; i < 400; ++i)
        ASSERT_FALSE(assembler.Feed(static_cast<quint8>(0x80 | (i & 0x7F))));
    ASSERT_TRUE(assembler.Feed(4));
    const TBuffer &frame = assembler.Frame();
    EXPECT_EQ(frame.Count(), 255);
    EXPECT_EQ(frame[1], 6);
    EXPECT_EQ(frame[254], 0x80 | 252);
    EXPECT_EQ(frame[255], 4);
    TCodecState pc;
    TTelegramData telegram;
    EXPECT_EQ(DecodeFrame(pc, frame, telegram), emWrongAddress);  // 0x80 is not the PC
}

} // namespace
