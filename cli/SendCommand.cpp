#include "CliCommand.h"
#include "PortAddress.h"

#include "comm/TelegramCodec.h"
#include "comm/ZYKComm2Item.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The payload as text, with bytes outside printable ASCII shown as ".".
QString PrintableText(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes)
        text += (c >= 32 && c < 127) ? QChar::fromLatin1(c) : QChar(u'.');
    return text;
}

int RunSend(TCliContext &context)
{
    const QString timeout = context.TakeOption(QStringLiteral("--timeout"));
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (context.args.isEmpty() || context.port.isEmpty()) {
        context.err << "Usage: --port PORT send 'LINE' [--timeout MS]" << Qt::endl;
        return cliUsage;
    }
    TErrMsg result = emNone;
    const TBuffer request = EncodeLineCommand(context.args.join(u' '), &result);
    if (result != emNone) {
        context.err << ErrMsgText(result) << Qt::endl;
        return cliFailed;
    }
    QString error;
    std::unique_ptr<TZYKComm2Item> item = OpenPortAddress(context.port, error);
    if (!item) {
        context.err << error << Qt::endl;
        return cliFailed;
    }
    if (!timeout.isEmpty())
        item->SetReceiveTimeout(timeout.toUInt());
    TTelegramData answer;
    result = item->Exchange(request, answer);
    item->Close();
    if (result != emNone) {
        context.err << ErrMsgText(result) << Qt::endl;
        return cliFailed;
    }
    if (answer.Kind == fkNak) {
        context.err << "NAK " << answer.NakCode << Qt::endl;
        return cliFailed;
    }
    const QByteArray payload = answer.Data.Content();
    const QString hex = QString::fromLatin1(payload.toHex(' ').toUpper());
    if (context.json) {
        const QJsonObject object{{QStringLiteral("kind"), static_cast<int>(answer.Kind)},
                                 {QStringLiteral("hex"), hex},
                                 {QStringLiteral("text"), QString::fromLatin1(payload)}};
        context.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    } else {
        context.out << "hex:  " << hex << '\n' << "text: " << PrintableText(payload) << '\n';
    }
    return cliOk;
}

} // namespace

static TCliCommandRegistrar registrar(QStringLiteral("send"), QStringLiteral("--port PORT send 'LINE' [--timeout MS]"),
                                      QStringLiteral("Send one line command and print the answer"), RunSend);
