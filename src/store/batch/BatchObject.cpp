#include "BatchObject.h"

#include "app/UserDialog.h"
#include "store/tagged/QelTextForms.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

const QByteArray TBatchObject::FileTypeName = QByteArrayLiteral("Dalvo7DataBase");
const QByteArray TBatchObject::CurrentFileVersion = QByteArrayLiteral("1.1");
const QString TBatchObject::UnknownFormatMessage = QStringLiteral("Unknown File Format !!!");

namespace {

constexpr int MaxSeriesCount = 255;   // the series count is stored in one byte

// The attribute with this name when it is exactly of class T and not null.
template <class T>
const T *ValueAttribute(const TQelBinaryTag &tag, const QByteArray &name)
{
    const TQelBinaryAttribute *attribute = tag.FindAttribute(name);
    if (!attribute || attribute->IsNull() || &attribute->ClassType() != &T::StaticClass())
        return nullptr;
    return static_cast<const T *>(attribute);
}

template <class T, class TField>
void ReadValue(const TQelBinaryTag &tag, const QByteArray &name, TField &field)
{
    if (const T *attribute = ValueAttribute<T>(tag, name))
        field = static_cast<TField>(attribute->Value());
}

void ReadText(const TQelBinaryTag &tag, const QByteArray &name, QString &field)
{
    if (const auto *attribute = ValueAttribute<TQelBinaryShortString>(tag, name))
        field = AnsiToString(attribute->Value());
}

// The attribute with this name, of class T: an existing one of another class
// is replaced (its value could not be written in its own type), a missing
// one appended.
template <class T>
T *WritableAttribute(TQelBinaryTag &tag, const QByteArray &name)
{
    TQelBinaryAttributes &attributes = tag.Attributes();
    for (int i = 0; i < attributes.Count(); ++i) {
        TQelBinaryAttribute *attribute = attributes.Items(i);
        if (attribute->Name() != name)
            continue;
        if (&attribute->ClassType() == &T::StaticClass())
            return static_cast<T *>(attribute);
        attributes.Delete(i);
        break;
    }
    return tag.AddAttribute<T>(name);
}

void WriteByte(TQelBinaryTag &tag, const QByteArray &name, std::int32_t value)
{
    WritableAttribute<TQelBinaryByte>(tag, name)->SetValue(static_cast<quint8>(value));
}

void WriteText(TQelBinaryTag &tag, const QByteArray &name, const QString &value)
{
    WritableAttribute<TQelBinaryShortString>(tag, name)->SetValue(StringToAnsi(value));
}

bool SameDate(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b;
}

} // namespace

QByteArray ReadingNotesToText(const std::vector<TReadingNote> &notes)
{
    QString text;
    for (const TReadingNote &note : notes) {
        text += QLatin1Char(note.Kind);
        text += QString::number(note.Index);
        text += QLatin1Char('~');
        text += note.Text;
        text += QLatin1String("\r\n");
    }
    return StringToAnsi(text);
}

std::vector<TReadingNote> ReadingNotesFromText(const QByteArray &bytes)
{
    std::vector<TReadingNote> notes;
    const QString text = AnsiToString(bytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        start = end;
        if (start < text.size() && text[start] == QLatin1Char('\r'))
            ++start;
        if (start < text.size() && text[start] == QLatin1Char('\n'))
            ++start;

        const qsizetype tilde = line.indexOf(QLatin1Char('~'));
        if (line.isEmpty() || tilde < 1)
            continue;
        bool ok = false;
        const int index = line.mid(1, tilde - 1).toInt(&ok);
        if (!ok)
            continue;
        TReadingNote note;
        note.Kind = line[0].toLatin1();
        note.Index = index;
        note.Text = line.mid(tilde + 1).toString();
        notes.push_back(std::move(note));
    }
    return notes;
}

TBatchObject::TBatchObject(const QString &fileName, IUserDialog *dialog)
    : FFileName(fileName), FDialog(dialog)
{
    Reset();
    FDocument.SetFileType(FileTypeName);
    FDocument.SetFileVersion(CurrentFileVersion);
    FFileExisted = !fileName.isEmpty() && QFileInfo::exists(fileName);
    if (FFileExisted)
        Load();
    CalcStatistics();
    FModified = false;
    for (TStatData &series : FSeries)
        series.Modified = false;
}

TBatchObject::~TBatchObject()
{
    if (!IsModified())
        return;
    FChangeDate = DaysFromDateTime(QDateTime::currentDateTime());
    if (!Save() && FDialog)
        FDialog->ShowMessage(FLastError);
}

void TBatchObject::Load()
{
    TQelLoadResult result = lrReadError;
    try {
        result = FDocument.LoadFromFile(FFileName);
    } catch (const EQelBinaryError &) {
        result = lrReadError;
    }
    if (result != lrOk || FDocument.FileType() != FileTypeName) {
        FFileRejected = true;
        FDocument.Clear();
        FDocument.SetFileType(FileTypeName);
        FDocument.SetFileVersion(CurrentFileVersion);
        if (FDialog)
            FDialog->ShowMessage(UnknownFormatMessage);
        return;
    }
    ReadFields();
}

void TBatchObject::ReadFields()
{
    const TQelBinaryTag &root = FDocument;
    int seriesCount = 0;
    ReadValue<TQelBinaryByte>(root, "BatchMax", seriesCount);
    CreateSeries(seriesCount == 0 ? 1 : seriesCount);

    ReadText(root, "BatchName", FBatchName);
    ReadText(root, "User", FUser);
    ReadValue<TQelBinaryDateTime>(root, "CreateDate", FCreateDate);
    ReadValue<TQelBinaryDateTime>(root, "ChangeDate", FChangeDate);
    ReadText(root, "GaugeBLName", FGaugeModelId);
    ReadText(root, "GaugeTyp", FGaugeType);
    ReadText(root, "GaugeSerial", FGaugeSerial);
    if (ValueAttribute<TQelBinaryShortString>(root, "SensorTyp")) {
        ReadText(root, "SensorTyp", FProbeType);
        FProbeClass = ProbeClassOf(FProbeType);
        for (TStatData &series : FSeries)
            series.ProbeClass = FProbeClass;
    }
    ReadText(root, "SensorSerial", FProbeSerial);

    FMeasMode = 1;
    ReadValue<TQelBinaryByte>(root, "MeasMode", FMeasMode);
    FGraphic = 1;
    ReadValue<TQelBinaryByte>(root, "Graphic", FGraphic);
    ReadValue<TQelBinaryByte>(root, "TargetNum", FTargetNumber);
    FDataLoggingMode = 1;
    ReadValue<TQelBinaryByte>(root, "DataLoggingMode", FDataLoggingMode);
    FMeasuringRate = 1;
    ReadValue<TQelBinaryByte>(root, "MeasuringRate", FMeasuringRate);
    FTimeStamp = false;
    ReadValue<TQelBinaryBoolean>(root, "TimeStamp", FTimeStamp);

    ReadText(root, "CalTypTxt", FCalTypeText);
    ReadValue<TQelBinaryByte>(root, "CalTypNum", FCalTypeNumber);
    if (const auto *calData = ValueAttribute<TQelBinaryBlob>(root, "CalData"))
        FCalibrationData.Assign(calData->Value());
    if (const auto *notes = ValueAttribute<TQelBinaryBlob>(root, "Notes"))
        FNotes = notes->Value();
    if (ValueAttribute<TQelBinaryByte>(root, "BlockSize")) {
        ReadValue<TQelBinaryByte>(root, "BlockSize", FBlockSize);
        for (TStatData &series : FSeries)
            series.BlockSize = FBlockSize;
    }

    ReadSeriesAttributes(Layout());
    ReadPictures();
}

TBatchObject::TLayout TBatchObject::Layout() const
{
    if (FDocument.FileVersion() == "1.1")
        return lyIndexed;
    if (FDocument.FileVersion() == "1.0")
        return lyPlain;
    return lyNone;
}

namespace {

QByteArray SeriesAttributeName(const char *kind, std::size_t series, bool indexed)
{
    QByteArray name(kind);
    if (indexed)
        name += QByteArray::number(static_cast<qulonglong>(series));
    return name;
}

const char *const LimitKinds[] = {"UpperLimit", "LowerLimit", "Offset", "Rough", "NDFT"};
const TStatInput LimitInputs[] = {siUpperLimit, siLowerLimit, siOffset, siRough, siNDFT};

// Active but not marked present: such files count the reading. Looks before
// it writes, so the readings stay shared with the file's bytes when no reading
// needs the change.
void CountActiveAsPresent(TReadingList &readings)
{
    const auto needsChange = [](const TReadingRecord &r) { return (r.Flags & rfActive) && !(r.Flags & rfPresent); };
    const TReadingList &unchanged = readings;
    const std::size_t first =
        static_cast<std::size_t>(std::find_if(unchanged.begin(), unchanged.end(), needsChange) - unchanged.begin());
    for (std::size_t i = first; i < readings.size(); ++i) {
        if (needsChange(readings[i]))
            readings[i].Flags = rfCounted;
    }
}

} // namespace

void TBatchObject::ReadSeriesAttributes(TLayout layout)
{
    if (layout == lyNone)
        return;
    const bool indexed = layout == lyIndexed;
    const TQelBinaryTag &root = FDocument;

    for (int kind = 0; kind < 5; ++kind) {
        for (std::size_t i = 0; i < FSeries.size(); ++i) {
            double value = FSeries[i].Input(LimitInputs[kind]);
            ReadValue<TQelBinaryDouble>(root, SeriesAttributeName(LimitKinds[kind], i, indexed), value);
            FSeries[i].SetInput(LimitInputs[kind], value);
        }
    }

    for (std::size_t i = 0; i < FSeries.size(); ++i) {
        const auto *blob = ValueAttribute<TQelBinaryBlob>(root, SeriesAttributeName("Readings", i, indexed));
        if (!blob)
            continue;
        TReadingList &readings = FSeries[i].Readings;
        readings = TReadingList::FromBytes(blob->Value());
        CountActiveAsPresent(readings);
    }

    for (std::size_t i = 0; i < FSeries.size(); ++i) {
        if (const auto *blob = ValueAttribute<TQelBinaryBlob>(root, SeriesAttributeName("ReadingNotes", i, indexed)))
            FSeries[i].Notes = ReadingNotesFromText(blob->Value());
    }
    // The readings live in the series now; the file's copy is rebuilt on saving.
    ReleaseReadingBlobs();
}

void TBatchObject::ReadPictures()
{
    const TQelBinaryTag *pictures = FDocument.FindTag("Picture");
    if (!pictures)
        return;
    for (int i = 0; i < pictures->Count(); ++i) {
        const TQelBinaryTag *tag = pictures->Tags(i);
        const auto *data = ValueAttribute<TQelBinaryBlob>(*tag, "Bild");
        if (!data)
            continue;
        TBatchPicture picture;
        if (const auto *name = ValueAttribute<TQelBinaryAnsiString>(*tag, "Name"))
            picture.Name = AnsiToString(name->Value());
        picture.Data = data->Value();
        FPictures.push_back(std::move(picture));
    }
}

void TBatchObject::ReleaseReadingBlobs()
{
    const TLayout layout = Layout();
    if (layout == lyNone)
        return;
    for (std::size_t i = 0; i < FSeries.size(); ++i) {
        const QByteArray name = SeriesAttributeName("Readings", i, layout == lyIndexed);
        const TQelBinaryAttribute *attribute = FDocument.FindAttribute(name);
        if (attribute && &attribute->ClassType() == &TQelBinaryBlob::StaticClass() && !attribute->IsNull())
            static_cast<TQelBinaryBlob *>(FDocument.FindAttribute(name))->SetValue(QByteArray());
    }
}

void TBatchObject::UpdateDocument()
{
    TQelBinaryTag &root = FDocument;
    WriteByte(root, "BatchMax", SeriesCount());
    WriteText(root, "BatchName", FBatchName);
    WriteText(root, "User", FUser);
    WritableAttribute<TQelBinaryDateTime>(root, "CreateDate")->SetValue(FCreateDate);
    WritableAttribute<TQelBinaryDateTime>(root, "ChangeDate")->SetValue(FChangeDate);
    WriteText(root, "GaugeBLName", FGaugeModelId);
    WriteText(root, "GaugeTyp", FGaugeType);
    WriteText(root, "GaugeSerial", FGaugeSerial);
    WriteText(root, "SensorTyp", FProbeType);
    WriteText(root, "SensorSerial", FProbeSerial);
    WriteByte(root, "MeasMode", FMeasMode);
    WriteByte(root, "Graphic", FGraphic);
    WritableAttribute<TQelBinaryBoolean>(root, "TimeStamp")->SetValue(FTimeStamp);
    WriteByte(root, "TargetNum", FTargetNumber);
    WriteByte(root, "DataLoggingMode", FDataLoggingMode);
    WriteByte(root, "MeasuringRate", FMeasuringRate);
    WriteText(root, "CalTypTxt", FCalTypeText);
    WriteByte(root, "CalTypNum", FCalTypeNumber);
    WritableAttribute<TQelBinaryBlob>(root, "CalData")->SetValue(FCalibrationData.Bytes());
    WritableAttribute<TQelBinaryBlob>(root, "Notes")->SetValue(FNotes);
    WriteByte(root, "BlockSize", FBlockSize);
    WriteSeriesAttributes(Layout());
    WritePictures();
}

void TBatchObject::WriteSeriesAttributes(TLayout layout)
{
    if (layout == lyNone)
        return;
    const bool indexed = layout == lyIndexed;
    TQelBinaryTag &root = FDocument;
    for (int kind = 0; kind < 5; ++kind) {
        for (std::size_t i = 0; i < FSeries.size(); ++i)
            WritableAttribute<TQelBinaryDouble>(root, SeriesAttributeName(LimitKinds[kind], i, indexed))
                ->SetValue(FSeries[i].Input(LimitInputs[kind]));
    }
    for (std::size_t i = 0; i < FSeries.size(); ++i) {
        // Shares the series' memory for the write; released right after it.
        const TReadingList &readings = FSeries[i].Readings;
        auto *blob = WritableAttribute<TQelBinaryBlob>(root, SeriesAttributeName("Readings", i, indexed));
        blob->SetValue(readings.empty() ? QByteArray("") : readings.Bytes());
    }
    for (std::size_t i = 0; i < FSeries.size(); ++i)
        WritableAttribute<TQelBinaryBlob>(root, SeriesAttributeName("ReadingNotes", i, indexed))
            ->SetValue(ReadingNotesToText(FSeries[i].Notes));
}

void TBatchObject::WritePictures()
{
    TQelBinaryTag *pictures = FDocument.FindTag("Picture");
    if (!pictures)
        pictures = FDocument.AddTag("Picture");
    pictures->Clear();
    for (std::size_t i = 0; i < FPictures.size(); ++i) {
        TQelBinaryTag *tag = pictures->AddTag("Bild" + QByteArray::number(static_cast<qulonglong>(i)));
        tag->AddAttribute<TQelBinaryAnsiString>("Name")->SetValue(StringToAnsi(FPictures[i].Name));
        tag->AddAttribute<TQelBinaryBlob>("Bild")->SetValue(FPictures[i].Data);
    }
}

bool TBatchObject::Save()
{
    FLastError.clear();
    if (FFileRejected) {
        FLastError = QStringLiteral("%1 could not be read as a batch file and is not written over.").arg(FFileName);
        return false;
    }
    const bool write = FFileExisted ? QFileInfo::exists(FFileName) : !FFileName.isEmpty();
    if (!write)
        return true;
    bool saved = true;
    try {
        UpdateDocument();
        FDocument.SaveToFile(FFileName);
    } catch (const EQelBinaryError &error) {
        FLastError = QStringLiteral("Could not save %1: %2").arg(FFileName, error.Message());
        saved = false;
    }
    ReleaseReadingBlobs();
    return saved;
}

bool TBatchObject::SaveAs(const QString &fileName)
{
    FFileName = fileName;
    FFileExisted = false;
    FFileRejected = false;
    if (fileName.isEmpty()) {
        FLastError = QStringLiteral("No file name to save the batch under.");
        return false;
    }
    if (!Save())
        return false;
    FModified = false;
    for (TStatData &series : FSeries)
        series.Modified = false;
    return true;
}

bool TBatchObject::IsModified() const
{
    return FModified || std::any_of(FSeries.begin(), FSeries.end(), [](const TStatData &s) { return s.Modified; });
}

bool TBatchObject::SetModified(bool modified)
{
    if (IsModified() && !modified && !Save())
        return false;
    FModified = modified;
    for (TStatData &series : FSeries)
        series.Modified = modified;
    return true;
}

void TBatchObject::Reset()
{
    FBatchName.clear();
    FUser.clear();
    FGaugeModelId.clear();
    FGaugeType.clear();
    FGaugeSerial.clear();
    FProbeType.clear();
    FProbeClass = pcUnknown;
    FProbeSerial.clear();
    FCalTypeText.clear();
    FCalTypeNumber = 0;
    FCreateDate = 0;
    FChangeDate = 0;
    FBlockSize = 1;
    FTargetNumber = 1;
    FMeasMode = 0;
    FTimeStamp = false;
    FGraphic = 1;
    FDataLoggingMode = 1;
    FMeasuringRate = 1;
    FModified = false;
    FPictures.clear();
    FCalibrationData.Reset();
    FNotes.clear();
    CreateSeries(1);
    CalcStatistics();
}

void TBatchObject::CreateSeries(int count)
{
    FSeries.clear();
    FSeries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        FSeries.emplace_back(FProbeClass);
}

void TBatchObject::CalcStatistics()
{
    for (TStatData &series : FSeries)
        series.Calculate();
}

void TBatchObject::SetIntegerValue(std::int32_t &field, int value)
{
    if (field != value)
        FModified = true;
    field = value;
}

void TBatchObject::SetInteger(TIntegerField field, int value)
{
    switch (field) {
    case ifBlockSize:
        SetIntegerValue(FBlockSize, value);
        for (TStatData &series : FSeries)
            series.BlockSize = value;
        break;
    case ifCalTypeNumber: SetIntegerValue(FCalTypeNumber, value); break;
    case ifSeriesCount: {
        const int count = std::clamp(value, 1, MaxSeriesCount);
        if (count != SeriesCount())
            FModified = true;
        CreateSeries(count);
        break;
    }
    case ifTargetNumber: SetIntegerValue(FTargetNumber, value); break;
    case ifMeasMode: SetIntegerValue(FMeasMode, value); break;
    case ifGraphic: SetIntegerValue(FGraphic, value); break;
    case ifDataLoggingMode: SetIntegerValue(FDataLoggingMode, value); break;
    case ifMeasuringRate: SetIntegerValue(FMeasuringRate, value); break;
    }
}

void TBatchObject::SetDate(TDateField field, double days)
{
    double &target = field == dfCreateDate ? FCreateDate : FChangeDate;
    if (!SameDate(target, days))
        FModified = true;
    target = days;
}

void TBatchObject::SetTextValue(QString &field, const QString &text)
{
    if (field != text)
        FModified = true;
    field = text;
}

void TBatchObject::SetText(TTextField field, const QString &text)
{
    switch (field) {
    case tfBatchName: SetTextValue(FBatchName, text); break;
    case tfUser: SetTextValue(FUser, text); break;
    case tfGaugeType: SetTextValue(FGaugeType, text); break;
    case tfGaugeSerial: SetTextValue(FGaugeSerial, text); break;
    case tfProbeType:
        SetTextValue(FProbeType, text);
        FProbeClass = ProbeClassOf(text);
        // Ultrasonic gaps take block positions, so the series follow the class.
        for (TStatData &series : FSeries)
            series.ProbeClass = FProbeClass;
        break;
    case tfProbeSerial: SetTextValue(FProbeSerial, text); break;
    case tfCalTypeText: SetTextValue(FCalTypeText, text); break;
    case tfGaugeModelId: SetTextValue(FGaugeModelId, text); break;
    }
}

void TBatchObject::SetNotes(const QByteArray &notes)
{
    if (FNotes != notes)
        FModified = true;
    FNotes = notes;
}

void TBatchObject::SetTimeStamp(bool timeStamp)
{
    if (FTimeStamp != timeStamp)
        FModified = true;
    FTimeStamp = timeStamp;
}

bool TBatchObject::AddGaugeReading(int seriesIndex, bool timeStamp, const TPackedGaugeReading &packed)
{
    if (seriesIndex < 0 || seriesIndex >= SeriesCount())
        return false;
    TStatData &series = FSeries[static_cast<std::size_t>(seriesIndex)];
    const TReadingRecord reading =
        UnpackGaugeReading({packed[0], packed[1], packed[2]}, SeriesCount() > 1 && seriesIndex == 0);
    series.Readings.push_back(reading);
    series.Modified = true;

    if (timeStamp) {
        const std::uint32_t word = std::uint32_t{packed[3]} | std::uint32_t{packed[4]} << 8
                                   | std::uint32_t{packed[5]} << 16 | std::uint32_t{packed[6]} << 24;
        TReadingNote note;
        note.Kind = reading.Flags == rfCounted ? 'M' : 'g';
        // The note belongs to the reading just added.
        note.Index = static_cast<std::int32_t>(series.Readings.size() - 1);
        note.Text = TimeStampNoteText(DecodeGaugeTimeStamp(word, QDateTime::currentDateTime()));
        series.Notes.push_back(std::move(note));
    }
    FModified = true;
    return true;
}

void TBatchObject::SetReadingFlag(int index, bool set, std::uint8_t mask)
{
    for (TStatData &series : FSeries) {
        if (index >= 0 && static_cast<std::size_t>(index) < series.Readings.size()) {
            std::uint8_t &flags = series.Readings[static_cast<std::size_t>(index)].Flags;
            flags = set ? (flags | mask) : (flags & ~mask);
        }
        series.Modified = true;
    }
}

void TBatchObject::ClearPictures()
{
    if (!FPictures.empty())
        FModified = true;
    FPictures.clear();
}

void TBatchObject::AddPicture(const QString &name, const QByteArray &data)
{
    FPictures.push_back({name, data});
    FModified = true;
}
