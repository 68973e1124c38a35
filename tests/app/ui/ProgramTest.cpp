#include "app/IniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// The built desktop program, started as a user starts it (offscreen), on its
// own settings, documents and runtime folders.
class ProgramTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString Program() const
    {
        return qEnvironmentVariable("GAUGE_BINARY_DIR") + QStringLiteral("/src/app/ui/dalvo7");
    }
    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("GAUGE_CONFIG_ROOT"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("GAUGE_DOCUMENTS_ROOT"), dir.filePath(QStringLiteral("documents")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        return env;
    }
    void StartProgram(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(Environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(Program(), arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // True once the first instance listens for hand-overs.
    bool WaitUntilListening(QProcess &first)
    {
        const QString socket = dir.filePath(QStringLiteral("run/ZYKDalvo 7NQ2013"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000 && first.state() == QProcess::Running) {
            if (QFileInfo::exists(socket))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    TIniFile Settings() const
    {
        return TIniFile(dir.filePath(QStringLiteral("config/Dalvo 7/Settings.ini")));
    }
};

TEST_F(ProgramTest, SecondStartHandsItsFileToTheFirstAndEnds)
{
    ASSERT_TRUE(QFileInfo(Program()).isExecutable()) << Program().toStdString();
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QFile(dir.filePath(QStringLiteral("run"))).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString folder = dir.filePath(QStringLiteral("batches"));
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Line 4.dv7"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QProcess first;
    StartProgram(first, {});
    ASSERT_TRUE(WaitUntilListening(first));

    QProcess second;
    StartProgram(second, {file.fileName()});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Terminating closes the window as Quit does: the settings are saved,
    // with the folder the handed-over file brought up.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const TIniFile settings = Settings();
    EXPECT_EQ(settings.ReadString("Files", "ShellPath"), folder);
    EXPECT_EQ(settings.ReadInteger("Setup", "ViewStyle", -1), 2);
    EXPECT_EQ(settings.ReadInteger("Setup", "Language", -1), 2057);
}
