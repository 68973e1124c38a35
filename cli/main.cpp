#include "CliCommand.h"

#include <QCoreApplication>
#include <cstdio>

std::map<QString, TCliCommandInfo> &CliCommands()
{
    static std::map<QString, TCliCommandInfo> commands;
    return commands;
}

bool TCliContext::TakeFlag(const QString &name)
{
    return args.removeAll(name) > 0;
}

QString TCliContext::TakeOption(const QString &name, const QString &fallback)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == name && i + 1 < args.size()) {
            QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(name + QLatin1Char('='))) {
            QString value = args[i].mid(name.size() + 1);
            args.remove(i);
            return value;
        }
    }
    return fallback;
}

bool TCliContext::NoUnknownOptions()
{
    for (const QString &arg : std::as_const(args)) {
        if (arg.startsWith(QLatin1String("--"))) {
            err << "Unknown option: " << arg << Qt::endl;
            return false;
        }
    }
    return true;
}

static void PrintUsage(QTextStream &out)
{
    out << "Usage: " << QCoreApplication::applicationName() << " [--port PORT] [--json] COMMAND [ARGS...]\n\n"
        << "Ports: serial:PATH[@BAUD], ftdi:SERIAL, bt:ADDRESS, tcp:HOST:PORT, demo\n\nCommands:\n";
    for (const auto &[name, info] : CliCommands())
        out << "  " << info.usage.leftJustified(44) << ' ' << info.summary << '\n';
    out.flush();
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    TCliContext context{{}, {}, false, out, err};
    QString command;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            PrintUsage(out);
            return cliOk;
        }
        if (arg == QLatin1String("--json")) {
            context.json = true;
        } else if (arg == QLatin1String("--port") && i + 1 < args.size()) {
            context.port = args[++i];
        } else if (arg.startsWith(QLatin1String("--port="))) {
            context.port = arg.mid(7);
        } else if (command.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            command = arg;
        } else {
            context.args << arg;
        }
    }
    if (command.isEmpty()) {
        PrintUsage(err);
        return cliUsage;
    }
    auto found = CliCommands().find(command);
    if (found == CliCommands().end()) {
        err << "Unknown command: " << command << Qt::endl;
        PrintUsage(err);
        return cliUsage;
    }
    int code = found->second.handler(context);
    out.flush();
    err.flush();
    return code;
}
