#include "app/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Touch(const QString &path, const QByteArray &content = {})
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
    file.write(content);
}

} // namespace

// The test program carries its own version resource (see CMakeLists.txt).
TEST(ProgramInfo, ReadsCompiledInResourceOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("deep/config"));
    QDir().mkpath(config + QStringLiteral("/Dalvo 7"));
    Touch(config + QStringLiteral("/Dalvo 7/Settings.ini"),
          "[User]\r\nLine1=Paint Shop\r\nLine3=Hall 3\r\n[Setup]\r\nLanguage=1031\r\n");
    TProgramInfo::SetFolderRoots({config, dir.filePath(QStringLiteral("docs/nested"))});

    const TProgramInfo &info = TProgramInfo::Current();
    EXPECT_EQ(&info, &TProgramInfo::Current());
    EXPECT_EQ(info.ProductName(), QStringLiteral("Dalvo 7"));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Tarvex"));
    EXPECT_EQ(info.VersionText(), QStringLiteral("1.5"));
    EXPECT_EQ(info.Build(), 6);
    EXPECT_TRUE(info.PreRelease());
    EXPECT_EQ(info.MainCaption(), QStringLiteral("Dalvo 7 Professional Edition - Testversion"));
    EXPECT_EQ(info.Brand(), brTarvex);
    EXPECT_FALSE(info.Switches().directImport);

    EXPECT_EQ(info.AppDataDir(), config + QStringLiteral("/Dalvo 7/"));
    EXPECT_EQ(info.SettingsFile(), config + QStringLiteral("/Dalvo 7/Settings.ini"));
    EXPECT_EQ(info.DataDir(), dir.filePath(QStringLiteral("docs/nested/Dalvo 7/")));
    EXPECT_TRUE(QDir(info.DataDir()).exists()); // made with its parents
    EXPECT_EQ(info.OwnerText(), QStringLiteral("Paint Shop\r\n\r\nHall 3\r\n"));
    EXPECT_EQ(info.Language(), 1031);
}

TEST(ProgramInfo, VersionResourceFields)
{
    const TVersionResource plain = TVersionResource::Parse(
        "[Version]\nProductName=Kavra 7\nCompanyName=Belcaronis\nFileVersion=7.12.3.140\nPreRelease=0\n");
    EXPECT_EQ(plain.productName, QStringLiteral("Kavra 7"));
    EXPECT_EQ(plain.versionMajor, 7);
    EXPECT_EQ(plain.versionMinor, 12);
    EXPECT_EQ(plain.build, 140);

    QTemporaryDir dir;
    const TProgramInfo info(plain, {dir.path(), dir.path()});
    EXPECT_EQ(info.VersionText(), QStringLiteral("7.12"));
    EXPECT_EQ(info.MainCaption(), QStringLiteral("Kavra 7 Professional Edition"));
    EXPECT_EQ(info.Edition(), edUltrasonic);
    EXPECT_EQ(info.OwnerText(), QStringLiteral("\r\n\r\n\r\n")); // no Settings.ini yet
    EXPECT_EQ(info.Language(), 2057);

    const TVersionResource none = TVersionResource::Parse({});
    EXPECT_TRUE(none.productName.isEmpty());
    EXPECT_EQ(none.build, 0);
}

TEST(ProgramInfo, EditionAndBrandSwitchTables)
{
    EXPECT_EQ(EditionOf(QStringLiteral("Kavra 7")), edUltrasonic);
    EXPECT_EQ(EditionOf(QStringLiteral("Dalvo 7")), edCoatingThickness);
    EXPECT_EQ(EditionOf(QStringLiteral("kavra 7")), edCoatingThickness); // exact product name only
    EXPECT_EQ(BrandOf(QStringLiteral("tarvex")), brTarvex);
    EXPECT_EQ(BrandOf(QStringLiteral("Acme Coatings")), brOther);

    struct Case
    {
        TEdition edition;
        TBrand brand;
        bool directImport, aPicture, spanishFrench, tarvexOff;
        const char *extension, *help;
    };
    const Case cases[] = {
        {edCoatingThickness, brKorventhalium, true, false, true, false, "dv7", "HelpDalvo7"},
        {edCoatingThickness, brTarvex, false, false, true, true, "dv7", "HelpDalvo7"},
        {edUltrasonic, brKorventhalium, false, true, false, false, "zq7", "HelpKavra7"},
        {edUltrasonic, brTarvex, false, true, false, true, "zq7", "HelpKavra7"},
    };
    for (const Case &c : cases) {
        const TEditionSwitches s = EditionSwitches(c.edition, c.brand);
        SCOPED_TRACE(testing::Message() << c.edition << '/' << c.brand);
        EXPECT_EQ(s.directImport, c.directImport);
        EXPECT_EQ(s.aPicture, c.aPicture);
        EXPECT_EQ(s.languageSpanishFrench, c.spanishFrench);
        EXPECT_TRUE(s.insertTreeStructure);
        for (bool shown : {s.textExport, s.print, s.quickInfoUser, s.unitSettings})
            EXPECT_EQ(shown, !c.tarvexOff);
        EXPECT_EQ(s.batchExtension, QString::fromLatin1(c.extension));
        EXPECT_EQ(s.helpBaseName, QString::fromLatin1(c.help));
    }
}

TEST(ProgramInfo, SplashBrands)
{
    struct Case { const char *company, *manufacturer, *logo; TRgbColour start, end; };
    const Case cases[] = {
        {"Korventhalium", "Korventhalium", "WordLogo", {192, 192, 192}, {255, 0, 0}},
        {"VANTRELL", "Vantrell", "ImageVantrell", {0, 89, 147}, {0, 110, 61}},
        {"Belcaronis", "Belcaronis", "ImageBelcaronis", {192, 192, 192}, {17, 137, 204}},
        {"tarvex", "Tarvex", "ImageTarvex", {192, 192, 192}, {255, 0, 0}},
        {"Acme Coat ings", "AcmeCoatings", "", {0, 89, 147}, {0, 110, 61}},
    };
    for (const Case &c : cases) {
        const TSplashBrand splash = SplashBrandOf(QString::fromLatin1(c.company));
        SCOPED_TRACE(c.company);
        EXPECT_EQ(splash.manufacturer, QString::fromLatin1(c.manufacturer));
        EXPECT_EQ(splash.logo, QString::fromLatin1(c.logo));
        EXPECT_EQ(splash.gradientStart, c.start);
        EXPECT_EQ(splash.gradientEnd, c.end);
        EXPECT_FALSE(splash.webAddress.isEmpty());
    }
    EXPECT_EQ(SplashBrandOf(QStringLiteral("Acme")).webAddress, SplashBrandOf(QStringLiteral("Korventhalium")).webAddress);
}

TEST(ProgramInfo, LanguageModuleRule)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("dalvo7"));
    EXPECT_EQ(LanguageModuleCandidates(dir.filePath(QStringLiteral("X.exe")), 1036),
              (QStringList{dir.filePath(QStringLiteral("X.FRA")), dir.filePath(QStringLiteral("X.FR"))}));
    EXPECT_TRUE(LanguageModuleCandidates(program, 1033).isEmpty()); // no abbreviation known

    EXPECT_TRUE(FindLanguageModule(program, 1031).isEmpty()); // built-in English
    Touch(program + QStringLiteral(".DE"));
    EXPECT_EQ(FindLanguageModule(program, 1031), program + QStringLiteral(".DE"));
    Touch(program + QStringLiteral(".DEU"));
    EXPECT_EQ(FindLanguageModule(program, 1031), program + QStringLiteral(".DEU"));
    EXPECT_TRUE(FindLanguageModule(program, 1034).isEmpty());
}

TEST(ProgramInfo, HelpFileRule)
{
    QTemporaryDir dir;
    Touch(dir.filePath(QStringLiteral("HelpDalvo7DEU.chm")));
    Touch(dir.filePath(QStringLiteral("HelpKavra7ENG.chm")));
    EXPECT_EQ(HelpFilePath(dir.path(), edCoatingThickness, 1031), dir.filePath(QStringLiteral("HelpDalvo7DEU.chm")));
    EXPECT_EQ(HelpFilePath(dir.path(), edUltrasonic, 1033), dir.filePath(QStringLiteral("HelpKavra7ENG.chm")));
    EXPECT_TRUE(HelpFilePath(dir.path(), edCoatingThickness, 1036).isEmpty());
    EXPECT_TRUE(HelpFilePath(dir.path(), edUltrasonic, 1031).isEmpty());
    EXPECT_EQ(HelpLanguageCode(1034), QStringLiteral("ESP"));
    EXPECT_EQ(NoHelpMessage(), QStringLiteral("No help available !"));
}
