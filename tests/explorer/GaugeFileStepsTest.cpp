#include "explorer/GaugeFileSteps.h"

#include "comm/commands/GaugeTestLink.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {
// The log without the two clocks at the start of each line.
QStringList LogLines(const TTransferLog &log)
{
    static const QRegularExpression clocks(QStringLiteral("^\\d{6,} \\[ *\\d+\\]: "));
    QStringList lines = log.Text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line.remove(clocks);
    return lines;
}

QByteArray Word(int value)
{
    return Bytes({value & 0xFF, (value >> 8) & 0xFF});
}

int CountRequests(const TScriptedGaugePort &port, const QByteArray &start)
{
    int n = 0;
    for (const QByteArray &request : port.Requests)
        n += request.startsWith(start) ? 1 : 0;
    return n;
}

const QByteArray InfoE = Bytes({199, 'G', 'E'});

// The full gauge of the scenarios on the loopback, with its steps.
struct TSimSteps
{
    TSimLink link;
    TTransferLog log;
    TGaugeFileSteps steps{*link.Gauge, log};

    TSimSteps()
    {
        QString error;
        std::shared_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("full-gauge.json"), &error);
        EXPECT_TRUE(sim) << error.toStdString();
        link.Sim = sim;
        link.Item.AttachTransport(TGaugeSimulator::Attach(sim));
        link.Item.Open(true);
        link.Item.SetRetryMax(2);
        log.Start();
    }
    TGaugeModel &Model() { return link.Model(); }
    // The tree index of the first batch other than the active one.
    quint16 OtherBatch()
    {
        for (size_t i = 3; i < Model().Slots().size(); ++i) {
            if (Model().IsLive(int(i)) && Model().Slots()[i].Type == setBatch && i != Model().ActiveBatch
                && Model().HasBatchFiles(Model().Slots()[i].Handle))
                return quint16(i);
        }
        return 0;
    }
};

struct TScriptedSteps
{
    TScriptedLink link;
    TTransferLog log;
    TGaugeFileSteps steps{*link.Gauge, log};
    TScriptedGaugePort &gauge = *link.Port;
};
} // namespace

TEST(GaugeFileSteps, ActiveBatchAfterADroppedAnswer)
{
    TSimSteps s;
    ASSERT_TRUE(s.link.Sim->Faults().Add(QStringLiteral("drop=FB:1")));
    int index = -1;
    ASSERT_TRUE(s.steps.GetActiveBatch(index));
    EXPECT_EQ(index, s.Model().ActiveBatch);
    const QString hex = QStringLiteral("%1").arg(index, 4, 16, QLatin1Char('0')).toUpper();
    EXPECT_EQ(LogLines(s.log), QStringList({QStringLiteral("Get active batch treeindex > OK [ActBatchIndex=0x") + hex
                                            + QLatin1Char(']')}));
    EXPECT_EQ(s.link.Item.RetryMax(), 2u);  // restored after the step
    EXPECT_EQ(s.link.Sim->Faults().Requests(), 3);  // lost answer, ping, repeat
}

TEST(GaugeFileSteps, OpenBatchRecoversFromANakAndALostAnswer)
{
    TSimSteps s;
    const quint16 other = s.OtherBatch();
    ASSERT_NE(other, 0);
    // "I" refused, then "O" carried out but its answer lost: the error byte
    // confirms it.
    ASSERT_TRUE(s.link.Sim->Faults().Add(QStringLiteral("nak=FB:1")));
    ASSERT_TRUE(s.link.Sim->Faults().Add(QStringLiteral("drop=FB:3")));
    ASSERT_TRUE(s.steps.OpenBatch(other));
    EXPECT_EQ(s.Model().ActiveBatch, other);
    EXPECT_EQ(s.link.Sim->Faults().Requests(), 6);  // I, ping, I, O, ping, "E"
    EXPECT_EQ(LogLines(s.log), QStringList({QStringLiteral("Open batch [%1] > OK").arg(other)}));
}

TEST(GaugeFileSteps, StepFailsWithErrorAfterThreeAttempts)
{
    TSimSteps s;
    const quint16 active = s.Model().ActiveBatch;
    ASSERT_TRUE(s.link.Sim->Faults().Add(QStringLiteral("nak=FB:1,2,3")));
    int index = -1;
    EXPECT_FALSE(s.steps.GetActiveBatch(index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(s.link.Sim->Faults().Requests(), 5);  // three attempts, two pings between
    ASSERT_TRUE(s.steps.CloseActiveBatch());  // the fourth request goes through
    EXPECT_EQ(s.Model().ActiveBatch, NoEntry);
    EXPECT_NE(active, NoEntry);
    EXPECT_EQ(LogLines(s.log), QStringList({QStringLiteral("Get active batch treeindex > Error"),
                                            QStringLiteral("Close activebatch > OK")}));
}

TEST(GaugeFileSteps, PCModeClosesAndReopensTheActiveBatch)
{
    TSimSteps s;
    const quint16 active = s.Model().ActiveBatch;
    ASSERT_NE(active, NoEntry);
    QList<bool> timer;
    s.steps.OnCheckTimer = [&](bool on) { timer << on; };

    ASSERT_TRUE(s.steps.EnterPCMode(true));
    EXPECT_TRUE(s.Model().PcMode);
    EXPECT_EQ(s.Model().ActiveBatch, NoEntry);
    EXPECT_EQ(s.steps.RememberedActiveBatch(), active);

    ASSERT_TRUE(s.steps.LeavePCMode());
    EXPECT_FALSE(s.Model().PcMode);
    EXPECT_EQ(s.Model().ActiveBatch, active);
    EXPECT_EQ(timer, QList<bool>({false, true}));
    EXPECT_EQ(LogLines(s.log).size(), 3);

    // Nothing was active: nothing is reopened.
    ASSERT_TRUE(s.steps.CloseActiveBatch());
    ASSERT_TRUE(s.steps.EnterPCMode(true));
    EXPECT_EQ(s.steps.RememberedActiveBatch(), NoEntry);
    ASSERT_TRUE(s.steps.LeavePCMode());
    EXPECT_EQ(s.Model().ActiveBatch, NoEntry);
    EXPECT_FALSE(LogLines(s.log).last().startsWith(QLatin1String("Open batch")));
}

TEST(GaugeFileSteps, ErrorCheckDecidesAfterAFailedCommand)
{
    TScriptedSteps s;
    s.link.Item.SetRetryMax(2);
    s.gauge.Then(TScriptedAnswer::saDrop);  // open file: no answer
    s.gauge.Answer(Bytes({0}));             // error byte 0: the file is open after all
    ASSERT_TRUE(s.steps.OpenFile(3, 13, 122));
    EXPECT_EQ(CountRequests(s.gauge, Bytes({198, 'F', 'O'})), 1);  // one attempt, no item retries

    s.gauge.Then(TScriptedAnswer::saNakBroadcast);
    s.gauge.Answer(Bytes({4}));             // error byte set: try again
    s.gauge.Answer(Word(10) + Word(0));     // second attempt answers
    ASSERT_TRUE(s.steps.OpenFile(2, 13, 0));
    EXPECT_EQ(s.link.Gauge->FileOpen.FileSize, 10u);

    for (int i = 0; i < 3; ++i) {
        s.gauge.Then(TScriptedAnswer::saNakBroadcast);
        s.gauge.Answer({});  // no error byte: not ready
    }
    EXPECT_FALSE(s.steps.OpenFile(2, 14, 0));
    EXPECT_EQ(LogLines(s.log), QStringList({QStringLiteral("Open file [Typ:3  Hdl:13] > OK"),
                                            QStringLiteral("Open file [Typ:2  Hdl:13] > OK"),
                                            QStringLiteral("Open file [Typ:2  Hdl:14] > Error")}));
    EXPECT_EQ(CountRequests(s.gauge, InfoE), 5);
}

TEST(GaugeFileSteps, CreateOrOpenUsesTheAccessTableFirst)
{
    TScriptedSteps s;
    s.gauge.Answer(Bytes({1}) + Word(0x0D));  // the file exists
    ASSERT_TRUE(s.steps.CreateOrOpenFile(2, 0x0D, 1));
    EXPECT_EQ(CountRequests(s.gauge, Bytes({198, 'F', 'N'})), 0);

    s.gauge.Answer(Bytes({0}) + Word(0xFFFF));  // missing: created, then closed
    s.gauge.Answer({});
    s.gauge.Answer({});
    ASSERT_TRUE(s.steps.CreateOrOpenFile(2, 0x0D, 2, true));
    EXPECT_EQ(s.link.Port->Requests.mid(1),
              QList<QByteArray>({Bytes({198, 'A', 'G', 2, 0x0D, 0, 2}), Bytes({198, 'F', 'N', 2, 0x0D, 0, 2}),
                                 Bytes({198, 'F', 'C'})}));
    EXPECT_EQ(LogLines(s.log), QStringList({QStringLiteral("Create or open new file (Typ=2 Handle=0x000D BatchNum=1 > OK"),
                                            QStringLiteral("Create or open new file (Typ=2 Handle=0x000D BatchNum=2 > OK"),
                                            QStringLiteral("Close file > OK")}));
}

TEST(GaugeFileSteps, RemoveFileOnlyWhenTheTableHasIt)
{
    TScriptedSteps s;
    s.gauge.Answer(Bytes({0}) + Word(0xFFFF));  // already gone
    ASSERT_TRUE(s.steps.RemoveFile(3, 0x0D));
    EXPECT_EQ(CountRequests(s.gauge, Bytes({198, 'F', 'D'})), 0);

    s.gauge.Answer(Bytes({1}) + Word(0x0D));
    ASSERT_TRUE(s.steps.RemoveFile(2, 0x0D, 1));
    EXPECT_EQ(s.link.LastRequest(), Bytes({198, 'F', 'D', 0x0D, 0, 2, 1}));

    // A lost answer says nothing about the file: the step tries again.
    s.gauge.Then(TScriptedAnswer::saDrop);
    s.gauge.Answer(Bytes({1}) + Word(0x0D));
    ASSERT_TRUE(s.steps.RemoveFile(3, 0x0D));
    EXPECT_EQ(CountRequests(s.gauge, Bytes({198, 'F', 'D'})), 2);
}

TEST(GaugeFileSteps, DeleteTreeEntryOnlyWhenItIsUsed)
{
    TScriptedSteps s;
    const QByteArray freeEntry = Bytes({0}) + Word(5) + Word(0) + Word(0xFFFF) + QByteArray(8, '\0') + "x" + '\0';
    const QByteArray usedEntry = Bytes({0}) + Word(5) + Word(2) + Word(0x0D) + QByteArray(8, '\0') + "x" + '\0';
    s.gauge.Answer(freeEntry);
    ASSERT_TRUE(s.steps.DeleteTreeEntry(5));
    EXPECT_EQ(s.gauge.Requests.size(), 1);

    s.gauge.Answer(usedEntry);
    s.gauge.Answer(Bytes({0}));
    ASSERT_TRUE(s.steps.DeleteTreeEntry(5));
    EXPECT_EQ(s.link.LastRequest(), Bytes({198, 'T', 'D', 5, 0}));
    EXPECT_EQ(LogLines(s.log).last(), QStringLiteral("Delete treepool entry > OK"));
}
