#pragma once

#include "BatchCommands.h"
#include "DisplayCommands.h"
#include "FileCommands.h"
#include "FileParamCommands.h"
#include "FileTreeCommands.h"
#include "GaugeDateTime.h"
#include "IdentityCommands.h"
#include "ModeCommands.h"

#include <vector>

// One parameter of the open gauge file.
struct TGauge2ParamEntry
{
    uint8_t Typ = 0;
    int32_t Size = 0;
    uint8_t ID = 0;     // the gauge's number of the parameter
    QString Name;       // upper case, at most MaxParamName characters
};
using TGauge2ParamList = std::vector<TGauge2ParamEntry>;

// The gauge facade: one object of each gauge command that the program sends,
// all on the same connection item, and the composite operations on the
// parameter directory. Commands the program never sends have no class.
//
// While it lives, the facade's own telegram handler sits on the item and
// passes every telegram on to the handler the item had before.
class TGauge2
{
public:
    static constexpr int MaxParamName = 20;

    explicit TGauge2(TZYKComm2Item &connection);
    ~TGauge2();
    TGauge2(const TGauge2 &) = delete;
    TGauge2 &operator=(const TGauge2 &) = delete;

    TZYKComm2Item &Connection() const { return FConnection; }

    bool ReadParamList(TGauge2ParamList &list);
    static int FindParam(const TGauge2ParamList &list, const QString &name);
    bool ReadParamByName(const TGauge2ParamList &list, const QString &name, uint8_t sub, TBuffer &value);
    bool WriteParamByName(const TGauge2ParamList &list, const QString &name, const TBuffer &data, uint8_t sub);
    // Pings until the gauge answers: up to 30 times, each after pauseMs, with
    // a 1000 ms time-out and no retries; the item's settings are restored.
    bool WaitForGauge(int pauseMs);
    // Waits ms milliseconds in 1 ms steps, keeping the link and the event
    // loop running.
    void Pause(int ms);

private:
    TZYKComm2Item &FConnection;
    TZYKComm2Item::TTelegramHandler FPreviousOnTelegram;

public:
    // In the order of the gauge's command list.
    TGauge2Version Version{FConnection};
    TGauge2FileTreeGetInfo FileTreeGetInfo{FConnection};
    TGauge2FileTreeGet FileTreeGet{FConnection};
    TGauge2FileTreeSession FileTreeSession{FConnection};
    TGauge2FileTreeRename FileTreeRename{FConnection};
    TGauge2FileTreeDelete FileTreeDelete{FConnection};
    TGauge2FileTreeInsert FileTreeInsert{FConnection};
    TGauge2PCMode PCMode{FConnection};
    TGauge2FileHandle FileHandle{FConnection};
    TGauge2FileNew FileNew{FConnection};
    TGauge2FileOpen FileOpen{FConnection};
    TGauge2FileClose FileClose{FConnection};
    TGauge2FilePosition FilePosition{FConnection};
    TGauge2FileWrite FileWrite{FConnection};
    TGauge2FileRead FileRead{FConnection};
    TGauge2FileDelete FileDelete{FConnection};
    TGauge2FileParamRead FileParamRead{FConnection};
    TGauge2FileParamWrite FileParamWrite{FConnection};
    TGauge2GetInfo GetInfo{FConnection};
    TGauge2FileBatchQuickInfo FileBatchQuickInfo{FConnection};
    TGauge2FileAccessTable FileAccessTable{FConnection};
    TGauge2FileBatch FileBatch{FConnection};
    TGauge2SensorMode SensorMode{FConnection};
    TGauge2DisplayLine DisplayLine{FConnection};
    TGauge2EEPROMGetParam EEPROMGetParam{FConnection};
    TGauge2Key Key{FConnection};
};
