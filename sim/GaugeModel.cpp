#include "GaugeModel.h"

#include "ReadingPacking.h"

#include <QSet>

namespace {

constexpr int MaxNameLength = 15;

bool IsSeriesParam(const QString &name)
{
    static const QStringList names = {QStringLiteral("PARHILIM"), QStringLiteral("PARLOLIM"),
                                      QStringLiteral("PAROFFSET"), QStringLiteral("PARROUGH"),
                                      QStringLiteral("PARNDFT")};
    return names.contains(name.toUpper());
}

bool IsNamed(const TSimParamDef &def, const char *name)
{
    return def.Name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

quint32 LittleEndian(const QByteArray &value)
{
    quint32 result = 0;
    for (int i = int(value.size()) - 1; i >= 0; --i)
        result = result << 8 | quint8(value[i]);
    return result;
}

TSimFileKey Normalized(TSimFileKey key)
{
    if (key.Type != 2)
        key.Number = 0;
    return key;
}

} // namespace

TGaugeModel::TGaugeModel()
{
    FSlots.resize(2);
    FSlots[RootHead].Head = true;
    FSlots[RootHead].Directory = RootHead;
    FSlots[RootHead].Handle = 0;
    ParamTable = DefaultParamTable(false, SensorFlags());
}

const TSimEntry *TGaugeModel::Entry(int index) const
{
    if (index <= 0 || index >= int(FSlots.size()))
        return nullptr;
    return &FSlots[std::size_t(index)];
}

bool TGaugeModel::IsLive(int index) const
{
    const TSimEntry *entry = Entry(index);
    return entry && !entry->Deleted && !entry->Head;
}

int TGaugeModel::Level(int index) const
{
    const TSimEntry *entry = Entry(index);
    int level = 0;
    while (entry && entry->Owner) {
        ++level;
        const quint16 directory = FSlots[entry->Owner].Directory;
        if (directory == RootHead)
            break;
        entry = Entry(directory);
    }
    return level;
}

quint16 TGaugeModel::Next(int index) const
{
    const TSimEntry *entry = Entry(index);
    if (!entry || entry->Deleted)
        return 0;
    if (entry->Head)
        return entry->Children.isEmpty() ? 0 : entry->Children.first();
    const QVector<quint16> &list = FSlots[entry->Owner].Children;
    const qsizetype at = list.indexOf(quint16(index));
    return at >= 0 && at + 1 < list.size() ? list[at + 1] : 0;
}

quint16 TGaugeModel::Previous(int index) const
{
    const TSimEntry *entry = Entry(index);
    if (!entry || entry->Deleted || entry->Head)
        return 0;
    const QVector<quint16> &list = FSlots[entry->Owner].Children;
    const qsizetype at = list.indexOf(quint16(index));
    return at > 0 ? list[at - 1] : 0;
}

QString TGaugeModel::Path(int index) const
{
    QStringList parts;
    const TSimEntry *entry = Entry(index);
    while (entry && entry->Owner) {
        parts.prepend(entry->Name);
        const quint16 directory = FSlots[entry->Owner].Directory;
        entry = directory == RootHead ? nullptr : Entry(directory);
    }
    return parts.join(QLatin1Char('/'));
}

int TGaugeModel::FindByPath(const QString &path) const
{
    for (std::size_t i = 2; i < FSlots.size(); ++i)
        if (IsLive(int(i)) && Path(int(i)) == path)
            return int(i);
    return 0;
}

quint16 TGaugeModel::NewSlot()
{
    FSlots.emplace_back();
    return quint16(FSlots.size() - 1);
}

quint16 TGaugeModel::AddEntry(quint16 listHead, quint16 type, const QString &name, quint16 handle,
                              const QDateTime &created, const QDateTime &changed, const QString &user)
{
    const quint16 index = NewSlot();
    TSimEntry &entry = FSlots[index];
    entry.Type = type;
    entry.Handle = type == setDirectory ? NoHandle : handle;
    entry.Name = name.left(MaxNameLength);
    entry.User = user.left(MaxNameLength);
    entry.Created = created;
    entry.Changed = changed;
    entry.Owner = listHead;
    FSlots[listHead].Children.append(index);
    if (type == setDirectory) {
        const quint16 head = NewSlot();
        FSlots[head].Head = true;
        FSlots[head].Handle = 0;
        FSlots[head].Directory = index;
        FSlots[index].ListHead = head;
    }
    return index;
}

quint16 TGaugeModel::ListOf(quint16 reference, int position) const
{
    if (reference == 0)
        return RootHead;
    const TSimEntry *entry = Entry(reference);
    if (!entry || entry->Deleted)
        return 0;
    if (entry->Head)
        return reference;
    if (position == 1)
        return entry->Type == setDirectory ? entry->ListHead : 0;
    return entry->Owner;
}

TSimError TGaugeModel::Insert(int position, quint16 type, quint16 reference, quint16 following, quint16 handle,
                              const QString &name, const QString &user, quint16 &newIndex)
{
    newIndex = 0;
    if (Compact)
        return seNotSupported;
    if (type != setDirectory && type != setBatch && type != setParamSet)
        return seBadArgument;
    const quint16 list = ListOf(reference, position);
    if (!list)
        return seNoEntry;
    const quint16 directory = FSlots[list].Directory;
    const int level = directory == RootHead ? 1 : Level(directory) + 1;
    if (level > MaxTreeLevel)
        return seNotSupported;
    const int needed = type == setDirectory ? 2 : 1;
    if (int(FSlots.size()) - 1 + needed > TreeCapacity)
        return seMemoryFull;

    const QVector<quint16> before = FSlots[list].Children;
    qsizetype at = before.size();
    if (following != 0 && before.contains(following))
        at = before.indexOf(following);
    else if (following != 0 && (FSlots[reference].Head || position == 1))
        at = 0;
    else if (following != 0 && before.contains(reference))
        at = before.indexOf(reference) + 1;

    const QDateTime now = QDateTime::currentDateTime();
    newIndex = AddEntry(list, type, name, handle, now, now, user);
    QVector<quint16> &children = FSlots[list].Children;
    children.removeLast();
    children.insert(at, newIndex);
    TreeChanged();
    return seNone;
}

TSimError TGaugeModel::Rename(quint16 index, const QString &name)
{
    if (Compact)
        return seNotSupported;
    if (!IsLive(index))
        return seNoEntry;
    TSimEntry &entry = FSlots[index];
    entry.Name = name.left(MaxNameLength);
    entry.Changed = QDateTime::currentDateTime();
    TreeChanged();
    return seNone;
}

quint8 TGaugeModel::Delete(quint16 index)
{
    if (!IsLive(index))
        return 1;
    TSimEntry &entry = FSlots[index];
    if (Compact) {
        if (entry.Type != setBatch)
            return 1;
        if (ActiveBatch == index) {
            ActiveBatch = NoEntry;
            return 2;
        }
        RemoveBatchFiles(entry.Handle);
        entry.Changed = QDateTime::currentDateTime();
        TreeChanged();
        return 0;
    }
    if (index == DirectModeIndex)
        return 1;
    if (entry.Type == setDirectory && !FSlots[entry.ListHead].Children.isEmpty())
        return 1;
    if (entry.Type == setBatch) {
        if (ActiveBatch == index)
            ActiveBatch = NoEntry;
        RemoveBatchFiles(entry.Handle);
    } else if (entry.Type == setParamSet) {
        RemoveFile({6, entry.Handle, 0});
    } else if (entry.Type == setDirectory) {
        FSlots[entry.ListHead].Deleted = true;
    }
    FSlots[entry.Owner].Children.removeAll(index);
    entry.Deleted = true;
    entry.Type = setNone;
    FOldBytes += 64; // the entry's name and date records stay until defragmentation
    TreeChanged();
    return 0;
}

TSimFile *TGaugeModel::File(const TSimFileKey &key)
{
    auto it = FFiles.find(Normalized(key));
    return it == FFiles.end() ? nullptr : &it->second;
}

const TSimFile *TGaugeModel::File(const TSimFileKey &key) const
{
    auto it = FFiles.find(Normalized(key));
    return it == FFiles.end() ? nullptr : &it->second;
}

TSimFile &TGaugeModel::CreateFile(const TSimFileKey &key)
{
    return FFiles[Normalized(key)];
}

bool TGaugeModel::RemoveFile(const TSimFileKey &key)
{
    auto it = FFiles.find(Normalized(key));
    if (it == FFiles.end())
        return false;
    FOldBytes += quint32(it->second.Data.size() + int(it->second.Params.size()) * 8);
    if (OpenFile && *OpenFile == it->first)
        OpenFile.reset();
    FFiles.erase(it);
    return true;
}

void TGaugeModel::RemoveBatchFiles(quint16 handle)
{
    std::vector<TSimFileKey> keys;
    for (const auto &[key, file] : FFiles)
        if (key.Handle == handle && (key.Type == 2 || key.Type == 3))
            keys.push_back(key);
    for (const TSimFileKey &key : keys)
        RemoveFile(key);
}

bool TGaugeModel::HandleInUse(quint16 handle) const
{
    for (const auto &[key, file] : FFiles)
        if (key.Handle == handle)
            return true;
    for (std::size_t i = 2; i < FSlots.size(); ++i)
        if (IsLive(int(i)) && FSlots[i].Handle == handle)
            return true;
    return false;
}

quint16 TGaugeModel::FreeHandle() const
{
    for (quint32 handle = 1; handle < NoHandle; ++handle)
        if (handle != MaterialHandle && !HandleInUse(quint16(handle)))
            return quint16(handle);
    return 0;
}

int TGaugeModel::SeriesCount(quint16 handle) const
{
    int count = 0;
    for (const auto &[key, file] : FFiles)
        count += key.Type == 2 && key.Handle == handle;
    return count;
}

bool TGaugeModel::TimeStamps(quint16 handle) const
{
    const TSimFile *parameters = File({3, handle, 0});
    const TSimParamDef *def = ParamByName(QStringLiteral("ParGetTime"));
    if (!parameters || !def)
        return false;
    auto it = parameters->Params.find({def->Id, 0});
    return it != parameters->Params.end() && LittleEndian(it->second) == 1;
}

quint32 TGaugeModel::ReadingCount(quint16 handle) const
{
    const TSimFile *readings = File({2, handle, 0});
    return readings ? quint32(readings->Data.size() / (TimeStamps(handle) ? 7 : 3)) : 0;
}

void TGaugeModel::RebuildAccessTable()
{
    QSet<quint16> readings, parameters;
    for (const auto &[key, file] : FFiles) {
        if (key.Type == 2)
            readings.insert(key.Handle);
        if (key.Type == 3 && key.Handle != MaterialHandle)
            parameters.insert(key.Handle);
    }
    for (quint16 handle : readings)
        if (!parameters.contains(handle))
            RemoveBatchFiles(handle);
    for (quint16 handle : parameters)
        if (!readings.contains(handle))
            for (std::size_t i = 2; i < FSlots.size(); ++i)
                if (IsLive(int(i)) && FSlots[i].Type == setBatch && FSlots[i].Handle == handle)
                    RemoveBatchFiles(handle);
}

const TSimParamDef *TGaugeModel::ParamById(quint8 id) const
{
    for (const TSimParamDef &def : ParamTable)
        if (def.Id == id)
            return &def;
    return nullptr;
}

const TSimParamDef *TGaugeModel::ParamByName(const QString &name) const
{
    for (const TSimParamDef &def : ParamTable)
        if (def.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &def;
    return nullptr;
}

QVector<TSimParamDef> TGaugeModel::DefaultParamTable(bool compact, int sensorFlags)
{
    const bool hall = sensorFlags & 4;
    const bool ultrasonic = sensorFlags & 8;
    QVector<TSimParamDef> table;
    auto add = [&table](const char *name, quint8 type, quint16 size) {
        table.append({QString::fromLatin1(name), type, size, quint8(table.size() + 1)});
    };
    add("ParSensName", sptText, 16);
    add("ParSerNo", sptText, 16);
    add("ParTarget", sptByte, 1);
    add("ParMeasMode", sptByte, 1);
    add("ParStatMode", sptByte, 1);
    add("ParMeasTime", sptByte, 1);
    add("ParMeasScr", sptByte, 1);
    if (!compact)
        add("ParGetTime", sptByte, 1);
    add("ParMaxBatch", sptByte, 1);
    add("ParLayer", sptByte, 1);
    add("ParBlkSize", sptByte, 1);
    if (ultrasonic) {
        add("ZQParSetHdl", sptWord, 2);
        return table;
    }
    add("CalTyp", sptWord, 2);
    add("ParHiLim", sptSingle, 4);
    add("ParLoLim", sptSingle, 4);
    add("ParOffset", sptSingle, 4);
    if (!hall) {
        add("ParRough", sptSingle, 4);
        if (!compact)
            add("ParNDFT", sptSingle, 4);
    }
    add("CalName", sptText, 20);
    add("CalAvail", sptByte, 1);
    for (int point = 0; point < 6; ++point)
        add(QStringLiteral("CalPnt%1").arg(point).toLatin1().constData(), sptCalPoint, 9);
    return table;
}

int TGaugeModel::SensorFlags() const
{
    int flags = 0;
    if (SensorName.contains(QLatin1Char('F')))
        flags |= 1;
    if (SensorName.contains(QLatin1Char('N')))
        flags |= 2;
    if (SensorName.contains(QLatin1Char('Q')))
        flags |= 8;
    if (SensorName.contains(QLatin1Char('H')))
        flags = (flags | 4) & ~1;
    return flags;
}

QVector<quint8> TGaugeModel::WriteIndexes(const TSimParamDef &def, quint8 index) const
{
    if (index != 0)
        return {index};
    if (IsSeriesParam(def.Name))
        return {1};
    if (IsNamed(def, "CalAvail")) {
        const int flags = SensorFlags();
        if (flags & 4)
            return {1, 2, 3, 4, 5};
        QVector<quint8> numbers;
        if (flags & 1)
            numbers.append(1);
        if (flags & 2)
            numbers.append(2);
        if (numbers.isEmpty())
            numbers.append(1);
        return numbers;
    }
    return {0};
}

quint8 TGaugeModel::ReadIndex(const TSimParamDef &def, quint8 index) const
{
    return WriteIndexes(def, index).first();
}

TSimError TGaugeModel::WriteParam(TSimFile &file, quint8 id, quint8 index, const QByteArray &value)
{
    const TSimParamDef *def = ParamById(id);
    if (!def)
        return seNoParameter;
    QByteArray stored;
    switch (def->Type) {
    case sptByte:
    case sptWord:
        if (value.isEmpty() || value.size() > 4)
            return seBadArgument;
        stored = value;
        stored.resize(4, '\0');
        break;
    case sptSingle:
    case sptCalPoint:
        if (value.size() != (def->Type == sptSingle ? 4 : 9))
            return seBadArgument;
        stored = value;
        break;
    default: {
        stored = value.left(def->Size);
        const qsizetype zero = stored.indexOf('\0');
        if (zero >= 0)
            stored.truncate(zero);
    }
    }
    for (quint8 target : WriteIndexes(*def, index))
        file.Params[{id, target}] = stored;
    return seNone;
}

TSimError TGaugeModel::ReadParam(const TSimFile &file, quint8 id, quint8 index, QByteArray &value) const
{
    value.clear();
    const TSimParamDef *def = ParamById(id);
    if (!def)
        return seNoParameter;
    auto it = file.Params.find({id, ReadIndex(*def, index)});
    if (it == file.Params.end())
        return seNoValue;
    value = it->second;
    if (def->Type == sptByte || (def->Type == sptWord && IsNamed(*def, "CalTyp") && index == 0))
        value.truncate(1);
    else if (def->Type == sptWord)
        value.truncate(2);
    return seNone;
}

QVector<QPair<QString, int>> TGaugeModel::Materials() const
{
    QVector<QPair<QString, int>> materials;
    const TSimFile *file = File({3, MaterialHandle, 0});
    if (!file)
        return materials;
    for (int at = 0; at + MaterialRecordSize <= file->Data.size(); at += MaterialRecordSize) {
        const QByteArray record = file->Data.mid(at, MaterialRecordSize);
        const QByteArray name = record.left(16);
        const qsizetype zero = name.indexOf('\0');
        materials.append({QString::fromLatin1(zero >= 0 ? name.left(zero) : name), SimPacking::Word(record, 16)});
    }
    return materials;
}

void TGaugeModel::SetMaterials(const QVector<QPair<QString, int>> &materials)
{
    QByteArray data;
    for (const auto &[name, speed] : materials) {
        QByteArray record = name.toLatin1().left(15);
        record.resize(16, '\0');
        SimPacking::AppendWord(record, quint16(speed));
        data += record;
    }
    CreateFile({3, MaterialHandle, 0}).Data = data;
}

quint16 TGaugeModel::DataSectorsUsed() const
{
    quint32 sectors = 0;
    for (const auto &[key, file] : FFiles)
        sectors += quint32(file.Data.size() + int(file.Params.size()) * 8 + 255) / 256;
    return quint16(qMin<quint32>(sectors + quint32(UsageOffset[1]), 0xFFFF));
}

quint16 TGaugeModel::PhysicalSectorsUsed() const
{
    quint32 bytes = FOldBytes + quint32(FSlots.size()) * 64;
    for (const auto &[key, file] : FFiles)
        bytes += quint32(file.Data.size() + int(file.Params.size()) * 8);
    return quint16(qMin<quint32>((bytes + 4095) / 4096 + quint32(UsageOffset[2]), 0xFFFF));
}

int TGaugeModel::Measure(double micrometres)
{
    LastReading = micrometres;
    ++ReadingsMeasured;
    const TSimEntry *active = Entry(ActiveBatch);
    if (!active || !IsLive(ActiveBatch) || active->Type != setBatch || !HasBatchFiles(active->Handle))
        return ReadingsMeasured;
    SimPacking::TReading reading;
    reading.Micrometres = micrometres;
    reading.Calibration = SensorModeValue == 2 ? 2 : 1;
    QByteArray bytes = SimPacking::PackReading(reading);
    if (TimeStamps(active->Handle))
        SimPacking::AppendDword(bytes, SimPacking::DateTimeWord(QDateTime::currentDateTime()));
    CreateFile({2, active->Handle, 0}).Data += bytes;
    return int(ReadingCount(active->Handle));
}
