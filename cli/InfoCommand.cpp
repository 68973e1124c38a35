#include "CliCommand.h"
#include "PortAddress.h"

#include "comm/ZYKComm2Item.h"
#include "comm/commands/Gauge2.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// One info item of the gauge ("G") or sensor ("S") group; required items
// must answer for the gauge to count as identified.
struct TInfoItem
{
    char group;
    const char *item;
    const char *label;
    const char *key;
    bool required;
};

constexpr TInfoItem InfoItems[] = {
    {'G', "B", "Model", "model", true},
    {'G', "N", "Name", "name", true},
    {'G', "S", "Serial number", "serial", true},
    {'G', "H", "H", "H", false},
    {'G', "V", "V", "V", false},
    {'G', "C", "C", "C", false},
    {'G', "P", "P", "P", false},
    {'G', "E", "Status", "status", false},
    {'S', "N", "Name", "name", true},
    {'S', "S", "Serial number", "serial", true},
    {'S', "V", "Version", "version", true},
    {'S', "H", "H", "H", false},
    {'S', "D", "D", "D", false},
    {'S', "T", "T", "T", false},
    {'S', "E", "Status", "status", false},
};

// The value of an item after it was read, as the command class decoded it.
QJsonValue ItemValue(const TGauge2GetInfo &info, const TInfoItem &item)
{
    const char c = item.item[0];
    if (item.group == 'G') {
        switch (c) {
        case 'B': return info.GaugeB;
        case 'N': return info.GaugeN;
        case 'S': return info.GaugeS;
        case 'H': return info.GaugeH;
        case 'V': return info.GaugeV;
        case 'C': return info.GaugeC;
        case 'P': return info.GaugeP;
        case 'E': return info.GaugeE;
        }
    } else {
        switch (c) {
        case 'N': return info.SensorN;
        case 'S': return info.SensorS;
        case 'V': return info.SensorV;
        case 'H': return info.SensorH;
        case 'D': return info.SensorD;
        case 'E': return info.SensorE;
        case 'T': {
            QJsonArray parts;
            for (const QString &part : {info.SensorT1, info.SensorT2, info.SensorT3, info.SensorT4, info.SensorT5}) {
                if (!part.isEmpty())
                    parts.append(part);
            }
            return parts;
        }
        }
    }
    return {};
}

QString ItemText(const QJsonValue &value)
{
    if (value.isArray()) {
        QStringList parts;
        for (const QJsonValue &part : value.toArray())
            parts << part.toString();
        return parts.join(QStringLiteral(", "));
    }
    return value.isDouble() ? QString::number(value.toInt()) : value.toString();
}

struct TIdentity
{
    QString Version;
    QJsonObject Gauge;
    QJsonObject Sensor;
    QList<QPair<const TInfoItem *, QJsonValue>> Items;
    TGauge2ParamList Params;
};

bool ReadIdentity(TGauge2 &gauge, TIdentity &identity, QString &error)
{
    if (!gauge.Version.Execute()) {
        error = QStringLiteral("The gauge does not answer the version request.");
        return false;
    }
    identity.Version = gauge.Version.VersionText;
    for (const TInfoItem &item : InfoItems) {
        if (!gauge.GetInfo.Execute(item.group, item.item)) {
            if (item.required) {
                error = QStringLiteral("The gauge does not answer info item %1 %2.")
                            .arg(QString(QLatin1Char(item.group)), QString::fromLatin1(item.item));
                return false;
            }
            continue;
        }
        const QJsonValue value = ItemValue(gauge.GetInfo, item);
        (item.group == 'G' ? identity.Gauge : identity.Sensor)[QLatin1String(item.key)] = value;
        identity.Items.append({&item, value});
    }
    if (!gauge.ReadParamList(identity.Params)) {
        error = QStringLiteral("The parameter table could not be read.");
        return false;
    }
    return true;
}

void PrintText(QTextStream &out, const TIdentity &identity)
{
    out << "Firmware version: " << identity.Version << '\n';
    char group = 0;
    for (const auto &[item, value] : identity.Items) {
        if (item->group != group) {
            group = item->group;
            out << (group == 'G' ? "Gauge\n" : "Sensor\n");
        }
        out << "  " << QString::fromLatin1(item->label).leftJustified(16) << ItemText(value) << '\n';
    }
    out << "Parameters (" << identity.Params.size() << ")\n";
    out << "   ID  Type  Size  Name\n";
    for (const TGauge2ParamEntry &entry : identity.Params) {
        out << QStringLiteral("  %1  %2  %3  %4\n")
                   .arg(entry.ID, 3)
                   .arg(entry.Typ, 4)
                   .arg(entry.Size, 4)
                   .arg(entry.Name);
    }
}

void PrintJson(QTextStream &out, const TIdentity &identity)
{
    QJsonArray params;
    for (const TGauge2ParamEntry &entry : identity.Params) {
        params.append(QJsonObject{{QStringLiteral("id"), entry.ID},
                                  {QStringLiteral("type"), entry.Typ},
                                  {QStringLiteral("size"), entry.Size},
                                  {QStringLiteral("name"), entry.Name}});
    }
    const QJsonObject object{{QStringLiteral("version"), identity.Version},
                             {QStringLiteral("gauge"), identity.Gauge},
                             {QStringLiteral("sensor"), identity.Sensor},
                             {QStringLiteral("parameters"), params}};
    out << QJsonDocument(object).toJson(QJsonDocument::Indented);
}

int RunInfo(TCliContext &context)
{
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (context.port.isEmpty() || !context.args.isEmpty()) {
        context.err << "Usage: --port PORT info [--json]" << Qt::endl;
        return cliUsage;
    }
    QString error;
    std::unique_ptr<TZYKComm2Item> item = OpenPortAddress(context.port, error);
    if (!item) {
        context.err << error << Qt::endl;
        return cliFailed;
    }
    TIdentity identity;
    bool read = false;
    {
        TGauge2 gauge(*item);
        read = ReadIdentity(gauge, identity, error);
    }
    item->Close();
    if (!read) {
        context.err << error << Qt::endl;
        return cliFailed;
    }
    if (context.json)
        PrintJson(context.out, identity);
    else
        PrintText(context.out, identity);
    return cliOk;
}

} // namespace

static TCliCommandRegistrar registrar(QStringLiteral("info"), QStringLiteral("--port PORT info [--json]"),
                                      QStringLiteral("Identify the gauge: version, info items, parameter table"),
                                      RunInfo);
