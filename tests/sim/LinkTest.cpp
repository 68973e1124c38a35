#include "SimTestLink.h"

#include "comm/ZYKComm2Item.h"
#include "comm/commands/Gauge2.h"
#include "sim/TcpLink.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// The links: the program on a pseudo-terminal opened like a serial port, the
// TCP listener, the in-process loopback under the project's command classes,
// and the data-output telegrams the gauge sends on its own.

namespace {

QByteArray RequestFrame(const QString &line)
{
    TCodecState pc;
    TBuffer frame;
    BuildFrame(pc, fkRequest, 0, EncodeLineCommand(line), frame);
    return frame.Content();
}

// Reads from fd until one frame is complete or 3 s have passed.
TTelegramData ReadTelegram(int fd)
{
    TFrameAssembler assembler;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 3000) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0)
            continue;
        char byte = 0;
        if (::read(fd, &byte, 1) != 1)
            continue;
        if (assembler.Feed(quint8(byte))) {
            TCodecState pc;
            TTelegramData telegram;
            DecodeFrame(pc, assembler.Frame(), telegram);
            return telegram;
        }
    }
    return {};
}

} // namespace

TEST(SimLinks, ProgramOnAPseudoTerminalOpensLikeASerialPort)
{
    EnsureQtApp();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("g1"));
    const QString state = dir.filePath(QStringLiteral("state.json"));
    QProcess sim;
    sim.start(qEnvironmentVariable("GAUGE_BINARY_DIR") + QStringLiteral("/sim/gaugesim"),
              {QStringLiteral("--pty"), link, QStringLiteral("--scenario"), QStringLiteral("compact-gauge"),
               QStringLiteral("--state-out"), state});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(sim.waitForReadyRead(5000)) << sim.readAllStandardError().toStdString();
    const QString printed = QString::fromLocal8Bit(sim.readLine()).trimmed();
    EXPECT_TRUE(printed.startsWith(link + QStringLiteral(" -> /dev/pts/"))) << printed.toStdString();

    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B57600);
    ::tcsetattr(fd, TCSANOW, &settings);
    for (const QString &line : {QStringLiteral("V"), QStringLiteral("*K \"D\"")}) {
        const QByteArray frame = RequestFrame(line);
        ASSERT_EQ(::write(fd, frame.constData(), std::size_t(frame.size())), frame.size());
        const TTelegramData answer = ReadTelegram(fd);
        EXPECT_EQ(answer.Kind, quint32(fkAnswer)) << line.toStdString();
        if (line == QLatin1String("V")) {
            EXPECT_EQ(Payload(answer), QByteArray("2.23"));
        }
    }
    ::close(fd);

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(link));
    QFile written(state);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(written.readAll()).object();
    EXPECT_EQ(json[QStringLiteral("state")][QStringLiteral("keys")].toArray().first().toString(), QStringLiteral("D"));
}

TEST(SimLinks, TcpListenerServesOneClient)
{
    EnsureQtApp();
    std::unique_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("hall-gauge"));
    ASSERT_TRUE(sim);
    TTcpLink listener(*sim);
    ASSERT_TRUE(listener.Listen(0));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, listener.Port());
    ASSERT_TRUE(client.waitForConnected(3000));
    client.write(RequestFrame(QStringLiteral("V")));
    QByteArray received;
    QElapsedTimer timer;
    timer.start();
    while (!received.endsWith(char(FrameEndByte)) && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        client.waitForReadyRead(10);
        received += client.readAll();
    }
    EXPECT_TRUE(received.contains("2.14B"));
}

TEST(SimLinks, CommandClassesOverTheInProcessLink)
{
    EnsureQtApp();
    std::shared_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("full-gauge"));
    ASSERT_TRUE(sim);
    sim->Faults().Add(QStringLiteral("drop=FFR:1")); // the first chunk is lost and repeated by the item
    TZYKComm2Item item;
    item.SetCmdSendDelay(0);
    item.SetReceiveTimeout(100);
    item.SetRetryMax(2);
    item.AttachTransport(TGaugeSimulator::Attach(sim));
    ASSERT_EQ(item.Open(true), emNone);
    TGauge2 gauge(item);

    ASSERT_TRUE(gauge.Version.Execute());
    EXPECT_EQ(gauge.Version.VersionText, QStringLiteral("2.15A"));
    TGauge2ParamList parameters;
    ASSERT_TRUE(gauge.ReadParamList(parameters));
    EXPECT_EQ(parameters.size(), std::size_t(sim->Model().ParamTable.size()));

    // Tank 4 shell: parameters by name, then the readings in chunks of 30 bytes.
    ASSERT_TRUE(gauge.FileOpen.Execute(3, 23, 0));
    TBuffer value;
    ASSERT_TRUE(gauge.ReadParamByName(parameters, QStringLiteral("ParBlkSize"), 0, value));
    EXPECT_EQ(value.Content(), Bytes({10}));
    gauge.FileClose.Execute();
    ASSERT_TRUE(gauge.FileOpen.Execute(2, 23, 0));
    EXPECT_EQ(gauge.FileOpen.FileSize, 30000u);
    ASSERT_TRUE(gauge.FileRead.Execute(30));
    // The lost answer moved the position: the repeat got the second chunk.
    EXPECT_EQ(gauge.FileRead.ReadData.Content(), sim->Model().File({2, 23, 0})->Data.mid(30, 30));
}

TEST(SimLinks, DataOutputTelegramCarriesTheReadingAsText)
{
    TSimTestLink link;
    link.Sim->Measure(250.0);
    EXPECT_TRUE(link.Received.isEmpty()); // output off in the scenario
    ASSERT_EQ(link.Send(QStringLiteral("*EW 26 02")).Kind, quint32(fkAnswer));
    link.Sim->Measure(251.5);
    ASSERT_EQ(link.Received.size(), 2);
    const TTelegramData telegram = link.Received.last();
    EXPECT_EQ(telegram.Kind, quint32(fkRequest));
    EXPECT_EQ(telegram.DestAdr, 127);
    EXPECT_EQ(BufferToString(telegram.Data), QStringLiteral("66 251.5 um")); // Girder 4 held 64 readings
    EXPECT_EQ(link.Model().ReadingCount(21), 66u);

    // The PC's automatic answer to it is taken without a reply.
    TCodecState pc;
    pc.LastSourceAdr = 53;
    TBuffer frame;
    BuildFrame(pc, fkAnswer, 0, TBuffer::FromContent({0x20}), frame);
    link.Sim->Receive(frame.Content());
    EXPECT_EQ(link.Received.size(), 2);
}

TEST(SimLinks, ClosingFaultHangsUpTheInProcessLink)
{
    EnsureQtApp();
    std::shared_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("compact-gauge"));
    ASSERT_TRUE(sim);
    sim->Faults().Add(QStringLiteral("close=2"));
    TZYKComm2Item item;
    item.SetCmdSendDelay(0);
    item.SetReceiveTimeout(100);
    item.SetRetryMax(0);
    item.AttachTransport(TGaugeSimulator::Attach(sim));
    ASSERT_EQ(item.Open(true), emNone);
    TGauge2 gauge(item);
    EXPECT_TRUE(gauge.Version.Execute());
    EXPECT_TRUE(gauge.Version.Execute()); // answered, then the link goes down
    QCoreApplication::processEvents();
    EXPECT_FALSE(gauge.Version.Execute());
    EXPECT_EQ(sim->Faults().Requests(), 2);
}
