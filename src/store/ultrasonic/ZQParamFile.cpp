#include "store/ultrasonic/ZQParamFile.h"

#include "app/IniFile.h"
#include "app/UserDialog.h"
#include "store/tagged/QelTextForms.h"
#include "store/ultrasonic/ZQSensorSignals.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

const QString TZQParamFile::WriteRawErrorText = QStringLiteral("Error write raw values !");
const QString TZQParamFile::ReadRawErrorText = QStringLiteral("Error reading reference data!");
const QString TZQParamFile::ComparisonQuestion = QStringLiteral("Show graph for comparison permanently ?");

namespace {

QString Numbered(const char *name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

// Every key of the parameter file, in the order the writer writes them. The
// visitor reads or writes each one; the defaults are those of a missing key.
template <class TVisitor, class TData>
void VisitKeys(TVisitor &v, TData &d)
{
    const QString head = QStringLiteral("HarmodeltaParameter");
    v.Integer(head, "Version", d.Version, 1);
    v.Text(head, "Name", d.Name, QStringLiteral("---"), kZQTextLength);
    v.Text(head, "SensorSWVersion", d.SensorSWVersion, v.SensorVersion(), 0);

    const QString meas = QStringLiteral("MeasSystem");
    v.Integer(meas, "Range", d.Range, 1);
    v.Bool(meas, "Optimize", d.Optimize, false);
    v.Bool(meas, "SuppressMultiEchos", d.SuppressMultiEchos, false);
    v.Integer(meas, "CouplingMode", d.CouplingMode, 0);
    v.Float(meas, "CouplingTimeMax", d.CouplingTimeMax, 40);

    const QString noise = QStringLiteral("Noise");
    v.Integer(noise, "ClipMode", d.ClipMode, 0);
    v.Integer(noise, "ExtremaMode", d.ExtremaMode, 1);
    v.Float(noise, "PosGlobalClip", d.PosGlobalClip, 3);
    v.Float(noise, "NegGlobalClip", d.NegGlobalClip, -3);
    v.Float(noise, "MinStepHeight", d.MinStepHeight, 0.5);
    for (int n = 1; n <= kZQDomainCount; ++n) {
        auto &clip = d.Clip[size_t(n - 1)];
        const QString section = Numbered("Noise", n);
        v.Bool(section, "ClipEnable", clip.ClipEnable, false);
        v.Bool(section, "ClipInvert", clip.ClipInvert, false);
        v.Float(section, "ClipStart", clip.ClipStart, 0);
        v.Float(section, "ClipLevel", clip.ClipLevel, 0);
    }
    v.Float(meas, "HeadEchoPos", d.HeadEchoPos, 0);
    v.Float(meas, "HeadEchoStart", d.HeadEchoStart, 0);
    v.Float(meas, "HeadEchoEnd", d.HeadEchoEnd, 0);

    const QString expected = QStringLiteral("Expected");
    v.Integer(expected, "Analyse", d.Analyse, 0);
    for (int n = 1; n <= kZQDomainCount; ++n)
        v.Bool(QStringLiteral("EchoSelect"), Numbered("Echo", n), d.EchoSelect[size_t(n - 1)], true);
    v.Integer(expected, "LayerMax", d.LayerMax, 0);
    for (int n = 1; n <= kZQDomainCount; ++n) {
        auto &exp = d.Exp[size_t(n - 1)];
        const QString section = Numbered("Expected", n);
        v.Bool(section, "ExpEnable", exp.ExpEnable, false);
        v.Float(section, "ExpStart", exp.ExpStart, 0);
        v.Float(section, "ExpEnd", exp.ExpEnd, 0);
    }
    for (int n = 1; n <= kZQDomainCount; ++n) {
        auto &rest = d.Rest[size_t(n - 1)];
        const QString section = Numbered("Restricted", n);
        v.Bool(section, "RestEnable", rest.RestEnable, false);
        v.Float(section, "RestStart", rest.RestStart, 0);
        v.RestLevel(section, rest.RestLevel);
    }

    const QString information = QStringLiteral("Information");
    v.Text(information, "User", d.User, QString(), kZQTextLength);
    const QString speed = QStringLiteral("Speed");
    for (int n = 1; n <= kZQLayerCount; ++n)
        v.Float(speed, Numbered("Layer", n), d.Speed[size_t(n - 1)], 2375);
    v.Float(speed, "SpeedCorrectionFactor", d.SpeedCorrectionFactor, 1);
    for (int n = 1; n <= kZQLayerCount; ++n)
        v.Text(QStringLiteral("Material"), Numbered("Layer", n), d.Material[size_t(n - 1)], QString(), kZQTextLength);
    // The section name is spelled so in every file ever written.
    for (int n = 1; n <= kZQLayerCount; ++n)
        v.Float(QStringLiteral("Thichness"), Numbered("Layer", n), d.Thickness[size_t(n - 1)], 0);

    const QString etc = QStringLiteral("ETC");
    v.Float(etc, "CouplingEcho", d.CouplingEcho, 0);
    v.Float(etc, "CouplingFactor", d.CouplingFactor, 0);
    v.Integer(etc, "EchoCounter", d.EchoCounter, 0, 0, kZQEchoCount);
    v.Float(etc, "XMin", d.XMin, 0);
    v.Float(etc, "XMax", d.XMax, 0);
    v.Float(etc, "YMin", d.YMin, 0);
    v.Float(etc, "YMax", d.YMax, 0);
    v.Float(etc, "AmplMax", d.AmplMax, 0);
    for (int n = 1; n <= kZQEchoCount; ++n) {
        auto &echo = d.Echo[size_t(n - 1)];
        v.Float(etc, Numbered("Amplitude", n), echo.Amplitude, 0);
        v.Float(etc, Numbered("Position", n), echo.Position, 0);
        v.Integer(etc, Numbered("ArrayPos", n), echo.ArrayPos, 0);
        v.Integer(etc, Numbered("EchoState", n), echo.EchoState, 0);
    }
    v.Integer(etc, "ReadingCounter", d.ReadingCounter, 0, 0, kZQLayerCount);
    for (int n = 1; n <= kZQLayerCount; ++n)
        v.Float(etc, Numbered("Reading", n), d.Reading[size_t(n - 1)], 0);
    v.Integer(etc, "DiagramCounter", d.DiagramCounter, 0, 0, kZQCurveLength);
    v.Remarks(information, "Text", d.Text);
}

QString Key(const char *key) { return QLatin1String(key); }
const QString &Key(const QString &key) { return key; }

// Reads through an index of the file built once: the first section of a
// name and the first key of a name in it win, names compare case-insensitively.
class TKeyReader
{
public:
    TKeyReader(const TIniFile &ini, QString sensorVersion) : m_sensorVersion(std::move(sensorVersion))
    {
        for (const QString &section : ini.Sections()) {
            QHash<QString, QString> &keys = m_index[section.toCaseFolded()];
            for (const auto &[key, value] : ini.SectionValues(section)) {
                const QString name = key.toCaseFolded();
                if (!keys.contains(name))
                    keys.insert(name, value);
            }
        }
    }

    QString SensorVersion() const { return m_sensorVersion; }

    // Counters are kept within their tables; bytes within 0..255.
    template <class TKey, class TInt>
    void Integer(const QString &section, const TKey &key, TInt &field, int defaultValue,
                 int minimum = std::numeric_limits<TInt>::min(), int maximum = std::numeric_limits<TInt>::max())
    {
        int value = 0;
        const QString *text = Find(section, Key(key));
        if (!text || !TIniFile::ParseInteger(*text, value))
            value = defaultValue;
        field = TInt(std::clamp(value, minimum, maximum));
    }
    template <class TKey>
    void Bool(const QString &section, const TKey &key, bool &field, bool defaultValue)
    {
        int value = 0;
        Integer(section, key, value, defaultValue ? 1 : 0);
        field = value != 0;
    }
    template <class TKey>
    void Float(const QString &section, const TKey &key, double &field, double defaultValue)
    {
        double value = 0;
        const QString *text = Find(section, Key(key));
        field = text && TZQParamFile::ParseFloat(*text, value) ? value : defaultValue;
    }
    template <class TKey>
    void Text(const QString &section, const TKey &key, QString &field, const QString &defaultValue, int keep)
    {
        const QString *text = Find(section, Key(key));
        field = text ? *text : defaultValue;
        if (keep > 0)
            field.truncate(keep);
    }
    void RestLevel(const QString &section, double &field)
    {
        // Older files name the level "RestEnd".
        Float(section, Find(section, Key("RestLevel")) ? "RestLevel" : "RestEnd", field, 0);
    }
    void Remarks(const QString &section, const char *key, QString &field)
    {
        const QString *text = Find(section, Key(key));
        field = text ? TZQParamFile::DecodeRemarks(*text) : QString();
    }

private:
    const QString *Find(const QString &section, const QString &key) const
    {
        const auto keys = m_index.constFind(section.toCaseFolded());
        if (keys == m_index.cend())
            return nullptr;
        const auto value = keys->constFind(key.toCaseFolded());
        return value == keys->cend() ? nullptr : &*value;
    }

    QHash<QString, QHash<QString, QString>> m_index;
    QString m_sensorVersion;
};

class TKeyWriter
{
public:
    TKeyWriter(TIniFile &ini, QString separator) : m_ini(ini), m_separator(std::move(separator)) {}

    QString SensorVersion() const { return {}; }

    template <class TKey, class TInt>
    void Integer(const QString &section, const TKey &key, const TInt &field, int, int = 0, int = 0)
    {
        m_ini.WriteInteger(section, Key(key), int(field));
    }
    template <class TKey>
    void Bool(const QString &section, const TKey &key, const bool &field, bool)
    {
        m_ini.WriteBool(section, Key(key), field);
    }
    template <class TKey>
    void Float(const QString &section, const TKey &key, const double &field, double)
    {
        m_ini.WriteString(section, Key(key), TZQParamFile::FormatFloat(field, m_separator));
    }
    template <class TKey>
    void Text(const QString &section, const TKey &key, const QString &field, const QString &, int)
    {
        m_ini.WriteString(section, Key(key), field);
    }
    void RestLevel(const QString &section, const double &field) { Float(section, "RestLevel", field, 0); }
    void Remarks(const QString &section, const char *key, const QString &field)
    {
        m_ini.WriteString(section, Key(key), TZQParamFile::EncodeRemarks(field));
    }

private:
    TIniFile &m_ini;
    QString m_separator;
};

} // namespace

TZQParamFile::TZQParamFile(IUserDialog *dialog, IZQSensorSignals *sensor)
    : m_dialog(dialog), m_sensor(sensor)
{
}

void TZQParamFile::ReadParameters(const TIniFile &ini, TZQDiagramData &data, const QString &sensorVersion)
{
    TKeyReader reader(ini, sensorVersion);
    VisitKeys(reader, data);
}

void TZQParamFile::WriteParameters(TIniFile &ini, const TZQDiagramData &data, const QString &decimalSeparator)
{
    TKeyWriter writer(ini, decimalSeparator);
    VisitKeys(writer, data);
}

QString TZQParamFile::FormatFloat(double value, const QString &decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits: d.dddddddddddddde±x
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const QByteArray text(buffer, int(result.ptr - buffer));
    const bool negative = text.startsWith('-');
    const qsizetype ePos = text.indexOf('e');
    QByteArray digits = text.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0)).replace(".", "");
    const int exponent = text.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QString out = negative ? QStringLiteral("-") : QString();
    const QString d = QString::fromLatin1(digits);
    if (exponent >= 15 || exponent < -5) {
        out += d.left(1);
        if (d.size() > 1)
            out += decimalSeparator + d.mid(1);
        return out + u'E' + QString::number(exponent);
    }
    if (exponent < 0)
        return out + u'0' + decimalSeparator + QString(-exponent - 1, u'0') + d;
    const QString whole = d.left(exponent + 1).leftJustified(exponent + 1, u'0');
    out += whole;
    if (d.size() > exponent + 1)
        out += decimalSeparator + d.mid(exponent + 1);
    return out;
}

bool TZQParamFile::ParseFloat(const QString &text, double &value)
{
    QString number = text.trimmed();
    const QString localSeparator = QLocale().decimalPoint();
    if (localSeparator != QLatin1String(".") && localSeparator != QLatin1String(","))
        number.replace(localSeparator, QStringLiteral("."));
    // A file may come from a PC with either separator; never both in one value.
    if (number.contains(u',')) {
        if (number.contains(u'.') || number.count(u',') > 1)
            return false;
        number.replace(u',', u'.');
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double parsed = c.toDouble(number, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

QString TZQParamFile::EncodeRemarks(const QString &text)
{
    TZQDiagramData holder;
    holder.Text = text;
    return QString::fromLatin1(holder.TextLines().join(QStringLiteral("\r\n")).toUtf8().toHex().toUpper());
}

QString TZQParamFile::DecodeRemarks(const QString &hex)
{
    const auto digit = [](QChar c) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return int(u - u'0');
        if (u >= u'a' && u <= u'f')
            return int(u - u'a' + 10);
        if (u >= u'A' && u <= u'F')
            return int(u - u'A' + 10);
        return -1;
    };
    // Up to the first pair that is no hexadecimal byte.
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.append(char(high * 16 + low));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? AnsiToString(bytes) : text; // older files hold ANSI text
}

int TZQParamFile::ReadCurve(const QString &fileName, TZQCurve &curve)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.read(CurveFileSize);
    const int samples = int(bytes.size() / 8);
    for (int i = 0; i < samples; ++i)
        curve[size_t(i)] = qFromLittleEndian<double>(bytes.constData() + 8 * i);
    return samples;
}

bool TZQParamFile::WriteCurve(const QString &fileName, const TZQCurve &curve, QString *error)
{
    QByteArray bytes(CurveFileSize, '\0');
    for (int i = 0; i < kZQCurveLength; ++i)
        qToLittleEndian(curve[size_t(i)], bytes.data() + 8 * i);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = fileName + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString TZQParamFile::WithExtension(const QString &fileName, const QString &extension)
{
    const QFileInfo info(fileName);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    const QString folder = fileName.left(fileName.size() - info.fileName().size());
    return folder + base + u'.' + extension;
}

bool TZQParamFile::Read(TZQDiagramData &data, const QString &fileName, bool withSignals)
{
    m_error.clear();
    m_comparisonKept = false;
    const quint8 previousRange = data.Range;
    const QString zqpName = WithExtension(fileName, QStringLiteral("zqp"));

    TIniFile ini;
    const bool found = QFileInfo(zqpName).isFile() && ini.Load(zqpName);
    if (found) {
        QString sensorVersion;
        if (m_sensor && m_sensor->IsSensorConnected())
            sensorVersion = m_sensor->SensorVersionText();
        ReadParameters(ini, data, sensorVersion.isEmpty() ? kZQNoSensorVersion : sensorVersion);
        data.SignalFlag = 1;
        data.ReferenceCounter = 0;
        data.ComparisonCounter = 0;
    } else {
        m_error = ini.ErrorString().isEmpty() ? zqpName + QStringLiteral(": no such file") : ini.ErrorString();
    }

    if (withSignals)
        LoadSignals(data, fileName, previousRange);

    const int samples = ReadCurve(WithExtension(fileName, QStringLiteral("pic")), data.Diagram);
    // A short curve file cannot supply more points than it holds.
    data.DiagramCounter = samples < 0 ? 0 : std::min(data.DiagramCounter, samples);

    if (withSignals && data.EchoCounter > 1 && m_dialog
        && m_dialog->AskQuestion(ComparisonQuestion) == IUserDialog::TAnswer::Yes) {
        data.Comparison = data.Diagram;
        data.ComparisonCounter = data.DiagramCounter;
        m_comparisonKept = true;
    }
    return found;
}

void TZQParamFile::LoadSignals(const TZQDiagramData &data, const QString &fileName, quint8 previousRange)
{
    const QString names[] = {WithExtension(fileName, TZQRawSignalFile::Extension(TZQSignal::Reference)),
                             WithExtension(fileName, TZQRawSignalFile::Extension(TZQSignal::Measurement))};
    if (!QFileInfo(names[0]).isFile() || !QFileInfo(names[1]).isFile() || !m_sensor || !m_sensor->IsSensorConnected())
        return;
    if (data.Range != previousRange && !m_sensor->SelectRange(data.Range) && m_dialog)
        m_dialog->Beep();
    for (TZQSignal signal : {TZQSignal::Reference, TZQSignal::Measurement}) {
        QFile file(names[signal == TZQSignal::Reference ? 0 : 1]);
        if (!file.open(QIODevice::ReadOnly)) {
            Message(file.fileName() + QStringLiteral(": ") + file.errorString());
            return;
        }
        const TZQRawSignalFile::TParseResult parsed = TZQRawSignalFile::Parse(file.readAll());
        if (!parsed.Ok) {
            Message(TZQRawSignalFile::ExtractErrorText);
            return;
        }
        if (!m_sensor->WriteSignal(signal, parsed.Samples)) {
            Message(WriteRawErrorText);
            return;
        }
    }
    m_sensor->FinishSignals();
}

bool TZQParamFile::Write(const TZQDiagramData &data, const QString &fileName)
{
    m_error.clear();
    TZQDiagramData set = data;
    set.Name = QFileInfo(fileName).completeBaseName().left(kZQTextLength);
    set.Version = 1;

    const QString zqpName = WithExtension(fileName, QStringLiteral("zqp"));
    TIniFile ini;
    if (QFileInfo::exists(zqpName) && !ini.Load(zqpName))
        return Fail(ini.ErrorString()); // keys of the old file must not be lost
    WriteParameters(ini, set, QLocale().decimalPoint());
    if (!ini.Save(zqpName))
        return Fail(zqpName + QStringLiteral(": ") + ini.ErrorString());

    bool ok = true;
    if (QFileInfo(fileName).suffix().toLower().contains(QLatin1String("full")))
        ok = SaveSignals(set, fileName);
    QString error;
    if (!WriteCurve(WithExtension(fileName, QStringLiteral("pic")), set.Diagram, &error))
        return Fail(error);
    return ok;
}

bool TZQParamFile::SaveSignals(const TZQDiagramData &data, const QString &fileName)
{
    if (m_sensor)
        m_sensor->BeginReadSignals();
    const QString date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    bool ok = true;
    for (TZQSignal signal : {TZQSignal::Reference, TZQSignal::Measurement}) {
        const QString name = WithExtension(fileName, TZQRawSignalFile::Extension(signal));
        QStringList lines = TZQRawSignalFile::HeaderLines(
            signal, QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath()), data.User, date, data.TextLines());
        bool complete = false;
        QVector<double> samples;
        if (m_sensor)
            samples = m_sensor->ReadSignal(signal, complete);
        if (!complete)
            Message(ReadRawErrorText); // the file keeps the samples read so far
        lines += TZQRawSignalFile::SampleLines(samples, data.RangeEnd());
        QString error;
        if (!TZQRawSignalFile::Save(name, lines, &error))
            ok = Fail(error);
    }
    if (m_sensor)
        m_sensor->EndReadSignals();
    if (m_dialog)
        m_dialog->Beep();
    return ok;
}

void TZQParamFile::Message(const QString &text)
{
    m_error = text;
    if (m_dialog)
        m_dialog->ShowMessage(text);
}

bool TZQParamFile::Fail(const QString &error)
{
    m_error = error;
    return false;
}
