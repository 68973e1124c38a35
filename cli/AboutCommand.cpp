#include "CliCommand.h"

#include "app/ProgramInfo.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString BrandName(TBrand brand)
{
    switch (brand) {
    case brKorventhalium: return QStringLiteral("KORVENTHALIUM");
    case brVantrell: return QStringLiteral("VANTRELL");
    case brBelcaronis: return QStringLiteral("BELCARONIS");
    case brTarvex: return QStringLiteral("TARVEX");
    case brOther: break;
    }
    return QStringLiteral("other");
}

QString EditionKind(TEdition edition)
{
    return edition == edUltrasonic ? QStringLiteral("ultrasonic") : QStringLiteral("coating thickness");
}

int RunAbout(TCliContext &context)
{
    if (!context.NoUnknownOptions())
        return cliUsage;
    const TProgramInfo &info = TProgramInfo::Current();
    if (info.ProductName().isEmpty()) {
        context.err << "No version resource in this program." << Qt::endl;
        return cliFailed;
    }

    struct TField
    {
        const char *key;    // --json
        const char *label;  // text
        QJsonValue value;
    };
    const TField fields[] = {
        {"product", "Product", info.ProductName()},
        {"edition", "Edition", TProgramInfo::EditionText() + QStringLiteral(" (") + EditionKind(info.Edition()) + u')'},
        {"company", "Company", info.CompanyName()},
        {"brand", "Brand", BrandName(info.Brand())},
        {"version", "Version", info.VersionText()},
        {"build", "Build", info.Build()},
        {"preRelease", "Pre-release", info.PreRelease()},
        {"caption", "Caption", info.MainCaption()},
        {"appDataFolder", "Settings folder", info.AppDataDir()},
        {"settingsFile", "Settings file", info.SettingsFile()},
        {"dataFolder", "Data folder", info.DataDir()},
        {"batchExtension", "Batch files", info.BatchExtension()},
        {"helpBaseName", "Help file base", info.HelpBaseName()},
    };

    if (context.json) {
        QJsonObject object;
        for (const TField &field : fields)
            object.insert(QLatin1String(field.key), field.value);
        context.out << QJsonDocument(object).toJson(QJsonDocument::Indented);
        return cliOk;
    }
    for (const TField &field : fields) {
        const QString text = field.value.isBool() ? (field.value.toBool() ? QStringLiteral("yes") : QStringLiteral("no"))
                                                  : field.value.toVariant().toString();
        context.out << (QLatin1String(field.label) + u':').leftJustified(17) << text << '\n';
    }
    context.out << '\n';
    return cliOk;
}

TCliCommandRegistrar registrar(QStringLiteral("about"), QStringLiteral("about [--json]"),
                               QStringLiteral("Show the program information"), RunAbout);

} // namespace
