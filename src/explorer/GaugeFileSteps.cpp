#include "GaugeFileSteps.h"

namespace {
QString Hex4(int value)
{
    return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

// Retry count 0 for the duration of a step.
class TNoRetries
{
public:
    explicit TNoRetries(TZYKComm2Item &item) : FItem(item), FRetryMax(item.RetryMax()) { item.SetRetryMax(0); }
    ~TNoRetries() { FItem.SetRetryMax(FRetryMax); }

private:
    TZYKComm2Item &FItem;
    quint32 FRetryMax;
};
} // namespace

TGaugeFileSteps::TGaugeFileSteps(TGauge2 &gauge, TTransferLog &log) : FGauge(gauge), FLog(log) {}

bool TGaugeFileSteps::Resynchronise(int waitMs)
{
    return FGauge.WaitForGauge(waitMs);
}

bool TGaugeFileSteps::ErrorCheck(int waitMs)
{
    return Resynchronise(waitMs) && FGauge.GetInfo.Execute('G', "E") && FGauge.GetInfo.GaugeE == 0;
}

TGaugeFileSteps::TAttemptResult TGaugeFileSteps::Checked(bool commandDone, int errorCheckMs)
{
    if (commandDone)
        return arDone;
    if (!Resynchronise(errorCheckMs))
        return arAbort;
    return FGauge.GetInfo.Execute('G', "E") && FGauge.GetInfo.GaugeE == 0 ? arDone : arFailed;
}

bool TGaugeFileSteps::RunStep(const QString &text, int resyncMs, const TAttempt &attempt, const QString &okText)
{
    FLog.BeginLine(text);
    TNoRetries noRetries(FGauge.Connection());
    TAttemptResult result = arFailed;
    for (int i = 0; i < Attempts && result == arFailed; ++i) {
        if (i > 0 && !Resynchronise(resyncMs))
            break;
        result = attempt();
    }
    const bool done = result == arDone;
    FLog.EndLine(done ? (okText.isEmpty() ? QStringLiteral("OK") : okText) : QStringLiteral("Error"));
    return done;
}

bool TGaugeFileSteps::GetActiveBatch(int &index)
{
    index = 0;
    TGauge2FileBatch &batch = FGauge.FileBatch;
    QString okText;  // read by RunStep when the line ends
    const bool done = RunStep(QStringLiteral("Get active batch treeindex >"), 600, [&] {
        if (!batch.Execute('I'))
            return arFailed;
        okText = QStringLiteral("OK [ActBatchIndex=0x%1]").arg(Hex4(batch.OpenHandle));
        return arDone;
    }, okText);
    if (done)
        index = batch.OpenHandle;
    return done;
}

bool TGaugeFileSteps::OpenBatch(int number)
{
    TGauge2FileBatch &batch = FGauge.FileBatch;
    return RunStep(QStringLiteral("Open batch [%1] >").arg(number), 600, [&] {
        if (!batch.Execute('I'))
            return arFailed;
        if (batch.OpenHandle == number)
            return arDone;
        return Checked(batch.Execute('O', uint16_t(number)), 700);
    });
}

bool TGaugeFileSteps::CloseActiveBatch()
{
    TGauge2FileBatch &batch = FGauge.FileBatch;
    return RunStep(QStringLiteral("Close activebatch >"), 500, [&] {
        if (!batch.Execute('I'))
            return arFailed;
        if (batch.OpenHandle == TGauge2FileBatch::NoBatch)
            return arDone;
        return Checked(batch.Execute('C'), 500);
    });
}

bool TGaugeFileSteps::OpenFile(uint8_t type, uint16_t handle, uint8_t mode)
{
    return RunStep(QStringLiteral("Open file [Typ:%1  Hdl:%2] >").arg(type).arg(handle), 600, [&] {
        return Checked(FGauge.FileOpen.Execute(type, handle, mode), 700);
    });
}

bool TGaugeFileSteps::CloseFile()
{
    return RunStep(QStringLiteral("Close file >"), 500, [&] {
        return FGauge.FileClose.Execute() ? arDone : arFailed;
    });
}

bool TGaugeFileSteps::CreateOrOpenFile(uint8_t type, uint16_t handle, uint8_t number, bool closeAfterwards)
{
    const QString text = QStringLiteral("Create or open new file (Typ=%1 Handle=0x%2 BatchNum=%3 >")
                             .arg(type).arg(Hex4(handle)).arg(number);
    const bool done = RunStep(text, 500, [&] {
        if (FGauge.FileAccessTable.Execute('G', type, handle, number))
            return arDone;
        return Checked(FGauge.FileNew.Execute(type, handle, number), 600);
    });
    if (done && closeAfterwards)
        return CloseFile();
    return done;
}

bool TGaugeFileSteps::RemoveFile(uint8_t type, uint16_t handle, uint8_t number)
{
    TGauge2FileAccessTable &table = FGauge.FileAccessTable;
    return RunStep(QStringLiteral("Remove file >"), 600, [&] {
        if (!table.Execute('G', type, handle, number)) {
            // Only an answer that says "no such file" means it is gone; a
            // lost or refused answer says nothing.
            const bool noFile = table.Reply.Count() == 3;
            return noFile ? arDone : arFailed;
        }
        return FGauge.FileDelete.Execute(handle, type, number) ? arDone : arFailed;
    });
}

bool TGaugeFileSteps::DeleteTreeEntry(uint16_t index)
{
    TGauge2FileTreeGet &entry = FGauge.FileTreeGet;
    return RunStep(QStringLiteral("Delete treepool entry >"), 500, [&] {
        if (!entry.Execute(QStringLiteral("A"), index) || entry.Reply.Count() <= 15)
            return arFailed;
        if (entry.Flags == 0)
            return arDone;
        return Checked(FGauge.FileTreeDelete.Execute(index), 500);
    });
}

bool TGaugeFileSteps::EnterPCMode(bool closeActiveBatch)
{
    FRememberedActiveBatch = -1;
    if (OnCheckTimer)
        OnCheckTimer(false);
    if (!FGauge.PCMode.Execute(1))
        return false;
    if (!closeActiveBatch)
        return true;
    int active = 0;
    if (!GetActiveBatch(active))
        return false;
    FRememberedActiveBatch = active;
    return CloseActiveBatch();
}

bool TGaugeFileSteps::LeavePCMode()
{
    bool done = true;
    // 0xFFFF is "no batch was open": there is nothing to reopen.
    if (FRememberedActiveBatch > 0 && FRememberedActiveBatch != TGauge2FileBatch::NoBatch)
        done = OpenBatch(FRememberedActiveBatch);
    FRememberedActiveBatch = -1;
    done = FGauge.PCMode.Execute(0) && done;
    if (OnCheckTimer)
        OnCheckTimer(true);
    return done;
}
