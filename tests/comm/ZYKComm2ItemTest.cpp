#include "CommTestSupport.h"

#include "comm/ZYKComm2Item.h"
#include "comm/ports/LoopbackPort.h"

#include <gtest/gtest.h>

namespace {

struct ItemFixture : ::testing::Test
{
    TZYKComm2Item item;
    TScriptedPort *port = nullptr;
    QList<TErrMsg> reported;

    void SetUp() override
    {
        EnsureQtApp();
        auto scripted = std::make_unique<TScriptedPort>();
        port = scripted.get();
        item.AttachTransport(std::move(scripted));
        item.OnError = [this](QObject *, TErrMsg code, const QString &) { reported << code; };
        item.SetCmdSendDelay(0);
        item.SetReceiveTimeout(25);
        ASSERT_EQ(item.Open(true), emNone);
        ASSERT_EQ(item.State(), isOpen);
    }
};

TEST_F(ItemFixture, UnansweredRequestIsSentRetryMaxPlusOneTimes)
{
    for (quint32 retryMax : {0u, 2u}) {
        port->Writes.clear();
        reported.clear();
        item.SetRetryMax(retryMax);
        TTelegramData answer;
        EXPECT_EQ(item.Exchange(EncodeLineCommand(QStringLiteral("V")), answer), emTimeout);
        EXPECT_EQ(port->Writes.size(), static_cast<int>(retryMax) + 1);
        EXPECT_EQ(port->Writes.value(0), QByteArray::fromHex("02357F568C04"));
        EXPECT_EQ(reported, QList<TErrMsg>{emTimeout});  // reported once, after the last attempt
    }
}

TEST_F(ItemFixture, NakRules)
{
    TCodecState gauge = GaugeCodec();
    // A NAK to the broadcast address asks for a repeat; the repeat is answered.
    port->Respond = [&](const QByteArray &, int index) {
        return index == 0 ? NakFrame(gauge, 255, 1) : AnswerFrame(gauge, "OK");
    };
    TBuffer reply;
    EXPECT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("V")), reply), emNone);
    EXPECT_EQ(port->Writes.size(), 2);
    EXPECT_EQ(reply.Content(), QByteArray("OK"));

    // A NAK to the PC ends the exchange with success and that telegram.
    port->Writes.clear();
    port->Respond = [&](const QByteArray &, int) { return NakFrame(gauge, 127, 3); };
    TTelegramData answer;
    EXPECT_EQ(item.Exchange(EncodeLineCommand(QStringLiteral("V")), answer), emNone);
    EXPECT_EQ(port->Writes.size(), 1);
    EXPECT_EQ(answer.Kind, 15u);
    EXPECT_EQ(answer.NakCode, 3);
    EXPECT_EQ(answer.Data.Count(), 0);

    // So does an answer with a bad checksum, with an empty payload, reported
    // once and counted (the count holds whoever the report goes to).
    reported.clear();
    const quint32 badBefore = item.BadCheckSumCount();
    port->Respond = [&](const QByteArray &, int) {
        QByteArray frame = AnswerFrame(gauge, "XYZ");
        frame[frame.size() - 2] = static_cast<char>(frame[frame.size() - 2] ^ 1);
        return frame;
    };
    EXPECT_EQ(item.Exchange(EncodeLineCommand(QStringLiteral("V")), answer), emNone);
    EXPECT_EQ(answer.Kind, 6u);
    EXPECT_EQ(answer.Data.Count(), 0);
    EXPECT_EQ(reported, QList<TErrMsg>{emBadCheckSum});
    EXPECT_EQ(item.BadCheckSumCount(), badBefore + 1);
}

TEST_F(ItemFixture, TwoTelegramsInOneChunkKeepTheLater)
{
    TCodecState gauge = GaugeCodec();
    port->Respond = [&](const QByteArray &, int) {
        const QByteArray first = AnswerFrame(gauge, "first");
        return first + AnswerFrame(gauge, "second", false);
    };
    TTelegramData answer;
    ASSERT_EQ(item.Exchange(EncodeLineCommand(QStringLiteral("*X")), answer), emNone);
    EXPECT_EQ(answer.Data.Content(), QByteArray("second"));
    EXPECT_EQ(answer.Encoded, 0);
    EXPECT_EQ(answer.AnswerByte, 34 - 32);  // the second answer's counter
}

TEST_F(ItemFixture, ClockWrapDoesNotStallSendOrWait)
{
    item.Clock().SetNowMs(0xFFFFFFFFu - 8);
    item.SetCmdSendDelay(10);
    item.SetRetryMax(1);
    QElapsedTimer timer;
    timer.start();
    TTelegramData answer;
    EXPECT_EQ(item.Exchange(EncodeLineCommand(QStringLiteral("V")), answer), emTimeout);
    EXPECT_EQ(port->Writes.size(), 2);
    EXPECT_GE(timer.elapsed(), 2 * 25);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_LT(item.NowMs(), 1000u);  // the clock did wrap

    // The send delay counts across the wrap as well.
    TCodecState gauge = GaugeCodec();
    item.Clock().SetNowMs(0xFFFFFFFFu - 3);
    port->Respond = [&](const QByteArray &, int) { return AnswerFrame(gauge, "A"); };
    port->Writes.clear();
    port->WriteTimesMs.clear();
    EXPECT_TRUE(item.Ping());
    EXPECT_TRUE(item.Ping());
    ASSERT_EQ(port->WriteTimesMs.size(), 2) << port->Writes.first().toHex().toStdString();
    const qint64 gap = port->WriteTimesMs[1] - port->WriteTimesMs[0];
    EXPECT_GE(gap, 10);
    EXPECT_LT(gap, 200);
}

TEST_F(ItemFixture, SendDelayCountsFromTheLastReceivedByte)
{
    item.SetCmdSendDelay(30);
    item.SetReceiveTimeout(200);  // the send delay counts against the time-out
    TCodecState gauge = GaugeCodec();
    port->Respond = [&](const QByteArray &, int) { return AnswerFrame(gauge, "A"); };
    TBuffer reply;
    ASSERT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("V")), reply), emNone);
    // The gauge sends something on its own 15 ms later.
    const QElapsedTimer wait = [] { QElapsedTimer t; t.start(); return t; }();
    while (wait.elapsed() < 15) {
    }
    const qint64 arrival = port->Timer.elapsed();
    port->Arrive(QByteArray::fromHex("FF"));
    ASSERT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("V")), reply), emNone);
    EXPECT_GE(port->WriteTimesMs[1] - arrival, 30);
}

TEST_F(ItemFixture, GaugeRequestsAreAnsweredThroughOnTelegram)
{
    TCodecState gauge = GaugeCodec();
    TBuffer request = EncodeLineCommand(QStringLiteral("R 01"));
    TBuffer frame;
    ASSERT_EQ(BuildFrame(gauge, fkRequest, 0, request, frame), emNone);

    // Without a handler the request is stored but not answered.
    port->Arrive(frame.Content());
    EXPECT_TRUE(port->Writes.isEmpty());

    QList<TTelegramData> seen;
    item.OnTelegram = [&](QObject *sender, const TTelegramData &telegram, TBuffer &response) {
        EXPECT_EQ(sender, &item);
        seen << telegram;
        if (seen.size() == 2)
            response = TBuffer::FromContent({0x80, 'o', 'k'});
    };
    port->Arrive(frame.Content());
    port->Arrive(frame.Content());
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].Kind, 2u);
    EXPECT_EQ(seen[0].AnswerByte, 'R' - 32);
    EXPECT_EQ(seen[0].Data.Content(), QByteArray::fromHex("01"));
    ASSERT_EQ(port->Writes.size(), 2);

    // The first answer carries no payload, the second the handler's.
    TTelegramData answer;
    TBuffer written = TBuffer::FromContent(port->Writes[0]);
    TCodecState asGauge;
    asGauge.TransmitAdr = 53;
    ASSERT_EQ(DecodeFrame(asGauge, written, answer), emNone);
    EXPECT_EQ(answer.Kind, 6u);
    EXPECT_EQ(answer.Data.Count(), 0);
    ASSERT_EQ(DecodeFrame(asGauge, TBuffer::FromContent(port->Writes[1]), answer), emNone);
    EXPECT_EQ(answer.Data.Content(), QByteArray("ok"));
}

TEST_F(ItemFixture, BaudRateChangeReopensAnOpenConnection)
{
    QList<TNotificationEvent> events;
    item.OnNotification = [&](QObject *, TNotificationEvent event, const TDevice &, int) { events << event; };
    item.SetBaudRate(57600);  // unchanged: nothing happens
    item.SetBaudRate(115200);
    EXPECT_EQ(item.State(), isOpen);
    ASSERT_EQ(port->Opens.size(), 2);
    EXPECT_EQ(port->Opens[0].BaudRate, 57600u);
    EXPECT_EQ(port->Opens[1].BaudRate, 115200u);
    EXPECT_EQ(events, (QList<TNotificationEvent>{neDisconnect, neConnect}));
    item.OnNotification = nullptr;
}

TEST(ZYKComm2Item, DeviceSelectionAndClosedPortErrors)
{
    EnsureQtApp();
    TZYKComm2Item item(3);
    EXPECT_EQ(item.Name(), QStringLiteral("Connection3"));
    QList<TErrMsg> reported;
    item.OnError = [&](QObject *, TErrMsg code, const QString &text) {
        reported << code;
        EXPECT_EQ(text, ErrMsgText(code));
    };
    item.SetPort(portCOM);
    EXPECT_EQ(item.SelectDeviceIndex(0), emEmptyDeviceList);
    EXPECT_EQ(item.Open(false), emNoDevice);

    TDevice a;
    a.Name = QStringLiteral("ttyS0");
    a.PortNumber = 1;
    TDevice b = a;
    b.Name = QStringLiteral("ttyS1");
    b.PortNumber = 2;
    item.SetDevices({a, b});
    EXPECT_EQ(item.SelectDeviceIndex(-1), emNoDevice);
    EXPECT_EQ(item.SelectDeviceIndex(2), emNoDevice);
    QList<TNotificationEvent> events;
    item.OnNotification = [&](QObject *, TNotificationEvent event, const TDevice &, int) { events << event; };
    b.Connected = 1;  // does not count for identity
    EXPECT_EQ(item.SelectDevice(b), 1);
    EXPECT_EQ(item.DeviceName(), QStringLiteral("ttyS1"));
    EXPECT_EQ(item.SelectDevice(b), 1);  // same name again: no second notification
    EXPECT_EQ(events, QList<TNotificationEvent>{neConnectionChanged});

    TBuffer reply;
    item.SetRetryMax(0);
    EXPECT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("V")), reply), emPortNotActive);
    EXPECT_EQ(reported, (QList<TErrMsg>{emEmptyDeviceList, emNoDevice, emNoDevice, emPortNotActive}));

    reported.clear();
    EXPECT_EQ(EncodeLineCommand(&item, QStringLiteral("X \"open")).Count(), 0);
    EXPECT_EQ(reported, QList<TErrMsg>{emBadCmdLine});
    item.OnNotification = nullptr;
}

TEST_F(ItemFixture, LostDeviceClosesTheItem)
{
    QList<TNotificationEvent> events;
    item.OnNotification = [&](QObject *, TNotificationEvent event, const TDevice &, int) { events << event; };
    item.Notify(&item, neDeviceRemoved, 0, TDevice{});
    EXPECT_EQ(item.State(), isDeviceRemoved);
    EXPECT_FALSE(port->Opened);
    EXPECT_EQ(events, (QList<TNotificationEvent>{neDisconnect, neDeviceRemoved}));
    EXPECT_EQ(item.SendCommand(EncodeLineCommand(QStringLiteral("V"))), emPortNotActive);
    item.OnNotification = nullptr;
}

TEST(ZYKComm2Item, TransactsOverTheLoopbackDrivenByTheEventLoop)
{
    EnsureQtApp();
    auto [pcEnd, gaugeEnd] = TLoopbackPort::CreatePair();
    TCodecState gauge = GaugeCodec();
    TFrameAssembler assembler;
    TLoopbackPort *gaugePort = gaugeEnd.get();
    gaugeEnd->SetDataHandler([&](const quint8 *data, int size) {
        for (int i = 0; i < size; ++i) {
            if (!assembler.Feed(data[i]))
                continue;
            TTelegramData request;
            if (DecodeFrame(gauge, assembler.Frame(), request) == emNone)
                gaugePort->Write(AnswerFrame(gauge, "echo:" + request.Data.Content()));
        }
    });
    TZYKComm2Item item;
    item.AttachTransport(std::move(pcEnd));
    item.SetCmdSendDelay(0);
    ASSERT_EQ(item.Open(true), emNone);
    for (int i = 0; i < 3; ++i) {
        TBuffer reply;
        ASSERT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("*FTS 0%1").arg(i)), reply), emNone);
        EXPECT_EQ(reply.Content(), QByteArray("echo:TS") + char(i));
    }
    EXPECT_TRUE(item.Ping());
    gaugeEnd->HangUp();
    QCoreApplication::processEvents();
    EXPECT_EQ(item.State(), isClosed);
}

} // namespace
