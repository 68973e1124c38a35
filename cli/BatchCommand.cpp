#include "CliCommand.h"

#include "app/UserDialog.h"
#include "store/batch/BatchObject.h"
#include "store/batch/ThicknessUnits.h"
#include "store/tagged/QelTextForms.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Messages of the batch object go to stderr.
class TStderrDialog : public IUserDialog
{
public:
    explicit TStderrDialog(QTextStream &err) : FErr(err) {}
    void ShowMessage(const QString &text) override { FErr << text << Qt::endl; }
    TAnswer AskQuestion(const QString &text, bool) override
    {
        FErr << text << Qt::endl;
        return TAnswer::No;
    }
    void ShowStatus(const QString &) override {}
    void ShowProgress(qint64, qint64) override {}
    void Beep() override {}

private:
    QTextStream &FErr;
};

QJsonValue Number(double value)
{
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QString DateText(double days)
{
    if (!std::isfinite(days))
        return {};
    return DateTimeFromDays(days).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QJsonValue DateValue(double days)
{
    const QString text = DateText(days);
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonArray CalibrationsJson(const TCalibrationData &calibrations)
{
    QJsonArray list;
    for (int record = 0; record < TCalibrationData::RecordCount; ++record) {
        QJsonArray points;
        for (int point = 0; point < TCalibrationData::PointCount; ++point) {
            points.append(QJsonObject{{"raw", calibrations.PointRaw(record, point)},
                                      {"thickness", Number(calibrations.PointThickness(record, point))},
                                      {"state", calibrations.PointState(record, point)}});
        }
        list.append(QJsonObject{{"name", calibrations.Name(record)},
                                {"available", calibrations.Available(record) != 0},
                                {"type", calibrations.Type(record)},
                                {"points", points}});
    }
    return list;
}

QJsonObject StatsJson(const TStatData &s)
{
    return QJsonObject{
        {"count", s.Count}, {"aboveCount", s.AboveCount}, {"withinCount", s.WithinCount},
        {"belowCount", s.BelowCount}, {"abovePercent", Number(s.AbovePercent)},
        {"withinPercent", Number(s.WithinPercent)}, {"belowPercent", Number(s.BelowPercent)},
        {"aboveText", s.AboveText}, {"withinText", s.WithinText}, {"belowText", s.BelowText},
        {"mean", Number(s.Mean)}, {"stdDev", Number(s.StdDev)}, {"cv", Number(s.CV)}, {"cp", Number(s.Cp)},
        {"cpk", Number(s.Cpk)}, {"limitRange", Number(s.LimitRange)}, {"min", Number(s.Min)},
        {"minPos", s.MinPos}, {"max", Number(s.Max)}, {"maxPos", s.MaxPos}, {"range", Number(s.Range)},
        {"median", Number(s.Median)}, {"rule9010", s.Rule9010}};
}

QJsonObject SeriesJson(const TStatData &s, bool withReadings)
{
    QJsonArray notes;
    for (const TReadingNote &note : s.Notes)
        notes.append(QJsonArray{QString(QLatin1Char(note.Kind)), note.Index, note.Text});
    QJsonObject object{{"upperLimit", Number(s.UpperLimit)}, {"lowerLimit", Number(s.LowerLimit)},
                       {"offset", Number(s.Offset)}, {"rough", Number(s.Rough)}, {"ndft", Number(s.NDFT)},
                       {"readingCount", static_cast<qint64>(s.Readings.size())}, {"notes", notes},
                       {"stats", StatsJson(s)}};
    if (withReadings) {
        QJsonArray readings;
        for (const TReadingRecord &r : s.Readings)
            readings.append(QJsonArray{Number(r.Value), r.Flags, r.CalNumber});
        object.insert("readings", readings);
    }
    return object;
}

QJsonObject BatchJson(const TBatchObject &batch, bool withReadings)
{
    QJsonArray pictures;
    for (const TBatchPicture &picture : batch.Pictures())
        pictures.append(QJsonObject{{"name", picture.Name}, {"size", static_cast<qint64>(picture.Data.size())}});
    QJsonArray series;
    for (const TStatData &s : batch.Series())
        series.append(SeriesJson(s, withReadings));
    return QJsonObject{
        {"file", batch.FileName()}, {"fileType", AnsiToString(batch.FileType())},
        {"fileVersion", AnsiToString(batch.FileVersion())}, {"batchName", batch.BatchName()},
        {"user", batch.User()}, {"createDate", DateValue(batch.CreateDate())},
        {"changeDate", DateValue(batch.ChangeDate())}, {"gaugeModelId", batch.GaugeModelId()},
        {"gaugeType", batch.GaugeType()}, {"gaugeSerial", batch.GaugeSerial()}, {"probeType", batch.ProbeType()},
        {"probeClass", batch.ProbeClass()}, {"probeSerial", batch.ProbeSerial()},
        {"calTypeText", batch.CalTypeText()}, {"calTypeNumber", batch.CalTypeNumber()},
        {"blockSize", batch.BlockSize()}, {"targetNumber", batch.TargetNumber()}, {"measMode", batch.MeasMode()},
        {"timeStamp", batch.TimeStamp()}, {"graphic", batch.Graphic()},
        {"dataLoggingMode", batch.DataLoggingMode()}, {"measuringRate", batch.MeasuringRate()},
        {"notesSize", static_cast<qint64>(batch.Notes().size())}, {"pictures", pictures},
        {"calibrations", CalibrationsJson(batch.CalibrationData())}, {"series", series}};
}

QString Thickness(double value, int extraDecimals)
{
    const QString text = FormatThickness(value, extraDecimals, TThicknessFormat()).Text;
    return text.isEmpty() ? QStringLiteral("---") : text;
}

void PrintLine(QTextStream &out, const char *label, const QString &value)
{
    out << QString::fromLatin1(label).leftJustified(26) << value << '\n';
}

void PrintSummary(QTextStream &out, const TBatchObject &batch, bool withReadings)
{
    PrintLine(out, "File", batch.FileName());
    PrintLine(out, "Layout", AnsiToString(batch.FileVersion()));
    PrintLine(out, "Batch", batch.BatchName());
    PrintLine(out, "User", batch.User());
    PrintLine(out, "Created", DateText(batch.CreateDate()));
    PrintLine(out, "Changed", DateText(batch.ChangeDate()));
    PrintLine(out, "Gauge", QStringLiteral("%1 (%2) serial %3").arg(batch.GaugeType(), batch.GaugeModelId(),
                                                                     batch.GaugeSerial()));
    PrintLine(out, "Probe", QStringLiteral("%1 (class %2) serial %3")
                                .arg(batch.ProbeType()).arg(batch.ProbeClass()).arg(batch.ProbeSerial()));
    PrintLine(out, "Calibration", QStringLiteral("%1 (%2)").arg(batch.CalTypeText()).arg(batch.CalTypeNumber()));
    PrintLine(out, "Block size", QString::number(batch.BlockSize()));
    PrintLine(out, "Target", QString::number(batch.TargetNumber()));
    PrintLine(out, "Measuring mode", QString::number(batch.MeasMode()));
    PrintLine(out, "Time stamps", batch.TimeStamp() ? QStringLiteral("yes") : QStringLiteral("no"));
    PrintLine(out, "Pictures", QString::number(batch.Pictures().size()));
    PrintLine(out, "Notes", QStringLiteral("%1 bytes").arg(batch.Notes().size()));

    for (int i = 0; i < batch.SeriesCount(); ++i) {
        const TStatData &s = batch.Series(i);
        out << '\n' << (batch.SeriesCount() > 1 && i == 0 ? QStringLiteral("Total") : QStringLiteral("Series %1").arg(i))
            << '\n';
        PrintLine(out, "  Readings", QString::number(s.Readings.size()));
        PrintLine(out, "  Upper limit", Thickness(s.UpperLimit, 0));
        PrintLine(out, "  Lower limit", Thickness(s.LowerLimit, 0));
        PrintLine(out, "  NDFT", Thickness(s.NDFT, 0));
        PrintLine(out, "  Offset", Thickness(s.Offset, 0));
        PrintLine(out, "  Roughness", Thickness(s.Rough, 0));
        PrintLine(out, "  Count", QString::number(s.Count));
        PrintLine(out, "  Mean", s.Count ? Thickness(s.Mean, 1) : QStringLiteral("---"));
        PrintLine(out, "  Std. deviation", s.Count ? Thickness(s.StdDev, 1) : QStringLiteral("---"));
        PrintLine(out, "  CV", s.Count ? QString::number(s.CV, 'f', 1) + QLatin1String(" %") : QStringLiteral("---"));
        PrintLine(out, "  Cp / Cpk", std::isnan(s.Cp) ? QStringLiteral("---")
                                                      : QStringLiteral("%1 / %2").arg(s.Cp, 0, 'f', 2).arg(s.Cpk, 0, 'f', 2));
        PrintLine(out, "  Minimum", s.Count ? QStringLiteral("%1 (#%2)").arg(Thickness(s.Min, 0)).arg(s.MinPos)
                                            : QStringLiteral("---"));
        PrintLine(out, "  Maximum", s.Count ? QStringLiteral("%1 (#%2)").arg(Thickness(s.Max, 0)).arg(s.MaxPos)
                                            : QStringLiteral("---"));
        PrintLine(out, "  Range", s.Count ? Thickness(s.Range, 0) : QStringLiteral("---"));
        PrintLine(out, "  Median", s.Count ? Thickness(s.Median, 1) : QStringLiteral("---"));
        PrintLine(out, "  Above / within / below",
                  QStringLiteral("%1 / %2 / %3").arg(s.AboveText, s.WithinText, s.BelowText));
        if (!IsNoValue(s.NDFT))
            PrintLine(out, "  90/10 rule", s.Rule9010 ? QStringLiteral("passed") : QStringLiteral("failed"));
        if (withReadings) {
            for (std::size_t r = 0; r < s.Readings.size(); ++r) {
                const TReadingRecord &reading = s.Readings[r];
                out << "    " << QString::number(r + 1).rightJustified(6) << "  "
                    << Thickness(reading.Value, 0).leftJustified(14) << " flags " << reading.Flags << " cal "
                    << reading.CalNumber << '\n';
            }
        }
    }
}

// Loads an existing batch file; nullptr (and a message) when it is missing or unreadable.
std::unique_ptr<TBatchObject> LoadBatch(TCliContext &context, const QString &path, IUserDialog &dialog)
{
    if (!QFileInfo(path).isFile()) {
        context.err << "No such batch file: " << path << Qt::endl;
        return nullptr;
    }
    auto batch = std::make_unique<TBatchObject>(path, &dialog);
    if (batch->FileRejected())
        return nullptr;
    return batch;
}

int RunShow(TCliContext &context)
{
    const bool withReadings = context.TakeFlag(QStringLiteral("--readings"));
    const bool json = context.TakeFlag(QStringLiteral("--json")) || context.json;
    if (!context.NoUnknownOptions() || context.args.size() != 1) {
        context.err << "Usage: batch show FILE [--json] [--readings]" << Qt::endl;
        return cliUsage;
    }
    TStderrDialog dialog(context.err);
    const auto batch = LoadBatch(context, context.args[0], dialog);
    if (!batch)
        return cliFailed;
    if (json)
        context.out << QJsonDocument(BatchJson(*batch, withReadings)).toJson(QJsonDocument::Indented);
    else
        PrintSummary(context.out, *batch, withReadings);
    return cliOk;
}

int RunResave(TCliContext &context)
{
    if (!context.NoUnknownOptions() || context.args.size() != 2) {
        context.err << "Usage: batch resave FILE OUT" << Qt::endl;
        return cliUsage;
    }
    TStderrDialog dialog(context.err);
    const auto batch = LoadBatch(context, context.args[0], dialog);
    if (!batch)
        return cliFailed;
    if (!batch->SaveAs(context.args[1])) {
        context.err << batch->LastError() << Qt::endl;
        return cliFailed;
    }
    return cliOk;
}

int RunBatch(TCliContext &context)
{
    const QString sub = context.args.isEmpty() ? QString() : context.args.takeFirst();
    if (sub == QLatin1String("show"))
        return RunShow(context);
    if (sub == QLatin1String("resave"))
        return RunResave(context);
    context.err << "Usage: batch show FILE [--json] [--readings] | batch resave FILE OUT" << Qt::endl;
    return cliUsage;
}

TCliCommandRegistrar registrar(QStringLiteral("batch"),
                               QStringLiteral("batch show FILE [--json] [--readings] | resave FILE OUT"),
                               QStringLiteral("Show a batch file with its statistics, or load and save it anew"),
                               RunBatch);

} // namespace
