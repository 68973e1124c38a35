#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

// The later start is this test program run again with these variables set:
// it then runs only SingleInstanceChild.HandsOver as the second instance.
namespace {

const char *const kChildProduct = "GAUGE_HANDOVER_PRODUCT";
const char *const kChildArguments = "GAUGE_HANDOVER_ARGUMENTS"; // separated by \x1f
const char *const kHolderProduct = "GAUGE_HOLDER_PRODUCT";
const QChar kSeparator(0x1f);

QCoreApplication &App()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QString TestProduct(const char *tag)
{
    return QStringLiteral("Gauge %1 %2").arg(QLatin1String(tag)).arg(QCoreApplication::applicationPid());
}

struct TChildRun
{
    int exitCode = -1;
    QStringList received;
};

TChildRun RunSecondInstance(TSingleInstance &first, const QString &product, const QStringList &arguments)
{
    TChildRun run;
    QObject::connect(&first, &TSingleInstance::HandOverReceived, [&run](const QString &text) { run.received << text; });

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildProduct, product);
    env.insert(kChildArguments, arguments.join(kSeparator));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--gtest_filter=SingleInstanceChild.HandsOver")});

    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&child, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    child.start();
    loop.exec();
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        child.waitForFinished();
    } else if (child.exitStatus() == QProcess::NormalExit) {
        run.exitCode = child.exitCode();
    }
    QObject::disconnect(&first, &TSingleInstance::HandOverReceived, nullptr, nullptr);
    return run;
}

} // namespace

// Body of the second process; skipped in a normal run.
TEST(SingleInstanceChild, HandsOver)
{
    if (!qEnvironmentVariableIsSet(kChildProduct))
        GTEST_SKIP() << "runs only as the second instance of SingleInstance tests";
    App();
    QStringList arguments = qEnvironmentVariable(kChildArguments).split(kSeparator);
    if (arguments == QStringList{QString()})
        arguments.clear();
    TSingleInstance second(qEnvironmentVariable(kChildProduct));
    ASSERT_FALSE(second.Claim());
    ASSERT_TRUE(second.HandOver(TSingleInstance::HandOverText(arguments)));
}

// A first instance that claims the product and then waits to be killed.
TEST(SingleInstanceChild, HoldsClaim)
{
    if (!qEnvironmentVariableIsSet(kHolderProduct))
        GTEST_SKIP() << "runs only as the crashing first instance of SingleInstance tests";
    App();
    TSingleInstance first(qEnvironmentVariable(kHolderProduct));
    ASSERT_TRUE(first.Claim());
    fputs("claimed\n", stdout);
    fflush(stdout);
    QThread::sleep(60);
}

TEST(SingleInstance, SecondProcessHandsOverAndEnds)
{
    App();
    const QString product = TestProduct("handover");
    TSingleInstance first(product);
    ASSERT_TRUE(first.Claim());

    struct Case { QStringList arguments; QString received; };
    const Case cases[] = {
        {{QStringLiteral("/data/Hall 3/batch one.dv7")}, QStringLiteral("/data/Hall 3/batch one.dv7")},
        {{QStringLiteral("a.dv7"), QStringLiteral("b.dv7"), QStringLiteral("Prüfung.dv7")},
         QStringLiteral("a.dv7 b.dv7 Prüfung.dv7")},
        {{}, QString()},
    };
    for (const Case &c : cases) {
        const TChildRun run = RunSecondInstance(first, product, c.arguments);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(c.arguments.join(u','));
        EXPECT_EQ(run.received, QStringList{c.received});
    }
}

TEST(SingleInstance, OneInstancePerProduct)
{
    App();
    EXPECT_EQ(TSingleInstance::MutexName(QStringLiteral("Dalvo 7")), QStringLiteral("ZYKDalvo 7NQ2013"));
    EXPECT_EQ(TSingleInstance::HandOverText({QStringLiteral("x"), QStringLiteral("y z")}), QStringLiteral(" x y z"));

    TSingleInstance dalvo(TestProduct("Dalvo"));
    TSingleInstance kavra(TestProduct("Kavra"));
    TSingleInstance dalvoAgain(TestProduct("Dalvo"));
    EXPECT_TRUE(dalvo.Claim());
    EXPECT_TRUE(kavra.Claim()); // the editions run side by side
    EXPECT_FALSE(dalvoAgain.Claim());

    // Nobody listens for a product that is not running: the hand-over gives up.
    TSingleInstance orphan(TestProduct("none"));
    EXPECT_FALSE(orphan.HandOver(QStringLiteral(" file.dv7"), 300));
}

TEST(SingleInstance, CrashedInstanceDoesNotBlockTheNextStart)
{
    App();
    const QString product = TestProduct("crash");
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kHolderProduct, product);
    holder.setProcessEnvironment(env);
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SingleInstanceChild.HoldsClaim")});
    QByteArray output;
    while (!output.contains("claimed") && holder.waitForReadyRead(30000))
        output += holder.readAllStandardOutput();
    ASSERT_TRUE(output.contains("claimed"));

    TSingleInstance second(product);
    EXPECT_FALSE(second.Claim()); // the holder runs

    holder.kill(); // no clean-up: lock file and socket stay behind
    ASSERT_TRUE(holder.waitForFinished(30000));

    TSingleInstance next(product);
    ASSERT_TRUE(next.Claim());
    const TChildRun run = RunSecondInstance(next, product, {QStringLiteral("x.dv7")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.received, QStringList{QStringLiteral("x.dv7")});
}
