#include "app/ProgramInfo.h"

#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

TProgramInfo::TFolderRoots &FolderRootsOverride()
{
    static TProgramInfo::TFolderRoots roots;
    return roots;
}

QString RootOrSystem(const QString &root, QStandardPaths::StandardLocation location)
{
    return root.isEmpty() ? QStandardPaths::writableLocation(location) : root;
}

// Root + "/" + product + "/", made with all missing parents. A failed
// lookup leaves the root empty; a failed creation is not reported.
QString ProductFolder(const QString &root, const QString &productName)
{
    QString folder = root;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    folder += productName + u'/';
    QDir().mkpath(folder);
    return folder;
}

} // namespace

TVersionResource TVersionResource::Parse(const QByteArray &ini)
{
    TIniFile file;
    file.SetContent(ini);
    TVersionResource version;
    version.productName = file.ReadString("Version", "ProductName");
    version.companyName = file.ReadString("Version", "CompanyName");
    const QStringList numbers = file.ReadString("Version", "FileVersion").split(u'.');
    int *fields[] = {&version.versionMajor, &version.versionMinor, &version.release, &version.build};
    for (qsizetype i = 0; i < 4 && i < numbers.size(); ++i)
        *fields[i] = numbers[i].trimmed().toInt();
    version.preRelease = file.ReadBool("Version", "PreRelease", false);
    return version;
}

TVersionResource TVersionResource::OfProgram()
{
    QFile resource(QStringLiteral(":/program/version.ini"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    return Parse(resource.readAll());
}

const TProgramInfo &TProgramInfo::Current()
{
    static const TProgramInfo info = [] {
        TFolderRoots roots = FolderRootsOverride();
        if (roots.config.isEmpty())
            roots.config = qEnvironmentVariable("GAUGE_CONFIG_ROOT");
        if (roots.documents.isEmpty())
            roots.documents = qEnvironmentVariable("GAUGE_DOCUMENTS_ROOT");
        return TProgramInfo(TVersionResource::OfProgram(), roots);
    }();
    return info;
}

void TProgramInfo::SetFolderRoots(const TFolderRoots &roots)
{
    FolderRootsOverride() = roots;
}

TProgramInfo::TProgramInfo(const TVersionResource &version, const TFolderRoots &roots)
    : m_version(version)
{
    m_appDataDir = ProductFolder(RootOrSystem(roots.config, QStandardPaths::GenericConfigLocation), version.productName);
    m_dataDir = ProductFolder(RootOrSystem(roots.documents, QStandardPaths::DocumentsLocation), version.productName);

    const TIniFile settings(SettingsFile());
    m_language = settings.ReadInteger("Setup", "Language", 2057);
    QStringList lines;
    for (int i = 1; i <= 4; ++i)
        lines << settings.ReadString("User", QStringLiteral("Line%1").arg(i));
    m_ownerText = lines.join(QStringLiteral("\r\n"));
}

QString TProgramInfo::VersionText() const
{
    return QStringLiteral("%1.%2").arg(VersionMajor()).arg(VersionMinor());
}

TEdition TProgramInfo::Edition() const
{
    return EditionOf(ProductName());
}

TBrand TProgramInfo::Brand() const
{
    return BrandOf(CompanyName());
}

TEditionSwitches TProgramInfo::Switches() const
{
    return EditionSwitches(Edition(), Brand());
}

TSplashBrand TProgramInfo::Splash() const
{
    return SplashBrandOf(CompanyName());
}

QString TProgramInfo::ApplicationTitle() const
{
    return ProductName() + u' ' + EditionText();
}

QString TProgramInfo::MainCaption() const
{
    return PreRelease() ? ApplicationTitle() + QStringLiteral(" - Testversion") : ApplicationTitle();
}

TEdition EditionOf(const QString &productName)
{
    return productName == QLatin1String("Kavra 7") ? edUltrasonic : edCoatingThickness;
}

TBrand BrandOf(const QString &companyName)
{
    const QString upper = companyName.toUpper();
    if (upper == QLatin1String("KORVENTHALIUM"))
        return brKorventhalium;
    if (upper == QLatin1String("VANTRELL"))
        return brVantrell;
    if (upper == QLatin1String("BELCARONIS"))
        return brBelcaronis;
    if (upper == QLatin1String("TARVEX"))
        return brTarvex;
    return brOther;
}

TEditionSwitches EditionSwitches(TEdition edition, TBrand brand)
{
    const bool ultrasonic = edition == edUltrasonic;
    const bool tarvex = brand == brTarvex;
    TEditionSwitches switches;
    switches.directImport = !ultrasonic && !tarvex;
    switches.aPicture = ultrasonic;
    switches.languageSpanishFrench = !ultrasonic;
    switches.insertTreeStructure = true;
    switches.textExport = !tarvex;
    switches.print = !tarvex;
    switches.quickInfoUser = !tarvex;
    switches.unitSettings = !tarvex;
    switches.batchExtension = ultrasonic ? QStringLiteral("zq7") : QStringLiteral("dv7");
    switches.helpBaseName = ultrasonic ? QStringLiteral("HelpKavra7") : QStringLiteral("HelpDalvo7");
    return switches;
}

TSplashBrand SplashBrandOf(const QString &companyName)
{
    constexpr TRgbColour silver{192, 192, 192};
    constexpr TRgbColour red{255, 0, 0};
    constexpr TRgbColour blue{0, 89, 147};
    constexpr TRgbColour green{0, 110, 61};
    const QString defaultWeb = QStringLiteral("www.korventhalium.example");

    QString manufacturer = companyName;
    manufacturer.remove(u' ');
    switch (BrandOf(companyName)) {
    case brKorventhalium:
        return {manufacturer, QStringLiteral("WordLogo"), silver, red, defaultWeb};
    case brVantrell:
        return {QStringLiteral("Vantrell"), QStringLiteral("ImageVantrell"), blue, green,
                QStringLiteral("www.vantrell.example")};
    case brBelcaronis:
        return {manufacturer, QStringLiteral("ImageBelcaronis"), silver, {17, 137, 204},
                QStringLiteral("www.belcaronis.example")};
    case brTarvex:
        return {QStringLiteral("Tarvex"), QStringLiteral("ImageTarvex"), silver, red,
                QStringLiteral("www.tarvex.example")};
    case brOther:
        break;
    }
    return {manufacturer, {}, blue, green, defaultWeb};
}

QString LanguageAbbreviation(int languageId)
{
    switch (languageId) {
    case 1031: return QStringLiteral("DEU");
    case 2057: return QStringLiteral("ENG");
    case 1036: return QStringLiteral("FRA");
    case 1034: return QStringLiteral("ESP");
    default: return {};
    }
}

QStringList LanguageModuleCandidates(const QString &programFile, int languageId)
{
    const QString abbreviation = LanguageAbbreviation(languageId);
    const QFileInfo program(programFile);
    if (abbreviation.isEmpty() || program.fileName().isEmpty())
        return {};
    QString stem = program.fileName();
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot > 0)
        stem.truncate(dot);
    const QString base = program.dir().filePath(stem) + u'.';
    return {base + abbreviation, base + abbreviation.left(2)};
}

QString FindLanguageModule(const QString &programFile, int languageId)
{
    for (const QString &candidate : LanguageModuleCandidates(programFile, languageId)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QString HelpLanguageCode(int languageId)
{
    switch (languageId) {
    case 1031: return QStringLiteral("DEU");
    case 1034: return QStringLiteral("ESP");
    case 1036: return QStringLiteral("FRA");
    default: return QStringLiteral("ENG");
    }
}

QString HelpFilePath(const QString &programDir, TEdition edition, int languageId)
{
    const QString name = EditionSwitches(edition, brOther).helpBaseName + HelpLanguageCode(languageId)
        + QStringLiteral(".chm");
    const QString path = QDir(programDir).filePath(name);
    return QFileInfo(path).isFile() ? path : QString();
}
