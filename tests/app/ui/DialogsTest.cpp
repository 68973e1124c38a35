#include "ShellFixture.h"

#include "app/ui/FormCreateDirectory.h"
#include "app/ui/FormStart.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class DialogsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    QTemporaryDir dir;
};

TEST_F(DialogsTest, CreateDirectoryOkOnlyForANewNonEmptyName)
{
    QDir(dir.path()).mkdir(QStringLiteral("Existing"));
    TFormCreateDirectory form(dir.path());
    const struct
    {
        const char *text;
        bool enabled;
    } cases[] = {{"", false}, {"Existing", false}, {"Existing2", true}, {"New folder", true}};
    for (const auto &c : cases) {
        form.Edit()->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(form.OkButton()->isEnabled(), c.enabled) << c.text;
    }

    // Enter with a disabled "OK" creates nothing and keeps the dialog.
    form.Edit()->setText(QStringLiteral("Existing"));
    form.show();
    QTest::keyClick(form.Edit(), Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.CreatedPath().isEmpty());

    form.Edit()->setText(QStringLiteral("Fresh"));
    QTest::keyClick(form.Edit(), Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("Fresh"))).isDir());
    EXPECT_EQ(form.CreatedPath(), dir.filePath(QStringLiteral("Fresh")));
}

TEST_F(DialogsTest, SplashRefusesToCloseUntilItsCloseRoutine)
{
    TStartContent content;
    content.ProductName = QStringLiteral("Dalvo 7");
    content.CompanyName = QStringLiteral("Some Other Company");
    QPointer<TFormStart> splash = new TFormStart(content, TFormStart::fmSplash);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();

    EXPECT_FALSE(splash->close());
    QTest::keyClick(splash, Qt::Key_Escape);
    EXPECT_TRUE(splash->isVisible());
    // An unknown company: its name without blanks as manufacturer.
    EXPECT_EQ(splash->ManufacturerText(), QStringLiteral("SomeOtherCompany"));

    splash->CloseForm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST_F(DialogsTest, AboutBoxShowsVersionBuildAndTestMark)
{
    TStartContent content;
    content.ProductName = QStringLiteral("Kavra 7");
    content.CompanyName = QStringLiteral("Korventhalium");
    content.VersionMajor = 1;
    content.VersionMinor = 5;
    content.Build = 6;
    content.PreRelease = true;
    const struct
    {
        TFormStart::TMode mode;
        bool versionShown;
    } cases[] = {{TFormStart::fmSplash, false}, {TFormStart::fmAbout, true}};
    for (const auto &c : cases) {
        TFormStart form(content, c.mode);
        auto *version = form.findChild<QLabel *>(QStringLiteral("LabelVersion"));
        auto *build = form.findChild<QLabel *>(QStringLiteral("LabelBuild"));
        EXPECT_EQ(version->text(), QStringLiteral("Version 1.5"));
        EXPECT_EQ(build->text(), QStringLiteral("Build 6"));
        EXPECT_EQ(version->isVisibleTo(&form), c.versionShown);
        EXPECT_EQ(form.findChild<QPushButton *>(QStringLiteral("btnOK"))->isVisibleTo(&form), c.versionShown);
        EXPECT_TRUE(form.findChild<QLabel *>(QStringLiteral("LabelTestVersion"))->isVisibleTo(&form));
        EXPECT_EQ(form.ProductLabel() + QLatin1Char(' ') + form.EditionLabel(),
                  QStringLiteral("Kavra 7 Professional Edition"));
    }
}
