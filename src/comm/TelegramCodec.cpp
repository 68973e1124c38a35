#include "TelegramCodec.h"

#include <QLocale>

#include <cstring>

bool IsFrameKind(int kind)
{
    return kind == 2 || kind == 3 || kind == 6 || kind == 15 || kind == 16;
}

bool IsReportedCodecError(TErrMsg code)
{
    return code == emUnknownCommand || code == emWrongAddress || code == emBadCheckSum || code == emBadCmdLine;
}

TBuffer StringToBuffer(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    TBuffer buffer;
    const int count = bytes.size() & 0xFF;
    buffer.SetCount(static_cast<quint8>(count));
    std::memcpy(buffer.Bytes.data() + 1, bytes.constData(), static_cast<std::size_t>(count));
    return buffer;
}

QString BufferToString(const TBuffer &buffer)
{
    return QString::fromLatin1(buffer.Content());
}

quint32 ReadBigEndian32(const quint8 *bytes)
{
    return (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | quint32(bytes[3]);
}

namespace {

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool IsNumberChar(QChar c)
{
    return c == u'+' || c == u',' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9');
}

int TypedNumberSize(QChar letter)
{
    switch (letter.toUpper().unicode()) {
    case 'B': return 1;
    case 'W': return 2;
    case 'T': return 3;
    case 'L': case 'F': return 4;
    default: return 0;
    }
}

// Converts the number text of a typed number into its little-endian bytes.
// Either "," or "." is taken as the decimal separator.
bool ConvertTypedNumber(QChar letter, QString text, QByteArray &bytes)
{
    text.replace(u',', u'.');
    const QLocale c = QLocale::c();
    bool ok = false;
    quint64 raw = 0;
    if (letter.toUpper() == u'F') {
        const float value = c.toFloat(text, &ok);
        quint32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        raw = bits;
    } else {
        raw = static_cast<quint64>(c.toLongLong(text, &ok));
    }
    if (!ok)
        return false;
    bytes.clear();
    for (int i = 0; i < TypedNumberSize(letter); ++i)
        bytes.append(static_cast<char>((raw >> (8 * i)) & 0xFF));
    return true;
}

TBuffer Refused(TErrMsg *result)
{
    if (result)
        *result = emBadCmdLine;
    return TBuffer{};
}

} // namespace

TBuffer EncodeLineCommand(const QString &line, TErrMsg *result)
{
    if (result)
        *result = emNone;
    // Only blanks are trimmed, not other white space.
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line[first] == u' ')
        ++first;
    while (last > first && line[last - 1] == u' ')
        --last;
    QString text = line.mid(first, last - first) + u' ';

    const bool starred = text.startsWith(u'*');
    if (starred)
        text.remove(0, 1);
    const qsizetype blank = text.indexOf(u' ');
    QString word = text.left(blank);
    text.remove(0, blank + 1);
    if (word.isEmpty())
        word = QStringLiteral(" ");
    if (word.size() > 255)
        return Refused(result);

    TBuffer request = StringToBuffer(word);
    if (starred)
        request[1] |= 0x80;

    while (!text.isEmpty()) {
        const QChar c = text[0];
        if (c == u' ') {
            text.remove(0, 1);
        } else if (c == u'"') {
            const qsizetype close = text.indexOf(u'"', 1);
            if (close < 0 || !request.Append(text.mid(1, close - 1).toLatin1()))
                return Refused(result);
            text.remove(0, close + 1);
        } else if (c == u'#') {
            if (text.size() < 2 || TypedNumberSize(text[1]) == 0)
                return Refused(result);
            const QChar letter = text[1];
            qsizetype end = 2;
            while (end < text.size() && IsNumberChar(text[end]))
                ++end;
            QByteArray bytes;
            if (end == 2 || !ConvertTypedNumber(letter, text.mid(2, end - 2), bytes) || !request.Append(bytes))
                return Refused(result);
            text.remove(0, end);
        } else {
            const int high = HexValue(c);
            const int low = text.size() > 1 ? HexValue(text[1]) : -1;
            quint8 byte = 0;
            qsizetype used = 1;
            if (high >= 0 && low >= 0) {
                byte = static_cast<quint8>(high * 16 + low);
                used = 2;
            } else if (high >= 0) {
                byte = static_cast<quint8>(high);
            }
            if (!request.Append(byte))
                return Refused(result);
            text.remove(0, used);
        }
    }
    return request;
}

namespace {

// Appends the 7-bit form of bytes[0..size): each byte with bit 7 set, and
// after every group of up to seven a byte with the group's former top bits.
bool AppendEncoded(TBuffer &frame, const quint8 *bytes, int size)
{
    for (int start = 0; start < size; start += 7) {
        const int groupSize = std::min(7, size - start);
        quint8 topBits = 0;
        for (int i = 0; i < groupSize; ++i) {
            const quint8 b = bytes[start + i];
            topBits = static_cast<quint8>((topBits << 1) | (b >> 7));
            if (!frame.Append(static_cast<quint8>(b | 0x80)))
                return false;
        }
        if (!frame.Append(static_cast<quint8>(topBits | 0x80)))
            return false;
    }
    return true;
}

quint8 CheckSum(const TBuffer &frame, int last)
{
    unsigned sum = 0;
    for (int i = 1; i <= last; ++i)
        sum += frame[i];
    return static_cast<quint8>((sum & 0xFF) | 0x80);
}

} // namespace

TErrMsg BuildFrame(TCodecState &state, int kind, quint8 code, const TBuffer &request, TBuffer &frame)
{
    frame.Clear();
    if (!IsFrameKind(kind))
        return emUnknownCommand;
    const int n = request.Count();
    const quint8 command = n >= 1 ? request[1] : 0;

    frame.Append(static_cast<quint8>(kind));
    if (kind == 2 || kind == 3) {
        if (state.SubAdr != 0) {
            frame.Append(static_cast<quint8>(state.ReceiveAdr | 0x80));
            frame.Append(state.SubAdr);
        } else {
            frame.Append(state.ReceiveAdr);
        }
        frame.Append(state.TransmitAdr);
        frame.Append(command);
    } else {
        frame.Append(state.LastSourceAdr);
        if (state.LastSubAdr != 0)
            frame.Append(state.LastSubAdr);
        frame.Append(state.TransmitAdr);
        if (kind == 15) {
            frame.Append(code);
        } else {
            if (command == PingCommandByte)
                state.AnswerCounter = 32;
            else if (state.AnswerCounter >= 32 && state.AnswerCounter <= 126)
                ++state.AnswerCounter;
            frame.Append(state.AnswerCounter);
        }
    }

    const quint8 *payload = request.Bytes.data() + 2;
    const int payloadSize = std::max(0, n - 1);
    bool fits = true;
    if (command & 0x80)
        fits = AppendEncoded(frame, payload, payloadSize);
    else
        fits = frame.Count() + payloadSize <= 255 && frame.Append(QByteArray(reinterpret_cast<const char *>(payload), payloadSize));
    // Checksum and end byte must fit as well.
    if (!fits || frame.Count() > 253) {
        frame.Clear();
        return emBadCmdLine;
    }
    const quint8 sum = CheckSum(frame, frame.Count());
    frame.Append(sum);
    frame.Append(FrameEndByte);
    return emNone;
}

TErrMsg DecodeFrame(TCodecState &state, const TBuffer &frame, TTelegramData &telegram)
{
    telegram = TTelegramData{};
    const int m = frame.Count();
    if (m < 1 || !IsFrameKind(frame[1]))
        return emUnknownCommand;
    if (m < 2 || (frame[2] != state.TransmitAdr && frame[2] != 255))
        return emWrongAddress;

    telegram.Kind = frame[1];
    telegram.DestAdr = frame[2];
    // A frame too short for source, code byte, checksum and end byte cannot
    // pass its checksum; its bytes are not taken as addresses.
    if (m < 6)
        return emBadCheckSum;
    telegram.SourceAdr = frame[3];
    const bool hasSubAdr = frame[3] >= 128 && frame[3] <= 254;
    const int p = hasSubAdr ? 5 : 4;
    if (m < p + 2)
        return emBadCheckSum;
    state.LastSourceAdr = frame[3];
    state.LastSubAdr = hasSubAdr ? frame[4] : 0;

    if (CheckSum(frame, m - 2) != frame[m - 1])
        return emBadCheckSum;

    if (telegram.Kind == 15) {
        telegram.NakCode = static_cast<quint8>(frame[p] - 32);
        return emNAK;
    }
    telegram.AnswerByte = static_cast<quint8>(frame[p] - 32);
    telegram.Encoded = (frame[p + 1] & 0x80) ? 1 : 0;

    const int first = p + 1;
    const int last = m - 2;
    TBuffer &data = telegram.Data;
    if (telegram.Encoded) {
        int i = first;
        while (i <= last) {
            int groupStart = data.Count() + 1;
            int taken = 0;
            while (taken < 7 && i < last) {
                data.Append(frame[i] & 0x7F);
                ++i;
                ++taken;
            }
            const quint8 topBits = frame[i++];
            for (int k = 0; k < taken; ++k) {
                if (topBits & (1 << (taken - 1 - k)))
                    data[groupStart + k] |= 0x80;
            }
        }
    } else {
        for (int i = first; i <= last; ++i)
            data.Append(frame[i]);
    }
    return emNone;
}
