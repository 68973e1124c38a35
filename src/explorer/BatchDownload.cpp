#include "BatchDownload.h"

#include "AnswerWatch.h"
#include "ExplorerModel.h"
#include "GaugeClassification.h"
#include "GaugeExplorer.h"

#include "app/UserDialog.h"
#include "store/batch/BatchObject.h"
#include "store/tagged/QelTextForms.h"
#include "store/ultrasonic/ZQParamBlock.h"
#include "store/ultrasonic/ZQParamFile.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstring>

const QString TBatchDownload::NoDataText = QStringLiteral("No data available for transmission !");
const QString TBatchDownload::ReadingErrorText = QStringLiteral("Data reading error!");

namespace {
const QString IncompleteText = QStringLiteral("Batch \"%1\" is incomplete: the gauge's data could not be read completely. "
                                              "The file %2 holds what was read.");
const QString LinkLostText = QStringLiteral("The gauge does not answer any more; the download was stopped.");
constexpr int ParamSetBlockChunk = 40;

bool IsDownloadable(const TGaugeTreeNode *node)
{
    return (node->Data.ElementType == etBatch || node->Data.ElementType == etParameterSet) && node->Overlay == ovNone;
}

QString ReplaceAll(QString text, const QString &characters)
{
    for (const QChar c : characters)
        text.replace(c, u'_');
    return text;
}

float SingleOf(const TBuffer &value, int from = 1)
{
    quint32 bits = 0;
    for (int k = 0; k < 4; ++k)
        bits |= quint32(value[from + k]) << (8 * k);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
} // namespace

TBatchDownload::TBatchDownload(TGaugeExplorer &explorer)
    : BatchExtension(explorer.UltrasonicEdition() ? QStringLiteral("zq7") : QStringLiteral("dv7")), FExplorer(explorer)
{
}

// ---- file names

QString TBatchDownload::SafeFileName(const QString &name)
{
    return ReplaceAll(name, QStringLiteral("\"*/:<>?\\|"));
}

QString TBatchDownload::SafeFolderPart(const QString &directoryPart)
{
    return ReplaceAll(directoryPart, QStringLiteral("\"*/<>?|"));
}

QString TBatchDownload::FreeFileName(const QString &folder, const QString &name, const QString &extension)
{
    const QString base = folder + SafeFileName(name);
    QString candidate = base + u'.' + extension;
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = base + u'(' + QString::number(n) + QStringLiteral(").") + extension;
    return candidate;
}

QString TBatchDownload::DirectoryPart(const TGaugeTreeNode *node)
{
    QString part;
    for (const TGaugeTreeNode *n = node->Parent(); n && n->Parent(); n = n->Parent()) {
        if (n->Data.ElementType == etDirectory)
            part.prepend(n->Data.Name + u'\\');
    }
    return part;
}

// ---- the action

bool TBatchDownload::DownloadChecked(const QString &folder, bool mirror)
{
    IUserDialog &dialog = FExplorer.Dialog();
    TGaugeTreeNode *root = FExplorer.Root();
    if (FExplorer.Busy() || !root)
        return false;
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    bool mirrored = false;
    std::vector<TGaugeTreeNode *> collected;
    for (TGaugeTreeNode *node : root->Flatten()) {
        if (!node->Checked)
            continue;
        if (node->Data.ElementType == etDirectory && mirror) {
            QDir().mkpath(base + SafeFolderPart(node->PathWithoutRoot()).replace(u'\\', u'/'));
            mirrored = true;
        } else if (IsDownloadable(node)) {
            collected.push_back(node);
        }
    }
    TGaugeTreeNode *selected = FExplorer.SelectedNode();
    if (collected.empty() && selected && IsDownloadable(selected))
        collected.push_back(selected);
    if (collected.empty()) {
        dialog.ShowStatus(NoDataText);
        dialog.Beep();
        return false;
    }
    bool complete = true;
    bool linkLost = false;
    FExplorer.BeginBusy(true);
    for (TGaugeTreeNode *node : collected) {
        if (!linkLost && DownloadElement(node, base, mirrored) == drDone)
            continue;
        complete = false;
        // A gauge that no longer answers ends the download; what is left
        // is named as not downloaded.
        if (!linkLost && !FExplorer.Resync()) {
            linkLost = true;
            dialog.ShowMessage(LinkLostText);
        }
        if (linkLost && !IncompleteElements.contains(node->Data.Name))
            NotDownloaded << node->Data.Name;
    }
    FExplorer.EndBusy();
    dialog.ShowStatus(complete ? QStringLiteral("Completed")
                               : QStringLiteral("Incomplete: ") + IncompleteElements.join(QStringLiteral(", ")));
    dialog.Beep();
    return complete;
}

TBatchDownload::TResult TBatchDownload::DownloadElement(TGaugeTreeNode *node, const QString &folder, bool mirror)
{
    if (!node || node->Overlay != ovNone || !IsDownloadable(node))
        return drSkipped;
    QString target = folder;
    if (!target.endsWith(u'/'))
        target += u'/';
    if (mirror) {
        target += SafeFolderPart(DirectoryPart(node)).replace(u'\\', u'/');
        QDir().mkpath(target);
    }
    const bool batch = node->Data.ElementType == etBatch;
    const QString fileName = FreeFileName(target, node->Data.Name, batch ? BatchExtension : QStringLiteral("zqp"));
    FExplorer.Dialog().ShowStatus(QStringLiteral("Transmitting ") + node->Data.Name);
    FExplorer.Log().SetCurrentFile(node->Data.Name);
    FRoot = node->Data.RootNode ? &node->Data.RootNode->Data : &node->Data;
    const TResult result = batch ? DownloadBatch(node, fileName) : DownloadParameterSet(node, fileName);
    if (result == drDone) {
        WrittenFiles << fileName;
        if (OnFileWritten)
            OnFileWritten(fileName);
    }
    return result;
}

void TBatchDownload::ReportIncomplete(const QString &name, const QString &fileName)
{
    IncompleteElements << name;
    FExplorer.Dialog().ShowStatus(QStringLiteral("Incomplete: ") + name);
    FExplorer.Dialog().ShowMessage(IncompleteText.arg(name, QDir::toNativeSeparators(fileName)));
}

// ---- parameters

TBatchDownload::TParamRead TBatchDownload::ReadParam(const QString &name, quint8 index)
{
    FValue = TBuffer{};
    TGauge2 &gauge = FExplorer.Gauge();
    const int entry = TGauge2::FindParam(FRoot->ParamList, name);
    if (entry < 0)
        return prFailed;
    TGauge2FileParamRead &read = gauge.FileParamRead;
    const quint8 id = FRoot->ParamList[size_t(entry)].ID;
    if (!FExplorer.Reliably([&] { return read.ReadParamValue(id, index); }))
        return prFailed;
    FValue = read.ParamValue;
    return FValue.Count() == 0 ? prEmpty : prValue;
}

bool TBatchDownload::ReadByte(const QString &name, quint8 index, int &value)
{
    if (ReadParam(name, index) != prValue)
        return false;
    value = FValue[1];
    return true;
}

bool TBatchDownload::ReadWord(const QString &name, quint8 index, int &value)
{
    if (ReadParam(name, index) != prValue)
        return false;
    value = FValue.Count() >= 2 ? FValue[1] | FValue[2] << 8 : FValue[1];
    return true;
}

bool TBatchDownload::ReadSingle(const QString &name, quint8 index, double &value)
{
    if (ReadParam(name, index) != prValue || FValue.Count() < 4)
        return false;
    value = SingleOf(FValue);
    return true;
}

bool TBatchDownload::ReadOptionalSingle(const QString &name, quint8 index, double &value)
{
    switch (ReadParam(name, index)) {
    case prFailed: return false;
    case prEmpty: return true;
    case prValue:
        if (FValue.Count() >= 4)
            value = SingleOf(FValue);
        return true;
    }
    return false;
}

// ---- batches

TBatchDownload::TResult TBatchDownload::DownloadBatch(TGaugeTreeNode *node, const QString &fileName)
{
    IUserDialog &dialog = FExplorer.Dialog();
    TBatchObject batch(fileName, &dialog);
    batch.Reset();
    if (!node->Data.HasQuickInfo())
        FExplorer.ReadQuickInfo(node);
    const TTreeData &d = node->Data;
    batch.SetText(TBatchObject::tfBatchName, d.Name);
    batch.SetText(TBatchObject::tfUser, d.User);
    if (d.CreateDateTime.isValid())
        batch.SetDate(TBatchObject::dfCreateDate, DaysFromDateTime(d.CreateDateTime));
    if (d.ChangeDateTime.isValid())
        batch.SetDate(TBatchObject::dfChangeDate, DaysFromDateTime(d.ChangeDateTime));
    batch.SetText(TBatchObject::tfGaugeModelId, d.GaugeType);
    batch.SetText(TBatchObject::tfGaugeType, FRoot->Name);
    batch.SetText(TBatchObject::tfGaugeSerial, FRoot->GaugeSerial);
    batch.SetText(TBatchObject::tfProbeType, d.SensorType);
    batch.SetText(TBatchObject::tfProbeSerial, d.SensorSerial);
    FSensorFlags = FRoot->SensorFlags;
    FTargetNumber = batch.TargetNumber();
    FCalTypeNumber = 0;
    FTimeStamp = false;

    TGaugeFileSteps &steps = FExplorer.Steps();
    const quint16 handle = quint16(d.Handle);
    bool complete = false;
    if (!FExplorer.OpenFileChecked(3, handle, 0)) {
        steps.CloseFile();
        dialog.Beep();
        dialog.ShowMessage(ReadingErrorText);
    } else {
        int seriesCount = 1;
        const bool parameters = ReadBatchParameters(node, batch, seriesCount);
        steps.CloseFile();
        complete = parameters && ReadReadings(node, batch, seriesCount);
    }
    if (!batch.SetModified(false)) {
        dialog.ShowMessage(batch.LastError());
        IncompleteElements << d.Name;
        return drFailed;
    }
    if (!complete) {
        ReportIncomplete(d.Name, fileName);
        return drFailed;
    }
    return drDone;
}

bool TBatchDownload::ReadBatchParameters(TGaugeTreeNode *node, TBatchObject &batch, int &seriesCount)
{
    Q_UNUSED(node)
    const bool group12 = FRoot->GaugeGroup == 1 || FRoot->GaugeGroup == 2;
    int value = 0;
    if (ReadParam(QStringLiteral("ParTarget"), 0) == prValue && FValue.Count() == 1)
        batch.SetInteger(TBatchObject::ifTargetNumber, FValue[1]);
    if (ReadParam(QStringLiteral("ParMeasMode"), 0) == prValue && FValue.Count() == 1)
        batch.SetInteger(TBatchObject::ifMeasMode, FValue[1]);
    if (ReadParam(QStringLiteral("ParGetTime"), 0) == prValue && FValue.Count() == 1 && FValue[1] < 2)
        batch.SetTimeStamp(FValue[1] == 1);
    FTargetNumber = batch.TargetNumber();
    FTimeStamp = batch.TimeStamp();

    seriesCount = 1;
    if (ReadByte(QStringLiteral("ParMaxBatch"), 0, value) && value >= 2 && ReadByte(QStringLiteral("ParLayer"), 0, value)) {
        if (FSensorFlags & sfUltrasonic)
            seriesCount = value > 1 ? value : 6;
        else
            seriesCount = value > 1 ? value + 1 : 1;
    }
    batch.SetInteger(TBatchObject::ifSeriesCount, seriesCount);

    const bool coating = FSensorFlags & (sfFerrous | sfNonFerrous | sfHall);
    const bool hall = FSensorFlags & sfHall;
    if (coating) {
        if (!ReadByte(QStringLiteral("CalTyp"), 0, value))
            return false;
        if (value == 0 || value == 255)
            value = 1;
        FCalTypeNumber = value;
        batch.SetInteger(TBatchObject::ifCalTypeNumber, value);
        batch.SetText(TBatchObject::tfCalTypeText, CalibrationMethodText(value, hall));
    }
    if ((FSensorFlags & sfUltrasonic) && ReadWord(QStringLiteral("ZQParSetHdl"), 0, value) && FValue.Count() == 2 && value != 0)
        batch.SetText(TBatchObject::tfCalTypeText, ParameterSetName(quint16(value)));
    if (ReadByte(QStringLiteral("ParBlkSize"), 0, value))
        batch.SetInteger(TBatchObject::ifBlockSize, value);
    else if (group12)
        return false;
    if (coating)
        return ReadSeriesLimits(batch, seriesCount) && ReadCalibrations(batch);
    return true;
}

bool TBatchDownload::ReadSeriesLimits(TBatchObject &batch, int seriesCount)
{
    const bool group12 = FRoot->GaugeGroup == 1 || FRoot->GaugeGroup == 2;
    int index = 1;
    if ((FSensorFlags & (sfFerrous | sfNonFerrous)) == (sfFerrous | sfNonFerrous))
        index = FTargetNumber > 2 ? 1 : FTargetNumber;
    for (int s = 0; s < seriesCount; ++s, ++index) {
        TStatData &series = batch.Series(s);
        double v = 0;
        if (ReadSingle(QStringLiteral("ParRough"), quint8(index), v))
            series.SetInput(siRough, v);
        else if (group12)
            return false;
        // A limit the gauge keeps no value for stays empty; only a read
        // without answer is missing.
        double hi = NoValue, lo = NoValue;
        if (!ReadOptionalSingle(QStringLiteral("ParHiLim"), quint8(index), hi)
            || !ReadOptionalSingle(QStringLiteral("ParLoLim"), quint8(index), lo))
            return false;
        if (s == 0 && seriesCount > 1)
            hi = lo = NoValue;
        series.SetInput(siUpperLimit, hi);
        series.SetInput(siLowerLimit, lo);
        v = NoValue;
        if (!ReadOptionalSingle(QStringLiteral("ParOffset"), quint8(index), v))
            return false;
        series.SetInput(siOffset, v);
        if (FCalTypeNumber == 8) {
            if (ReadSingle(QStringLiteral("ParNDFT"), quint8(index), v))
                series.SetInput(siNDFT, v);
            else if (FRoot->GaugeGroup == 3)
                return false;
        }
    }
    return true;
}

bool TBatchDownload::ReadCalibrations(TBatchObject &batch)
{
    const bool hall = FSensorFlags & sfHall;
    const int points = FRoot->GaugeGroup == 3 ? 5 : 3;
    std::vector<int> numbers = hall ? std::vector<int>{FTargetNumber + 1} : std::vector<int>{1, 2};
    TCalibrationData &cal = batch.CalibrationData();
    for (const int number : numbers) {
        const int record = number - 1;
        // An empty answer is an empty name, not a missing parameter.
        if (ReadParam(QStringLiteral("CalName"), quint8(number)) == prFailed)
            return false;
        QByteArray bytes;
        for (int k = 1; k <= FValue.Count() && FValue[k] != 0; ++k)
            bytes.append(char(FValue[k]));
        QString name = AnsiToString(bytes).left(TCalibrationData::MaxNameLength);
        if (name.isEmpty()) {
            if (number == 1 && (FSensorFlags & sfFerrous))
                name = QStringLiteral("(Ferrous)");
            else if (number == 2 && (FSensorFlags & sfNonFerrous))
                name = QStringLiteral("(Non-Fe)");
            else if (hall)
                name = QStringLiteral("(Hall)");
            else
                FExplorer.Dialog().Beep();
        }
        if (hall)
            name = QStringLiteral("Target ball ") + name;
        cal.SetName(record, name);
        // A calibration the sensor does not have answers without values;
        // only a read that gets no answer at all is missing.
        const TParamRead type = ReadParam(QStringLiteral("CalTyp"), quint8(number));
        if (type == prFailed)
            return false;
        if (type == prEmpty)
            continue;
        cal.SetType(record, FValue.Count() >= 2 ? FValue[1] | FValue[2] << 8 : FValue[1]);
        int value = 0;
        if (!ReadByte(QStringLiteral("CalAvail"), quint8(number), value))
            return false;
        cal.SetAvailable(record, value == 1 ? 1 : 0);
        for (int p = 0; p < points; ++p) {
            const TParamRead point = ReadParam(QStringLiteral("CalPnt") + QString::number(p), quint8(number));
            if (point == prFailed)
                return false;
            if (point == prEmpty || FValue.Count() < 9)
                continue;  // a point the gauge keeps no value for stays unused
            const qint32 raw = qint32(quint32(FValue[1]) | quint32(FValue[2]) << 8 | quint32(FValue[3]) << 16 | quint32(FValue[4]) << 24);
            const float thickness = SingleOf(FValue, 5);
            cal.SetPointRaw(record, p, raw);
            cal.SetPointThickness(record, p, thickness);
            cal.SetPointState(record, p, FValue[9]);
            if (raw != -1 && !std::isnan(thickness))
                cal.SetAvailable(record, 1);
        }
    }
    return true;
}

// ---- readings

bool TBatchDownload::ReadSequential(quint32 length, quint8 chunk, QByteArray &bytes, qsizetype limit)
{
    TGauge2 &gauge = FExplorer.Gauge();
    TZYKComm2Item &item = FExplorer.Connection();
    // A repeated read would deliver the next bytes: the read is repeated
    // here, after setting the position back, never by the item.
    TRetryOverride noRetries(item, 0);
    TAnswerWatch watch(item);
    IUserDialog &dialog = FExplorer.Dialog();
    bytes.clear();
    while (quint32(bytes.size()) < length) {
        if (FExplorer.Cancelled())
            return false;
        const qsizetype expected = std::min<qsizetype>(chunk, qsizetype(length) - bytes.size());
        bool answered = false;
        int delivered = -1;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
            if (attempt > 0) {
                if (!FExplorer.Resync())
                    return false;
                const int bad = watch.BadAnswers();
                if (!gauge.FilePosition.Execute(quint32(bytes.size())) || watch.BadAnswers() != bad)
                    continue;
            }
            const int bad = watch.BadAnswers();
            if (!gauge.FileRead.Execute(chunk) || watch.BadAnswers() != bad)
                continue;
            const int count = gauge.FileRead.ReadData.Count();
            // A short answer is taken when the gauge repeats it.
            answered = count == expected || (count < expected && count == delivered);
            delivered = count;
        }
        if (!answered)
            return false;
        bytes.append(reinterpret_cast<const char *>(gauge.FileRead.ReadData.ContentData()), delivered);
        if (limit >= 0 && bytes.size() > limit)
            return true;
        dialog.ShowProgress(bytes.size(), length);
        if (delivered < expected || delivered == 0)
            break;
    }
    return true;
}

bool TBatchDownload::ReadReadings(TGaugeTreeNode *node, TBatchObject &batch, int seriesCount)
{
    TGaugeFileSteps &steps = FExplorer.Steps();
    const quint16 handle = quint16(node->Data.Handle);
    const int recordSize = FTimeStamp ? 7 : 3;
    const quint8 chunk = FTimeStamp ? 28 : 30;
    for (int s = 0; s < seriesCount; ++s) {
        if (!FExplorer.OpenFileChecked(2, handle, quint8(s))) {
            steps.CloseFile();
            FExplorer.Dialog().Beep();
            FExplorer.Dialog().ShowMessage(ReadingErrorText);
            return false;
        }
        QByteArray bytes;
        const bool complete = ReadSequential(FExplorer.Gauge().FileOpen.FileSize, chunk, bytes);
        for (qsizetype at = 0; at + recordSize <= bytes.size(); at += recordSize) {
            TPackedGaugeReading packed{};
            std::memcpy(packed.data(), bytes.constData() + at, size_t(recordSize));
            batch.AddGaugeReading(s, FTimeStamp, packed);
        }
        batch.Series(s).Calculate();
        steps.CloseFile();
        if (!complete)
            return false;
    }
    return true;
}

// ---- parameter sets

TBatchDownload::TResult TBatchDownload::DownloadParameterSet(TGaugeTreeNode *node, const QString &fileName)
{
    IUserDialog &dialog = FExplorer.Dialog();
    TGaugeFileSteps &steps = FExplorer.Steps();
    if (!FExplorer.OpenFileChecked(6, quint16(node->Data.Handle), 0)) {
        steps.CloseFile();
        IncompleteElements << node->Data.Name;
        dialog.ShowMessage(ReadingErrorText);
        return drFailed;
    }
    QByteArray block;
    const quint32 length = std::max<quint32>(FExplorer.Gauge().FileOpen.FileSize, TZQParamBlock::Size);
    const bool complete = FExplorer.Gauge().FilePosition.Execute(0)
        && ReadSequential(length, ParamSetBlockChunk, block, TZQParamBlock::Size);
    const bool closed = steps.CloseFile();
    if (!closed)
        dialog.Beep();
    if (block.size() > TZQParamBlock::Size) {
        dialog.Beep();
        dialog.ShowMessage(TZQParamBlock::CopyErrorText);
        IncompleteElements << node->Data.Name;
        return drFailed;
    }
    if (!complete) {
        IncompleteElements << node->Data.Name;
        dialog.ShowMessage(ReadingErrorText);
        return drFailed;
    }
    TZQDiagramData data;
    data.Reset(FRoot->SensorVersion);
    TZQParamBlock::ToRecord(block, data);
    TZQParamFile file(&dialog);
    if (!file.Write(data, fileName)) {
        dialog.ShowMessage(file.ErrorString());
        IncompleteElements << node->Data.Name;
        return drFailed;
    }
    return drDone;
}

QString TBatchDownload::ParameterSetName(quint16 handle)
{
    if (TGaugeTreeNode *root = FExplorer.Root()) {
        for (const TGaugeTreeNode *n : root->Flatten()) {
            if (n->Data.ElementType == etParameterSet && n->Data.Handle == handle)
                return n->Data.Name;
        }
    }
    return SearchGaugeForHandle(handle);
}

QString TBatchDownload::SearchGaugeForHandle(quint16 handle)
{
    TGauge2FileTreeGet &get = FExplorer.Gauge().FileTreeGet;
    std::function<QString(quint16, bool &)> walk = [&](quint16 index, bool &found) -> QString {
        while (!FExplorer.Cancelled()) {
            if (!get.Execute(QStringLiteral("N"), index) || get.EntryStatus > 0)
                return {};
            index = get.Index;
            if (get.Handle == handle && get.Flags != 0) {
                found = true;
                return get.Name.trimmed();
            }
            if (get.Flags == etDirectory) {
                const quint16 after = index;
                if (get.Execute(QStringLiteral("D"), after) && get.EntryStatus == 0) {
                    const QString name = walk(get.Index, found);
                    if (found)
                        return name;
                }
                index = after;
            }
        }
        return {};
    };
    bool found = false;
    return walk(2, found);
}
