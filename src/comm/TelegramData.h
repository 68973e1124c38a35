#pragma once

#include "Buffer.h"

// One received telegram, copied by value.
struct TTelegramData
{
    quint32 Received = 0;   // non-zero when the record holds a telegram
    quint32 Kind = 0;       // frame kind 2, 3, 6, 15 or 16; 0 = no telegram
    quint8 SourceAdr = 0;   // sender address byte as received (bit 7 included)
    quint8 DestAdr = 0;     // destination address byte as received
    quint8 NakCode = 0;     // kind 15: the code byte minus 32
    quint8 AnswerByte = 0;  // other kinds: the byte after the addresses minus 32
    quint8 Encoded = 0;     // 1 when the payload was 7-bit encoded
    TBuffer Data;           // the decoded payload
};
