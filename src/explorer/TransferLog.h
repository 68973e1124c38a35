#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

// The step-by-step log and progress of a transfer. A window or the CLI
// shows it; the gauge file steps write to it.
//
// A line is "%06d [%4d]: " (milliseconds since Start, milliseconds since the
// previous line began) followed by the step text; EndLine finishes it with a
// blank, the result ("OK", "Error" ...) and CR LF.
class TTransferLog : public QObject
{
    Q_OBJECT
public:
    using TClock = std::function<qint64()>;

    explicit TTransferLog(QObject *parent = nullptr);
    // Tests pass their own millisecond clock.
    explicit TTransferLog(TClock clock, QObject *parent = nullptr);

    // Clears the log and resets both clocks (the window calls it on show).
    void Start();

    void BeginLine(const QString &text);
    void EndLine(const QString &result);
    // Appends text as it stands (for callers that write their own lines).
    void Append(const QString &text);

    const QString &Text() const { return FText; }

    // Progress: SetTotal starts at count 0 (0 %); each Step counts one.
    void SetTotal(int total);
    void Step();
    int Total() const { return FTotal; }
    int Count() const { return FCount; }
    int Percent() const;

    // The label of the file being transferred.
    void SetCurrentFile(const QString &name);
    const QString &CurrentFile() const { return FCurrentFile; }

    // Writes the log through a temporary file; false (with the reason in
    // errorText) when the file could not be written.
    bool SaveToFile(const QString &path, QString *errorText = nullptr) const;

    // The log file of a program: its file name with the extension ".log".
    static QString LogFilePathFor(const QString &programFile);

signals:
    void textAppended(const QString &text);
    void cleared();
    void progressChanged(int percent);
    void currentFileChanged(const QString &name);

private:
    qint64 Now() const;

    TClock FClock;
    QElapsedTimer FTimer;
    qint64 FStartMs = 0;
    qint64 FLineStartMs = 0;
    QString FText;
    int FTotal = 0;
    int FCount = 0;
    QString FCurrentFile;
};
