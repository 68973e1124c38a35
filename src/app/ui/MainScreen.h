#pragma once

#include "app/ProgramInfo.h"
#include "app/Settings.h"
#include "app/ui/FormStart.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>

class IUserDialog;
class QAction;
class QLabel;
class QProgressBar;
class QSplitter;
class TActionManager;
class TConnectionLink;
class TFileBrowser;
class TFileView;
class TFormSetup;
class TFormShellTree;
class TGaugePanel;
class TWidgetUserDialog;
class TZYKComm2Manager;

// The application's main window: gauge explorer on the left, file browser
// top right, the shown file below it; menus, tool bar and status bar.
class TMainScreen : public QMainWindow
{
    Q_OBJECT

public:
    // Commands of the internal message 1025 (GlobalMsg).
    enum TGlobalCommand {
        gcDeferredStart = 2,
        gcRefreshBatch = 4,
        gcAskBatchInformation = 5,
        gcRefreshGaugeDirectory = 6,
    };
    static constexpr int GlobalMsgId = 1025;
    static constexpr int RestartParamId = 1026;
    // What a drag from the gauge tree carries; the file list accepts it.
    static constexpr const char *GaugeElementMimeType = "application/x-gauge-tree-element";

    // Reads the settings and builds the window. dialog answers the person
    // (message boxes when null). link stands for the connection manager;
    // when null, the window creates the real manager (with one connection
    // item) and its link. What the caller passes stays the caller's.
    TMainScreen(const TProgramInfo &info, IUserDialog *dialog = nullptr, TConnectionLink *link = nullptr,
                QWidget *parent = nullptr);
    ~TMainScreen() override;

    // The command line of this start: the first argument is a file to show.
    void SetCommandLine(const QStringList &arguments) { FArguments = arguments; }
    // The splash, closed with its fade-out by the deferred start-up step.
    void SetSplash(TFormStart *splash) { FSplash = splash; }
    // Shows the window in the stored state (normal or maximized).
    void ShowByState();

    // Message 1025: queued, handled by GlobalMsg.
    void PostGlobalMsg(int command, quintptr param = 0);
    // Message 1026: the command line handed over by a second start.
    void PostRestartParam(const QString &text);

    const TProgramInfo &Info() const { return FInfo; }
    TSettings &Settings() { return FSettings; }
    const TSettingsRecord &Record() const { return FSettings.Record; }
    void SetRecord(const TSettingsRecord &record) { FSettings.Record = record; }

    TActionManager &Actions() const { return *FActions; }
    QAction *Action(const QString &name) const;
    TFileBrowser *FileBrowser() const { return FBrowser; }
    TFileView *FileView() const { return FView; }
    TGaugePanel *GaugePanel() const { return FGaugePanel; }
    TFormSetup *FormSetup() const { return FFormSetup; }
    TFormShellTree *FormShellTree() const { return FShellTree; }
    TConnectionLink *ConnectionLink() const { return FLink; }
    // The connection manager the window owns; null when a link was given.
    TZYKComm2Manager *ZYKComm2Manager1() const { return FManager.get(); }
    IUserDialog &Dialog() const { return *FDialog; }
    QLabel *StatusText() const { return FStatusText; }
    QProgressBar *WaitBar() const { return FWaitBar; }

    // The folder the file browser shows.
    QString CurrentFolder() const;
    QString HelpFile() const { return FHelpFile; }
    int DeferredStartRuns() const { return FDeferredStartRuns; }

    // The shared state of the gauge operations. A busy section (nesting)
    // clears the cancel flag, disables the file list and runs the wait bar.
    bool CancelFlag() const { return FCancel; }
    void SetCancelFlag(bool cancel) { FCancel = cancel; }
    void BeginBusy(bool withWaitBar = true);
    void EndBusy();
    bool IsBusy() const { return FBusy > 0; }

public slots:
    void GlobalMsg(int command, quintptr param);
    void RestartParam(const QString &text);
    // Shows a file as if it had been chosen in the file list.
    void ShowChosenFile(const QString &path);
    void ProgSetupExecute();
    void CloseShownFile();

signals:
    // The gauge explorer clears itself (the window closes).
    void ExplorerReset();
    // Message 1025 code 6, for the explorer: re-read the children of node.
    void RefreshGaugeDirectory(quintptr node);
    // A gauge tree element was dropped onto the file list.
    void GaugeElementDropped();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildLayout();
    void BuildStatusBar();
    void ConnectActions();
    void ApplySwitches();
    void ApplyPlacement();
    void StorePlacement();
    void DeferredStart();
    void SetViewStyle(int style);
    void CheckViewAction();
    void CheckLanguageAction(int language);
    void SwitchLanguage(int language);
    void EditFocused(const char *slot);
    void OpenFile();
    void ShowHelp();
    void ShowAbout();
    void DeleteSelectedFiles();
    void CreateDirectory();
    void ToggleShellTree(bool down);
    void AskBatchInformation();
    void AdvanceWaitBar();

    const TProgramInfo &FInfo;
    TSettings FSettings;
    std::unique_ptr<TWidgetUserDialog> FOwnDialog;
    IUserDialog *FDialog = nullptr;
    std::unique_ptr<TZYKComm2Manager> FManager;
    std::unique_ptr<TConnectionLink> FOwnLink;
    TConnectionLink *FLink = nullptr;
    TActionManager *FActions = nullptr;
    TGaugePanel *FGaugePanel = nullptr;
    TFileBrowser *FBrowser = nullptr;
    TFileView *FView = nullptr;
    QSplitter *FMainSplitter = nullptr;
    QSplitter *FRightSplitter = nullptr;
    QWidget *FBackPanel = nullptr;
    TFormSetup *FFormSetup = nullptr;
    TFormShellTree *FShellTree = nullptr;
    QPointer<TFormStart> FSplash;
    QLabel *FStatusText = nullptr;
    QProgressBar *FWaitBar = nullptr;
    QTimer FWaitTimer;
    QStringList FArguments;
    QString FHelpFile;
    bool FCancel = false;
    int FBusy = 0;
    bool FShownOnce = false;
    int FDeferredStartRuns = 0;
};
