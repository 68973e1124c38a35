#include "GaugeClassification.h"

#include <array>

TGaugeClass ClassifyGauge(const QString &designation)
{
    struct TRule { const char *text; quint8 group; quint8 code; };
    // Order matters: the longer designations first, first match wins.
    static constexpr std::array<TRule, 11> Rules{{
        {"VZT2", 1, 9}, {"VZT7", 2, 9}, {"ZT1X", 3, 6}, {"ZT3X", 3, 7}, {"ZT1", 1, 0}, {"ZT6", 2, 3},
        {"ZT2", 1, 1}, {"ZT7", 2, 4}, {"ZT3", 1, 2}, {"ZT8", 2, 5}, {"Harmodelta", 3, 8},
    }};
    for (const TRule &rule : Rules) {
        if (designation.contains(QLatin1String(rule.text)))
            return {rule.group, rule.code};
    }
    return {};
}

quint8 SensorFlagsOf(const QString &sensorName)
{
    quint8 flags = 0;
    if (sensorName.contains(u'F'))
        flags |= sfFerrous;
    if (sensorName.contains(u'N'))
        flags |= sfNonFerrous;
    if (sensorName.contains(u'Q'))
        flags |= sfUltrasonic;
    if (sensorName.contains(u'H'))
        flags = quint8((flags | sfHall) & ~sfFerrous);
    return flags;
}

QString RequiredFirmware(const TGaugeClass &gauge, bool ultrasonicEdition)
{
    switch (gauge.Group) {
    case 1: return QStringLiteral("2.11");
    case 2: return gauge.ModelCode == 9 ? QStringLiteral("2.25") : QStringLiteral("2.21");
    case 3: return ultrasonicEdition ? QStringLiteral("2.14A") : QStringLiteral("2.13D");
    default: return {};
    }
}

bool FirmwareAtLeast(const QString &version, const QString &required)
{
    return QString::compare(version, required, Qt::CaseSensitive) >= 0;
}

TGaugeActions ActionsFor(const TGaugeTreeNode *node, bool ultrasonicEdition)
{
    TGaugeActions a;
    if (!node)
        return a;
    const TTreeData &d = node->Data;
    const TTreeData &root = d.RootNode ? d.RootNode->Data : d;
    const bool treeEditing = root.ModelCode == 7 || root.ModelCode == 8;
    const bool group12 = root.GaugeGroup == 1 || root.GaugeGroup == 2;
    const bool element = d.ElementType == etDirectory || d.ElementType == etBatch || d.ElementType == etParameterSet;
    const bool noDataFile = node->Overlay == ovNoDataFile;
    const int level = node->Level();

    a.NewBatch = {true, treeEditing || (group12 && noDataFile)};
    a.NewDir = {treeEditing, level < 5};
    a.Rename = {treeEditing, element && d.Name != QLatin1String("DirectMode")};
    a.Delete = {true, (a.Rename.Visible && a.Rename.Available) || (group12 && element && !noDataFile)};
    a.QuickInfo = {true, d.ElementType == etBatch && !noDataFile};
    a.Download = {true, true};
    a.InsertStructure = {treeEditing, level < 6};
    a.ShowAPicture = {ultrasonicEdition, root.ModelCode == 8};
    a.ZQParameter = a.ShowAPicture;
    a.DirectImport = {!ultrasonicEdition, (root.Port == 1 || root.Port == 2) && (root.ModelCode == 6 || root.ModelCode == 7)};
    return a;
}

QString CalibrationMethodText(int number, bool hallSensor)
{
    static const std::array<const char *, 6> Hall{"Factory", "Zero only", "Zero + 1 Point", "Zero + 2 Points",
                                                  "Zero + 3 Points", "Zero + 4 Points"};
    static const std::array<const char *, 8> Methods{"Factory", "Manual", "Swedish", "Australian", "Rough", "SSPC", "ISO", "PSPC"};
    if (hallSensor)
        return number >= 1 && number <= int(Hall.size()) ? QString::fromLatin1(Hall[size_t(number - 1)]) : QString();
    return number >= 1 && number <= int(Methods.size()) ? QString::fromLatin1(Methods[size_t(number - 1)]) : QString();
}
