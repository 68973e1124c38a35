#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Edition: chosen only by the product name ("Kavra 7" is ultrasonic).
enum TEdition { edCoatingThickness, edUltrasonic };

// Brand: chosen only by the upper-cased company name.
enum TBrand { brKorventhalium, brVantrell, brBelcaronis, brTarvex, brOther };

struct TRgbColour
{
    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;
    friend bool operator==(const TRgbColour &, const TRgbColour &) = default;
};

// What the splash window shows for a brand.
struct TSplashBrand
{
    QString manufacturer;       // manufacturer label
    QString logo;               // empty: no logo; "WordLogo" (two-part word logo) or an image id such as "ImageTarvex"
    TRgbColour gradientStart;   // horizontal gradient band, left to right
    TRgbColour gradientEnd;
    QString webAddress;         // shown without, opened with "http://"
};

// Which features the windows offer, by edition and brand.
struct TEditionSwitches
{
    bool directImport = true;           // action DirectImport
    bool aPicture = false;              // ActionShowAPicture and btnAPicture
    bool languageSpanishFrench = true;  // ActionLanguageSpanish, ActionLanguageFrench
    bool insertTreeStructure = true;    // btnInsertTreeStructure
    bool textExport = true;             // ActionTextExport
    bool print = true;                  // PrintDlg1
    bool quickInfoUser = true;          // LabelUser, QIUser
    bool unitSettings = true;           // base unit choice and the General, Interface, Export setup pages
    QString batchExtension;             // "dv7" or "zq7", without the dot
    QString helpBaseName;               // "HelpDalvo7" or "HelpKavra7"
};

// The compiled-in version resource of the program (":/program/version.ini").
struct TVersionResource
{
    QString productName;
    QString companyName;
    int versionMajor = 0;   // the four numbers of the file version a.b.c.d
    int versionMinor = 0;
    int release = 0;        // not used by the program
    int build = 0;
    bool preRelease = false;

    static TVersionResource Parse(const QByteArray &ini);
    // The resource of the running program; empty fields when it has none.
    static TVersionResource OfProgram();
};

// The program information: filled once at start-up, read-only afterwards.
class TProgramInfo
{
public:
    // Where the per-user folders go: the configuration root (application-data
    // folder) and the documents root (data folder). Empty fields mean the
    // system's locations (QStandardPaths, which honours its test mode).
    struct TFolderRoots
    {
        QString config;
        QString documents;
    };

    // The running program's information, made at the first call. The
    // environment variables GAUGE_CONFIG_ROOT and GAUGE_DOCUMENTS_ROOT, or
    // SetFolderRoots() called before, redirect the folders.
    static const TProgramInfo &Current();
    static void SetFolderRoots(const TFolderRoots &roots);

    // Derives everything from a version resource: creates the two folders
    // (with parents) and reads the owner text and language from Settings.ini.
    TProgramInfo(const TVersionResource &version, const TFolderRoots &roots);

    QString ProductName() const { return m_version.productName; }
    QString CompanyName() const { return m_version.companyName; }
    int VersionMajor() const { return m_version.versionMajor; }
    int VersionMinor() const { return m_version.versionMinor; }
    int Build() const { return m_version.build; }
    bool PreRelease() const { return m_version.preRelease; }
    QString VersionText() const;        // "a.b"

    // Lines 1..4 of section User in Settings.ini, joined with CR LF.
    QString OwnerText() const { return m_ownerText; }
    // Setup/Language of Settings.ini as read at start-up (default 2057).
    int Language() const { return m_language; }

    // Folders end with "/".
    QString AppDataDir() const { return m_appDataDir; }
    QString SettingsFile() const { return m_appDataDir + QStringLiteral("Settings.ini"); }
    QString DataDir() const { return m_dataDir; }

    TEdition Edition() const;
    TBrand Brand() const;
    TEditionSwitches Switches() const;
    TSplashBrand Splash() const;
    QString BatchExtension() const { return Switches().batchExtension; }
    QString HelpBaseName() const { return Switches().helpBaseName; }

    static QString EditionText() { return QStringLiteral("Professional Edition"); }
    // Product name + " " + edition text.
    QString ApplicationTitle() const;
    // The application title, with " - Testversion" for a pre-release build.
    QString MainCaption() const;

private:
    TVersionResource m_version;
    QString m_appDataDir;
    QString m_dataDir;
    QString m_ownerText;
    int m_language = 2057;
};

TEdition EditionOf(const QString &productName);
TBrand BrandOf(const QString &companyName);
TEditionSwitches EditionSwitches(TEdition edition, TBrand brand);
TSplashBrand SplashBrandOf(const QString &companyName);

// Language modules: translation files beside the program, named after the
// program file with its extension replaced by (or, without extension,
// followed by) "." + the three-letter language abbreviation, then the first
// two letters of it. 1031 "DEU", 2057 "ENG", 1036 "FRA", 1034 "ESP".
QString LanguageAbbreviation(int languageId);
QStringList LanguageModuleCandidates(const QString &programFile, int languageId);
// The first candidate that exists, or empty: the built-in English texts stay.
QString FindLanguageModule(const QString &programFile, int languageId);

// Help files: folder of the program + help base name + language code
// (1031 "DEU", 1034 "ESP", 1036 "FRA", else "ENG") + ".chm".
QString HelpLanguageCode(int languageId);
// Empty when the file does not exist; the help action then beeps and shows
// NoHelpMessage().
QString HelpFilePath(const QString &programDir, TEdition edition, int languageId);
inline QString NoHelpMessage() { return QStringLiteral("No help available !"); }
