#include "store/ultrasonic/ZQRawSignalFile.h"

#include "store/ultrasonic/ZQDiagramData.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <charconv>
#include <cmath>

const QString TZQRawSignalFile::ExtractErrorText = QStringLiteral("Extract error !");

namespace {

const QString kStarLine = QStringLiteral(";") + QString(79, u'*');
const QString kFrameLine = QStringLiteral(";*") + QString(77, u' ') + u'*';
const QString kReferenceTitle =
    QStringLiteral(";*  Harmodelta 7 : AVR32-Referenz-Signaldaten (Original)                       *");
const QString kMeasurementTitle =
    QStringLiteral(";*  Harmodelta 7 : AVR32-Mess-Signaldaten (Original)                           *");

// printf "%-66s": padded, never cut.
QString FramedField(const char *label, const QString &text)
{
    return QStringLiteral(";*  %1 :  %2*").arg(QLatin1String(label), text.leftJustified(66, u' ', false));
}

// printf "%<width>.<precision>f" in the C locale.
QString Fixed(double value, int width, int precision)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    const QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.rightJustified(width, u' ', false);
}

} // namespace

QString TZQRawSignalFile::Extension(TZQSignal signal)
{
    return signal == TZQSignal::Reference ? QStringLiteral("ardat") : QStringLiteral("amdat");
}

QStringList TZQRawSignalFile::HeaderLines(TZQSignal signal, const QString &fileName, const QString &user,
                                          const QString &dateText, const QStringList &remarks)
{
    QStringList lines{kStarLine, kFrameLine,
                      signal == TZQSignal::Reference ? kReferenceTitle : kMeasurementTitle, kFrameLine,
                      FramedField("Datei", fileName), FramedField("Autor", user), FramedField("Datum", dateText),
                      kFrameLine, kStarLine, QString(), QString()};
    for (const QString &remark : remarks)
        lines.append(QStringLiteral(".D \"") + remark + u'"');
    lines << QString() << QString();
    return lines;
}

QString TZQRawSignalFile::SampleLine(double time, double value)
{
    return QStringLiteral(".S ") + Fixed(time, 10, 3) + QStringLiteral("   ") + Fixed(value, 10, 10);
}

QStringList TZQRawSignalFile::SampleLines(const QVector<double> &samples, double rangeEnd)
{
    QStringList lines;
    lines.reserve(samples.size());
    for (qsizetype i = 0; i < samples.size(); ++i)
        lines.append(SampleLine(rangeEnd * double(i) / 2047.0, samples[i]));
    return lines;
}

bool TZQRawSignalFile::Save(const QString &fileName, const QStringList &lines, QString *error)
{
    QSaveFile file(fileName);
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = fileName + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

TZQRawSignalFile::TParseResult TZQRawSignalFile::Parse(const QByteArray &content)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    TParseResult result;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size() && result.Samples.size() < kZQCurveLength; ++i) {
        const QString line = QString::fromLatin1(lines[i]).trimmed();
        if (!line.toUpper().startsWith(QLatin1String(".S")))
            continue;
        const QStringList parts = line.split(blanks, Qt::SkipEmptyParts);
        bool ok = parts.size() == 3;
        const double value = ok ? QLocale::c().toDouble(parts[2], &ok) : 0.0;
        if (!ok || !std::isfinite(value)) {
            result.Ok = false;
            result.ErrorLine = int(i + 1);
            return result;
        }
        result.Samples.append(value);
    }
    return result;
}
