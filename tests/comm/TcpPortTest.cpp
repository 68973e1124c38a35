#include "CommTestSupport.h"

#include "comm/FrameAssembler.h"
#include "comm/ZYKComm2Item.h"
#include "comm/ports/TcpGaugePort.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

TZYKComm2Item *ItemOnTcp(TZYKComm2Item &item, quint16 port)
{
    TDevice device;
    device.Name = QStringLiteral("network serial server");
    device.DevicePath = QStringLiteral("tcp:127.0.0.1:%1").arg(port);
    item.SetDevices({device});
    item.SetPort(portCOM);
    item.SetCmdSendDelay(0);
    EXPECT_EQ(item.SelectDeviceIndex(0), emNone);
    return &item;
}

TEST(TcpPort, TransactionOverTcpAndHangUp)
{
    EnsureQtApp();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    TCodecState gauge = GaugeCodec();
    TFrameAssembler assembler;
    QTcpSocket *peer = nullptr;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] {
            for (char c : peer->readAll()) {
                TTelegramData request;
                if (assembler.Feed(static_cast<quint8>(c))
                    && DecodeFrame(gauge, assembler.Frame(), request) == emNone)
                    peer->write(AnswerFrame(gauge, "tcp"));
            }
        });
    });

    TZYKComm2Item item;
    ItemOnTcp(item, server.serverPort());
    QList<TNotificationEvent> events;
    item.OnNotification = [&](QObject *, TNotificationEvent event, const TDevice &, int) { events << event; };
    ASSERT_EQ(item.Open(true), emNone);
    TBuffer reply;
    ASSERT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("V")), reply), emNone);
    EXPECT_EQ(reply.Content(), QByteArray("tcp"));

    // The server hangs up: the item closes.
    ASSERT_NE(peer, nullptr);
    peer->close();
    QElapsedTimer timer;
    timer.start();
    while (item.State() == isOpen && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(item.State(), isClosed);
    EXPECT_EQ(events, (QList<TNotificationEvent>{neConnect, neDisconnect}));
    item.OnNotification = nullptr;
}

TEST(TcpPort, RefusedConnectFailsAtOnce)
{
    EnsureQtApp();
    QTcpServer probe;  // a port that was free a moment ago
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    TZYKComm2Item item;
    ItemOnTcp(item, port);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(item.Open(true), emConnect);
    EXPECT_LT(timer.elapsed(), 2000);  // not the full 5 s wait for an open
    EXPECT_EQ(item.State(), isClosed);
    EXPECT_EQ(item.SendCommand(EncodeLineCommand(QStringLiteral("V"))), emPortNotActive);
}

TEST(TcpPort, SpecSyntax)
{
    const struct { const char *address; bool ok; const char *host; quint16 port; } cases[] = {
        {"tcp:localhost:5000", true, "localhost", 5000},
        {"tcp:[::1]:7", true, "::1", 7},
        {"tcp:host", false, "", 0},
        {"tcp::5000", false, "", 0},
        {"tcp:host:0", false, "", 0},
        {"tcp:host:70000", false, "", 0},
        {"serial:/dev/ttyS0", false, "", 0},
    };
    for (const auto &c : cases) {
        QString host;
        quint16 port = 0;
        EXPECT_EQ(TTcpGaugePort::ParseAddress(QString::fromLatin1(c.address), host, port), c.ok) << c.address;
        if (c.ok) {
            EXPECT_EQ(host, QString::fromLatin1(c.host));
            EXPECT_EQ(port, c.port);
        }
    }
}

} // namespace
