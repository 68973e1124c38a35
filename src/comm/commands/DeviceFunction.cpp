#include "DeviceFunction.h"

QString HexByte(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

bool TZYKDeviceFunction2::SetLine(const QString &line)
{
    FOverflow = false;
    Request = EncodeLineCommand(&Connection, line);  // reports a bad line itself
    return Request.Count() != 0;
}

void TZYKDeviceFunction2::SetRaw(std::initializer_list<uint8_t> bytes)
{
    FOverflow = false;
    Request = TBuffer{};
    for (uint8_t b : bytes)
        AppendByte(b);
}

void TZYKDeviceFunction2::AppendByte(uint8_t value)
{
    if (Request[0] == 255) {
        FOverflow = true;
        return;
    }
    Request[0] = uint8_t(Request[0] + 1);
    Request[Request[0]] = value;
}

void TZYKDeviceFunction2::AppendWord(uint16_t value)
{
    AppendByte(uint8_t(value));
    AppendByte(uint8_t(value >> 8));
}

void TZYKDeviceFunction2::AppendDword(uint32_t value)
{
    AppendWord(uint16_t(value));
    AppendWord(uint16_t(value >> 16));
}

void TZYKDeviceFunction2::AppendBytes(const uint8_t *bytes, int count)
{
    for (int i = 0; i < count; ++i)
        AppendByte(bytes[i]);
}

void TZYKDeviceFunction2::AppendText(const QByteArray &text)
{
    AppendBytes(reinterpret_cast<const uint8_t *>(text.constData()), int(text.size()));
}

bool TZYKDeviceFunction2::RequestFits()
{
    if (Request.Count() == 0)
        return false;
    if (FOverflow) {
        Connection.ReportError(emBadCmdLine);
        return false;
    }
    // The frame grows by the 7-bit expansion of starred commands; one that
    // would not fit is refused here, before anything is sent.
    TCodecState state = Connection.CodecState();
    TBuffer frame{};
    const TErrMsg result = BuildFrame(state, fkRequest, 0, Request, frame);
    if (result != emNone)
        Connection.ReportError(result);
    return result == emNone;
}

bool TZYKDeviceFunction2::Transact()
{
    Reply = TBuffer{};
    if (!RequestFits())
        return false;
    TBuffer answer{};
    if (Connection.Transact(Request, answer) != emNone)
        return false;
    Reply = answer;
    return true;
}

bool TZYKDeviceFunction2::TransactNoReply()
{
    Reply = TBuffer{};
    if (!RequestFits())
        return false;
    return Connection.TransactNoReply(Request) == emNone;
}

QString TZYKDeviceFunction2::ReplyText(int from) const
{
    QString text;
    for (int k = from; k <= ReplyCount(); ++k)
        text += QLatin1Char(char(Reply[k]));
    return text;
}

QString TZYKDeviceFunction2::ReplyZeroText(int from, int *next) const
{
    QString text;
    int k = from;
    while (k <= ReplyCount() && Reply[k] != 0)
        text += QLatin1Char(char(Reply[k++]));
    if (next)
        *next = k + 1;
    return text;
}
