#include "app/ui/MainScreen.h"

#include "app/ui/ActionManager.h"
#include "app/ui/ConnectionLink.h"
#include "app/ui/FileBrowser.h"
#include "app/ui/FileView.h"
#include "app/ui/FormCreateDirectory.h"
#include "app/ui/FormSetup.h"
#include "app/ui/FormShellTree.h"
#include "app/ui/FormStart.h"
#include "app/ui/GaugePanel.h"
#include "app/ui/ManagerConnectionLink.h"
#include "app/ui/WidgetUserDialog.h"

#include "comm/platform/LinuxDiscoveryPlatform.h"
#include "comm/platform/ZYKComm2Manager.h"

#include <QAbstractItemView>
#include <cfenv>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int MinimumWidth = 800;
constexpr int MinimumHeight = 560;
constexpr int GaugePanelMinimum = 260;
constexpr int SplitterMinimum = 220;
constexpr int WaitTimerMs = 250;

struct TLanguageAction
{
    int Language;
    const char *Action;
};
const TLanguageAction LanguageActions[] = {
    {1031, "ActionLanguageGerman"},
    {2057, "ActionLanguageEnglish"},
    {1034, "ActionLanguageSpanish"},
    {1036, "ActionLanguageFrench"},
};

struct TViewAction
{
    int Style;
    const char *Action;
};
const TViewAction ViewActions[] = {
    {TFileBrowser::vsList, "ShellViewList"},
    {TFileBrowser::vsReport, "ShellViewDetail"},
    {TFileBrowser::vsIcon, "ShellViewSymbol"},
};

// The main window's initial bounds: centred on the screen.
TWindowBounds InitialBounds()
{
    QRect area(0, 0, 1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    const int width = qBound(MinimumWidth, area.width() * 4 / 5, 1200);
    const int height = qBound(MinimumHeight, area.height() * 4 / 5, 800);
    return {area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2, width, height};
}

} // namespace

TMainScreen::TMainScreen(const TProgramInfo &info, IUserDialog *dialog, TConnectionLink *link, QWidget *parent)
    : QMainWindow(parent)
    , FInfo(info)
{
    setObjectName(QStringLiteral("MainScreen"));
    if (dialog) {
        FDialog = dialog;
    } else {
        FOwnDialog = std::make_unique<TWidgetUserDialog>(this);
        FDialog = FOwnDialog.get();
    }
    if (link) {
        FLink = link;
    } else {
        FManager = std::make_unique<TZYKComm2Manager>(std::make_unique<TLinuxDiscoveryPlatform>());
        FManager->SetUserDialog(FDialog);
        if (FManager->Connections().Count() == 0)
            FManager->Connections().Add();
        FOwnLink = std::make_unique<TManagerConnectionLink>(*FManager);
        FLink = FOwnLink.get();
    }

    auto defaults = TSettings::SystemDefaults(InitialBounds());
    FSettings = TSettings(defaults);
    FSettings.Load(FInfo.SettingsFile(), FInfo.Brand());

    // Readings are rounded to the nearest value when they are packed and shown.
    std::fesetround(FE_TONEAREST);
    setMinimumSize(MinimumWidth, MinimumHeight);
    setWindowTitle(FInfo.MainCaption());
    FActions = new TActionManager(this);
    BuildLayout();
    BuildStatusBar();
    ConnectActions();
    ApplyPlacement();
    CheckLanguageAction(FSettings.Record.Language);
    ApplySwitches();
    FHelpFile = HelpFilePath(QCoreApplication::applicationDirPath(), FInfo.Edition(), FInfo.Language());
    FFormSetup = new TFormSetup(*this);
    CloseShownFile();
}

TMainScreen::~TMainScreen()
{
    emit ExplorerReset();
    FLink->CloseConnection();
}

QAction *TMainScreen::Action(const QString &name) const
{
    return FActions->Action(name);
}

void TMainScreen::BuildLayout()
{
    menuBar()->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    FActions->BuildMenus(menuBar());
    auto *toolBar = addToolBar(tr("Tool bar"));
    toolBar->setObjectName(QStringLiteral("ActionToolBar1"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(24, 24));
    FActions->BuildToolBar(toolBar);
    // Shortcut-only actions work anywhere in the window.
    addAction(Action(QStringLiteral("ActionCancel")));
    addAction(Action(QStringLiteral("ActionDialogScreen")));

    FMainSplitter = new QSplitter(Qt::Horizontal, this);
    FMainSplitter->setObjectName(QStringLiteral("SplitterGauge"));
    FMainSplitter->setChildrenCollapsible(false);
    FGaugePanel = new TGaugePanel(*FActions, FMainSplitter);
    FGaugePanel->setMinimumWidth(GaugePanelMinimum);

    FBackPanel = new QWidget(FMainSplitter);
    FBackPanel->setObjectName(QStringLiteral("BackPanel"));
    FBackPanel->setMinimumWidth(SplitterMinimum);
    auto *backLayout = new QVBoxLayout(FBackPanel);
    backLayout->setContentsMargins(0, 0, 0, 0);
    FRightSplitter = new QSplitter(Qt::Vertical, FBackPanel);
    FRightSplitter->setObjectName(QStringLiteral("SplitterShell"));
    FRightSplitter->setChildrenCollapsible(false);
    FBrowser = new TFileBrowser(FRightSplitter);
    FBrowser->setMinimumHeight(120);
    FActions->BuildShellToolBar(FBrowser->ToolBar());
    FView = new TFileView(FRightSplitter);
    FView->setMinimumHeight(120);
    FRightSplitter->setStretchFactor(0, 1);
    FRightSplitter->setStretchFactor(1, 1);
    backLayout->addWidget(FRightSplitter);

    FMainSplitter->addWidget(FGaugePanel);
    FMainSplitter->addWidget(FBackPanel);
    FMainSplitter->setStretchFactor(0, 0);
    FMainSplitter->setStretchFactor(1, 1);
    setCentralWidget(FMainSplitter);

    FShellTree = new TFormShellTree(FBackPanel);

    for (QAbstractItemView *view : FBrowser->findChildren<QAbstractItemView *>()) {
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }
}

void TMainScreen::BuildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    FStatusText = new QLabel(statusBar());
    FStatusText->setFixedWidth(500);
    FStatusText->setFrameShape(QFrame::StyledPanel);
    FWaitBar = new QProgressBar(statusBar());
    FWaitBar->setObjectName(QStringLiteral("WaitBar"));
    FWaitBar->setFixedWidth(50);
    FWaitBar->setMaximumHeight(14);
    FWaitBar->setRange(0, 10);
    FWaitBar->setValue(0);
    FWaitBar->setTextVisible(false);
    statusBar()->addWidget(FStatusText);
    statusBar()->addWidget(FWaitBar);
    if (FOwnDialog) {
        FOwnDialog->OnStatus = [this](const QString &text) { FStatusText->setText(text); };
        FOwnDialog->OnProgress = [this](qint64 step, qint64 total) {
            FWaitBar->setRange(0, total > 0 ? 1000 : 10);
            FWaitBar->setValue(total > 0 ? int(step * 1000 / total) : 0);
        };
    }
    FWaitTimer.setInterval(WaitTimerMs);
    connect(&FWaitTimer, &QTimer::timeout, this, &TMainScreen::AdvanceWaitBar);
}

void TMainScreen::ConnectActions()
{
    auto on = [this](const char *name, auto handler) {
        connect(Action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("FileExit1", [this] { close(); });
    on("FileOpen1", [this] { OpenFile(); });
    on("ProgSetup", [this] { ProgSetupExecute(); });
    on("ActionHelp", [this] { ShowHelp(); });
    on("ActionAbout", [this] { ShowAbout(); });
    on("ActionCancel", [this] { FCancel = true; });
    on("EditUndo1", [this] { EditFocused("undo"); });
    on("EditCut1", [this] { EditFocused("cut"); });
    on("EditCopy1", [this] { EditFocused("copy"); });
    on("EditPaste1", [this] { EditFocused("paste"); });
    on("EditSelectAll1", [this] { EditFocused("selectAll"); });
    for (const TViewAction &view : ViewActions)
        on(view.Action, [this, style = view.Style] { SetViewStyle(style); });
    for (const TLanguageAction &language : LanguageActions)
        on(language.Action, [this, id = language.Language] { SwitchLanguage(id); });

    on("ActionShellTreeBack", [this] {
        CloseShownFile();
        FBrowser->GoBack();
    });
    on("ActionShellTreeUp", [this] {
        CloseShownFile();
        FBrowser->GoUp();
    });
    on("ActionDeleteFile", [this] { DeleteSelectedFiles(); });
    on("ActionShellCreateDirectory", [this] { CreateDirectory(); });
    connect(Action(QStringLiteral("ActionShellTreeDropDown")), &QAction::triggered, this,
            &TMainScreen::ToggleShellTree);

    connect(FBrowser, &TFileBrowser::PathChanged, this, [this](const QString &folder) {
        FShellTree->SetFolder(folder);
        Action(QStringLiteral("ActionShellTreeBack"))->setEnabled(FBrowser->CanGoBack());
        Action(QStringLiteral("ActionDeleteFile"))->setEnabled(false);
    });
    connect(FBrowser, &TFileBrowser::SelectionChanged, this, [this](const QStringList &paths) {
        Action(QStringLiteral("ActionDeleteFile"))->setEnabled(!paths.isEmpty());
        if (paths.size() == 1)
            FView->ShowFile(paths.first());
    });
    connect(FBrowser, &TFileBrowser::ItemActivated, this, &TMainScreen::ShowChosenFile);
    connect(FShellTree, &TFormShellTree::FolderChosen, this, [this](const QString &folder) {
        CloseShownFile();
        FBrowser->SetPath(folder);
    });
    connect(FShellTree, &TFormShellTree::StateChanged, this, [this](int state) {
        QAction *dropDown = Action(QStringLiteral("ActionShellTreeDropDown"));
        dropDown->setIcon(QIcon(state == TFormShellTree::stHidden ? QStringLiteral(":/icons/dirtree.svg")
                                                                   : QStringLiteral(":/icons/dirtree-up.svg")));
        if (state == TFormShellTree::stHidden) {
            const QSignalBlocker block(dropDown);
            dropDown->setChecked(false);
        }
    });
    Action(QStringLiteral("ActionShellTreeBack"))->setEnabled(false);
    Action(QStringLiteral("ActionDeleteFile"))->setEnabled(false);
}

void TMainScreen::ApplySwitches()
{
    const TEditionSwitches switches = FInfo.Switches();
    Action(QStringLiteral("DirectImport"))->setVisible(switches.directImport);
    Action(QStringLiteral("ActionShowAPicture"))->setVisible(switches.aPicture);
    Action(QStringLiteral("ActionLanguageSpanish"))->setVisible(switches.languageSpanishFrench);
    Action(QStringLiteral("ActionLanguageFrench"))->setVisible(switches.languageSpanishFrench);
    Action(QStringLiteral("ActionTextExport"))->setVisible(switches.textExport);
    Action(QStringLiteral("PrintDlg1"))->setVisible(switches.print);
    Action(QStringLiteral("ActionExportPDF"))->setVisible(true);
    FGaugePanel->Button(QStringLiteral("btnInsertTreeStructure"))->setVisible(switches.insertTreeStructure);
    FGaugePanel->findChild<QLabel *>(QStringLiteral("LabelUser"))->setVisible(switches.quickInfoUser);
    FGaugePanel->QuickInfoValue(QStringLiteral("QIUser"))->setVisible(switches.quickInfoUser);
    TActionManager::TidySeparators(findChild<QToolBar *>(QStringLiteral("ActionToolBar1")));
}

void TMainScreen::ApplyPlacement()
{
    const TWindowPlacement &placement = FSettings.MainWindow;
    if (placement.State == wsNormal && placement.Bounds.Width > 0 && placement.Bounds.Height > 0) {
        move(placement.Bounds.Left, placement.Bounds.Top);
        resize(placement.Bounds.Width, placement.Bounds.Height);
    }
    const int treeWidth = qMax(FSettings.TreeWidth, GaugePanelMinimum);
    FMainSplitter->setSizes({treeWidth, qMax(width() - treeWidth, SplitterMinimum)});
    QWidget *header = FBrowser->HeaderPanel();
    header->setFixedHeight(qMax(FSettings.ShellHeight, header->minimumSizeHint().height()));
}

void TMainScreen::ShowByState()
{
    switch (FSettings.MainWindow.State) {
    case wsMaximized:
        showMaximized();
        break;
    case wsMinimized:
        showMinimized();
        break;
    default:
        show();
        break;
    }
}

void TMainScreen::StorePlacement()
{
    TWindowPlacement &placement = FSettings.MainWindow;
    if (isMaximized())
        placement.State = wsMaximized;
    else if (isMinimized())
        placement.State = wsMinimized;
    else
        placement.State = wsNormal;
    if (placement.State == wsNormal)
        placement.Bounds = {pos().x(), pos().y(), width(), height()};
    if (FShownOnce && FGaugePanel->width() > 0)
        FSettings.TreeWidth = FGaugePanel->width();
    FSettings.ShellHeight = FBrowser->HeaderPanel()->height();
    FSettings.ShellPath = CurrentFolder();
}

void TMainScreen::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    FLink->StartDiscovery();
    FBrowser->Refresh();
}

void TMainScreen::closeEvent(QCloseEvent *event)
{
    FCancel = true;
    emit ExplorerReset();
    if (FSplash)
        FSplash->CloseForm();
    FShellTree->Retract();
    CloseShownFile();
    StorePlacement();
    // A write error is not reported: there is nobody left to tell.
    FSettings.Save(FInfo.SettingsFile());
    event->accept();
}

bool TMainScreen::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!IsBusy() && drag->mimeData()->hasFormat(QString::fromLatin1(GaugeElementMimeType))) {
            drag->acceptProposedAction();
            return true;
        }
        drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!IsBusy() && drop->mimeData()->hasFormat(QString::fromLatin1(GaugeElementMimeType))) {
            drop->acceptProposedAction();
            emit GaugeElementDropped();
            Action(QStringLiteral("ActionDownload"))->trigger();
        }
        return true;
    }
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

QString TMainScreen::CurrentFolder() const
{
    return FBrowser->Path();
}

void TMainScreen::PostGlobalMsg(int command, quintptr param)
{
    QMetaObject::invokeMethod(this, [this, command, param] { GlobalMsg(command, param); }, Qt::QueuedConnection);
}

void TMainScreen::PostRestartParam(const QString &text)
{
    QMetaObject::invokeMethod(this, [this, text] { RestartParam(text); }, Qt::QueuedConnection);
}

void TMainScreen::GlobalMsg(int command, quintptr param)
{
    switch (command) {
    case gcDeferredStart:
        DeferredStart();
        break;
    case gcRefreshBatch:
        FView->RefreshBatch();
        break;
    case gcAskBatchInformation:
        AskBatchInformation();
        break;
    case gcRefreshGaugeDirectory:
        emit RefreshGaugeDirectory(param);
        break;
    default:
        break;
    }
}

void TMainScreen::RestartParam(const QString &text)
{
    ShowChosenFile(text.trimmed());
}

void TMainScreen::DeferredStart()
{
    ++FDeferredStartRuns;
    TSettingsRecord &record = FSettings.Record;
    SetViewStyle(record.ViewStyle);
    FGaugePanel->QuickInfoPanel()->setVisible(record.QuickView);
    if (FView->HasOpenFile())
        FView->ShowFile(FView->ShownFile());
    if (record.ActivePort != 0)
        FLink->SelectPort(record.ActivePort);
    FFormSetup->SelectPortEntry(record.RS232);

    const QString startFolder = FArguments.isEmpty() ? FSettings.ShellPath
                                                     : QFileInfo(FArguments.first()).absolutePath();
    if (QFileInfo(startFolder).isDir())
        FBrowser->SetPath(startFolder);
    if (!FArguments.isEmpty())
        ShowChosenFile(FArguments.first());
    if (FSplash)
        FSplash->CloseForm();
}

void TMainScreen::ShowChosenFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        FView->ShowFile(path);
        return;
    }
    const QString absolute = info.absoluteFilePath();
    if (FBrowser->Path() != info.absolutePath() && !info.isDir()) {
        CloseShownFile();
        FBrowser->SetPath(info.absolutePath());
    }
    FBrowser->SelectPath(absolute);
    if (FView->ShownFile() != absolute)
        FView->ShowFile(absolute);
}

void TMainScreen::OpenFile()
{
    const QString extension = QStringLiteral("*.") + FInfo.BatchExtension();
    const QString file = FDialog->ChooseFile(tr("Open file"), CurrentFolder(),
                                             {tr("Batch files (%1)").arg(extension), tr("All files (*)")});
    if (!file.isEmpty())
        ShowChosenFile(file);
}

void TMainScreen::CloseShownFile()
{
    FView->CloseFile();
    for (const char *name : {"FileSaveAs1", "PrintDlg1", "ActionTextExport", "ActionExcelExport", "ActionExportPDF"})
        Action(QString::fromLatin1(name))->setEnabled(false);
}

void TMainScreen::ProgSetupExecute()
{
    FFormSetup->exec();
    PostGlobalMsg(gcDeferredStart);
}

void TMainScreen::SetViewStyle(int style)
{
    FSettings.Record.ViewStyle = quint8(FBrowser->SetViewStyle(style));
    CheckViewAction();
}

void TMainScreen::CheckViewAction()
{
    for (const TViewAction &view : ViewActions)
        if (view.Style == FSettings.Record.ViewStyle)
            Action(QString::fromLatin1(view.Action))->setChecked(true);
}

void TMainScreen::CheckLanguageAction(int language)
{
    for (const TLanguageAction &entry : LanguageActions)
        if (entry.Language == language)
            Action(QString::fromLatin1(entry.Action))->setChecked(true);
}

void TMainScreen::SwitchLanguage(int language)
{
    FSettings.Record.Language = language;
    CheckLanguageAction(language);
    const QString question = tr("To activate your language selection, close current application and restart it again.")
                             + QStringLiteral("\r\n\r\n") + tr("Do you want to quit application now ?");
    if (FDialog->AskQuestion(question) == IUserDialog::TAnswer::Yes)
        close();
}

void TMainScreen::EditFocused(const char *slot)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    const QByteArray signature = QByteArray(slot) + "()";
    if (focus->metaObject()->indexOfMethod(signature.constData()) >= 0)
        QMetaObject::invokeMethod(focus, slot);
}

void TMainScreen::ShowHelp()
{
    if (FHelpFile.isEmpty()) {
        FDialog->Beep();
        FDialog->ShowMessage(tr("No help available !"));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FHelpFile));
}

void TMainScreen::ShowAbout()
{
    auto *about = new TFormStart(TStartContent::Of(FInfo), TFormStart::fmAbout, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->exec();
}

void TMainScreen::DeleteSelectedFiles()
{
    const QStringList paths = FBrowser->SelectedPaths();
    if (paths.isEmpty())
        return;
    CloseShownFile();
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        const auto answer = FDialog->AskQuestion(tr("Do you want to move \"%1\" to the trash?").arg(name), true);
        if (answer == IUserDialog::TAnswer::Cancel)
            break;
        if (answer == IUserDialog::TAnswer::No)
            continue;
        if (!QFile::moveToTrash(path))
            FDialog->ShowMessage(tr("\"%1\" could not be moved to the trash.").arg(name));
    }
}

void TMainScreen::CreateDirectory()
{
    CloseShownFile();
    auto *form = new TFormCreateDirectory(CurrentFolder(), this);
    form->setAttribute(Qt::WA_DeleteOnClose);
    connect(form, &TFormCreateDirectory::DirectoryCreated, this, [this](const QString &path) {
        FBrowser->Refresh();
        FBrowser->SelectPath(path);
    });
    form->open();
}

void TMainScreen::ToggleShellTree(bool down)
{
    if (!down) {
        FShellTree->Retract();
        return;
    }
    CloseShownFile();
    QWidget *header = FBrowser->HeaderPanel();
    QWidget *button = FBrowser->ToolBar()->widgetForAction(Action(QStringLiteral("ActionShellTreeDropDown")));
    const int left = button ? button->mapTo(FBackPanel, QPoint(0, 0)).x() : 0;
    const int top = header->mapTo(FBackPanel, QPoint(0, header->height())).y();
    FShellTree->SetFolder(CurrentFolder());
    FShellTree->DropDown(QRect(left, top, FBackPanel->width() - left, FBackPanel->height() - top), header->height());
}

void TMainScreen::AskBatchInformation()
{
    const QString question = tr("Are you sure you want to modify this batch information ?") + QStringLiteral("\r\n\r\n")
                             + tr("Continue ?");
    if (FDialog->AskQuestion(question) == IUserDialog::TAnswer::No)
        FBrowser->CurrentView()->setFocus();
}

void TMainScreen::BeginBusy(bool withWaitBar)
{
    if (FBusy++ == 0) {
        FCancel = false;
        FBrowser->SetListEnabled(false);
    }
    if (withWaitBar)
        FWaitTimer.start();
}

void TMainScreen::EndBusy()
{
    if (FBusy > 0 && --FBusy == 0) {
        FBrowser->SetListEnabled(true);
        FWaitTimer.stop();
        FWaitBar->setRange(0, 10);
        FWaitBar->setValue(0);
    }
}

void TMainScreen::AdvanceWaitBar()
{
    FWaitBar->setValue(FWaitBar->value() >= FWaitBar->maximum() ? 0 : FWaitBar->value() + 1);
}
