#pragma once

#include "Buffer.h"
#include "ErrMsg.h"
#include "TelegramData.h"

#include <QString>

// Frame kinds on the wire.
enum TFrameKind : int {
    fkRequest = 2,
    fkRequestForm3 = 3,
    fkAnswer = 6,
    fkNak = 15,
    fkAnswerForm16 = 16,
};
constexpr quint8 FrameEndByte = 4;
constexpr quint8 PingCommandByte = 32;

bool IsFrameKind(int kind);

// The addresses and the two bytes of memory the codec keeps per connection.
// The PC side uses the defaults; a gauge-side peer sets TransmitAdr to its own
// address and ReceiveAdr to the PC's.
struct TCodecState
{
    quint8 ReceiveAdr = 53;     // destination of requests
    quint8 TransmitAdr = 127;   // own address
    quint8 SubAdr = 0;          // sub-address of requests, 0 = none
    quint8 LastSourceAdr = 0;   // sender of the last decoded telegram
    quint8 LastSubAdr = 0;      // its sub-address, 0 = none
    quint8 AnswerCounter = 32;  // carried by answer frames
};

// Turns a line command ("V", "*FTS 05", "*K \"12\"", "X #W1000") into a request
// buffer. On a syntax error the result has count 0 and *result is
// emBadCmdLine; otherwise *result is emNone.
TBuffer EncodeLineCommand(const QString &line, TErrMsg *result = nullptr);

// count = length of text modulo 256, content = the first count characters (Latin-1).
TBuffer StringToBuffer(const QString &text);
// The content bytes as characters (Latin-1), in order.
QString BufferToString(const TBuffer &buffer);

// Wraps a request buffer into a frame. Kinds 2 and 3 give the request form,
// kinds 6, 15 and 16 the answer form (code is the NAK code of kind 15).
// Fails with emUnknownCommand for other kinds and emBadCmdLine when the frame
// would not fit into 255 bytes; the frame then has count 0.
TErrMsg BuildFrame(TCodecState &state, int kind, quint8 code, const TBuffer &request, TBuffer &frame);

// Decodes one complete frame (kind byte through end byte). Returns emNone,
// emNAK for a NAK telegram, or emUnknownCommand / emWrongAddress /
// emBadCheckSum (these three are reported by the caller).
TErrMsg DecodeFrame(TCodecState &state, const TBuffer &frame, TTelegramData &telegram);

// First byte most significant.
quint32 ReadBigEndian32(const quint8 *bytes);

// Codes the codec's callers report through ReportError.
bool IsReportedCodecError(TErrMsg code);
