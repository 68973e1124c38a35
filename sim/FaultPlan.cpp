#include "FaultPlan.h"

namespace {

QString Bare(QString command)
{
    if (command.startsWith(QLatin1Char('*')))
        command.remove(0, 1);
    return command.toUpper();
}

} // namespace

QString TFaultPlan::TDecision::Text() const
{
    QStringList parts;
    if (Drop)
        parts << QStringLiteral("dropped");
    if (Corrupt)
        parts << QStringLiteral("checksum corrupted");
    if (Nak)
        parts << QStringLiteral("NAK to 255");
    if (DelayMs > 0)
        parts << QStringLiteral("delayed %1 ms").arg(DelayMs);
    if (Close)
        parts << QStringLiteral("link closed");
    return parts.join(QStringLiteral(", "));
}

bool TFaultPlan::Add(const QString &text, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("fault \"%1\": %2").arg(text, why);
        return false;
    };
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return fail(QStringLiteral("expected ACTION=WHERE"));
    const QString action = text.left(equals).trimmed().toLower();
    QString where = text.mid(equals + 1).trimmed();

    TRule rule;
    static const QHash<QString, TAction> actions = {{QStringLiteral("drop"), faDrop},
                                                    {QStringLiteral("corrupt"), faCorrupt},
                                                    {QStringLiteral("nak"), faNak},
                                                    {QStringLiteral("delay"), faDelay},
                                                    {QStringLiteral("close"), faClose}};
    if (!actions.contains(action))
        return fail(QStringLiteral("unknown action (drop, corrupt, nak, delay, close)"));
    rule.Action = actions.value(action);
    if (rule.Action == faDelay) {
        const qsizetype at = where.indexOf(QLatin1Char('@'));
        bool ok = false;
        rule.DelayMs = where.left(at).toInt(&ok);
        if (!ok || rule.DelayMs < 0)
            return fail(QStringLiteral("the delay must be a number of milliseconds"));
        where = at < 0 ? QStringLiteral("*") : where.mid(at + 1);
    }
    const qsizetype colon = where.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        rule.Command = Bare(where.left(colon));
        where = where.mid(colon + 1);
        if (rule.Command.isEmpty())
            return fail(QStringLiteral("empty command word"));
    }
    if (where != QLatin1String("*")) {
        for (const QString &part : where.split(QLatin1Char(','))) {
            bool ok = false;
            const int number = part.trimmed().toInt(&ok);
            if (!ok || number < 1)
                return fail(QStringLiteral("request numbers count from 1"));
            rule.Numbers.append(number);
        }
    }
    if (rule.Action == faClose && rule.Numbers.isEmpty())
        return fail(QStringLiteral("close needs a request number"));
    FRules.append(rule);
    FTexts.append(text);
    return true;
}

bool TFaultPlan::AddAll(const QStringList &rules, QString *error)
{
    for (const QString &rule : rules)
        if (!Add(rule, error))
            return false;
    return true;
}

void TFaultPlan::Clear()
{
    FRules.clear();
    FTexts.clear();
    FRequests = 0;
    FPerCommand.clear();
}

TFaultPlan::TDecision TFaultPlan::Next(const QString &commandName)
{
    const QString command = Bare(commandName);
    const int overall = ++FRequests;
    const int ofCommand = ++FPerCommand[command];
    TDecision decision;
    for (const TRule &rule : FRules) {
        if (!rule.Command.isEmpty() && rule.Command != command)
            continue;
        const int number = rule.Command.isEmpty() ? overall : ofCommand;
        if (!rule.Numbers.isEmpty() && !rule.Numbers.contains(number))
            continue;
        switch (rule.Action) {
        case faDrop: decision.Drop = true; break;
        case faCorrupt: decision.Corrupt = true; break;
        case faNak: decision.Nak = true; break;
        case faDelay: decision.DelayMs += rule.DelayMs; break;
        case faClose: decision.Close = true; break;
        }
    }
    return decision;
}
