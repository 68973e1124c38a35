#include "BatchCommands.h"

#include "GaugeDateTime.h"

bool TGauge2FileBatchQuickInfo::Execute(char item)
{
    if (!SetLine(QStringLiteral("*FBQ \"%1\"").arg(QLatin1Char(item))))
        return false;
    if (!Transact())
        return false;
    if (ReplyCount() == 0)
        return true;
    switch (item) {
    case 'D':
        CreateDate = DecodeGaugeDateTime(ReplyDword(1));
        ChangeDate = DecodeGaugeDateTime(ReplyDword(5));
        CreateDateText = GaugeDateTimeText(CreateDate);
        ChangeDateText = GaugeDateTimeText(ChangeDate);
        break;
    case 'S': {
        int next = 0;
        SensorTyp = ReplyZeroText(1, &next);
        SensorSerial = ReplyZeroText(next);
        break;
    }
    case 'U':
        User = ReplyText();
        break;
    case 'V':
        Readings = ReplyDword(1);
        ReadingsText = QString::number(Readings);
        break;
    default:
        break;
    }
    return true;
}

bool TGauge2FileAccessTable::Execute(char item, uint8_t a, uint16_t w, uint8_t b)
{
    if (item == 'G')
        AccessHandle = NoHandle;
    if (!SetLine(QStringLiteral("*FA \"%1\"").arg(QLatin1Char(item))))
        return false;
    AppendByte(a);
    if (w != 0)
        AppendWord(w);
    if (a != 0)
        AppendByte(b);
    if (!Transact())
        return false;
    if (item != 'G')
        return true;
    if (ReplyCount() != 3 || ReplyByte(1) == 0)
        return false;
    AccessHandle = ReplyWord(2);
    return true;
}

bool TGauge2FileBatch::Execute(char item, uint16_t w)
{
    if (item == 'I')
        OpenHandle = BatchInfo2 = BatchInfo3 = BatchInfo4 = 0;
    else if (item == 'O')
        OpenResult = 0;
    if (!SetLine(QStringLiteral("*FB \"%1\"").arg(QLatin1Char(item))))
        return false;
    AppendWord(w);
    if (!Transact())
        return false;
    switch (item) {
    case 'I':
        if (ReplyCount() != 8)
            return false;
        OpenHandle = ReplyWord(1);
        BatchInfo2 = ReplyWord(3);
        BatchInfo3 = ReplyWord(5);
        BatchInfo4 = ReplyWord(7);
        return true;
    case 'O':
        if (ReplyCount() != 2)
            return false;
        OpenResult = ReplyWord(1);
        return true;
    default:
        return true;
    }
}
