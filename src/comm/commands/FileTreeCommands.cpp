#include "FileTreeCommands.h"

#include "GaugeDateTime.h"

bool TGauge2FileTreeGetInfo::Execute(bool longForm)
{
    FreeSector = FreeDataSectors = FreePhysicalSectors = 0;
    UsedDataSectors = UsedPhysicalSectors = OldDataSectors = 0;
    ActTreeFree = ActNameFree = ActDateFree = 0;
    ActTreeAdr = ActNameAdr = ActDateAdr = ActEndAdr = 0;
    SetLine(longForm ? QStringLiteral("*FTGIF") : QStringLiteral("*FTGI"));
    if (!Transact())
        return false;
    if (ReplyCount() != 12 && ReplyCount() != 36)
        return true;
    FreeSector = ReplyWord(1);
    FreeDataSectors = ReplyWord(3);
    FreePhysicalSectors = ReplyWord(5);
    UsedDataSectors = ReplyWord(7);
    UsedPhysicalSectors = ReplyWord(9);
    OldDataSectors = ReplyWord(11);
    if (ReplyCount() == 36) {
        ActTreeFree = ReplyWord(13);
        ActTreeAdr = ReplyDword(15);
        ActNameFree = ReplyWord(19);
        ActNameAdr = ReplyDword(21);
        ActDateFree = ReplyWord(25);
        ActDateAdr = ReplyDword(29);
        ActEndAdr = ReplyDword(33);
    }
    return true;
}

void TGauge2FileTreeGet::Clear()
{
    EntryStatus = 0;
    Index = Flags = Handle = 0;
    CreateDate = ChangeDate = QDateTime();
    Name.clear();
    FwdLnk1 = FwdLnk2 = BckLnk1 = BckLnk2 = Parent = Child = 0;
}

bool TGauge2FileTreeGet::Execute(const QString &query, uint16_t index)
{
    Clear();
    if (!SetLine(QStringLiteral("*FTG") + query))
        return false;
    AppendWord(index);
    if (!Transact())
        return false;
    if (ReplyCount() <= 15)
        return true;
    EntryStatus = ReplyByte(1);
    Index = ReplyWord(2);
    Flags = ReplyWord(4);
    Handle = ReplyWord(6);
    CreateDate = DecodeGaugeDateTime(ReplyDword(8));
    ChangeDate = DecodeGaugeDateTime(ReplyDword(12));
    int next = 0;
    Name = ReplyZeroText(16, &next);
    if (next <= ReplyCount()) {
        FwdLnk1 = ReplyWord(next);
        FwdLnk2 = ReplyWord(next + 2);
        BckLnk1 = ReplyWord(next + 4);
        BckLnk2 = ReplyWord(next + 6);
        Parent = ReplyWord(next + 8);
        Child = ReplyWord(next + 10);
    }
    return true;
}

bool TGauge2FileTreeSession::Execute(int session)
{
    SessionResult = -1;
    if (session >= 0 && session <= 255)
        SetLine(QStringLiteral("*FTS ") + HexByte(session));
    else
        SetLine(QStringLiteral("*FTS"));
    if (!Transact())
        return false;
    if (ReplyCount() == 1)
        SessionResult = ReplyByte(1);
    return true;
}

bool TGauge2FileTreeRename::Execute(uint16_t index, const QString &name)
{
    SetRaw({198, 84, 82});
    AppendWord(index);
    AppendText(name.toLatin1());
    return Transact();
}

bool TGauge2FileTreeDelete::Execute(uint16_t index)
{
    DeleteResult = -1;
    SetLine(QStringLiteral("*FTD"));
    AppendWord(index);
    if (!Transact())
        return false;
    if (ReplyCount() == 1)
        DeleteResult = ReplyByte(1);
    return true;
}

bool TGauge2FileTreeInsert::Execute(uint8_t position, uint8_t kind, uint8_t level, uint16_t reference,
                                    uint16_t following, uint16_t handle, const QString &name,
                                    const QString &secondText)
{
    NewIndex = NewHandle = -1;
    SetRaw({198, 84, 73, position, kind, level});
    AppendWord(reference);
    AppendWord(following);
    AppendWord(handle);
    AppendText(name.left(MaxNameLength).toLatin1());
    AppendByte(0);
    AppendText(secondText.left(MaxNameLength).toLatin1());
    if (!Transact())
        return false;
    if (ReplyCount() == 4) {
        NewIndex = ReplyWord(1);
        NewHandle = ReplyWord(3);
    }
    return true;
}
