#include "CliCommand.h"

#include "comm/ErrMsg.h"
#include "comm/TelegramCodec.h"

// Prints the request frame of a line command in upper-case hex bytes.
static int RunFrame(TCliContext &context)
{
    if (!context.NoUnknownOptions())
        return cliUsage;
    if (context.args.isEmpty()) {
        context.err << "Usage: frame 'LINE'" << Qt::endl;
        return cliUsage;
    }
    TErrMsg result = emNone;
    const TBuffer request = EncodeLineCommand(context.args.join(u' '), &result);
    TBuffer frame;
    if (result == emNone) {
        TCodecState state;
        result = BuildFrame(state, fkRequest, 0, request, frame);
    }
    if (result != emNone) {
        context.err << ErrMsgText(result) << Qt::endl;
        return cliFailed;
    }
    const QByteArray hex = frame.Content().toHex(' ').toUpper();
    if (context.json)
        context.out << "{\"frame\": \"" << hex << "\"}\n";
    else
        context.out << hex << '\n';
    return cliOk;
}

static TCliCommandRegistrar registrar(QStringLiteral("frame"), QStringLiteral("frame 'LINE'"),
                                      QStringLiteral("Print the request frame of a line command in hex"), RunFrame);
