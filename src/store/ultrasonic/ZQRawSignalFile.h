#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The two raw signals the sensor holds: the reference (".ardat") and the
// measurement (".amdat") signal.
enum class TZQSignal { Reference, Measurement };

// The readable text file of one raw signal: a comment header, the remarks as
// ".D" lines and one ".S" line per sample with its time and value.
class TZQRawSignalFile
{
public:
    static const QString ExtractErrorText; // "Extract error !"

    // "ardat" or "amdat".
    static QString Extension(TZQSignal signal);

    // Everything before the samples: comment header, remarks, blank lines.
    static QStringList HeaderLines(TZQSignal signal, const QString &fileName, const QString &user,
                                   const QString &dateText, const QStringList &remarks);
    // ".S" line of one sample, "." as decimal separator whatever the locale.
    static QString SampleLine(double time, double value);
    // Sample i lies at rangeEnd * i / 2047.
    static QStringList SampleLines(const QVector<double> &samples, double rangeEnd);

    // Writes the lines with CR LF through a temporary file; false and *error on failure.
    static bool Save(const QString &fileName, const QStringList &lines, QString *error = nullptr);

    struct TParseResult
    {
        QVector<double> Samples; // at most 2048
        bool Ok = true;          // false: a sample line without exactly three parts or a bad value
        int ErrorLine = 0;       // 1-based line of the first bad sample line
    };
    // Takes the value of every line that, trimmed and upper-cased, begins with ".S".
    static TParseResult Parse(const QByteArray &content);
};
