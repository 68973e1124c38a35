#pragma once

#include "AnswerWatch.h"
#include "GaugeClassification.h"
#include "GaugeFileSteps.h"
#include "GaugeTreeNode.h"
#include "TransferLog.h"

#include "comm/commands/Gauge2.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class IUserDialog;
class TExplorerModel;

// The gauge explorer without its windows: owns the gauge facade on the
// connection item, connects and identifies the gauge, holds its tree,
// reads it lazily or fully, keeps it current through the tree session
// counter, and provides the busy section and cancel flag every gauge
// operation runs in. Talks to the person through IUserDialog.
class TGaugeExplorer : public QObject
{
    Q_OBJECT
public:
    static constexpr int CheckIntervalMs = 2500;
    static constexpr int CheckAfterBusyMs = 100;
    static constexpr int CheckAfterTreeChangeMs = 50;
    static constexpr int MaxReadLevel = 7;

    TGaugeExplorer(TZYKComm2Item &item, bool ultrasonicEdition, IUserDialog &dialog, QObject *parent = nullptr);
    ~TGaugeExplorer() override;

    TGauge2 &Gauge() { return FGauge; }
    TGaugeFileSteps &Steps() { return FSteps; }
    TTransferLog &Log() { return FLog; }
    IUserDialog &Dialog() { return FDialog; }
    TExplorerModel &Model() { return *FModel; }
    TZYKComm2Item &Connection() { return FGauge.Connection(); }
    bool UltrasonicEdition() const { return FUltrasonic; }

    // ---- connecting
    // Which baud rate the gauge answers at; with toggling a gauge at 57600
    // is switched to 115200.
    bool ConnectHandshake(bool toggleBaud);
    // After the link came up (the item's neConnect): handshake, identification, acceptance,
    // classification, root record and parameter table. True when the gauge
    // was accepted (the root is selected then); otherwise the link is closed.
    bool GaugeConnected(bool toggleBaud);
    // The link went away: stop checking and reset.
    void GaugeDisconnected();

    TGaugeTreeNode *Root() const { return FRoot.get(); }
    TGaugeTreeNode *FindNode(const QString &path) const;
    // The root if there is one, as a fake parent for the model.
    TGaugeTreeNode *ModelRoot() const { return FRoot.get(); }

    // ---- tree
    // Reads the node's children (and, in the ultrasonic edition or where
    // the expansion memory says so, those of its directories). False when
    // cancelled or the link failed.
    bool ReadChildren(TGaugeTreeNode *node, bool expand);
    // Reads every directory of the gauge.
    bool ReadWholeTree();
    // Batch quick information; "------" for elements without a handle.
    bool ReadQuickInfo(TGaugeTreeNode *node);
    // Node selection: firmware gate, action availability, reading the
    // children of an unread directory and the quick information of a batch.
    void SelectNode(TGaugeTreeNode *node, bool fromTree = false);
    TGaugeTreeNode *SelectedNode() const { return FSelected; }
    const TGaugeActions &Actions() const { return FActions; }
    bool FirmwareAccepted() const { return FFirmwareAccepted; }
    // One run of the periodic check; false when the session query failed.
    bool CheckGauge();
    // Re-read node (or the root) at the next check, then select path.
    void RequestRefresh(TGaugeTreeNode *node, const QString &path);
    QTimer &CheckTimer() { return FCheckTimer; }

    // Runs an idempotent command up to three times, resynchronising the
    // gauge in between, until it is answered without a checksum error.
    bool Reliably(const std::function<bool()> &command);
    // A few pings until the gauge answers; false at once when the link is gone.
    bool Resync();
    // The gauge file step "open file", repeated when the answer was garbled
    // (its file length would be wrong).
    bool OpenFileChecked(quint8 type, quint16 handle, quint8 mode);

    // Quick-info panel shown (the QuickView setting).
    bool QuickView = true;
    // Base unit the gauge asks for (code-9 gauges), -1 when none.
    int BaseUnitOverride = -1;

    // ---- busy section and cancel flag
    void BeginBusy(bool waitBar);
    void EndBusy();
    bool Busy() const { return FBusy > 0; }
    bool Cancelled() const { return FCancel; }
    void Cancel() { FCancel = true; }
    bool TreeReady() const { return FTreeReady; }

    // Everything back to "no gauge".
    void Reset();

signals:
    void busyChanged(bool busy);
    void treeChanged();

private:
    // The item's notifications: a link that comes up is identified (with
    // baud toggling on USB), one that goes away resets the explorer.
    void ListenToConnection();
    bool Probe(int pings);
    bool Identify(TTreeData &root, bool &accepted);
    bool DataOutputCheck(bool wantOn, bool &changed);
    bool ReadParamTable(TGauge2ParamList &list);
    void RecordExpansion(TGaugeTreeNode *node);
    void RestoreExpansion(TGaugeTreeNode *node);
    bool PathWasOpen(const QString &path) const;
    bool ReadLevel(TGaugeTreeNode *node, bool expand);
    bool AddChildFrom(TGaugeTreeNode *parent, const TGauge2FileTreeGet &entry, bool expand);
    void ComputeActions(TGaugeTreeNode *node);
    void ResetTree();

    TGauge2 FGauge;
    TZYKComm2Item::TNotificationHandler FPreviousNotification;
    TTransferLog FLog;
    TGaugeFileSteps FSteps;
    IUserDialog &FDialog;
    bool FUltrasonic;
    std::unique_ptr<TExplorerModel> FModel;
    std::unique_ptr<TGaugeTreeNode> FRoot;
    TGaugeTreeNode *FSelected = nullptr;
    TGaugeActions FActions;
    bool FFirmwareAccepted = false;

    int FBusy = 0;
    bool FCancel = false;
    bool FTreeReady = false;
    int FTreeReadNesting = 0;
    int FCheckFailures = 0;
    bool FCheckRunning = false;
    bool FHandshakeRunning = false;
    bool FReadAll = false;
    bool FNotSupported = false;
    bool FResetPending = false;
    TGaugeTreeNode *FRefreshTarget = nullptr;
    QString FRefreshPath;
    TTreeElementStatusList FExpansion;
    QTimer FCheckTimer;
};
