#include "GaugeServer.h"

#include "GaugeDisplay.h"
#include "ReadingPacking.h"

using namespace SimPacking;

namespace {

TSimAnswer Ok(const QByteArray &payload = {})
{
    TSimAnswer answer;
    answer.Payload = payload;
    return answer;
}

// A command the gauge understood but could not carry out: NAK to 255 (the
// PC repeats it and finally gives up) and the reason in the error byte.
TSimAnswer Fail(TGaugeModel &model, TSimError error)
{
    model.ErrorByte = error;
    TSimAnswer answer;
    answer.Kind = TSimAnswer::akNakBroadcast;
    answer.NakCode = sncNotCarriedOut;
    return answer;
}

QByteArray Latin1(const QString &text)
{
    return text.toLatin1();
}

QString ZeroTerminated(const QByteArray &bytes, int from, int *next = nullptr)
{
    const qsizetype zero = bytes.indexOf('\0', from);
    const qsizetype end = zero < 0 ? bytes.size() : zero;
    if (next)
        *next = int(end) + 1;
    return QString::fromLatin1(bytes.mid(from, end - from));
}

bool NeedsEncoding(const QByteArray &payload)
{
    for (char c : payload) {
        const quint8 b = quint8(c);
        if (b == 4 || b == 5 || b >= 0x80)
            return true;
    }
    return false;
}

} // namespace

TSimAnswer TGaugeServer::Handle(quint8 commandByte, const QByteArray &data)
{
    bool setsErrorByte = true;
    TSimAnswer answer = Dispatch(commandByte, data, setsErrorByte);
    if (answer.Kind == TSimAnswer::akAnswer) {
        if (setsErrorByte)
            FModel.ErrorByte = answer.Error;
        answer.Encode = !answer.Ping && ((commandByte & 0x80) || NeedsEncoding(answer.Payload));
    }
    return answer;
}

TSimAnswer TGaugeServer::Dispatch(quint8 commandByte, const QByteArray &d, bool &setsErrorByte)
{
    if (commandByte == 32 && d.isEmpty()) {
        setsErrorByte = false;
        TSimAnswer answer;
        answer.Ping = true;
        return answer;
    }
    const char letter = char(commandByte & 0x7F);
    if (!(commandByte & 0x80)) {
        if (letter == 'V' && d.isEmpty()) {
            setsErrorByte = false;
            return Ok(Latin1(FModel.Firmware));
        }
        if (letter == 'S' && d.startsWith('P')) {
            FModel.PcMode = d.mid(1).toInt() != 0;
            return Ok();
        }
    } else {
        switch (letter) {
        case 'F':
            return FileCommand(d);
        case 'G':
            setsErrorByte = false;
            return Info(d);
        case 'E':
            return Eeprom(d);
        case 'S':
            if (d.startsWith("SM") && d.size() >= 3) {
                FModel.SensorMode = QString(QLatin1Char(d[2]));
                FModel.SensorModeValue = d.size() > 3 ? quint8(d[3]) : 0;
                return Ok();
            }
            if (d.startsWith("GB")) {
                ++FModel.BaudSwitches;
                TSimAnswer none;
                none.Kind = TSimAnswer::akNone;
                return none;
            }
            break;
        case 'D':
            if (d.size() == 2 && d[0] == 'L') {
                const QByteArray line = TGaugeDisplay(FModel).Line(quint8(d[1]));
                return line.isEmpty() ? Fail(FModel, seBadArgument) : Ok(line);
            }
            break;
        case 'K':
            if (!d.isEmpty()) {
                const QString key = QString::fromLatin1(d);
                FModel.KeysPressed.append(key);
                if (key == QLatin1String("U"))
                    --FModel.MenuLine;
                else if (key == QLatin1String("D"))
                    ++FModel.MenuLine;
                return Ok();
            }
            break;
        default:
            break;
        }
    }
    FModel.ErrorByte = seUnknownCommand;
    setsErrorByte = false;
    TSimAnswer nak;
    nak.Kind = TSimAnswer::akNakToSender;
    nak.NakCode = sncUnknownCommand;
    return nak;
}

TSimAnswer TGaugeServer::FileCommand(const QByteArray &d)
{
    if (d == "TGIF" || d == "TGI")
        return TreeInfo(d.size() == 4);
    if (d.startsWith("TG") && d.size() >= 5)
        return TreeGet(d.mid(2, d.size() - 4), Word(d, int(d.size()) - 2));
    if (d.startsWith("TS")) {
        QByteArray answer;
        answer.append(char(FModel.SessionCounter));
        return Ok(answer);
    }
    if (d.startsWith("TR") && d.size() >= 4) {
        const TSimError error = FModel.Rename(Word(d, 2), ZeroTerminated(d, 4));
        return error ? Fail(FModel, error) : Ok();
    }
    if (d.startsWith("TD") && d.size() == 4) {
        QByteArray answer;
        answer.append(char(FModel.Delete(Word(d, 2))));
        return Ok(answer);
    }
    if (d.startsWith("TI"))
        return TreeInsert(d);
    if (d == "FH") {
        const quint16 handle = FModel.FreeHandle();
        if (!handle)
            return Fail(FModel, seMemoryFull);
        QByteArray answer;
        AppendWord(answer, handle);
        return Ok(answer);
    }
    if (d == "FC") {
        FModel.OpenFile.reset();
        return Ok();
    }
    if (d == "FE") {
        TSimFile *file = FModel.OpenFile ? FModel.File(*FModel.OpenFile) : nullptr;
        if (!file)
            return Fail(FModel, seNoOpenFile);
        file->Data.clear();
        file->Params.clear();
        FModel.Position = 0;
        return Ok();
    }
    if (d.startsWith("FP") && d.size() == 6) {
        const TSimFile *file = FModel.OpenFile ? FModel.File(*FModel.OpenFile) : nullptr;
        if (!file)
            return Fail(FModel, seNoOpenFile);
        FModel.Position = qMin<quint32>(Dword(d, 2), quint32(file->Data.size()));
        return Ok();
    }
    if (d.startsWith("FW"))
        return FileWrite(d.mid(2));
    if (d.startsWith("FR") && d.size() == 3)
        return FileRead(quint8(d[2]));
    if (d.startsWith("PR"))
        return ParamRead(d.mid(2));
    if (d.startsWith("PW"))
        return ParamWrite(d.mid(2));
    if (d.startsWith("BQ") && d.size() == 3)
        return QuickInfo(d[2]);
    if (d.size() == 6 && (d.startsWith("FN") || d.startsWith("FO")))
        return FileOpen(d.mid(2), d[1] == 'N');
    if (d.size() == 6 && d.startsWith("FD")) {
        const TSimFileKey key{quint8(d[4]), Word(d, 2), quint8(d[5])};
        return FModel.RemoveFile(key) ? Ok() : Fail(FModel, seNoFile);
    }
    if (d.size() >= 2 && d[0] == 'B')
        return Batch(d[1], Word(d, 2));
    if (d.size() >= 2 && d[0] == 'A')
        return AccessTable(d[1], d.mid(2));
    TSimAnswer nak;
    nak.Kind = TSimAnswer::akNakToSender;
    nak.NakCode = sncUnknownCommand;
    FModel.ErrorByte = seUnknownCommand;
    return nak;
}

QByteArray TGaugeServer::EntryRecord(quint8 status, quint16 index, bool links) const
{
    QByteArray record;
    record.append(char(status));
    const TSimEntry *entry = status == 0 ? FModel.Entry(index) : nullptr;
    if (status != 0) {
        record.append(QByteArray(15, '\0'));
        return record;
    }
    AppendWord(record, index);
    if (!entry) { // a slot of the pool that was never used
        AppendWord(record, setFree);
        AppendWord(record, NoHandle);
        AppendDword(record, 0xFFFFFFFFu);
        AppendDword(record, 0xFFFFFFFFu);
        record.append('\0');
        return record;
    }
    AppendWord(record, entry->Type);
    AppendWord(record, entry->Handle);
    AppendDword(record, DateTimeWord(entry->Created));
    AppendDword(record, DateTimeWord(entry->Changed));
    record.append(Latin1(entry->Name)).append('\0');
    if (links) {
        const quint16 parent = entry->Head ? entry->Directory
                                           : (entry->Owner ? FModel.Slots()[entry->Owner].Directory : 0);
        const quint16 child = entry->Head ? FModel.Next(index)
                                          : (entry->Type == setDirectory ? entry->ListHead : 0);
        AppendWord(record, entry->Head ? 0 : FModel.Next(index));
        AppendWord(record, 0);
        AppendWord(record, FModel.Previous(index));
        AppendWord(record, 0);
        AppendWord(record, parent);
        AppendWord(record, child);
    }
    return record;
}

TSimAnswer TGaugeServer::TreeGet(const QByteArray &query, quint16 index)
{
    const bool links = query.size() > 1 && query.endsWith('F');
    const char mode = query[0];
    if (mode == 'A') {
        if (index == 0)
            index = RootHead;
        if (index > FModel.TreeCapacity)
            return Ok(EntryRecord(2, 0, false));
        return Ok(EntryRecord(0, index, links));
    }
    const TSimEntry *entry = FModel.Entry(index);
    if (mode == 'N') {
        if (!entry || entry->Deleted)
            return Ok(EntryRecord(2, 0, false));
        const quint16 next = FModel.Next(index);
        return Ok(next ? EntryRecord(0, next, links) : EntryRecord(1, 0, false));
    }
    if (mode == 'D') {
        if (index == 0)
            index = RootHead, entry = FModel.Entry(RootHead);
        if (!entry || entry->Deleted || !(entry->Head || entry->Type == setDirectory))
            return Ok(EntryRecord(2, 0, false));
        const quint16 head = entry->Head ? index : entry->ListHead;
        if (FModel.Slots()[head].Children.isEmpty())
            return Ok(EntryRecord(1, 0, false));
        return Ok(EntryRecord(0, head, links));
    }
    return Fail(FModel, seBadArgument);
}

TSimAnswer TGaugeServer::TreeInfo(bool longForm)
{
    QByteArray answer;
    const quint16 treeUsed = quint16(FModel.FirstFreeIndex() + FModel.UsageOffset[0]);
    AppendWord(answer, treeUsed);
    AppendWord(answer, FModel.DataSectorsUsed());
    AppendWord(answer, FModel.PhysicalSectorsUsed());
    AppendWord(answer, FModel.DataSectorsUsed());
    AppendWord(answer, FModel.PhysicalSectorsUsed());
    AppendWord(answer, FModel.OldDataSectors());
    if (longForm) {
        constexpr quint32 treeArea = 0x00010000, nameArea = 0x00020000, dateArea = 0x00028000, endArea = 0x00600000;
        const quint16 used = FModel.FirstFreeIndex();
        AppendWord(answer, quint16(qMax(0, FModel.TreeCapacity - used + 1)));
        AppendDword(answer, treeArea + used * 16u);
        AppendWord(answer, quint16(qMax(0, FModel.TreeCapacity - used + 1)));
        AppendDword(answer, nameArea + used * 16u);
        AppendWord(answer, quint16(qMax(0, FModel.TreeCapacity - used + 1)));
        AppendWord(answer, 0);
        AppendDword(answer, dateArea + used * 8u);
        AppendDword(answer, endArea);
    }
    return Ok(answer);
}

TSimAnswer TGaugeServer::TreeInsert(const QByteArray &d)
{
    if (d.size() < 13)
        return Fail(FModel, seBadArgument);
    const int position = quint8(d[2]);
    const quint16 kind = quint8(d[3]);
    const quint16 reference = Word(d, 5);
    const quint16 following = Word(d, 7);
    const quint16 handle = Word(d, 9);
    int next = 0;
    const QString name = ZeroTerminated(d, 11, &next);
    const QString user = next < d.size() ? ZeroTerminated(d, next) : QString();
    quint16 index = 0;
    const TSimError error = FModel.Insert(position, kind, reference, following, handle, name, user, index);
    if (error)
        return Fail(FModel, error);
    QByteArray answer;
    AppendWord(answer, index);
    AppendWord(answer, FModel.Slots()[index].Handle);
    return Ok(answer);
}

TSimAnswer TGaugeServer::FileOpen(const QByteArray &args, bool create)
{
    const TSimFileKey key{quint8(args[0]), Word(args, 1), quint8(args[3])};
    if (create) {
        if (key.Handle == 0 || key.Handle == NoHandle || (key.Type != 2 && key.Type != 3 && key.Type != 6))
            return Fail(FModel, seBadArgument);
        TSimFile &file = FModel.CreateFile(key);
        file = TSimFile();
        FModel.OpenFile = key;
        FModel.Position = 0;
        return Ok();
    }
    const TSimFile *file = FModel.File(key);
    if (!file)
        return Fail(FModel, seNoFile);
    FModel.OpenFile = key;
    if (FModel.OpenFile->Type != 2)
        FModel.OpenFile->Number = 0;
    FModel.Position = 0;
    QByteArray answer;
    AppendDword(answer, quint32(file->Data.size()));
    return Ok(answer);
}

TSimAnswer TGaugeServer::FileRead(int count)
{
    const TSimFile *file = FModel.OpenFile ? FModel.File(*FModel.OpenFile) : nullptr;
    if (!file)
        return Fail(FModel, seNoOpenFile);
    const QByteArray bytes = file->Data.mid(FModel.Position, qMin(count, MaxEncodedPayload));
    FModel.Position += quint32(bytes.size());
    return Ok(bytes);
}

TSimAnswer TGaugeServer::FileWrite(const QByteArray &bytes)
{
    TSimFile *file = FModel.OpenFile ? FModel.File(*FModel.OpenFile) : nullptr;
    if (!file)
        return Fail(FModel, seNoOpenFile);
    if (file->Data.size() < FModel.Position + bytes.size())
        file->Data.resize(FModel.Position + bytes.size(), '\0');
    file->Data.replace(FModel.Position, bytes.size(), bytes);
    FModel.Position += quint32(bytes.size());
    return Ok();
}

TSimFile *TGaugeServer::OpenParameterFile()
{
    if (!FModel.OpenFile || FModel.OpenFile->Type != 3)
        return nullptr;
    return FModel.File(*FModel.OpenFile);
}

TSimAnswer TGaugeServer::ParamRead(const QByteArray &args)
{
    QByteArray answer;
    if (args.isEmpty()) {
        AppendWord(answer, quint16(FModel.ParamTable.size()));
        return Ok(answer);
    }
    if (args.size() == 1) {
        const int i = quint8(args[0]);
        if (i >= FModel.ParamTable.size())
            return Fail(FModel, seNoParameter);
        const TSimParamDef &def = FModel.ParamTable[i];
        AppendWord(answer, def.Size);
        answer.append(char(def.Type)).append(char(def.Id)).append(Latin1(def.Name));
        return Ok(answer);
    }
    if (args.size() != 2)
        return Fail(FModel, seBadArgument);
    const TSimFile *file = OpenParameterFile();
    if (!file)
        return Fail(FModel, seNoOpenFile);
    const TSimError error = FModel.ReadParam(*file, quint8(args[0]), quint8(args[1]), answer);
    if (error == seNoValue) { // a definite "no value": empty answer, reason in the error byte
        TSimAnswer empty = Ok();
        empty.Error = error;
        return empty;
    }
    return error ? Fail(FModel, error) : Ok(answer);
}

TSimAnswer TGaugeServer::ParamWrite(const QByteArray &args)
{
    if (args.size() < 3)
        return Fail(FModel, seBadArgument);
    TSimFile *file = OpenParameterFile();
    if (!file)
        return Fail(FModel, seNoOpenFile);
    const TSimError error = FModel.WriteParam(*file, quint8(args[0]), quint8(args[1]), args.mid(2));
    return error ? Fail(FModel, error) : Ok();
}

TSimAnswer TGaugeServer::QuickInfo(char item)
{
    const TSimFile *file = OpenParameterFile();
    if (!file)
        return Fail(FModel, seNoOpenFile);
    const quint16 handle = FModel.OpenFile->Handle;
    const TSimEntry *entry = nullptr;
    for (std::size_t i = 2; i < FModel.Slots().size(); ++i)
        if (FModel.IsLive(int(i)) && FModel.Slots()[i].Type == setBatch && FModel.Slots()[i].Handle == handle)
            entry = &FModel.Slots()[i];
    auto text = [&](const char *name, const QString &fallback) {
        const TSimParamDef *def = FModel.ParamByName(QLatin1String(name));
        QByteArray value;
        if (def && FModel.ReadParam(*file, def->Id, 0, value) == seNone && !value.isEmpty())
            return value;
        return Latin1(fallback);
    };
    QByteArray answer;
    switch (item) {
    case 'D':
        AppendDword(answer, entry ? DateTimeWord(entry->Created) : 0);
        AppendDword(answer, entry ? DateTimeWord(entry->Changed) : 0);
        break;
    case 'S':
        answer.append(text("ParSensName", FModel.SensorName)).append('\0');
        answer.append(text("ParSerNo", FModel.SensorSerial)).append('\0');
        break;
    case 'U':
        answer = Latin1(entry ? entry->User : QString());
        break;
    case 'V':
        AppendDword(answer, FModel.ReadingCount(handle));
        break;
    default:
        break;
    }
    return Ok(answer);
}

TSimAnswer TGaugeServer::Batch(char item, quint16 value)
{
    QByteArray answer;
    if (item == 'I') {
        const TSimEntry *active = FModel.IsLive(FModel.ActiveBatch) ? FModel.Entry(FModel.ActiveBatch) : nullptr;
        AppendWord(answer, active ? FModel.ActiveBatch : NoEntry);
        AppendWord(answer, active ? active->Handle : NoHandle);
        AppendWord(answer, active ? quint16(qMin<quint32>(FModel.ReadingCount(active->Handle), 0xFFFF)) : 0);
        AppendWord(answer, active ? quint16(FModel.SeriesCount(active->Handle)) : 0);
        return Ok(answer);
    }
    if (item == 'O') {
        int index = value;
        auto isBatch = [this](int i) { return FModel.IsLive(i) && FModel.Slots()[std::size_t(i)].Type == setBatch; };
        if (!isBatch(index))
            for (std::size_t i = 2; i < FModel.Slots().size() && !isBatch(index); ++i)
                if (isBatch(int(i)) && FModel.Slots()[i].Handle == value)
                    index = int(i);
        if (!isBatch(index))
            return Fail(FModel, seNoEntry);
        const quint16 handle = FModel.Slots()[std::size_t(index)].Handle;
        if (!FModel.HasBatchFiles(handle))
            return Fail(FModel, seNoBatch);
        FModel.ActiveBatch = quint16(index);
        AppendWord(answer, handle);
        return Ok(answer);
    }
    if (item == 'C')
        FModel.ActiveBatch = NoEntry;
    return Ok();
}

TSimAnswer TGaugeServer::AccessTable(char item, const QByteArray &args)
{
    if (item == 'R') {
        FModel.RebuildAccessTable();
        return Ok();
    }
    if (item != 'G')
        return Ok();
    // a, then the handle word when it is not 0, then b when a is not 0
    quint8 type = 0, number = 0;
    quint16 handle = 0;
    const int n = int(args.size());
    if (n >= 1)
        type = quint8(args[0]);
    if (n == 2)
        number = quint8(args[1]);
    if (n >= 3)
        handle = Word(args, 1);
    if (n >= 4)
        number = quint8(args[3]);
    QByteArray answer;
    const bool found = FModel.File({type, handle, number}) != nullptr;
    answer.append(char(found ? 1 : 0));
    AppendWord(answer, found ? handle : NoHandle);
    return Ok(answer);
}

TSimAnswer TGaugeServer::Info(const QByteArray &d)
{
    if (d.size() == 3 && d.startsWith("ST")) { // "*GST nn": name of target ball nn
        const int i = quint8(d[2]);
        return Ok(Latin1(i < FModel.TargetBalls.size() ? FModel.TargetBalls[i] : QStringLiteral("---")));
    }
    if (d.size() < 2)
        return Ok();
    const QString item = QString::fromLatin1(d.mid(1));
    QByteArray answer;
    if (d[0] == 'G') {
        if (item == QLatin1String("B"))
            answer = Latin1(FModel.ModelText);
        else if (item == QLatin1String("N"))
            answer = Latin1(FModel.GaugeName);
        else if (item == QLatin1String("S"))
            answer = Latin1(FModel.GaugeSerial);
        else if (item == QLatin1String("E"))
            answer.append(char(FModel.ErrorByte));
        else if (item == QLatin1String("DU"))
            answer = Latin1(FModel.GaugeInfo.value(item, FModel.UnitText));
        else
            answer = Latin1(FModel.GaugeInfo.value(item));
    } else if (d[0] == 'S') {
        if (item == QLatin1String("N"))
            answer = Latin1(FModel.SensorName);
        else if (item == QLatin1String("S"))
            answer = Latin1(FModel.SensorSerial);
        else if (item == QLatin1String("V"))
            answer = Latin1(FModel.SensorVersion);
        else if (item == QLatin1String("E"))
            answer.append('\0');
        else
            answer = Latin1(FModel.SensorInfo.value(item));
    }
    return Ok(answer);
}

TSimAnswer TGaugeServer::Eeprom(const QByteArray &d)
{
    if (d.startsWith('G') && d.size() > 1) {
        const QString name = QString::fromLatin1(d.mid(1));
        for (auto it = FModel.Eeprom.cbegin(); it != FModel.Eeprom.cend(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                QByteArray answer;
                answer.append(char(it->Address)).append(char(1)).append(char(it->Value));
                return Ok(answer);
            }
        return Fail(FModel, seNoParameter);
    }
    if (d.startsWith('W') && d.size() >= 3) {
        for (auto it = FModel.Eeprom.begin(); it != FModel.Eeprom.end(); ++it)
            if (it->Address == quint8(d[1])) {
                it->Value = quint8(d[2]);
                return Ok();
            }
        return Fail(FModel, seNoParameter);
    }
    return Fail(FModel, seBadArgument);
}

QString TGaugeServer::CommandName(quint8 commandByte, const QByteArray &d)
{
    if (commandByte == 32 && d.isEmpty())
        return QStringLiteral("PING");
    const QChar letter = QLatin1Char(char(commandByte & 0x7F));
    if (!(commandByte & 0x80)) {
        if (letter == QLatin1Char('V'))
            return QStringLiteral("V");
        if (letter == QLatin1Char('S') && d.startsWith('P'))
            return QStringLiteral("SP");
        return QStringLiteral("?");
    }
    const QString star = QStringLiteral("*") + letter;
    if (letter == QLatin1Char('F')) {
        static const char *words[] = {"TGIF", "TGI", "TG", "TS", "TR", "TD", "TI", "FH", "FC", "FE", "FP",
                                      "FW",   "FR",  "FN", "FO", "FD", "PR", "PW", "BQ"};
        for (const char *word : words)
            if (d.startsWith(word) && (qstrlen(word) < 3 || d == word))
                return star + QLatin1String(word);
        if (!d.isEmpty() && (d[0] == 'B' || d[0] == 'A'))
            return star + QLatin1Char(d[0]);
        return QStringLiteral("?");
    }
    if (letter == QLatin1Char('G'))
        return d.size() == 3 && d.startsWith("ST") ? QStringLiteral("*GST") : QStringLiteral("*G");
    if (!d.isEmpty() && (letter == QLatin1Char('E') || letter == QLatin1Char('D')))
        return star + QLatin1Char(d[0]);
    if (d.size() >= 2 && letter == QLatin1Char('S'))
        return star + QLatin1String(d.left(2));
    return star;
}

QString TGaugeServer::Describe(quint8 commandByte, const QByteArray &d)
{
    const QString name = CommandName(commandByte, d);
    if (name == QLatin1String("PING") || name == QLatin1String("?"))
        return name == QLatin1String("?") ? QStringLiteral("? %1 %2").arg(commandByte, 2, 16, QLatin1Char('0'))
                                                  .arg(QString::fromLatin1(d.toHex(' ')))
                                          : name;
    const int wordLength = int(name.size()) - (name.startsWith(QLatin1Char('*')) ? 2 : 1);
    // Parameters: a leading printable run as quoted text, the rest in hexadecimal.
    QString text = name;
    const QByteArray rest = d.mid(wordLength);
    qsizetype printable = 0;
    while (printable < rest.size() && rest[printable] >= 32 && rest[printable] < 127)
        ++printable;
    if (printable > 0)
        text += QStringLiteral(" \"%1\"").arg(QString::fromLatin1(rest.left(printable)));
    if (printable < rest.size())
        text += QLatin1Char(' ') + QString::fromLatin1(rest.mid(printable).toHex(' ')).toUpper();
    return text;
}
