#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <map>

// One run of a command-line command: its own arguments and the global options.
struct TCliContext
{
    QStringList args;       // what follows the command name, global options removed
    QString port;           // --port PORT (empty when not given)
    bool json = false;      // --json
    QTextStream &out;
    QTextStream &err;

    // Removes "--name" from args; true when it was there.
    bool TakeFlag(const QString &name);
    // Removes "--name VALUE" or "--name=VALUE" from args; fallback when absent.
    QString TakeOption(const QString &name, const QString &fallback = {});
    // Reports unexpected leftovers ("--x") as a usage error; true when none.
    bool NoUnknownOptions();
};

using TCliHandler = std::function<int(TCliContext &)>;

struct TCliCommandInfo
{
    QString usage;    // e.g. "batch show FILE [--json] [--readings]"
    QString summary;
    TCliHandler handler;
};

// Commands register themselves from their own file:
//   static TCliCommandRegistrar reg("frame", "frame 'LINE'", "Print a request frame", RunFrame);
std::map<QString, TCliCommandInfo> &CliCommands();

struct TCliCommandRegistrar
{
    TCliCommandRegistrar(const QString &name, const QString &usage, const QString &summary, TCliHandler handler)
    {
        CliCommands()[name] = {usage, summary, std::move(handler)};
    }
};

// Exit codes: 0 only on full success.
enum TCliExit { cliOk = 0, cliFailed = 1, cliUsage = 2 };
