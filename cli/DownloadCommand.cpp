#include "ExplorerSession.h"

#include "explorer/BatchDownload.h"

#include <QDir>

namespace {

// A gauge path as the explorer shows it, with or without the gauge's own
// name in front; "/" may stand for "\".
TGaugeTreeNode *FindElement(TGaugeExplorer &explorer, QString path)
{
    path.replace(u'/', u'\\');
    while (path.endsWith(u'\\'))
        path.chop(1);
    return explorer.FindNode(path);
}

int RunDownload(TCliContext &context)
{
    const bool all = context.TakeFlag(QStringLiteral("--all"));
    const bool mirror = context.TakeFlag(QStringLiteral("--mirror"));
    const QString folder = context.TakeOption(QStringLiteral("--to"), QStringLiteral("."));
    const QString timeout = context.TakeOption(QStringLiteral("--timeout"));
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (context.args.isEmpty() == !all) {
        context.err << "Usage: --port PORT download [PATH ...] [--all] [--to DIR] [--mirror] [--timeout MS]" << Qt::endl;
        return cliUsage;
    }
    if (!QDir().mkpath(folder)) {
        context.err << "Cannot create the folder " << folder << Qt::endl;
        return cliFailed;
    }
    TExplorerSession session;
    if (!session.Open(context))
        return cliFailed;
    TGaugeExplorer &explorer = *session.Explorer;
    if (!timeout.isEmpty())
        session.Item->SetReceiveTimeout(timeout.toUInt());
    if (!explorer.ReadWholeTree()) {
        context.err << "The gauge's tree could not be read completely." << Qt::endl;
        return cliFailed;
    }
    bool found = true;
    if (all) {
        explorer.Root()->SetCheckedDeep(true);
    } else {
        for (const QString &path : std::as_const(context.args)) {
            TGaugeTreeNode *node = FindElement(explorer, path);
            if (!node) {
                context.err << "No such element on the gauge: " << path << Qt::endl;
                found = false;
                continue;
            }
            node->SetCheckedDeep(true);
            // The directories above a named element are mirrored too.
            for (TGaugeTreeNode *up = node->Parent(); mirror && up && up->Parent(); up = up->Parent())
                up->Checked = up->Checked || up->Data.ElementType == etDirectory;
        }
        if (!found)
            return cliFailed;
    }
    TBatchDownload download(explorer);
    download.OnFileWritten = [&context](const QString &file) {
        context.out << QDir::cleanPath(file) << '\n' << Qt::flush;
    };
    const bool complete = download.DownloadChecked(QDir(folder).absolutePath(), mirror);
    if (!complete) {
        if (download.IncompleteElements.isEmpty())
            context.err << session.Dialog->Status() << Qt::endl;
        if (!download.IncompleteElements.isEmpty())
            context.err << "Download failed, incomplete: " << download.IncompleteElements.join(QStringLiteral(", ")) << Qt::endl;
        if (!download.NotDownloaded.isEmpty())
            context.err << "Not downloaded: " << download.NotDownloaded.join(QStringLiteral(", ")) << Qt::endl;
        return cliFailed;
    }
    return cliOk;
}

} // namespace

static TCliCommandRegistrar registrar(QStringLiteral("download"),
                                      QStringLiteral("--port PORT download [PATH ...] [--all] [--to DIR] [--mirror] [--timeout MS]"),
                                      QStringLiteral("Download batches and parameter sets from the gauge into files"),
                                      RunDownload);
