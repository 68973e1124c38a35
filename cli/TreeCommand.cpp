#include "ExplorerSession.h"

#include "explorer/GaugeTreeNode.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString TypeName(const TGaugeTreeNode &node)
{
    switch (node.Data.ElementType) {
    case etGauge: return QStringLiteral("gauge");
    case etDirectory: return QStringLiteral("directory");
    case etBatch: return QStringLiteral("batch");
    case etParameterSet: return QStringLiteral("parameter set");
    default: return QStringLiteral("unknown");
    }
}

QJsonObject NodeJson(const TGaugeTreeNode &node)
{
    QJsonObject object{{QStringLiteral("name"), node.Data.Name},
                       {QStringLiteral("type"), TypeName(node)},
                       {QStringLiteral("treeIndex"), node.Data.TreeIndex}};
    if (node.Parent()) {
        object[QStringLiteral("path")] = node.PathWithoutRoot();
        object[QStringLiteral("handle")] = node.Data.Handle;
        if (node.Overlay == ovNoDataFile)
            object[QStringLiteral("empty")] = true;
    } else {
        object[QStringLiteral("model")] = node.Data.GaugeType;
        object[QStringLiteral("serial")] = node.Data.GaugeSerial;
        object[QStringLiteral("firmware")] = node.Data.FirmwareVersion;
        object[QStringLiteral("sensor")] = node.Data.SensorType;
    }
    if (node.ChildCount() > 0) {
        QJsonArray children;
        for (const auto &child : node.Children())
            children.append(NodeJson(*child));
        object[QStringLiteral("children")] = children;
    }
    return object;
}

void PrintNode(QTextStream &out, const TGaugeTreeNode &node, int depth)
{
    out << QString(depth * 2, u' ') << node.Data.Name;
    if (!node.Parent())
        out << " (" << node.Data.GaugeSerial << ") " << node.Data.GaugeType << ", firmware " << node.Data.FirmwareVersion;
    else if (node.Data.ElementType == etDirectory)
        out << '\\';
    else if (node.Data.ElementType == etParameterSet)
        out << "  [parameter set]";
    if (node.Overlay == ovNoDataFile)
        out << "  [empty]";
    out << '\n';
    for (const auto &child : node.Children())
        PrintNode(out, *child, depth + 1);
}

int RunTree(TCliContext &context)
{
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (!context.args.isEmpty()) {
        context.err << "Usage: --port PORT tree [--json]" << Qt::endl;
        return cliUsage;
    }
    TExplorerSession session;
    if (!session.Open(context))
        return cliFailed;
    if (!session.Explorer->ReadWholeTree()) {
        context.err << "The gauge's tree could not be read completely." << Qt::endl;
        return cliFailed;
    }
    const TGaugeTreeNode &root = *session.Explorer->Root();
    if (context.json)
        context.out << QJsonDocument(NodeJson(root)).toJson(QJsonDocument::Indented);
    else
        PrintNode(context.out, root, 0);
    return cliOk;
}

} // namespace

static TCliCommandRegistrar registrar(QStringLiteral("tree"), QStringLiteral("--port PORT tree [--json]"),
                                      QStringLiteral("Show the gauge's tree of directories, batches and parameter sets"),
                                      RunTree);
