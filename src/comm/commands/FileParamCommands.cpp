#include "FileParamCommands.h"

void TGauge2FileParamRead::Clear()
{
    ParamCount = 0;
    ParamTyp = ParamID = 0;
    ParamName.clear();
    ParamValue = TBuffer{};
}

bool TGauge2FileParamRead::ReadParamCount()
{
    Clear();
    SetLine(QStringLiteral("*FPR"));
    if (!Transact())
        return false;
    if (ReplyCount() > 1)
        ParamCount = ReplyWord(1);
    return true;
}

bool TGauge2FileParamRead::ReadParamEntry(uint8_t i)
{
    Clear();
    SetLine(QStringLiteral("*FPR"));
    AppendByte(i);
    if (!Transact())
        return false;
    if (ReplyCount() > 1) {
        ParamCount = ReplyWord(1);
        ParamTyp = ReplyByte(3);
        ParamID = ReplyByte(4);
        ParamName = ReplyText(5);
    }
    return true;
}

bool TGauge2FileParamRead::ReadParamValue(uint8_t id, uint8_t sub)
{
    Clear();
    SetLine(QStringLiteral("*FPR"));
    AppendByte(id);
    AppendByte(sub);
    if (!Transact())
        return false;
    if (ReplyCount() == 2)
        ParamCount = ReplyWord(1);
    else if (ReplyCount() == 1)
        ParamCount = ReplyByte(1);
    ParamValue = Reply;
    return true;
}

bool TGauge2FileParamWrite::Execute(uint8_t id, uint8_t sub, const TBuffer &data)
{
    SetRaw({198, 80, 87, id, sub});
    AppendBytes(data.ContentData(), data.Count());
    return Transact();
}
