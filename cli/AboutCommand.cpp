#include "CliCommand.h"

#include <QFile>

static int RunAbout(TCliContext &context)
{
    QFile resource(QStringLiteral(":/program/version.ini"));
    if (!resource.open(QIODevice::ReadOnly)) {
        context.err << "No version resource in this program." << Qt::endl;
        return cliFailed;
    }
    context.out << resource.readAll();
    return cliOk;
}

static TCliCommandRegistrar registrar(QStringLiteral("about"), QStringLiteral("about"),
                                      QStringLiteral("Show the program information"), RunAbout);
