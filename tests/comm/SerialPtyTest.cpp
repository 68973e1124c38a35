#include "CommTestSupport.h"

#include "comm/FrameAssembler.h"
#include "comm/ZYKComm2Item.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// A gauge on the master side of a pseudo-terminal: answers every request
// with "pty:" and the request's payload.
class TPtyGauge
{
public:
    TPtyGauge()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
        termios raw{};
        tcgetattr(m_master, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
        m_thread = std::thread([this] { Serve(); });
    }
    ~TPtyGauge()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_master >= 0)
            close(m_master);
    }
    QString SlavePath() const { return m_slavePath; }
    int Requests() const { return m_requests; }

private:
    void Serve()
    {
        TCodecState gauge = GaugeCodec();
        TFrameAssembler assembler;
        while (!m_stop) {
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN))
                continue;
            quint8 bytes[256];
            const ssize_t count = read(m_master, bytes, sizeof bytes);
            for (ssize_t i = 0; i < count; ++i) {
                if (!assembler.Feed(bytes[i]))
                    continue;
                TTelegramData request;
                if (DecodeFrame(gauge, assembler.Frame(), request) != emNone)
                    continue;
                ++m_requests;
                const QByteArray answer = AnswerFrame(gauge, "pty:" + request.Data.Content());
                if (write(m_master, answer.constData(), static_cast<size_t>(answer.size())) != answer.size())
                    return;
            }
        }
    }

    int m_master = -1;
    QString m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
};

TEST(SerialPseudoTerminal, TransactionCrossesTheSerialStack)
{
    EnsureQtApp();
    TPtyGauge gauge;
    ASSERT_FALSE(gauge.SlavePath().isEmpty());

    TZYKComm2Item item;
    TDevice device;
    device.Name = QStringLiteral("pty");
    device.DevicePath = gauge.SlavePath();
    device.Connected = 1;
    item.SetDevices({device});
    item.SetPort(portCOM);
    item.SetCmdSendDelay(1);
    ASSERT_EQ(item.SelectDeviceIndex(0), emNone);
    ASSERT_EQ(item.Open(true), emNone);
    EXPECT_EQ(item.State(), isOpen);
    EXPECT_EQ(item.Open(true), emDeviceNotDisconnected);

    TBuffer reply;
    ASSERT_EQ(item.Transact(EncodeLineCommand(QStringLiteral("*FTS 0A")), reply), emNone);
    EXPECT_EQ(reply.Content(), QByteArray("pty:TS\x0A"));
    EXPECT_TRUE(item.Ping());
    // A payload with every byte value crosses unchanged (7-bit encoded).
    QString line = QStringLiteral("*W");
    for (int b = 0; b < 120; ++b)
        line += QStringLiteral(" %1").arg(b * 2 + 1, 2, 16, QLatin1Char('0'));
    ASSERT_EQ(item.Transact(EncodeLineCommand(line), reply), emNone);
    EXPECT_EQ(reply.Count(), 4 + 120);
    EXPECT_EQ(reply[reply.Count()], 239);

    EXPECT_TRUE(item.Close());
    EXPECT_EQ(item.State(), isClosed);
    EXPECT_EQ(gauge.Requests(), 3);
    EXPECT_EQ(item.SendCommand(EncodeLineCommand(QStringLiteral("V"))), emPortNotActive);
}

TEST(SerialPseudoTerminal, MissingDeviceNodeFailsToOpen)
{
    EnsureQtApp();
    TZYKComm2Item item;
    QList<TErrMsg> reported;
    item.OnError = [&](QObject *, TErrMsg code, const QString &) { reported << code; };
    TDevice device;
    device.DevicePath = QStringLiteral("/dev/no-such-gauge-node");
    item.SetDevices({device});
    item.SetPort(portCOM);
    ASSERT_EQ(item.SelectDeviceIndex(0), emNone);
    EXPECT_EQ(item.Open(true), emConnect);
    EXPECT_EQ(reported, QList<TErrMsg>{emConnect});
    EXPECT_EQ(item.State(), isClosed);
    item.OnError = nullptr;
}

} // namespace
