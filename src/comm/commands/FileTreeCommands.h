#pragma once

// The gauge's file tree: tree information, entries, the session counter,
// rename, delete and insert.

#include "DeviceFunction.h"

#include <QDateTime>

// "*FTGI" (short) or "*FTGIF" (long): sector counters and, in the long form,
// the free space and addresses of the tree, name and date areas.
class TGauge2FileTreeGetInfo : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(bool longForm);

    uint16_t FreeSector = 0;
    uint16_t FreeDataSectors = 0;
    uint16_t FreePhysicalSectors = 0;
    uint16_t UsedDataSectors = 0;
    uint16_t UsedPhysicalSectors = 0;
    uint16_t OldDataSectors = 0;
    uint16_t ActTreeFree = 0;
    uint32_t ActTreeAdr = 0;
    uint16_t ActNameFree = 0;
    uint32_t ActNameAdr = 0;
    uint16_t ActDateFree = 0;
    uint32_t ActDateAdr = 0;
    uint32_t ActEndAdr = 0;
};

// "*FTG" + query ("A" the entry at index, "D" the first entry inside the
// directory at index, "N" the entry after index) + the index word.
class TGauge2FileTreeGet : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(const QString &query, uint16_t index);

    uint8_t EntryStatus = 0;  // non-zero: no entry
    uint16_t Index = 0;
    uint16_t Flags = 0;       // 1 directory, 2 batch
    uint16_t Handle = 0;
    QDateTime CreateDate;
    QDateTime ChangeDate;
    QString Name;
    uint16_t FwdLnk1 = 0;
    uint16_t FwdLnk2 = 0;
    uint16_t BckLnk1 = 0;
    uint16_t BckLnk2 = 0;
    uint16_t Parent = 0;
    uint16_t Child = 0;

private:
    void Clear();
};

// "*FTS" with the session as two hex digits; a session outside 0..255 (the
// explorer queries with -1) sends "*FTS" alone, which only reads the counter.
class TGauge2FileTreeSession : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(int session);

    int SessionResult = -1;
};

// Raw "*FTR": the index word and the new name.
class TGauge2FileTreeRename : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint16_t index, const QString &name);
};

// "*FTD" + the index word.
class TGauge2FileTreeDelete : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(uint16_t index);

    int DeleteResult = -1;
};

// Raw "*FTI": inserts a directory (kind 1), batch (2) or parameter set (6)
// as the first entry inside the reference (position 1) or after it
// (position 0). Names are cut to 15 characters.
class TGauge2FileTreeInsert : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr int MaxNameLength = 15;

    bool Execute(uint8_t position, uint8_t kind, uint8_t level, uint16_t reference, uint16_t following,
                 uint16_t handle, const QString &name, const QString &secondText);

    int NewIndex = -1;
    int NewHandle = -1;
};
