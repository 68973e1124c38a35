#include "SimTestLink.h"

// Every command family answers with the layout the PC's command classes
// check: the right frame kind and the exact payload length.

namespace {

constexpr int Star = 0x80;

struct TLayoutCase
{
    const char *what;
    QString line;
    QByteArray raw;       // appended to the line; the whole request when line is empty
    int length;           // payload length of the kind-6 answer
};

QList<TLayoutCase> LayoutCases()
{
    const QByteArray handle20 = Word(20);
    return {
        {"firmware version", QStringLiteral("V"), {}, 5},
        {"gauge model", {}, Bytes({Star | 'G', 'G', 'B'}), 20},
        {"gauge error byte", {}, Bytes({Star | 'G', 'G', 'E'}), 1},
        {"sensor error byte", {}, Bytes({Star | 'G', 'S', 'E'}), 1},
        {"sensor texts", {}, Bytes({Star | 'G', 'S', 'T'}), 6},
        {"tree information", QStringLiteral("*FTGI"), {}, 12},
        {"long tree information", QStringLiteral("*FTGIF"), {}, 36},
        {"session counter", QStringLiteral("*FTS"), {}, 1},
        {"session query with argument", QStringLiteral("*FTS FF"), {}, 1},
        {"tree entry DirectMode", QStringLiteral("*FTGA"), Word(2), 15 + 11},
        {"tree entry with links", QStringLiteral("*FTGAF"), Word(5), 15 + 9 + 12},
        {"end of a list", QStringLiteral("*FTGN"), Word(14), 16},
        {"free handle", QStringLiteral("*FFH"), {}, 2},
        {"open parameter file", {}, Bytes({Star | 'F', 'F', 'O', 3}) + handle20 + Bytes({0}), 4},
        {"parameter count", QStringLiteral("*FPR"), {}, 2},
        {"parameter entry", QStringLiteral("*FPR"), Bytes({2}), 4 + 9},
        {"byte parameter", QStringLiteral("*FPR"), Bytes({3, 0}), 1},
        {"CalTyp of the batch", QStringLiteral("*FPR"), Bytes({12, 0}), 1},
        {"CalTyp of calibration 1", QStringLiteral("*FPR"), Bytes({12, 1}), 2},
        {"single parameter", QStringLiteral("*FPR"), Bytes({13, 1}), 4},
        {"calibration point", QStringLiteral("*FPR"), Bytes({20, 1}), 9},
        {"text parameter", QStringLiteral("*FPR"), Bytes({18, 1}), 15},
        {"parameter without value", QStringLiteral("*FPR"), Bytes({17, 1}), 0},
        {"quick info dates", QStringLiteral("*FBQ \"D\""), {}, 8},
        {"quick info readings", QStringLiteral("*FBQ \"V\""), {}, 4},
        {"quick info sensor", QStringLiteral("*FBQ \"S\""), {}, 13},
        {"quick info user", QStringLiteral("*FBQ \"U\""), {}, 9},
        {"close file", QStringLiteral("*FFC"), {}, 0},
        {"active batch", QStringLiteral("*FB \"I\""), {}, 8},
        {"open batch", QStringLiteral("*FB \"O\""), Word(5), 2},
        {"access table hit", QStringLiteral("*FA \"G\""), Bytes({2}) + handle20 + Bytes({0}), 3},
        {"access table miss", QStringLiteral("*FA \"G\""), Bytes({2, 99, 0, 0}), 3},
        {"display line (grey)", QStringLiteral("*DL 9F"), {}, 40},
        {"target ball after the last", QStringLiteral("*GST 00"), {}, 3},
        {"EEPROM parameter", QStringLiteral("*EGConfExtDataOut"), {}, 3},
        {"key", QStringLiteral("*K \"D\""), {}, 0},
        {"PC mode", QStringLiteral("SP \"1\""), {}, 0},
        {"sensor mode", QStringLiteral("*SSM \"F\" 01"), {}, 0},
    };
}

} // namespace

TEST(SimCommandLayout, EveryFamilyAnswersWithItsLength)
{
    TSimTestLink link;
    for (const TLayoutCase &c : LayoutCases()) {
        const TTelegramData answer = c.line.isEmpty() ? link.SendRaw(c.raw) : link.Send(c.line, c.raw);
        EXPECT_EQ(answer.Kind, quint32(fkAnswer)) << c.what;
        EXPECT_EQ(answer.Data.Count(), c.length) << c.what << ": " << Payload(answer).toHex(' ').toStdString();
    }
}

TEST(SimCommandLayout, AnswerContents)
{
    TSimTestLink link;
    EXPECT_EQ(Payload(link.Send(QStringLiteral("V"))), QByteArray("2.15A"));
    EXPECT_EQ(Payload(link.SendRaw(Bytes({Star | 'G', 'S', 'N'}))), QByteArray("FN 1.5"));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*EGConfExtDataOut"))), Bytes({38, 1, 1}));

    const QByteArray entry = Payload(link.Send(QStringLiteral("*FTGA"), Word(2)));
    EXPECT_EQ(entry.left(7), Bytes({0, 2, 0, 2, 0, 1, 0})); // status, index 2, batch, handle 1
    EXPECT_EQ(entry.mid(15), QByteArray("DirectMode", 11));

    link.SendRaw(Bytes({Star | 'F', 'F', 'O', 2, 23, 0, 0})); // Tank 4 shell, series 0
    EXPECT_EQ(link.Model().Position, 0u);
    const QByteArray chunk = Payload(link.Send(QStringLiteral("*FFR 1E")));
    EXPECT_EQ(chunk, link.Model().File({2, 23, 0})->Data.left(30));

    const QByteArray active = Payload(link.Send(QStringLiteral("*FB \"I\"")));
    EXPECT_EQ(WordAt(active, 0), 6);  // Bridge 12/Girder 4
    EXPECT_EQ(WordAt(active, 2), 21);
    EXPECT_EQ(WordAt(active, 4), 64);
}

TEST(SimCommandLayout, PingResetsTheAnswerCounter)
{
    TSimTestLink link;
    EXPECT_EQ(link.Send(QStringLiteral("V")).AnswerByte, 33 - 32);
    EXPECT_EQ(link.Send(QStringLiteral("V")).AnswerByte, 34 - 32);
    const TTelegramData ping = link.Send(QString());
    EXPECT_EQ(ping.Kind, quint32(fkAnswer));
    EXPECT_EQ(ping.AnswerByte, 0);
    EXPECT_EQ(ping.Data.Count(), 0);
    EXPECT_EQ(link.Send(QStringLiteral("V")).AnswerByte, 33 - 32);
}

// Unknown commands get a NAK to the PC; commands that cannot be carried out a
// NAK to 255 (the PC repeats and gives up) with the reason in the error byte.
TEST(SimCommandLayout, RefusalsAndTheErrorByte)
{
    TSimTestLink link;
    const TTelegramData unknown = link.Send(QStringLiteral("XYZ"));
    EXPECT_EQ(unknown.Kind, quint32(fkNak));
    EXPECT_EQ(unknown.DestAdr, 127);
    EXPECT_EQ(unknown.NakCode, sncUnknownCommand);

    struct TCase
    {
        const char *what;
        QString line;
        QByteArray raw;
        TSimError error;
    };
    const QList<TCase> cases = {
        {"read without open file", QStringLiteral("*FFR 1E"), {}, seNoOpenFile},
        {"open a missing file", {}, Bytes({Star | 'F', 'F', 'O', 2, 77, 0, 0}), seNoFile},
        {"parameter id outside the table", QStringLiteral("*FPR"), Bytes({99}), seNoParameter},
        {"display line out of range", QStringLiteral("*DL A0"), {}, seBadArgument},
        {"rename a free slot", {}, Bytes({Star | 'F', 'T', 'R', 200, 0, 'x'}), seNoEntry},
        {"unknown EEPROM parameter", QStringLiteral("*EG \"Nothing\""), {}, seNoParameter},
    };
    for (const TCase &c : cases) {
        const TTelegramData answer = c.line.isEmpty() ? link.SendRaw(c.raw) : link.Send(c.line, c.raw);
        EXPECT_EQ(answer.Kind, quint32(fkNak)) << c.what;
        EXPECT_EQ(answer.DestAdr, 255) << c.what;
        EXPECT_EQ(answer.NakCode, sncNotCarriedOut) << c.what;
        link.Send(QString()); // a ping in between, as the file steps resynchronise
        EXPECT_EQ(Payload(link.SendRaw(Bytes({Star | 'G', 'G', 'E'}))), Bytes({c.error})) << c.what;
    }
    link.Send(QStringLiteral("*FFH"));
    EXPECT_EQ(Payload(link.SendRaw(Bytes({Star | 'G', 'G', 'E'}))), Bytes({0}));
}

TEST(SimCommandLayout, GarbledRequestGetsNakToBroadcast)
{
    TSimTestLink link;
    link.Sim->Receive(QByteArray::fromHex("02357F568D04")); // "V" with a wrong checksum
    ASSERT_EQ(link.Received.size(), 1);
    EXPECT_EQ(link.Received[0].Kind, quint32(fkNak));
    EXPECT_EQ(link.Received[0].DestAdr, 255);
    EXPECT_EQ(link.Received[0].NakCode, sncGarbled);

    link.Sim->Receive(QByteArray::fromHex("02637F568C04")); // for address 99: not this gauge
    EXPECT_EQ(link.Received.size(), 1);
}

TEST(SimCommandLayout, DisplayLinesOfBothPanels)
{
    TSimTestLink grey;
    TSimTestLink mono(QStringLiteral("compact-gauge"));
    EXPECT_EQ(Payload(mono.Send(QStringLiteral("*DL 3F"))).size(), 16);
    EXPECT_EQ(mono.Send(QStringLiteral("*DL 40")).Kind, quint32(fkNak));
    EXPECT_EQ(grey.Send(QStringLiteral("*DL 9F")).Data.Count(), 40);
    // The frame's top line is black on both.
    EXPECT_EQ(Payload(mono.Send(QStringLiteral("*DL 00"))), QByteArray(16, char(0xFF)));
    EXPECT_EQ(Payload(grey.Send(QStringLiteral("*DL 00"))), QByteArray(40, char(0xFF)));
}

TEST(SimCommandLayout, TargetBallsOfTheHallSensor)
{
    TSimTestLink link(QStringLiteral("hall-gauge"));
    QStringList balls;
    for (int i = 0; i < 10; ++i) {
        const QByteArray name = Payload(link.Send(QStringLiteral("*GST %1").arg(i, 2, 16, QLatin1Char('0'))));
        if (name.isEmpty() || name == "---")
            break;
        balls << QString::fromLatin1(name);
    }
    EXPECT_EQ(balls, QStringList({QStringLiteral("1.5 mm steel ball"), QStringLiteral("3 mm steel ball"),
                                  QStringLiteral("6 mm steel ball")}));
}

// Garbage that passes the framing must never upset the gauge: every request
// gets exactly one frame back (only "*SGB" is unanswered by design), and the
// gauge still works afterwards.
TEST(SimCommandLayout, RandomRequestsGetOneFrameEach)
{
    TSimTestLink link;
    quint32 state = 12345;
    auto next = [&state](int range) {
        state = state * 1103515245u + 12345u;
        return int((state >> 8) % quint32(range));
    };
    const QList<QByteArray> starts = {"FTG", "FTI", "FTR", "FTD", "FFO", "FFN", "FFD", "FFW", "FFR", "FFP", "FPR",
                                      "FPW", "FBQ", "FB",  "FA",  "GS",  "GG",  "EG",  "EW",  "SSM", "DL",  "K"};
    int unanswered = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray request = starts[next(int(starts.size()))];
        request[0] = char(request[0] | 0x80);
        const int extra = next(24);
        for (int k = 0; k < extra; ++k)
            request.append(char(next(256)));
        const qsizetype before = link.Frames.size();
        link.SendRaw(request);
        const qsizetype frames = link.Frames.size() - before;
        if (frames == 0)
            ++unanswered;
        EXPECT_LE(frames, 1) << request.toHex(' ').toStdString();
    }
    EXPECT_EQ(unanswered, 0);
    EXPECT_EQ(Payload(link.Send(QStringLiteral("V"))), QByteArray("2.15A"));
}

TEST(SimCommandLayout, BaudRatePacesTheAnswer)
{
    TSimTestLink link;
    link.Sim->SetBaudRate(1200); // "V": 6 request bytes and 11 answer bytes, 10 bits each: 142 ms
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(link.Send(QStringLiteral("V")).Kind, 0u);
    while (link.Received.isEmpty() && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(link.Received.size(), 1);
    EXPECT_GE(timer.elapsed(), 140);
    EXPECT_EQ(Payload(link.Received[0]), QByteArray("2.15A"));
}

TEST(SimCommandLayout, AnotherDeviceAnswersAtItsOwnAddress)
{
    TSimTestLink link;
    link.Sim->SetResponder(99, [](quint8, const QByteArray &) {
        TSimAnswer answer;
        answer.Payload = "sensor";
        return answer;
    });
    link.Pc.ReceiveAdr = 99;
    const TTelegramData answer = link.Send(QStringLiteral("V"));
    EXPECT_EQ(answer.SourceAdr, 99);
    EXPECT_EQ(Payload(answer), QByteArray("sensor"));
    link.Pc.ReceiveAdr = 53;
    EXPECT_EQ(Payload(link.Send(QStringLiteral("V"))), QByteArray("2.15A"));
}
