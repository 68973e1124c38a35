#include "GaugeExplorer.h"

#include "ExplorerModel.h"

#include "app/UserDialog.h"

#include <utility>

namespace {
const QString StatusConnected = QStringLiteral("Connected");
const QString StatusConnectionError = QStringLiteral("Error gauge connection !");
const QString StatusNotSupported = QStringLiteral("Gauge not supported !");
const QString StatusNoGauge = QStringLiteral("No gauge found !");
const QString StatusReadData = QStringLiteral("Read data ...");
const QString StatusCompleted = QStringLiteral("Completed");
const QString DataOutputMessage = QStringLiteral(
    "Data output via interface is activated! In order to assure uninterrupted operation, data output is deactivated.");
const QString DataOutputError = QStringLiteral("Data output modification error !");
const QString UpdateMessage = QStringLiteral("Operation not possible. Please update the device to version %1");

// Puts the item's time-out and retry count back however the handshake ends.
class TLinkSettings
{
public:
    TLinkSettings(TZYKComm2Item &item, quint32 timeout, quint32 retries)
        : FItem(item), FTimeout(item.ReceiveTimeout()), FRetries(item.RetryMax())
    {
        item.SetReceiveTimeout(timeout);
        item.SetRetryMax(retries);
    }
    ~TLinkSettings()
    {
        FItem.SetReceiveTimeout(FTimeout);
        FItem.SetRetryMax(FRetries);
    }

private:
    TZYKComm2Item &FItem;
    quint32 FTimeout, FRetries;
};

int ImageOfPort(int port)
{
    switch (port) {
    case portUSB: return niUsb;
    case portIrDA: return niIrDA;
    case portBT: return niBluetooth;
    default: return niSerial;
    }
}

QString ReplyText(const TBuffer &reply)
{
    QByteArray bytes;
    for (int k = 1; k <= reply.Count() && reply[k] != 0; ++k)
        bytes.append(char(reply[k]));
    return QString::fromUtf8(bytes);
}

QByteArray NameStart(const QString &name)
{
    QByteArray bytes = name.left(15).toLatin1();
    bytes.resize(16, '\0');
    return bytes;
}
} // namespace

TGaugeExplorer::TGaugeExplorer(TZYKComm2Item &item, bool ultrasonicEdition, IUserDialog &dialog, QObject *parent)
    : QObject(parent), FGauge(item), FSteps(FGauge, FLog), FDialog(dialog), FUltrasonic(ultrasonicEdition),
      FModel(std::make_unique<TExplorerModel>([this] { return FRoot.get(); }))
{
    FCheckTimer.setInterval(CheckIntervalMs);
    connect(&FCheckTimer, &QTimer::timeout, this, [this] { CheckGauge(); });
    ListenToConnection();
    FSteps.OnCheckTimer = [this](bool on) {
        if (on)
            FCheckTimer.start();
        else
            FCheckTimer.stop();
    };
}

TGaugeExplorer::~TGaugeExplorer()
{
    Connection().OnNotification = FPreviousNotification;
}

void TGaugeExplorer::ListenToConnection()
{
    FPreviousNotification = Connection().OnNotification;
    Connection().OnNotification = [this](QObject *sender, TNotificationEvent event, const TDevice &device, int error) {
        if (FPreviousNotification)
            FPreviousNotification(sender, event, device, error);
        if (FHandshakeRunning)
            return;
        if (event == neDeviceRemoved || event == neDisconnect)
            GaugeDisconnected();
        else if (event == neConnect)
            GaugeConnected(Connection().Port() == portUSB);
    };
}

bool TGaugeExplorer::Resync()
{
    for (int ping = 0; ping < 5 && Connection().State() == isOpen; ++ping) {
        FGauge.Pause(20);
        if (Connection().Ping())
            return true;
    }
    return false;
}

bool TGaugeExplorer::Reliably(const std::function<bool()> &command)
{
    TAnswerWatch watch(Connection());
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0 && !Resync())
            return false;
        const int bad = watch.BadAnswers();
        if (command() && watch.BadAnswers() == bad)
            return true;
    }
    return false;
}

// ---- connecting

bool TGaugeExplorer::Probe(int pings)
{
    for (int i = 0; i < pings; ++i) {
        if (Connection().Ping())
            return true;
        FGauge.Pause(100);
    }
    return false;
}

bool TGaugeExplorer::ConnectHandshake(bool toggleBaud)
{
    FHandshakeRunning = true;
    TZYKComm2Item &item = Connection();
    TLinkSettings settings(item, 500, 0);
    const auto otherRate = [&item] { return item.BaudRate() == 57600 ? 115200u : 57600u; };
    bool answered = false;
    int probes = 0;
    do {
        answered = Probe(3);
        ++probes;
        if (!answered && toggleBaud)
            item.SetBaudRate(otherRate());
    } while (!answered && toggleBaud && item.BaudRate() != 57600 && probes < 6);

    if (answered && toggleBaud && item.BaudRate() == 57600) {
        if (item.SendCommand(EncodeLineCommand(&item, QStringLiteral("*SGB 01"))) == emNone) {
            item.SetBaudRate(115200);
            if (!Probe(3)) {
                item.SetBaudRate(57600);
                answered = Probe(3);
            }
        }
    } else if (answered && !toggleBaud) {
        Probe(1);
    }
    FHandshakeRunning = false;
    return answered;
}

bool TGaugeExplorer::Identify(TTreeData &root, bool &accepted)
{
    TGauge2GetInfo &info = FGauge.GetInfo;
    const bool identified = Reliably([&] { return FGauge.Version.Execute(); })
        && Reliably([&] { return info.Execute('G', "N"); }) && Reliably([&] { return info.Execute('G', "S"); })
        && Reliably([&] { return info.Execute('G', "B"); }) && Reliably([&] { return info.Execute('S', "N"); })
        && Reliably([&] { return info.Execute('S', "S"); }) && Reliably([&] { return info.Execute('S', "V"); });
    accepted = identified && info.GaugeB.contains(QLatin1String("Gauge"));
    if (!accepted)
        return false;
    if (info.GaugeB.contains(QLatin1String("Harmodelta")) != FUltrasonic) {
        FDialog.ShowStatus(StatusNotSupported);
        FNotSupported = true;
        accepted = false;
        return false;
    }
    if (Reliably([&] { return FGauge.FileTreeSession.Execute(-1); }))
        root.SessionCounter = FGauge.FileTreeSession.SessionResult;
    if (const TDeviceObject *device = Connection().SelectedDevice())
        root.Device = device->Device;
    root.FirmwareVersion = FGauge.Version.VersionText.left(20);
    root.Name = info.GaugeN.left(TTreeData::NameMax);
    root.GaugeType = info.GaugeB.left(TTreeData::NameMax);
    root.GaugeSerial = info.GaugeS.left(TTreeData::NameMax);
    root.SensorType = info.SensorN.left(TTreeData::NameMax);
    root.SensorSerial = info.SensorS.left(TTreeData::NameMax);
    root.SensorVersion = info.SensorV.left(10);
    root.Port = Connection().Port();
    root.ConnectionName = Connection().DeviceName().left(TTreeData::NameMax);
    root.ChildrenRead = 0;
    root.TreeIndex = 1;
    root.ElementType = etGauge;
    root.SensorFlags = SensorFlagsOf(root.SensorType);
    const TGaugeClass gauge = ClassifyGauge(root.GaugeType);
    root.GaugeGroup = gauge.Group;
    root.ModelCode = gauge.ModelCode;
    if (gauge.Group == 3 && Reliably([&] { return info.Execute('G', "DU"); }))
        root.UnitText = ReplyText(info.Reply).left(10);
    if (gauge.ModelCode == 9 && Reliably([&] { return FGauge.EEPROMGetParam.Execute(QStringLiteral("ConfUnitSys")); })) {
        const QByteArray &v = FGauge.EEPROMGetParam.Value;
        const int unitSystem = v.size() >= 3 ? quint8(v[2]) : (v.isEmpty() ? -1 : quint8(v[0]));
        if (unitSystem == 7) {
            root.UnitText = QStringLiteral("BCM/in²");
            BaseUnitOverride = 6;
        } else if (unitSystem == 8) {
            root.UnitText = QStringLiteral("cm³/m²");
            BaseUnitOverride = 7;
        }
    }
    return ReadParamTable(root.ParamList);
}

bool TGaugeExplorer::ReadParamTable(TGauge2ParamList &list)
{
    // Entry by entry, so that one garbled answer costs one repeat.
    list.clear();
    TGauge2FileParamRead &read = FGauge.FileParamRead;
    if (!Reliably([&] { return read.ReadParamCount() && read.Reply.Count() == 2; }))
        return false;
    list.resize(read.ParamCount);
    for (size_t i = 0; i < list.size(); ++i) {
        if (!Reliably([&] { return read.ReadParamEntry(quint8(i)) && read.Reply.Count() > 4; }))
            return false;
        list[i] = {read.ParamTyp, read.ParamCount, read.ParamID, read.ParamName.toUpper().left(TGauge2::MaxParamName)};
    }
    return true;
}

bool TGaugeExplorer::GaugeConnected(bool toggleBaud)
{
    BeginBusy(true);
    if (!ConnectHandshake(toggleBaud)) {
        FDialog.ShowStatus(StatusConnectionError);
        EndBusy();
        return false;
    }
    FDialog.ShowStatus(StatusConnected);
    TTreeData data;
    bool accepted = false;
    FNotSupported = false;
    const bool complete = Identify(data, accepted);
    if (!(accepted && complete) && !FNotSupported)
        FDialog.ShowStatus(StatusConnectionError);
    if (accepted && complete) {
        FModel->BeginChange();
        FRoot = std::make_unique<TGaugeTreeNode>(std::move(data));
        FRoot->Data.RootNode = FRoot.get();
        FRoot->HasCheckBox = false;
        FRoot->Image = ImageOfPort(FRoot->Data.Port);
        FModel->EndChange();
        const TTreeData &r = FRoot->Data;
        const bool checkOutput = r.GaugeGroup == 3
            && ((r.ModelCode != 8 && r.FirmwareVersion > QStringLiteral("2.13G"))
                || (r.ModelCode == 8 && r.FirmwareVersion > QStringLiteral("2.14E")));
        bool changed = false;
        if (checkOutput && DataOutputCheck(false, changed) && changed)
            FDialog.ShowMessage(DataOutputMessage);
    }
    EndBusy();
    FTreeReady = true;
    if (FRoot)
        SelectNode(FRoot.get());
    else
        Connection().Close();
    FDialog.Beep();
    return FRoot != nullptr;
}

bool TGaugeExplorer::DataOutputCheck(bool wantOn, bool &changed)
{
    changed = false;
    TGauge2EEPROMGetParam &param = FGauge.EEPROMGetParam;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!param.Execute(QStringLiteral("ConfExtDataOut")))
            continue;
        const TBuffer &reply = param.Reply;
        if (reply.Count() != 3 || reply[2] != 1)
            continue;
        const bool on = reply[3] == 2;
        if (on == wantOn)
            return true;
        const QString line = QStringLiteral("*EW ") + HexByte(reply[1]) + (wantOn ? QStringLiteral(" 02") : QStringLiteral(" 01"));
        TBuffer answer;
        if (Connection().Transact(EncodeLineCommand(&Connection(), line), answer) != emNone)
            FDialog.ShowMessage(DataOutputError);
        else
            changed = true;
    }
    return false;
}

void TGaugeExplorer::GaugeDisconnected()
{
    FCheckTimer.stop();
    // Work in progress holds nodes of the tree: the reset waits for the end
    // of the busy section (the work fails on the closed link meanwhile).
    if (Busy()) {
        FResetPending = true;
        return;
    }
    Reset();
    FDialog.ShowStatus(StatusNoGauge);
}

TGaugeTreeNode *TGaugeExplorer::FindNode(const QString &path) const
{
    if (!FRoot)
        return nullptr;
    for (TGaugeTreeNode *node : FRoot->Flatten()) {
        if (node->Path() == path || node->PathWithoutRoot() == path)
            return node;
    }
    return nullptr;
}

// ---- tree

void TGaugeExplorer::RecordExpansion(TGaugeTreeNode *node)
{
    FExpansion.clear();
    bool after = false;
    for (TGaugeTreeNode *n : FRoot->Flatten()) {
        after = after || n == node;
        if (after && (n->Image == niDirectoryClosed || n->Image == niDirectoryOpen))
            FExpansion.push_back({n->Path(), NameStart(n->Data.Name), n->Image == niDirectoryOpen});
    }
}

bool TGaugeExplorer::PathWasOpen(const QString &path) const
{
    for (const TTreeElementStatus &entry : FExpansion) {
        if (entry.Path == path)
            return entry.Expanded;
    }
    return false;
}

void TGaugeExplorer::RestoreExpansion(TGaugeTreeNode *node)
{
    // The node just read stays open.
    for (TGaugeTreeNode *n : node->Flatten()) {
        if (n->Data.ElementType != etDirectory || n == node)
            continue;
        for (const TTreeElementStatus &entry : FExpansion) {
            if (entry.Path == n->Path()) {
                n->Expanded = entry.Expanded;
                n->Image = entry.Expanded ? niDirectoryOpen : niDirectoryClosed;
            }
        }
    }
}

bool TGaugeExplorer::ReadChildren(TGaugeTreeNode *node, bool expand)
{
    if (!node)
        return false;
    const bool outermost = FTreeReadNesting == 0;
    ++FTreeReadNesting;
    if (outermost) {
        FDialog.ShowStatus(StatusReadData);
        RecordExpansion(node);
        BeginBusy(true);
        FModel->BeginChange();
    }
    node->ClearChildren();
    node->Data.ChildrenRead = 0;
    const bool complete = ReadLevel(node, expand);
    if (complete)
        node->Data.ChildrenRead = 1;
    node->Overlay = FCancel ? ovCancelled : (complete ? ovNone : node->Overlay);
    if (outermost) {
        node->Expanded = true;
        if (node->Data.ElementType == etDirectory)
            node->Image = niDirectoryOpen;
        RestoreExpansion(node);
        FExpansion.clear();
        FModel->EndChange();
        EndBusy();
        FDialog.ShowStatus(StatusCompleted);
    }
    --FTreeReadNesting;
    return complete;
}

bool TGaugeExplorer::ReadLevel(TGaugeTreeNode *node, bool expand)
{
    if (node->Level() >= MaxReadLevel)
        return true;
    TGauge2FileTreeGet &get = FGauge.FileTreeGet;
    const bool isRoot = node->Data.ElementType == etGauge;
    const QString mode = isRoot ? QStringLiteral("A") : QStringLiteral("D");
    if (!Reliably([&] { return get.Execute(mode, quint16(node->Data.TreeIndex)); }))
        return false;
    quint16 index = get.Index;
    if (index == 0)
        return true;
    for (;;) {
        if (FCancel || Connection().State() != isOpen)
            return false;
        // A lost answer is asked again; the end of the list is status 1.
        if (!Reliably([&] { return get.Execute(QStringLiteral("N"), index); }))
            return false;
        if (get.EntryStatus != 0)
            return true;
        index = get.Index;
        if (!AddChildFrom(node, get, expand))
            return false;
    }
}

bool TGaugeExplorer::AddChildFrom(TGaugeTreeNode *parent, const TGauge2FileTreeGet &entry, bool expand)
{
    TTreeData data = parent->Data;
    data.ChildrenRead = 0;
    data.ParamList.clear();
    data.ClearQuickInfo();
    data.CreateDateTime = data.ChangeDateTime = QDateTime();
    data.ElementType = quint8(entry.Flags);
    data.TreeIndex = entry.Index;
    data.Handle = entry.Handle;
    data.Name = entry.Name.trimmed().left(TTreeData::NameMax);
    TGaugeTreeNode *child = parent->AddChild(std::move(data));
    child->Image = niUnknown;
    if (expand)
        parent->Expanded = true;

    const quint16 handle = quint16(child->Data.Handle);
    TGauge2FileAccessTable &table = FGauge.FileAccessTable;
    if (child->Data.ElementType == etBatch && child->Data.Handle > 0) {
        bool exists = false;
        // A missing file is an answer too (three bytes); only a lost one is asked again.
        if (!Reliably([&] { exists = table.Execute('G', 2, handle, 0); return exists || table.Reply.Count() == 3; }))
            return false;
        if (!exists)
            child->Overlay = ovNoDataFile;
    }
    if (child->Data.Name == QLatin1String("DirectMode") && child->Data.TreeIndex == 2)
        child->HasCheckBox = false;
    switch (child->Data.ElementType) {
    case etDirectory:
        child->Image = niDirectoryClosed;
        if (FUltrasonic || FReadAll || PathWasOpen(child->Path()))
            return ReadChildren(child, expand);
        return true;
    case etBatch: child->Image = niBatch; return true;
    case etParameterSet:
        child->Image = niParameterSet;
        child->Data.ChildrenRead = 1;
        return true;
    default: FDialog.Beep(); return true;
    }
}

bool TGaugeExplorer::ReadWholeTree()
{
    if (!FRoot)
        return false;
    FReadAll = true;
    const bool complete = ReadChildren(FRoot.get(), false);
    FReadAll = false;
    return complete;
}

bool TGaugeExplorer::ReadQuickInfo(TGaugeTreeNode *node)
{
    TTreeData &d = node->Data;
    if (d.Handle <= 0) {
        d.CreateDate = d.ChangeDate = d.User = d.Readings = d.SensorType = d.SensorSerial = TTreeData::NotRead;
        return true;
    }
    int active = 0;
    if (FSteps.GetActiveBatch(active) && active == d.TreeIndex) {
        FSteps.CloseActiveBatch();
        FSteps.OpenBatch(d.TreeIndex);
    }
    if (!OpenFileChecked(3, quint16(d.Handle), 0)) {
        FSteps.CloseFile();
        return false;
    }
    TGauge2FileBatchQuickInfo &q = FGauge.FileBatchQuickInfo;
    bool done = Reliably([&] { return q.Execute('D'); });
    if (done) {
        d.CreateDate = q.CreateDateText;
        d.ChangeDate = q.ChangeDateText;
        d.CreateDateTime = q.CreateDate;
        d.ChangeDateTime = q.ChangeDate;
    }
    done = done && Reliably([&] { return q.Execute('U'); });
    if (done)
        d.User = q.User;
    done = done && Reliably([&] { return q.Execute('V'); });
    if (done)
        d.Readings = q.ReadingsText;
    done = done && Reliably([&] { return q.Execute('S'); });
    if (done) {
        d.SensorType = q.SensorTyp;
        d.SensorSerial = q.SensorSerial;
    }
    FSteps.CloseFile();
    if (!done)
        d.ClearQuickInfo();
    return done;
}

bool TGaugeExplorer::OpenFileChecked(quint8 type, quint16 handle, quint8 mode)
{
    TAnswerWatch watch(Connection());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int bad = watch.BadAnswers();
        if (!FSteps.OpenFile(type, handle, mode))
            return false;
        if (watch.BadAnswers() == bad && FGauge.FileOpen.Reply.Count() == 4)
            return true;
        if (!Resync())
            return false;
    }
    return false;
}

void TGaugeExplorer::ComputeActions(TGaugeTreeNode *node)
{
    FActions = ActionsFor(node, FUltrasonic);
}

void TGaugeExplorer::SelectNode(TGaugeTreeNode *node, bool fromTree)
{
    if (Busy() || !FTreeReady || !node)
        return;
    BeginBusy(true);
    FSelected = node;
    const TTreeData &root = node->Data.RootNode ? node->Data.RootNode->Data : node->Data;
    const QString required = RequiredFirmware({root.GaugeGroup, root.ModelCode}, FUltrasonic);
    FFirmwareAccepted = FirmwareAtLeast(root.FirmwareVersion, required);
    if (!FFirmwareAccepted) {
        FActions = TGaugeActions{};
        FDialog.Beep();
        FDialog.ShowMessage(UpdateMessage.arg(required));
        EndBusy();
        return;
    }
    ComputeActions(node);
    FDialog.ShowStatus(StatusCompleted);
    const TTreeData &d = node->Data;
    if ((d.ElementType == etGauge || d.ElementType == etDirectory) && !d.ChildrenRead) {
        const bool complete = ReadChildren(node, fromTree);
        FModel->BeginChange();
        if (FCancel) {
            node->Overlay = ovCancelled;
            node->Data.ChildrenRead = 0;
        } else if (complete) {
            node->Overlay = ovNone;
            node->Data.ChildrenRead = 1;
            node->Expanded = true;
        }
        FModel->EndChange();
    } else if (d.ElementType == etBatch && QuickView && !d.HasQuickInfo() && node->Overlay == ovNone) {
        BeginBusy(true);
        ReadQuickInfo(node);
        EndBusy();
    }
    EndBusy();
}

bool TGaugeExplorer::CheckGauge()
{
    if (FCancel || Busy() || !FRoot || Connection().State() != isOpen)
        return true;
    FCheckRunning = true;
    FCheckTimer.stop();
    bool answered = false;
    {
        TAnswerWatch watch(Connection());
        answered = FGauge.FileTreeSession.Execute(-1) && watch.BadAnswers() == 0;
    }
    if (answered) {
        FCheckFailures = 0;
        if (FGauge.FileTreeSession.SessionResult != FRoot->Data.SessionCounter) {
            FRoot->Data.SessionCounter = FGauge.FileTreeSession.SessionResult;
            FTreeReady = true;
            TGaugeTreeNode *target = FRefreshTarget ? FRefreshTarget : FRoot.get();
            FRefreshTarget = nullptr;
            ReadChildren(target, true);
            if (TGaugeTreeNode *node = FindNode(FRefreshPath))
                FSelected = node;
        }
    } else if (++FCheckFailures >= 2) {
        FCheckFailures = 0;
        Reset();
    }
    FTreeReady = true;
    FCheckRunning = false;
    if (FRoot)
        FCheckTimer.start();
    return answered;
}

void TGaugeExplorer::RequestRefresh(TGaugeTreeNode *node, const QString &path)
{
    FRefreshTarget = node;
    FRefreshPath = path;
    FTreeReady = false;
    FCheckTimer.start(CheckAfterTreeChangeMs);
}

// ---- busy section

void TGaugeExplorer::BeginBusy(bool waitBar)
{
    Q_UNUSED(waitBar)
    if (FBusy++ > 0)
        return;
    FCheckTimer.stop();
    FCheckTimer.setInterval(CheckIntervalMs);
    FCancel = false;
    emit busyChanged(true);
}

void TGaugeExplorer::EndBusy()
{
    if (FBusy == 0 || --FBusy > 0)
        return;
    FDialog.ShowProgress(0, 0);
    emit busyChanged(false);
    if (std::exchange(FResetPending, false)) {
        Reset();
        FDialog.ShowStatus(StatusNoGauge);
        return;
    }
    if (FRoot)
        FCheckTimer.start(CheckAfterBusyMs);
}

void TGaugeExplorer::Reset()
{
    FModel->BeginChange();
    FSelected = nullptr;
    FRefreshTarget = nullptr;
    FRoot.reset();
    FModel->EndChange();
    FActions = TGaugeActions{};
    FFirmwareAccepted = false;
    FCheckTimer.stop();
}
