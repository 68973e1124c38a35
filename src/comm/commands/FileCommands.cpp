#include "FileCommands.h"

bool TGauge2FileHandle::Execute()
{
    FileHandleValue = 0;
    SetLine(QStringLiteral("*FFH"));
    if (!Transact())
        return false;
    if (ReplyCount() == 2)
        FileHandleValue = ReplyWord(1);
    return true;
}

bool TGauge2FileNew::Execute(uint8_t a, uint16_t w, uint8_t c)
{
    SetRaw({198, 70, 78, a});
    AppendWord(w);
    AppendByte(c);
    return Transact();
}

bool TGauge2FileOpen::Execute(uint8_t a, uint16_t w, uint8_t c)
{
    FileSize = 0;
    SetRaw({198, 70, 79, a});
    AppendWord(w);
    AppendByte(c);
    if (!Transact())
        return false;
    if (ReplyCount() == 4)
        FileSize = ReplyDword(1);
    return true;
}

bool TGauge2FileClose::Execute()
{
    SetLine(QStringLiteral("*FFC"));
    return Transact();
}

bool TGauge2FilePosition::Execute(uint32_t position)
{
    SetLine(QStringLiteral("*FFP"));
    AppendDword(position);
    return Transact();
}

bool TGauge2FileWrite::Execute(const uint8_t *bytes, int count)
{
    SetLine(QStringLiteral("*FFW"));
    AppendBytes(bytes, count);
    return Transact();
}

bool TGauge2FileRead::Execute(uint8_t count)
{
    ReadData = TBuffer{};
    SetLine(QStringLiteral("*FFR ") + HexByte(count));
    if (!Transact())
        return false;
    ReadData = Reply;
    return true;
}

bool TGauge2FileDelete::Execute(uint16_t w, uint8_t b, uint8_t c)
{
    SetRaw({198, 70, 68});
    AppendWord(w);
    AppendByte(b);
    AppendByte(c);
    return Transact();
}
