#pragma once

// What the gauge commands of the command line share: a dialog on stderr
// with a progress bar, and a connected, identified gauge explorer.

#include "CliCommand.h"
#include "PortAddress.h"

#include "app/ProgramInfo.h"
#include "app/UserDialog.h"
#include "comm/ZYKComm2Item.h"
#include "explorer/GaugeExplorer.h"

#include <QTextStream>

#include <memory>
#include <unistd.h>

// Messages and status texts go to stderr; progress is a bar that redraws
// itself in place when stderr is a terminal.
class TConsoleDialog : public IUserDialog
{
public:
    explicit TConsoleDialog(QTextStream &err) : FErr(err), FTerminal(isatty(STDERR_FILENO)) {}

    void ShowMessage(const QString &text) override
    {
        EndBar();
        FErr << text << Qt::endl;
    }
    TAnswer AskQuestion(const QString &text, bool) override
    {
        ShowMessage(text);
        return TAnswer::No;
    }
    void ShowStatus(const QString &text) override { FStatus = text; }
    void ShowProgress(qint64 step, qint64 total) override
    {
        if (!FTerminal)
            return;
        if (total <= 0) {
            EndBar();
            return;
        }
        constexpr int Width = 30;
        const int filled = int(std::min<qint64>(Width, step * Width / total));
        FErr << '\r' << '[' << QString(filled, u'#') << QString(Width - filled, u' ') << "] "
             << qSetFieldWidth(3) << int(step * 100 / total) << qSetFieldWidth(0) << "% " << FStatus.left(40)
             << "\x1b[K" << Qt::flush;
        FBarShown = true;
    }
    void Beep() override {}
    QString Status() const { return FStatus; }

private:
    void EndBar()
    {
        if (FBarShown)
            FErr << "\r\x1b[K" << Qt::flush;
        FBarShown = false;
    }

    QTextStream &FErr;
    bool FTerminal;
    bool FBarShown = false;
    QString FStatus;
};

// The port opened and the gauge connected, identified and accepted.
struct TExplorerSession
{
    std::unique_ptr<TZYKComm2Item> Item;
    std::unique_ptr<TConsoleDialog> Dialog;
    std::unique_ptr<TGaugeExplorer> Explorer;

    bool Open(TCliContext &context)
    {
        if (context.port.isEmpty()) {
            context.err << "A gauge port is needed: --port PORT" << Qt::endl;
            return false;
        }
        QString error;
        Item = OpenPortAddress(context.port, error);
        if (!Item) {
            context.err << error << Qt::endl;
            return false;
        }
        Item->OnError = [](QObject *, TErrMsg, const QString &) {};
        Dialog = std::make_unique<TConsoleDialog>(context.err);
        const bool ultrasonic = TProgramInfo::Current().Edition() == edUltrasonic;
        Explorer = std::make_unique<TGaugeExplorer>(*Item, ultrasonic, *Dialog);
        if (!Explorer->GaugeConnected(false) || !Explorer->FirmwareAccepted()) {
            context.err << (Dialog->Status().isEmpty() ? QStringLiteral("No gauge found !") : Dialog->Status()) << Qt::endl;
            return false;
        }
        // The command runs once; no periodic check in between.
        Explorer->CheckTimer().stop();
        return true;
    }

    ~TExplorerSession()
    {
        Explorer.reset();
        if (Item)
            Item->Close();
    }
};
