#include "Scenario.h"

#include "FaultPlan.h"
#include "GaugeModel.h"
#include "ReadingPacking.h"

#include "store/ultrasonic/ZQParamBlock.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <bit>
#include <cmath>

using namespace SimPacking;

namespace {

QDateTime Date(const QJsonValue &value, const QDateTime &fallback)
{
    const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODate);
    return date.isValid() ? date : fallback;
}

QJsonValue DateJson(const QDateTime &date)
{
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue();
}

QByteArray SingleBytes(double value)
{
    QByteArray out;
    AppendDword(out, std::bit_cast<quint32>(float(value)));
    return out;
}

double SingleValue(const QByteArray &bytes)
{
    return double(std::bit_cast<float>(Dword(bytes, 0)));
}

quint32 Number(const QByteArray &bytes)
{
    quint32 value = 0;
    for (int i = int(bytes.size()) - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes[i]);
    return value;
}

// "Name" or "Name[3]".
bool SplitKey(const QString &key, QString &name, int &index)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z0-9]+)(?:\\[(\\d+)\\])?$"));
    const QRegularExpressionMatch match = pattern.match(key);
    if (!match.hasMatch())
        return false;
    name = match.captured(1);
    index = match.captured(2).isEmpty() ? 0 : match.captured(2).toInt();
    return index < 256;
}

bool ParamBytes(const TSimParamDef &def, const QJsonValue &value, QByteArray &out)
{
    out.clear();
    switch (def.Type) {
    case sptByte:
    case sptWord: {
        if (!value.isDouble())
            return false;
        const qint64 number = qint64(value.toDouble());
        out.append(char(number & 0xFF));
        if (def.Type == sptWord)
            out.append(char((number >> 8) & 0xFF));
        return true;
    }
    case sptSingle:
        if (!value.isDouble())
            return false;
        out = SingleBytes(value.toDouble());
        return true;
    case sptCalPoint: {
        const QJsonObject point = value.toObject();
        if (point.isEmpty())
            return false;
        AppendDword(out, quint32(qint32(point.value(QStringLiteral("raw")).toInteger(-1))));
        out += SingleBytes(point.value(QStringLiteral("um")).toDouble());
        out.append(char(point.value(QStringLiteral("state")).toInt(1)));
        return true;
    }
    default:
        if (!value.isString())
            return false;
        out = value.toString().toLatin1();
        return true;
    }
}

QJsonValue ParamJson(const TSimParamDef &def, const QByteArray &bytes)
{
    switch (def.Type) {
    case sptByte:
    case sptWord:
        return qint64(Number(bytes));
    case sptSingle:
        return SingleValue(bytes);
    case sptCalPoint:
        return QJsonObject{{QStringLiteral("raw"), qint32(Dword(bytes, 0))},
                           {QStringLiteral("um"), SingleValue(bytes.mid(4, 4))},
                           {QStringLiteral("state"), bytes.size() > 8 ? quint8(bytes[8]) : 0}};
    default:
        return QString::fromLatin1(bytes);
    }
}

// A small deterministic generator, so scenarios give the same readings on every run.
class TReadingGenerator
{
public:
    explicit TReadingGenerator(quint32 seed) : FState(seed ? seed : 1) {}
    double Uniform()
    {
        FState = FState * 1664525u + 1013904223u;
        return double(FState >> 8) / double(1u << 24);
    }
    double Normal()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += Uniform();
        return sum - 6;
    }

private:
    quint32 FState;
};

struct TSeriesReadings
{
    int Number = 0;
    QVector<TReading> Readings;
    QVector<QDateTime> Times;
};

class TLoader
{
public:
    explicit TLoader(TGaugeModel &model) : M(model) {}

    bool Run(const QJsonObject &json);
    QString Error;

private:
    bool Fail(const QString &why)
    {
        if (Error.isEmpty())
            Error = why;
        return false;
    }
    void Reserve(const QJsonArray &entries);
    quint16 Handle(const QJsonObject &entry);
    bool Entries(const QJsonArray &entries, quint16 listHead);
    bool Batch(const QJsonObject &json, quint16 listHead);
    bool ParameterSet(const QJsonObject &json, quint16 listHead);
    bool Parameters(const QJsonObject &json, TSimFile &file, const QString &where);
    bool Series(const QJsonArray &json, quint16 handle, bool timeStamps, const QDateTime &created,
                const QString &where);

    TGaugeModel &M;
    QSet<quint16> FReserved;
    quint16 FNextHandle = 20;
};

void TLoader::Reserve(const QJsonArray &entries)
{
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        if (entry.contains(QStringLiteral("handle")))
            FReserved.insert(quint16(entry.value(QStringLiteral("handle")).toInt()));
        Reserve(entry.value(QStringLiteral("entries")).toArray());
    }
}

quint16 TLoader::Handle(const QJsonObject &entry)
{
    if (entry.contains(QStringLiteral("handle")))
        return quint16(entry.value(QStringLiteral("handle")).toInt());
    while (FReserved.contains(FNextHandle) || FNextHandle == MaterialHandle || M.HandleInUse(FNextHandle))
        ++FNextHandle;
    return FNextHandle++;
}

bool TLoader::Run(const QJsonObject &json)
{
    const QJsonObject gauge = json.value(QStringLiteral("gauge")).toObject();
    M.ModelText = gauge.value(QStringLiteral("model")).toString(M.ModelText);
    M.GaugeName = gauge.value(QStringLiteral("name")).toString(M.GaugeName);
    M.GaugeSerial = gauge.value(QStringLiteral("serial")).toString(M.GaugeSerial);
    M.Firmware = gauge.value(QStringLiteral("firmware")).toString(M.Firmware);
    M.UnitText = gauge.value(QStringLiteral("unit")).toString(M.UnitText);
    M.Compact = gauge.value(QStringLiteral("compact")).toBool(false);
    M.Display = gauge.value(QStringLiteral("display")).toString() == QLatin1String("grey") ? sdkGrey : sdkMono;
    M.TreeCapacity = gauge.value(QStringLiteral("treeCapacity")).toInt(512);
    const QJsonArray offsets = gauge.value(QStringLiteral("usageOffset")).toArray();
    for (int i = 0; i < 3 && i < offsets.size(); ++i)
        M.UsageOffset[i] = offsets[i].toInt();
    const QJsonObject gaugeInfo = gauge.value(QStringLiteral("info")).toObject();
    for (auto it = gaugeInfo.begin(); it != gaugeInfo.end(); ++it)
        M.GaugeInfo.insert(it.key(), it.value().toString());

    const QJsonObject sensor = json.value(QStringLiteral("sensor")).toObject();
    M.SensorName = sensor.value(QStringLiteral("name")).toString(M.SensorName);
    M.SensorSerial = sensor.value(QStringLiteral("serial")).toString(M.SensorSerial);
    M.SensorVersion = sensor.value(QStringLiteral("version")).toString(M.SensorVersion);
    M.SensorMode = sensor.value(QStringLiteral("mode")).toString();
    M.SensorModeValue = sensor.value(QStringLiteral("modeValue")).toInt();
    const QJsonObject sensorInfo = sensor.value(QStringLiteral("info")).toObject();
    for (auto it = sensorInfo.begin(); it != sensorInfo.end(); ++it)
        M.SensorInfo.insert(it.key(), it.value().toString());
    for (const QJsonValue &ball : sensor.value(QStringLiteral("targetBalls")).toArray())
        M.TargetBalls.append(ball.toString());

    const QJsonObject eeprom = json.value(QStringLiteral("eeprom")).toObject();
    for (auto it = eeprom.begin(); it != eeprom.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        M.Eeprom.insert(it.key(), {quint8(entry.value(QStringLiteral("address")).toInt()),
                                   quint8(entry.value(QStringLiteral("value")).toInt())});
    }

    const QJsonArray table = json.value(QStringLiteral("parameterTable")).toArray();
    if (table.isEmpty()) {
        M.ParamTable = TGaugeModel::DefaultParamTable(M.Compact, M.SensorFlags());
    } else {
        M.ParamTable.clear();
        for (const QJsonValue &value : table) {
            const QJsonObject def = value.toObject();
            M.ParamTable.append({def.value(QStringLiteral("name")).toString(),
                                 quint8(def.value(QStringLiteral("type")).toInt(sptByte)),
                                 quint16(def.value(QStringLiteral("size")).toInt(1)),
                                 quint8(def.value(QStringLiteral("id")).toInt(M.ParamTable.size() + 1))});
        }
    }

    const QJsonArray tree = json.value(QStringLiteral("tree")).toArray();
    Reserve(tree);
    if (!Entries(tree, RootHead))
        return false;

    const QJsonArray materials = json.value(QStringLiteral("materials")).toArray();
    if (!materials.isEmpty()) {
        QVector<QPair<QString, int>> list;
        for (const QJsonValue &value : materials)
            list.append({value[QStringLiteral("name")].toString(), value[QStringLiteral("speed")].toInt(65535)});
        M.SetMaterials(list);
    }
    for (const QJsonValue &value : json.value(QStringLiteral("files")).toArray()) {
        const QJsonObject file = value.toObject();
        const TSimFileKey key{quint8(file.value(QStringLiteral("type")).toInt()),
                              quint16(file.value(QStringLiteral("handle")).toInt()),
                              quint8(file.value(QStringLiteral("number")).toInt())};
        M.CreateFile(key).Data = QByteArray::fromHex(file.value(QStringLiteral("hex")).toString().toLatin1());
    }

    const QString active = json.value(QStringLiteral("activeBatch")).toString();
    if (!active.isEmpty()) {
        const int index = M.FindByPath(active);
        if (!index)
            return Fail(QStringLiteral("activeBatch \"%1\" is not in the tree").arg(active));
        M.ActiveBatch = quint16(index);
    }
    const QJsonObject state = json.value(QStringLiteral("state")).toObject();
    M.SessionCounter = quint8(state.value(QStringLiteral("sessionCounter")).toInt(1));
    M.ErrorByte = quint8(state.value(QStringLiteral("errorByte")).toInt(0));
    M.PcMode = state.value(QStringLiteral("pcMode")).toBool(false);
    M.LastReading = state.value(QStringLiteral("lastReading")).toDouble(0);
    M.ReadingsMeasured = state.value(QStringLiteral("readingsMeasured")).toInt(0);
    if (!state.contains(QStringLiteral("lastReading")) && M.IsLive(M.ActiveBatch)) {
        // The display starts with the active batch's last reading.
        const quint16 handle = M.Slots()[M.ActiveBatch].Handle;
        const TSimFile *readings = M.File({2, handle, 0});
        const int size = M.TimeStamps(handle) ? 7 : 3;
        if (readings && readings->Data.size() >= size) {
            const TReading last = UnpackReading(
                reinterpret_cast<const quint8 *>(readings->Data.constData() + (readings->Data.size() / size - 1) * size));
            M.LastReading = last.Micrometres.value_or(0);
            M.ReadingsMeasured = int(M.ReadingCount(handle));
        }
    }
    return true;
}

bool TLoader::Entries(const QJsonArray &entries, quint16 listHead)
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        if (entry.contains(QStringLiteral("directory"))) {
            if (M.Compact)
                return Fail(QStringLiteral("a compact gauge has no directories"));
            const quint16 index = M.AddEntry(listHead, setDirectory, entry.value(QStringLiteral("directory")).toString(),
                                             NoHandle, Date(entry.value(QStringLiteral("created")), now),
                                             Date(entry.value(QStringLiteral("changed")), now));
            if (!Entries(entry.value(QStringLiteral("entries")).toArray(), M.Slots()[index].ListHead))
                return false;
        } else if (entry.contains(QStringLiteral("batch"))) {
            if (!Batch(entry, listHead))
                return false;
        } else if (entry.contains(QStringLiteral("parameterSet"))) {
            if (!ParameterSet(entry, listHead))
                return false;
        } else {
            return Fail(QStringLiteral("a tree entry needs \"directory\", \"batch\" or \"parameterSet\""));
        }
        if (int(M.Slots().size()) - 1 > M.TreeCapacity)
            return Fail(QStringLiteral("the tree holds more entries than treeCapacity"));
    }
    return true;
}

bool TLoader::Batch(const QJsonObject &json, quint16 listHead)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = json.value(QStringLiteral("batch")).toString();
    const quint16 handle = Handle(json);
    const QDateTime created = Date(json.value(QStringLiteral("created")), now);
    M.AddEntry(listHead, setBatch, name, handle, created, Date(json.value(QStringLiteral("changed")), created),
               json.value(QStringLiteral("user")).toString());
    if (json.value(QStringLiteral("empty")).toBool(false))
        return true;
    TSimFile &parameters = M.CreateFile({3, handle, 0});
    if (!Parameters(json.value(QStringLiteral("parameters")).toObject(), parameters, name))
        return false;
    return Series(json.value(QStringLiteral("series")).toArray(), handle, M.TimeStamps(handle), created, name);
}

bool TLoader::Parameters(const QJsonObject &json, TSimFile &file, const QString &where)
{
    for (auto it = json.begin(); it != json.end(); ++it) {
        QString name;
        int index = 0;
        if (!SplitKey(it.key(), name, index))
            return Fail(QStringLiteral("%1: bad parameter key \"%2\"").arg(where, it.key()));
        const TSimParamDef *def = M.ParamByName(name);
        if (!def)
            return Fail(QStringLiteral("%1: \"%2\" is not in the parameter table").arg(where, name));
        QByteArray bytes;
        if (!ParamBytes(*def, it.value(), bytes) || M.WriteParam(file, def->Id, quint8(index), bytes) != seNone)
            return Fail(QStringLiteral("%1: bad value for \"%2\"").arg(where, it.key()));
    }
    return true;
}

bool TLoader::Series(const QJsonArray &json, quint16 handle, bool timeStamps, const QDateTime &created,
                     const QString &where)
{
    QVector<TSeriesReadings> all;
    QVector<QJsonArray> sums;
    for (int s = 0; s < json.size(); ++s) {
        const QJsonObject series = json[s].toObject();
        TSeriesReadings out;
        out.Number = series.value(QStringLiteral("number")).toInt(s);
        const int calibration = series.value(QStringLiteral("calibration")).toInt(1);
        for (const QJsonValue &value : series.value(QStringLiteral("readings")).toArray()) {
            TReading reading;
            reading.Calibration = calibration;
            if (value.isObject()) {
                const QJsonObject object = value.toObject();
                if (object.contains(QStringLiteral("um")))
                    reading.Micrometres = object.value(QStringLiteral("um")).toDouble();
                reading.Valid = object.value(QStringLiteral("valid")).toBool(reading.Micrometres.has_value());
                reading.Calibration = object.value(QStringLiteral("cal")).toInt(calibration);
            } else if (value.isDouble()) {
                reading.Micrometres = value.toDouble();
            } else {
                reading.Valid = false;
            }
            out.Readings.append(reading);
        }
        const QJsonObject generate = series.value(QStringLiteral("generate")).toObject();
        if (!generate.isEmpty()) {
            TReadingGenerator random(quint32(generate.value(QStringLiteral("seed")).toInt(1)));
            const double mean = generate.value(QStringLiteral("mean")).toDouble(100);
            const double spread = generate.value(QStringLiteral("spread")).toDouble(5);
            const int count = generate.value(QStringLiteral("count")).toInt();
            for (int i = 0; i < count; ++i) {
                TReading reading;
                reading.Calibration = calibration;
                reading.Micrometres = std::round((mean + spread * random.Normal()) * 10) / 10;
                out.Readings.append(reading);
            }
        }
        sums.append(series.value(QStringLiteral("sumOf")).toArray());
        const QJsonValue stamps = series.value(QStringLiteral("timestamps"));
        QDateTime start = created;
        int interval = 5;
        if (stamps.isObject()) {
            start = Date(stamps[QStringLiteral("start")], created);
            interval = stamps[QStringLiteral("intervalSeconds")].toInt(5);
        }
        const QJsonArray given = stamps.toArray();
        for (int i = 0; i < out.Readings.size(); ++i)
            out.Times.append(i < given.size() ? Date(given[i], start) : start.addSecs(qint64(i) * interval));
        all.append(out);
    }
    for (int s = 0; s < all.size(); ++s) {
        if (sums[s].isEmpty())
            continue;
        QVector<TReading> total;
        for (const QJsonValue &part : sums[s]) {
            const int number = part.toInt();
            const auto source = std::find_if(all.cbegin(), all.cend(),
                                             [number](const TSeriesReadings &r) { return r.Number == number; });
            if (source == all.cend())
                return Fail(QStringLiteral("%1: sumOf names a missing series %2").arg(where).arg(number));
            for (int i = 0; i < source->Readings.size(); ++i) {
                if (i >= total.size())
                    total.append(source->Readings[i]);
                else if (total[i].Micrometres && source->Readings[i].Micrometres)
                    *total[i].Micrometres += *source->Readings[i].Micrometres;
            }
        }
        all[s].Readings = total;
        all[s].Times.resize(total.size());
        for (int i = 0; i < total.size(); ++i)
            all[s].Times[i] = all[s].Times.value(i - 1, created).addSecs(i ? 5 : 0);
    }
    for (const TSeriesReadings &series : all) {
        QByteArray data;
        for (int i = 0; i < series.Readings.size(); ++i) {
            data += PackReading(series.Readings[i]);
            if (timeStamps)
                AppendDword(data, DateTimeWord(series.Times[i]));
        }
        M.CreateFile({2, handle, quint8(series.Number)}).Data = data;
    }
    return true;
}

bool TLoader::ParameterSet(const QJsonObject &json, quint16 listHead)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = json.value(QStringLiteral("parameterSet")).toString();
    const quint16 handle = Handle(json);
    const QDateTime created = Date(json.value(QStringLiteral("created")), now);
    M.AddEntry(listHead, setParamSet, name, handle, created, Date(json.value(QStringLiteral("changed")), created),
               json.value(QStringLiteral("user")).toString());
    if (json.contains(QStringLiteral("block"))) {
        const QByteArray block = QByteArray::fromHex(json.value(QStringLiteral("block")).toString().toLatin1());
        if (block.size() > TZQParamBlock::Size)
            return Fail(QStringLiteral("%1: the block holds more than 401 bytes").arg(name));
        M.CreateFile({6, handle, 0}).Data = block;
        return true;
    }
    const QJsonObject set = json.value(QStringLiteral("set")).toObject();
    auto data = std::make_unique<TZQDiagramData>();
    data->Reset(M.SensorVersion);
    data->Name = name;
    data->User = json.value(QStringLiteral("user")).toString();
    data->Range = quint8(set.value(QStringLiteral("range")).toInt(data->Range));
    data->LayerMax = quint8(set.value(QStringLiteral("layerMax")).toInt(data->LayerMax));
    data->Analyse = quint8(set.value(QStringLiteral("analyse")).toInt(data->Analyse));
    data->CouplingMode = quint8(set.value(QStringLiteral("couplingMode")).toInt(data->CouplingMode));
    data->CouplingTimeMax = set.value(QStringLiteral("couplingTimeMax")).toDouble(data->CouplingTimeMax);
    data->ClipMode = quint8(set.value(QStringLiteral("clipMode")).toInt(data->ClipMode));
    data->PosGlobalClip = set.value(QStringLiteral("posGlobalClip")).toDouble(data->PosGlobalClip);
    data->NegGlobalClip = set.value(QStringLiteral("negGlobalClip")).toDouble(data->NegGlobalClip);
    data->Optimize = set.value(QStringLiteral("optimize")).toBool(data->Optimize);
    data->SuppressMultiEchos = set.value(QStringLiteral("suppressMultiEchos")).toBool(data->SuppressMultiEchos);
    const QJsonArray layers = set.value(QStringLiteral("layers")).toArray();
    for (int i = 0; i < layers.size() && i < kZQLayerCount; ++i) {
        const QJsonObject layer = layers[i].toObject();
        data->Material[std::size_t(i)] = layer.value(QStringLiteral("material")).toString();
        data->Speed[std::size_t(i)] = layer.value(QStringLiteral("speed")).toDouble(data->Speed[std::size_t(i)]);
        TZQExpDomain &exp = data->Exp[std::size_t(i)];
        exp.ExpStart = layer.value(QStringLiteral("expStart")).toDouble(0);
        exp.ExpEnd = layer.value(QStringLiteral("expEnd")).toDouble(0);
        exp.ExpEnable = exp.ExpEnd > exp.ExpStart;
    }
    M.CreateFile({6, handle, 0}).Data = TZQParamBlock::FromRecord(*data, handle);
    return true;
}

// Saving.

QJsonObject SaveParameters(const TGaugeModel &model, const TSimFile &file)
{
    QJsonObject json;
    for (const auto &[key, bytes] : file.Params) {
        const TSimParamDef *def = model.ParamById(key.first);
        if (!def)
            continue;
        const QString name = key.second ? QStringLiteral("%1[%2]").arg(def->Name).arg(key.second) : def->Name;
        json.insert(name, ParamJson(*def, bytes));
    }
    return json;
}

QJsonArray SaveSeries(const TGaugeModel &model, quint16 handle)
{
    QJsonArray list;
    const int recordSize = model.TimeStamps(handle) ? 7 : 3;
    for (const auto &[key, file] : model.Files()) {
        if (key.Type != 2 || key.Handle != handle)
            continue;
        QJsonArray readings, times;
        for (int at = 0; at + recordSize <= file.Data.size(); at += recordSize) {
            const TReading reading = UnpackReading(reinterpret_cast<const quint8 *>(file.Data.constData() + at));
            if (!reading.Micrometres)
                readings.append(QJsonValue());
            else if (reading.Valid && reading.Calibration == 1)
                readings.append(*reading.Micrometres);
            else
                readings.append(QJsonObject{{QStringLiteral("um"), *reading.Micrometres},
                                            {QStringLiteral("valid"), reading.Valid},
                                            {QStringLiteral("cal"), reading.Calibration}});
            if (recordSize == 7)
                times.append(DateJson(DateTimeFromWord(Dword(file.Data, at + 3))));
        }
        QJsonObject series{{QStringLiteral("number"), key.Number}, {QStringLiteral("readings"), readings}};
        if (recordSize == 7)
            series.insert(QStringLiteral("timestamps"), times);
        list.append(series);
    }
    return list;
}

QJsonArray SaveList(const TGaugeModel &model, quint16 head)
{
    QJsonArray list;
    for (quint16 index : model.Slots()[head].Children) {
        const TSimEntry &entry = model.Slots()[index];
        QJsonObject json;
        json.insert(QStringLiteral("index"), index);
        json.insert(QStringLiteral("created"), DateJson(entry.Created));
        json.insert(QStringLiteral("changed"), DateJson(entry.Changed));
        if (!entry.User.isEmpty())
            json.insert(QStringLiteral("user"), entry.User);
        if (entry.Type == setDirectory) {
            json.insert(QStringLiteral("directory"), entry.Name);
            json.insert(QStringLiteral("entries"), SaveList(model, entry.ListHead));
        } else if (entry.Type == setBatch) {
            json.insert(QStringLiteral("batch"), entry.Name);
            json.insert(QStringLiteral("handle"), entry.Handle);
            const TSimFile *parameters = model.File({3, entry.Handle, 0});
            const QJsonArray series = SaveSeries(model, entry.Handle);
            if (!parameters && series.isEmpty()) {
                json.insert(QStringLiteral("empty"), true);
            } else {
                if (parameters)
                    json.insert(QStringLiteral("parameters"), SaveParameters(model, *parameters));
                json.insert(QStringLiteral("series"), series);
            }
        } else if (entry.Type == setParamSet) {
            json.insert(QStringLiteral("parameterSet"), entry.Name);
            json.insert(QStringLiteral("handle"), entry.Handle);
            if (const TSimFile *block = model.File({6, entry.Handle, 0}))
                json.insert(QStringLiteral("block"), QString::fromLatin1(block->Data.toHex()));
        }
        list.append(json);
    }
    return list;
}

} // namespace

bool TScenario::Load(const QJsonObject &json, TGaugeModel &model, TFaultPlan &faults, QString *error)
{
    TLoader loader(model);
    QStringList rules;
    for (const QJsonValue &rule : json.value(QStringLiteral("faults")).toArray())
        rules.append(rule.toString());
    QString why;
    if (!faults.AddAll(rules, &why) || !loader.Run(json)) {
        if (error)
            *error = why.isEmpty() ? loader.Error : why;
        return false;
    }
    return true;
}

QJsonObject TScenario::Save(const TGaugeModel &m)
{
    QJsonObject info, sensorInfo, eeprom;
    for (auto it = m.GaugeInfo.cbegin(); it != m.GaugeInfo.cend(); ++it)
        info.insert(it.key(), it.value());
    for (auto it = m.SensorInfo.cbegin(); it != m.SensorInfo.cend(); ++it)
        sensorInfo.insert(it.key(), it.value());
    for (auto it = m.Eeprom.cbegin(); it != m.Eeprom.cend(); ++it)
        eeprom.insert(it.key(), QJsonObject{{QStringLiteral("address"), it->Address}, {QStringLiteral("value"), it->Value}});
    QJsonObject gauge{{QStringLiteral("model"), m.ModelText},
                      {QStringLiteral("name"), m.GaugeName},
                      {QStringLiteral("serial"), m.GaugeSerial},
                      {QStringLiteral("firmware"), m.Firmware},
                      {QStringLiteral("unit"), m.UnitText},
                      {QStringLiteral("compact"), m.Compact},
                      {QStringLiteral("display"), m.Display == sdkGrey ? QStringLiteral("grey") : QStringLiteral("mono")},
                      {QStringLiteral("treeCapacity"), m.TreeCapacity},
                      {QStringLiteral("usageOffset"), QJsonArray{m.UsageOffset[0], m.UsageOffset[1], m.UsageOffset[2]}},
                      {QStringLiteral("info"), info}};
    QJsonObject sensor{{QStringLiteral("name"), m.SensorName},
                       {QStringLiteral("serial"), m.SensorSerial},
                       {QStringLiteral("version"), m.SensorVersion},
                       {QStringLiteral("mode"), m.SensorMode},
                       {QStringLiteral("modeValue"), m.SensorModeValue},
                       {QStringLiteral("info"), sensorInfo},
                       {QStringLiteral("targetBalls"), QJsonArray::fromStringList(m.TargetBalls)}};
    QJsonArray table;
    for (const TSimParamDef &def : m.ParamTable)
        table.append(QJsonObject{{QStringLiteral("name"), def.Name},
                                 {QStringLiteral("type"), def.Type},
                                 {QStringLiteral("size"), def.Size},
                                 {QStringLiteral("id"), def.Id}});

    QSet<quint16> owned;
    for (std::size_t i = 2; i < m.Slots().size(); ++i)
        if (m.IsLive(int(i)))
            owned.insert(m.Slots()[i].Handle);
    QJsonArray files;
    for (const auto &[key, file] : m.Files()) {
        if (owned.contains(key.Handle) || (key.Type == 3 && key.Handle == MaterialHandle))
            continue;
        files.append(QJsonObject{{QStringLiteral("type"), key.Type},
                                 {QStringLiteral("handle"), key.Handle},
                                 {QStringLiteral("number"), key.Number},
                                 {QStringLiteral("hex"), QString::fromLatin1(file.Data.toHex())}});
    }
    QJsonArray materials;
    for (const auto &[name, speed] : m.Materials())
        materials.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("speed"), speed}});

    QJsonObject state{{QStringLiteral("sessionCounter"), m.SessionCounter},
                      {QStringLiteral("errorByte"), m.ErrorByte},
                      {QStringLiteral("pcMode"), m.PcMode},
                      {QStringLiteral("lastReading"), m.LastReading},
                      {QStringLiteral("readingsMeasured"), m.ReadingsMeasured},
                      {QStringLiteral("baudSwitches"), m.BaudSwitches},
                      {QStringLiteral("keys"), QJsonArray::fromStringList(m.KeysPressed)}};

    QJsonObject json{{QStringLiteral("gauge"), gauge},
                     {QStringLiteral("sensor"), sensor},
                     {QStringLiteral("eeprom"), eeprom},
                     {QStringLiteral("parameterTable"), table},
                     {QStringLiteral("tree"), SaveList(m, RootHead)},
                     {QStringLiteral("state"), state}};
    if (m.IsLive(m.ActiveBatch))
        json.insert(QStringLiteral("activeBatch"), m.Path(m.ActiveBatch));
    if (!materials.isEmpty())
        json.insert(QStringLiteral("materials"), materials);
    if (!files.isEmpty())
        json.insert(QStringLiteral("files"), files);
    return json;
}
