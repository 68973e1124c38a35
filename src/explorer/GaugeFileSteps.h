#pragma once

#include "comm/commands/Gauge2.h"
#include "explorer/TransferLog.h"

#include <functional>

// The gauge file steps every transfer is built from. Each step writes one
// line to the transfer log ending in " OK" or " Error", runs with the item's
// retry count at 0 (restored afterwards) and makes up to three attempts; the
// gauge is resynchronised by pings before a repeated attempt. Steps that end
// with an error check ask the gauge's error byte (info item "E") after a
// failed command and count as done when it is 0.
class TGaugeFileSteps
{
public:
    static constexpr int Attempts = 3;

    TGaugeFileSteps(TGauge2 &gauge, TTransferLog &log);

    // Switches the explorer's periodic gauge check off (false) and on (true).
    std::function<void(bool on)> OnCheckTimer;

    // "Get active batch treeindex >": index of the active batch (NoBatch when
    // none is open), 0 on failure.
    bool GetActiveBatch(int &index);
    bool OpenBatch(int number);
    bool CloseActiveBatch();
    // The file's size is in Gauge().FileOpen.FileSize afterwards.
    bool OpenFile(uint8_t type, uint16_t handle, uint8_t mode);
    bool CloseFile();
    bool CreateOrOpenFile(uint8_t type, uint16_t handle, uint8_t number, bool closeAfterwards = false);
    bool RemoveFile(uint8_t type, uint16_t handle, uint8_t number = 0);
    bool DeleteTreeEntry(uint16_t index);

    // Puts the gauge into PC mode; with closeActiveBatch the active batch is
    // remembered and closed, to be opened again by LeavePCMode.
    bool EnterPCMode(bool closeActiveBatch);
    bool LeavePCMode();
    int RememberedActiveBatch() const { return FRememberedActiveBatch; }

    // Pings until the gauge answers (up to 30 waits of waitMs).
    bool Resynchronise(int waitMs);
    // Resynchronise, then ask the error byte; true when it is 0.
    bool ErrorCheck(int waitMs);

    TGauge2 &Gauge() const { return FGauge; }
    TTransferLog &Log() const { return FLog; }

private:
    enum TAttemptResult { arDone, arFailed, arAbort };
    using TAttempt = std::function<TAttemptResult()>;

    bool RunStep(const QString &text, int resyncMs, const TAttempt &attempt, const QString &okText = {});
    // The command's own result, or the error check when it failed.
    TAttemptResult Checked(bool commandDone, int errorCheckMs);

    TGauge2 &FGauge;
    TTransferLog &FLog;
    int FRememberedActiveBatch = -1;
};
