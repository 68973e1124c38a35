// The programs as real processes: the simulated gauge on a pseudo-terminal,
// the command line downloading from it through the serial stack.

#include "../explorer/BatchFingerprint.h"

#include "sim/GaugeSimulator.h"
#include "store/batch/GaugeReading.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QString Binary(const QString &relative)
{
    return qEnvironmentVariable("GAUGE_BINARY_DIR") + u'/' + relative;
}

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "test_e2e";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

QString EveryNth(int n, int upTo)
{
    QStringList numbers;
    for (int k = n; k <= upTo; k += n)
        numbers << QString::number(k);
    return numbers.join(u',');
}

// gaugesim on a pseudo-terminal for the length of a test.
class TSimProcess
{
public:
    TSimProcess(const QString &scenario, const QStringList &faults, const QString &dir)
    {
        Link = dir + QStringLiteral("/gauge");
        QStringList args{QStringLiteral("--pty"), Link, QStringLiteral("--scenario"), scenario};
        for (const QString &fault : faults)
            args << QStringLiteral("--fault") << fault;
        FProcess.setProgram(Binary(QStringLiteral("sim/gaugesim")));
        FProcess.setArguments(args);
        FProcess.setProcessChannelMode(QProcess::MergedChannels);
        FProcess.start();
        Started = FProcess.waitForStarted(10000);
        while (Started && !FProcess.readAll().contains("->") && FProcess.state() == QProcess::Running)
            FProcess.waitForReadyRead(200);
        Started = Started && QFileInfo::exists(Link);
    }
    ~TSimProcess()
    {
        if (FProcess.state() == QProcess::Running) {
            FProcess.terminate();
            if (!FProcess.waitForFinished(5000))
                FProcess.kill();
        }
        FProcess.waitForFinished(5000);
    }
    QString Link;
    bool Started = false;

private:
    QProcess FProcess;
};

struct TCliRun
{
    int ExitCode = -1;
    QString Out, Err;
};

TCliRun RunCli(const QString &program, const QStringList &args, const QString &home)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GAUGE_CONFIG_ROOT"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("GAUGE_DOCUMENTS_ROOT"), home + QStringLiteral("/documents"));
    cli.setProcessEnvironment(env);
    cli.start(Binary(QStringLiteral("cli/") + program), args);
    TCliRun run;
    if (!cli.waitForFinished(300000))
        cli.kill();
    run.ExitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.Out = QString::fromUtf8(cli.readAllStandardOutput());
    run.Err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

// The batches of the gauge by path ("Dir/Batch"), as the simulator holds them.
struct TGaugeBatch
{
    QString Path;
    quint16 Handle;
};
std::vector<TGaugeBatch> GaugeBatches(const TGaugeModel &model)
{
    std::vector<TGaugeBatch> batches;
    for (int i = 2; i < int(model.Slots().size()); ++i) {
        const TSimEntry &e = model.Slots()[size_t(i)];
        if (model.IsLive(i) && e.Type == setBatch && model.HasBatchFiles(e.Handle) && e.Name != QLatin1String("DirectMode"))
            batches.push_back({model.Path(i), e.Handle});
    }
    return batches;
}

// Every reading of every series of the file equals the gauge's.
void ExpectFileEqualsGauge(const QString &file, TGaugeModel &model, const TGaugeBatch &gaugeBatch)
{
    SCOPED_TRACE(gaugeBatch.Path.toStdString());
    TBatchObject batch(file);
    ASSERT_FALSE(batch.FileRejected());
    EXPECT_EQ(batch.BatchName(), gaugeBatch.Path.section(u'/', -1));
    const int recordSize = model.TimeStamps(gaugeBatch.Handle) ? 7 : 3;
    for (int s = 0; s < batch.SeriesCount(); ++s) {
        const TSimFile *readings = model.File({2, gaugeBatch.Handle, quint8(s)});
        ASSERT_TRUE(readings);
        const auto &records = batch.Series(s).Readings;
        ASSERT_EQ(qsizetype(records.size()), readings->Data.size() / recordSize);
        for (size_t i = 0; i < records.size(); ++i) {
            TPackedReading packed;
            std::memcpy(packed.data(), readings->Data.constData() + i * size_t(recordSize), 3);
            const TReadingRecord expected = UnpackGaugeReading(packed, s == 0 && batch.SeriesCount() > 1);
            if (!std::isnan(expected.Value)) {
                ASSERT_FLOAT_EQ(float(records[i].Value), float(expected.Value)) << i;
            }
            ASSERT_EQ(records[i].Flags, expected.Flags) << i;
            ASSERT_EQ(records[i].CalNumber, expected.CalNumber) << i;
        }
        if (recordSize == 7) {
            EXPECT_EQ(batch.Series(s).Notes.size(), records.size());
        }
    }
}

class DownloadE2e : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override { EnsureApp(); }
};

TEST_P(DownloadE2e, EveryBatchOfTheScenario)
{
    const QString scenario = QString::fromLatin1(GetParam());
    const bool ultrasonic = scenario.startsWith(QLatin1String("ultrasonic"));
    QTemporaryDir dir;
    TSimProcess sim(scenario, {}, dir.path());
    ASSERT_TRUE(sim.Started);
    const QString out = dir.path() + QStringLiteral("/out");
    const TCliRun run = RunCli(ultrasonic ? QStringLiteral("kavra7-cli") : QStringLiteral("dalvo7-cli"),
                               {QStringLiteral("--port"), QStringLiteral("serial:") + sim.Link, QStringLiteral("download"),
                                QStringLiteral("--all"), QStringLiteral("--mirror"), QStringLiteral("--to"), out},
                               dir.path());
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();

    QString error;
    auto gauge = TGaugeSimulator::FromScenario(scenario, &error);
    ASSERT_TRUE(gauge) << error.toStdString();
    const QString extension = ultrasonic ? QStringLiteral(".zq7") : QStringLiteral(".dv7");
    const auto batches = GaugeBatches(gauge->Model());
    ASSERT_FALSE(batches.empty());
    for (const TGaugeBatch &b : batches) {
        const QString file = out + u'/' + b.Path + extension;
        ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
        EXPECT_TRUE(run.Out.contains(QDir::cleanPath(file))) << file.toStdString();
        ExpectFileEqualsGauge(file, gauge->Model(), b);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DownloadE2e,
                         ::testing::Values("demo", "full-gauge", "compact-gauge", "hall-gauge", "ultrasonic-gauge"));

QMap<QString, QByteArray> Fingerprints(const QString &folder)
{
    QMap<QString, QByteArray> prints;
    QDirIterator it(folder, {QStringLiteral("*.dv7")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        prints[QDir(folder).relativeFilePath(file)] = BatchFingerprint(file);
    }
    return prints;
}

TEST(DownloadE2eFaults, LostAndGarbledAnswersGiveIdenticalFiles)
{
    EnsureApp();
    QTemporaryDir dir;
    const QStringList args{QStringLiteral("download"), QStringLiteral("--all"), QStringLiteral("--mirror"),
                           QStringLiteral("--timeout"), QStringLiteral("250"), QStringLiteral("--to")};
    QMap<QString, QByteArray> clean;
    {
        TSimProcess sim(QStringLiteral("demo"), {}, dir.path());
        ASSERT_TRUE(sim.Started);
        const TCliRun run = RunCli(QStringLiteral("dalvo7-cli"),
                                   QStringList{QStringLiteral("--port"), QStringLiteral("serial:") + sim.Link} + args
                                       + QStringList{dir.path() + QStringLiteral("/clean")},
                                   dir.path());
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        clean = Fingerprints(dir.path() + QStringLiteral("/clean"));
    }
    TSimProcess sim(QStringLiteral("demo"),
                    {QStringLiteral("drop=") + EveryNth(7, 6000), QStringLiteral("corrupt=") + EveryNth(11, 6000)}, dir.path());
    ASSERT_TRUE(sim.Started);
    const TCliRun run = RunCli(QStringLiteral("dalvo7-cli"),
                               QStringList{QStringLiteral("--port"), QStringLiteral("serial:") + sim.Link} + args
                                   + QStringList{dir.path() + QStringLiteral("/faulty")},
                               dir.path());
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_FALSE(clean.isEmpty());
    EXPECT_EQ(Fingerprints(dir.path() + QStringLiteral("/faulty")), clean);
}

TEST(DownloadE2eFaults, LinkClosingMidDownloadFailsNamingTheBatch)
{
    EnsureApp();
    QTemporaryDir dir;
    TSimProcess sim(QStringLiteral("compact-gauge"), {QStringLiteral("close=FFR:12")}, dir.path());
    ASSERT_TRUE(sim.Started);
    const QString out = dir.path() + QStringLiteral("/out");
    const TCliRun run = RunCli(QStringLiteral("dalvo7-cli"),
                               {QStringLiteral("--port"), QStringLiteral("serial:") + sim.Link, QStringLiteral("download"),
                                QStringLiteral("--all"), QStringLiteral("--timeout"), QStringLiteral("250"),
                                QStringLiteral("--to"), out},
                               dir.path());
    EXPECT_NE(run.ExitCode, 0);
    QString error;
    auto gauge = TGaugeSimulator::FromScenario(QStringLiteral("compact-gauge"), &error);
    ASSERT_TRUE(gauge);
    // The batches written before the link closed are complete; the batch
    // being read is named as incomplete.
    const QStringList written = run.Out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(written.isEmpty());
    bool namedIncomplete = false;
    for (const TGaugeBatch &b : GaugeBatches(gauge->Model())) {
        const QString file = out + u'/' + b.Path + QStringLiteral(".dv7");
        if (written.contains(QDir::cleanPath(file)))
            ExpectFileEqualsGauge(file, gauge->Model(), b);
        else if (run.Err.contains(QStringLiteral("incomplete: ") + b.Path))
            namedIncomplete = true;
    }
    EXPECT_TRUE(namedIncomplete) << run.Err.toStdString();
}

TEST(TreeE2e, ShowsEveryEntry)
{
    EnsureApp();
    QTemporaryDir dir;
    TSimProcess sim(QStringLiteral("full-gauge"), {}, dir.path());
    ASSERT_TRUE(sim.Started);
    const TCliRun run = RunCli(QStringLiteral("dalvo7-cli"),
                               {QStringLiteral("--port"), QStringLiteral("serial:") + sim.Link, QStringLiteral("tree")},
                               dir.path());
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    for (const char *name : {"Bridge 12\\", "    Bearing plate", "Tank 4 shell", "Duplex coating", "DirectMode"})
        EXPECT_TRUE(run.Out.contains(QLatin1String(name))) << name << "\n" << run.Out.toStdString();
}

} // namespace
