#include "explorer/TransferLog.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TransferLog, LinesCarryBothClocks)
{
    qint64 now = 1000;
    TTransferLog log([&] { return now; });
    log.Append(QStringLiteral("old"));
    log.Start();
    now = 1012;
    log.BeginLine(QStringLiteral("Close file >"));
    log.EndLine(QStringLiteral("OK"));
    now = 12345 + 1000;
    log.BeginLine(QStringLiteral("Open file [Typ:3  Hdl:13] >"));
    log.EndLine(QStringLiteral("Error"));
    now = 1000 + 1234567;
    log.BeginLine(QStringLiteral("x"));
    EXPECT_EQ(log.Text(), QStringLiteral("000012 [  12]: Close file > OK\r\n"
                                         "012345 [12333]: Open file [Typ:3  Hdl:13] > Error\r\n"
                                         "1234567 [1222222]: x"));
}

TEST(TransferLog, ProgressCountsStepsAgainstTheTotal)
{
    TTransferLog log;
    QList<int> shown;
    QObject::connect(&log, &TTransferLog::progressChanged, [&](int percent) { shown << percent; });
    log.SetTotal(3);
    log.Step();
    log.Step();
    EXPECT_EQ(log.Percent(), 66);
    log.Step();
    EXPECT_EQ(log.Percent(), 100);
    EXPECT_EQ(shown, QList<int>({0, 33, 66, 100}));

    log.SetTotal(0);  // nothing to transfer: no division by zero
    log.Step();
    EXPECT_EQ(log.Percent(), 0);
}

TEST(TransferLog, SavesBesideTheProgram)
{
    QTemporaryDir dir;
    const QString path = TTransferLog::LogFilePathFor(dir.path() + QStringLiteral("/dalvo7"));
    EXPECT_EQ(path, dir.path() + QStringLiteral("/dalvo7.log"));
    EXPECT_EQ(TTransferLog::LogFilePathFor(QStringLiteral("/opt/x/dalvo7.exe")), QStringLiteral("/opt/x/dalvo7.log"));

    TTransferLog log([] { return qint64(0); });
    log.Start();
    log.BeginLine(QStringLiteral("Close file >"));
    log.EndLine(QStringLiteral("OK"));
    ASSERT_TRUE(log.SaveToFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("000000 [   0]: Close file > OK\r\n"));

    QString error;
    EXPECT_FALSE(log.SaveToFile(dir.path() + QStringLiteral("/missing/dir/x.log"), &error));
    EXPECT_FALSE(error.isEmpty());
}
