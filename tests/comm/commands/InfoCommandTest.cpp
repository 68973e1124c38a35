#include "GaugeTestLink.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

// The identity printed by the command-line program, read from the simulator
// over a real pseudo-terminal.
TEST(InfoCommand, PrintsTheScenarioIdentityOverAPseudoTerminal)
{
    const QString bin = qEnvironmentVariable("GAUGE_BINARY_DIR");
    const QString cli = bin + QStringLiteral("/cli/dalvo7-cli");
    const QString sim = bin + QStringLiteral("/sim/gaugesim");
    if (!QFileInfo::exists(cli) || !QFileInfo::exists(sim))
        GTEST_SKIP() << "programs not built";

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("g1"));
    QProcess gauge;
    gauge.start(sim, {QStringLiteral("--pty"), link, QStringLiteral("--scenario"), QStringLiteral("full-gauge.json")});
    ASSERT_TRUE(gauge.waitForStarted());
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(link));

    QProcess info;
    info.start(cli, {QStringLiteral("--port"), QStringLiteral("serial:") + link, QStringLiteral("--json"),
                     QStringLiteral("info")});
    ASSERT_TRUE(info.waitForFinished(20000));
    const QByteArray errors = info.readAllStandardError();
    EXPECT_EQ(info.exitCode(), 0) << errors.constData();
    const QJsonObject identity = QJsonDocument::fromJson(info.readAllStandardOutput()).object();

    QProcess text;
    text.start(cli, {QStringLiteral("--port"), QStringLiteral("serial:") + link, QStringLiteral("info")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    gauge.terminate();
    gauge.waitForFinished();

    std::unique_ptr<TGaugeSimulator> expected = TGaugeSimulator::FromScenario(QStringLiteral("full-gauge.json"));
    ASSERT_TRUE(expected);
    const TGaugeModel &model = expected->Model();
    EXPECT_EQ(identity[QStringLiteral("version")].toString(), model.Firmware);
    const QJsonObject gaugeItems = identity[QStringLiteral("gauge")].toObject();
    EXPECT_EQ(gaugeItems[QStringLiteral("model")].toString(), model.ModelText);
    EXPECT_EQ(gaugeItems[QStringLiteral("name")].toString(), model.GaugeName);
    EXPECT_EQ(gaugeItems[QStringLiteral("serial")].toString(), model.GaugeSerial);
    EXPECT_EQ(gaugeItems[QStringLiteral("status")].toInt(-1), 0);
    const QJsonObject sensor = identity[QStringLiteral("sensor")].toObject();
    EXPECT_EQ(sensor[QStringLiteral("name")].toString(), model.SensorName);
    EXPECT_EQ(sensor[QStringLiteral("serial")].toString(), model.SensorSerial);
    EXPECT_EQ(sensor[QStringLiteral("version")].toString(), model.SensorVersion);
    const QJsonArray params = identity[QStringLiteral("parameters")].toArray();
    ASSERT_EQ(params.size(), model.ParamTable.size());
    EXPECT_EQ(params.last()[QStringLiteral("name")].toString(), model.ParamTable.last().Name.toUpper());
    EXPECT_EQ(params.last()[QStringLiteral("id")].toInt(), model.ParamTable.last().Id);

    EXPECT_TRUE(printed.startsWith(QStringLiteral("Firmware version: ") + model.Firmware + QLatin1Char('\n')));
    EXPECT_TRUE(printed.contains(model.ModelText));
    EXPECT_TRUE(printed.contains(model.ParamTable.first().Name.toUpper()));
}

TEST(InfoCommand, FailsWithoutAGauge)
{
    const QString cli = qEnvironmentVariable("GAUGE_BINARY_DIR") + QStringLiteral("/cli/dalvo7-cli");
    if (!QFileInfo::exists(cli))
        GTEST_SKIP() << "program not built";
    QTemporaryDir dir;
    QProcess info;
    info.start(cli, {QStringLiteral("--port"), QStringLiteral("serial:") + dir.filePath(QStringLiteral("none")),
                     QStringLiteral("info")});
    ASSERT_TRUE(info.waitForFinished(20000));
    EXPECT_EQ(info.exitCode(), 1);
    EXPECT_TRUE(info.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(info.readAllStandardError().isEmpty());
}
