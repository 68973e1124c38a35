#include "TransferLog.h"

#include <QFileInfo>
#include <QSaveFile>

TTransferLog::TTransferLog(QObject *parent) : QObject(parent)
{
    FTimer.start();
}

TTransferLog::TTransferLog(TClock clock, QObject *parent) : QObject(parent), FClock(std::move(clock))
{
    FTimer.start();
}

qint64 TTransferLog::Now() const
{
    return FClock ? FClock() : FTimer.elapsed();
}

void TTransferLog::Start()
{
    FText.clear();
    FStartMs = FLineStartMs = Now();
    emit cleared();
}

void TTransferLog::BeginLine(const QString &text)
{
    const qint64 now = Now();
    const QString line = QString::asprintf("%06d [%4d]: ", int(now - FStartMs), int(now - FLineStartMs)) + text;
    FLineStartMs = now;
    Append(line);
}

void TTransferLog::EndLine(const QString &result)
{
    Append(QLatin1Char(' ') + result + QLatin1String("\r\n"));
}

void TTransferLog::Append(const QString &text)
{
    FText += text;
    emit textAppended(text);
}

void TTransferLog::SetTotal(int total)
{
    FTotal = total;
    FCount = 0;
    emit progressChanged(0);
}

void TTransferLog::Step()
{
    ++FCount;
    emit progressChanged(Percent());
}

int TTransferLog::Percent() const
{
    // A transfer without a total has nothing to count against.
    if (FTotal <= 0)
        return 0;
    return int(qint64(FCount) * 100 / FTotal);
}

void TTransferLog::SetCurrentFile(const QString &name)
{
    FCurrentFile = name;
    emit currentFileChanged(name);
}

bool TTransferLog::SaveToFile(const QString &path, QString *errorText) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(FText.toLocal8Bit());
        if (file.commit())
            return true;
    }
    if (errorText)
        *errorText = file.errorString();
    return false;
}

QString TTransferLog::LogFilePathFor(const QString &programFile)
{
    const QFileInfo info(programFile);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(".log");
}
