#include "ShellFixture.h"

#include "app/ui/ActionManager.h"
#include "app/ui/FileBrowser.h"
#include "app/ui/FileView.h"
#include "app/ui/FormShellTree.h"
#include "app/ui/GaugePanel.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileSystemModel>
#include <QToolButton>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScopeGuard>
#include <QToolBar>

namespace {

void WriteFile(const QString &path, const QByteArray &bytes = "x")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

using MainScreenTest = ShellFixture;

TEST_F(MainScreenTest, FirstStartWithoutSettingsShowsListEnglishAndNoQuickInfo)
{
    Start();

    EXPECT_EQ(main->FileBrowser()->ViewStyle(), TFileBrowser::vsList);
    EXPECT_TRUE(Action("ShellViewList")->isChecked());
    EXPECT_TRUE(Action("ActionLanguageEnglish")->isChecked());
    EXPECT_FALSE(Action("ActionLanguageGerman")->isChecked());
    EXPECT_FALSE(main->GaugePanel()->QuickInfoPanel()->isVisible());
    EXPECT_EQ(main->CurrentFolder(), QDir(QCoreApplication::applicationDirPath()).absolutePath());
    EXPECT_EQ(main->DeferredStartRuns(), 1);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Dalvo 7 Professional Edition"));
    EXPECT_EQ(link.discoveries, 1);
    EXPECT_TRUE(link.selectedPorts.isEmpty()); // ActivePort 0 leaves the port alone

    const TIniFile saved = Close();
    EXPECT_EQ(saved.ReadInteger("Setup", "ViewStyle", -1), 2);
    EXPECT_EQ(saved.ReadInteger("Setup", "Language", -1), 2057);
    EXPECT_EQ(saved.ReadString("Files", "ShellPath"), main->CurrentFolder());
    EXPECT_FALSE(saved.KeyExists("Debug", "LogFile"));
}

TEST_F(MainScreenTest, DeferredStepAppliesStoredViewQuickInfoAndPort)
{
    const QString folder = dir.filePath(QStringLiteral("batches"));
    QDir().mkpath(folder);
    WriteSettings("[Setup]\r\nViewStyle=1\r\nQuickView=1\r\nActivePort=2\r\n[Files]\r\nShellPath=" + folder.toUtf8()
                  + "\r\n");
    Start();

    // Style 1 is not offered: the list is shown, and the setting follows.
    EXPECT_EQ(main->Record().ViewStyle, 2);
    EXPECT_TRUE(Action("ShellViewList")->isChecked());
    EXPECT_TRUE(main->GaugePanel()->QuickInfoPanel()->isVisible());
    EXPECT_EQ(link.selectedPorts, QList<int>{2});
    EXPECT_EQ(main->CurrentFolder(), folder);
}

TEST_F(MainScreenTest, ViewActionsSetTheListStyleAndTheSetting)
{
    Start();
    const struct
    {
        const char *action;
        int style;
    } cases[] = {{"ShellViewDetail", 3}, {"ShellViewSymbol", 0}, {"ShellViewList", 2}};
    for (const auto &c : cases) {
        Action(c.action)->trigger();
        EXPECT_EQ(main->FileBrowser()->ViewStyle(), c.style) << c.action;
        EXPECT_EQ(main->Record().ViewStyle, c.style) << c.action;
        EXPECT_TRUE(Action(c.action)->isChecked()) << c.action;
    }
    Action("ShellViewDetail")->trigger();
    EXPECT_EQ(Close().ReadInteger("Setup", "ViewStyle", -1), 3);
}

TEST_F(MainScreenTest, LanguageSwitchAnsweredNoKeepsLanguageButChecksNewAction)
{
    Start();
    dialog.answers = {IUserDialog::TAnswer::No};
    Action("ActionLanguageGerman")->trigger();

    ASSERT_EQ(dialog.questions.size(), 1);
    EXPECT_EQ(dialog.questions.first(),
              QStringLiteral("To activate your language selection, close current application and restart it "
                             "again.\r\n\r\nDo you want to quit application now ?"));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(Action("ActionLanguageGerman")->isChecked());
    EXPECT_FALSE(Action("ActionLanguageEnglish")->isChecked());
    EXPECT_EQ(info->Language(), 2057); // the running program keeps its language
    EXPECT_EQ(Close().ReadInteger("Setup", "Language", -1), 1031);
}

TEST_F(MainScreenTest, LanguageSwitchAnsweredYesClosesAndSavesTheLanguage)
{
    Start();
    dialog.answers = {IUserDialog::TAnswer::Yes};
    Action("ActionLanguageFrench")->trigger();

    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(TIniFile(info->SettingsFile()).ReadInteger("Setup", "Language", -1), 1036);
}

TEST_F(MainScreenTest, StoredLanguageChecksItsActionAtStart)
{
    WriteSettings("[Setup]\r\nLanguage=1034\r\n");
    Start();
    EXPECT_TRUE(Action("ActionLanguageSpanish")->isChecked());
    EXPECT_FALSE(Action("ActionLanguageEnglish")->isChecked());
}

// Which actions and labels each edition and brand offers.
TEST_F(MainScreenTest, EditionAndBrandSwitches)
{
    const struct
    {
        const char *product;
        const char *company;
        bool directImport, aScan, spanishFrench, textExport, print, quickInfoUser;
    } cases[] = {
        {"Dalvo 7", "Korventhalium", true, false, true, true, true, true},
        {"Dalvo 7", "Tarvex", false, false, true, false, false, false},
        {"Kavra 7", "Korventhalium", false, true, false, true, true, true},
        {"Kavra 7", "tarvex", false, true, false, false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 / %2").arg(c.product, c.company).toStdString());
        Start(QString::fromLatin1(c.product), QString::fromLatin1(c.company));
        EXPECT_EQ(Action("DirectImport")->isVisible(), c.directImport);
        EXPECT_EQ(Action("ActionShowAPicture")->isVisible(), c.aScan);
        EXPECT_EQ(Action("ActionLanguageSpanish")->isVisible(), c.spanishFrench);
        EXPECT_EQ(Action("ActionLanguageFrench")->isVisible(), c.spanishFrench);
        EXPECT_EQ(Action("ActionTextExport")->isVisible(), c.textExport);
        EXPECT_EQ(Action("PrintDlg1")->isVisible(), c.print);
        EXPECT_TRUE(Action("ActionExportPDF")->isVisible());
        EXPECT_TRUE(main->GaugePanel()->Button(QStringLiteral("btnInsertTreeStructure"))->isVisibleTo(main.get()));
        const auto *user = main->GaugePanel()->findChild<QLabel *>(QStringLiteral("LabelUser"));
        EXPECT_EQ(!user->isHidden(), c.quickInfoUser);
        EXPECT_EQ(!main->GaugePanel()->QuickInfoValue(QStringLiteral("QIUser"))->isHidden(), c.quickInfoUser);
        // No tool-bar separator is left first, last or doubled by hidden actions.
        bool lastWasSeparator = true;
        for (QAction *action : main->findChild<QToolBar *>(QStringLiteral("ActionToolBar1"))->actions()) {
            if (!action->isVisible())
                continue;
            EXPECT_FALSE(action->isSeparator() && lastWasSeparator);
            lastWasSeparator = action->isSeparator();
        }
        EXPECT_FALSE(lastWasSeparator);
        main.reset();
    }
}

TEST_F(MainScreenTest, MenusFollowTheActionTable)
{
    Start();
    QStringList menus;
    for (QAction *menu : main->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Help"}));
    const struct
    {
        const char *action;
        const char *shortcut;
    } shortcuts[] = {{"FileOpen1", "Ctrl+O"}, {"PrintDlg1", "Ctrl+P"}, {"FileExit1", "Alt+F4"},
                     {"EditUndo1", "Ctrl+Z"}, {"EditSelectAll1", "Ctrl+A"}, {"ActionCancel", "Esc"},
                     {"ActionDialogScreen", "Ctrl+Alt+D"}};
    for (const auto &s : shortcuts)
        EXPECT_EQ(Action(s.action)->shortcut(), QKeySequence(QString::fromLatin1(s.shortcut))) << s.action;
    // Every action that a table names exists (a typo would assert).
    for (const TMenuEntry &entry : TActionManager::MenuLayout()) {
        if (qstrcmp(entry.Action, "-") != 0) {
            EXPECT_NE(Action(entry.Action), nullptr);
        }
    }
}

TEST_F(MainScreenTest, EscapeSetsTheCancelFlag)
{
    Start();
    main->activateWindow();
    EXPECT_FALSE(main->CancelFlag());
    Action("ActionCancel")->trigger();
    EXPECT_TRUE(main->CancelFlag());
}

TEST_F(MainScreenTest, SecondStartHandOverShowsTheTrimmedFile)
{
    const QString folder = dir.filePath(QStringLiteral("other"));
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/Batch 1.dv7");
    WriteFile(file);
    Start();

    main->PostRestartParam(QStringLiteral(" ") + file + QStringLiteral("  "));
    QCoreApplication::processEvents();

    EXPECT_EQ(main->CurrentFolder(), folder);
    EXPECT_EQ(main->FileView()->ShownFile(), file);
    EXPECT_EQ(main->FileBrowser()->SelectedPaths(), QStringList{file});
}

TEST_F(MainScreenTest, OpenFileShowsTheChosenFileInItsFolder)
{
    const QString file = dir.filePath(QStringLiteral("chosen.dv7"));
    WriteFile(file);
    Start();
    dialog.files = {file};
    Action("FileOpen1")->trigger();
    EXPECT_EQ(main->CurrentFolder(), dir.path());
    EXPECT_EQ(main->FileView()->ShownFile(), file);

    Action("FileOpen1")->trigger(); // cancelled: nothing changes
    EXPECT_EQ(main->FileView()->ShownFile(), file);
}

TEST_F(MainScreenTest, FileArgumentOpensItsFolderAndTheFile)
{
    const QString file = dir.filePath(QStringLiteral("start.dv7"));
    WriteFile(file);
    info = std::make_unique<TProgramInfo>(Version(QStringLiteral("Dalvo 7"), QStringLiteral("Korventhalium")), Roots());
    main = std::make_unique<TMainScreen>(*info, &dialog, &link);
    main->SetCommandLine({file});
    main->show();
    main->GlobalMsg(TMainScreen::gcDeferredStart, 0);

    EXPECT_EQ(main->CurrentFolder(), dir.path());
    EXPECT_EQ(main->FileView()->ShownFile(), file);
}

TEST_F(MainScreenTest, FileBrowserBackUpAndCloseTheShownFile)
{
    const QString top = dir.filePath(QStringLiteral("top"));
    QDir().mkpath(top + QStringLiteral("/inner"));
    WriteFile(top + QStringLiteral("/inner/a.dv7"));
    Start();
    TFileBrowser *browser = main->FileBrowser();
    ASSERT_TRUE(browser->SetPath(top));
    ASSERT_TRUE(browser->SetPath(top + QStringLiteral("/inner")));
    main->ShowChosenFile(top + QStringLiteral("/inner/a.dv7"));
    ASSERT_TRUE(main->FileView()->HasOpenFile());

    Action("ActionShellTreeUp")->trigger();
    EXPECT_EQ(main->CurrentFolder(), top);
    EXPECT_FALSE(main->FileView()->HasOpenFile());
    EXPECT_FALSE(Action("FileSaveAs1")->isEnabled());
    Action("ActionShellTreeBack")->trigger();
    EXPECT_EQ(main->CurrentFolder(), top + QStringLiteral("/inner"));
    Action("ActionShellTreeBack")->trigger();
    EXPECT_EQ(main->CurrentFolder(), top);
}

TEST_F(MainScreenTest, DeleteSendsEachConfirmedItemToTheTrash)
{
    const QString folder = dir.filePath(QStringLiteral("work"));
    QDir().mkpath(folder);
    WriteFile(folder + QStringLiteral("/keep.dv7"));
    WriteFile(folder + QStringLiteral("/drop.dv7"));
    // The desktop trash lives under the data home; this test brings its own.
    QDir().mkpath(dir.filePath(QStringLiteral("data")));
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    const auto restore = qScopeGuard([&oldDataHome] {
        if (oldDataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldDataHome);
    });
    Start();
    main->FileBrowser()->SetPath(folder);
    QCoreApplication::processEvents();
    QItemSelectionModel *selection = main->FileBrowser()->CurrentView()->selectionModel();
    for (const char *name : {"drop.dv7", "keep.dv7"})
        selection->select(main->FileBrowser()->Model()->index(folder + QLatin1Char('/') + QLatin1String(name)),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QStringList selected = main->FileBrowser()->SelectedPaths();
    ASSERT_EQ(selected.size(), 2);
    // The question comes once per item, in list order; Yes for drop.dv7 only.
    dialog.answers.clear();
    for (const QString &path : selected)
        dialog.answers << (path.endsWith(QStringLiteral("drop.dv7")) ? IUserDialog::TAnswer::Yes
                                                                     : IUserDialog::TAnswer::No);
    Action("ActionDeleteFile")->trigger();

    EXPECT_EQ(dialog.questions.size(), 2);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/drop.dv7")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/keep.dv7")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("data/Trash/files/drop.dv7"))));
    EXPECT_TRUE(dialog.messages.isEmpty());
}

TEST_F(MainScreenTest, GaugeElementDropStartsTheDownloadUnlessBusy)
{
    Start();
    int downloads = 0;
    QObject::connect(Action("ActionDownload"), &QAction::triggered, [&downloads] { ++downloads; });
    QWidget *viewport = main->FileBrowser()->CurrentView()->viewport();
    auto drop = [&](const QString &format) {
        QMimeData data;
        data.setData(format, "node");
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &dropEvent);
        return enter.isAccepted();
    };
    const QString gauge = QString::fromLatin1(TMainScreen::GaugeElementMimeType);

    EXPECT_TRUE(drop(gauge));
    EXPECT_EQ(downloads, 1);
    EXPECT_FALSE(drop(QStringLiteral("text/uri-list")));
    EXPECT_EQ(downloads, 1);
    main->BeginBusy();
    main->BeginBusy(false);
    EXPECT_FALSE(main->FileBrowser()->CurrentView()->isEnabled());
    EXPECT_FALSE(drop(gauge));
    main->EndBusy();
    EXPECT_FALSE(drop(gauge)); // still inside the outer section
    main->EndBusy();
    EXPECT_TRUE(main->FileBrowser()->CurrentView()->isEnabled());
    EXPECT_EQ(downloads, 1);
}

TEST_F(MainScreenTest, FolderTreeFadesInAndRetractsWhenTheMouseLeaves)
{
    Start();
    QAction *dropDown = Action("ActionShellTreeDropDown");
    TFormShellTree *tree = main->FormShellTree();
    QCursor::setPos(main->mapToGlobal(QPoint(-500, -500)));
    dropDown->trigger();
    ASSERT_TRUE(dropDown->isChecked());
    EXPECT_EQ(tree->State(), TFormShellTree::stFadingIn);

    int ticks = 0;
    while (tree->State() == TFormShellTree::stFadingIn && ticks < 100) {
        tree->Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 17); // 15 per tick up to 240, then 255
    EXPECT_EQ(tree->Alpha(), 255);
    EXPECT_TRUE(tree->isVisible());
    tree->Tick(); // the mouse is far away
    EXPECT_EQ(tree->State(), TFormShellTree::stFadingOut);
    while (tree->State() != TFormShellTree::stHidden && ticks < 200) {
        tree->Tick();
        ++ticks;
    }
    EXPECT_FALSE(tree->isVisible());
    EXPECT_FALSE(dropDown->isChecked());
}

TEST_F(MainScreenTest, ClosingMaximizedKeepsStoredBoundsAndReopensMaximized)
{
    WriteSettings("[Window]\r\nState=0\r\nLeft=11\r\nTop=12\r\nWidth=900\r\nHeight=600\r\n");
    Start();
    main->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main->isMaximized());
    const TIniFile saved = Close();
    EXPECT_EQ(saved.ReadInteger("Window", "State", -1), 2);
    EXPECT_EQ(saved.ReadInteger("Window", "Left", -1), 11);
    EXPECT_EQ(saved.ReadInteger("Window", "Width", -1), 900);

    main.reset();
    Start();
    EXPECT_TRUE(main->isMaximized());
}

TEST_F(MainScreenTest, GaugePanelWidthIsRememberedAndKeepsItsMinimum)
{
    WriteSettings("[Window]\r\nTreeWidth=300\r\n");
    Start();
    EXPECT_EQ(main->GaugePanel()->width(), 300);
    main.reset();
    WriteSettings("[Window]\r\nTreeWidth=100\r\n");
    Start();
    EXPECT_GE(main->GaugePanel()->width(), 260);
    EXPECT_GE(Close().ReadInteger("Window", "TreeWidth", -1), 260);
}

TEST_F(MainScreenTest, HelpWithoutHelpFileBeeps)
{
    Start();
    ASSERT_TRUE(main->HelpFile().isEmpty());
    Action("ActionHelp")->trigger();
    EXPECT_EQ(dialog.beeps, 1);
    EXPECT_EQ(dialog.messages, QStringList{QStringLiteral("No help available !")});
}

TEST_F(MainScreenTest, BatchInformationQuestionAnsweredNoFocusesTheFileList)
{
    Start();
    main->activateWindow();
    dialog.answers = {IUserDialog::TAnswer::No};
    main->GlobalMsg(TMainScreen::gcAskBatchInformation, 0);
    ASSERT_EQ(dialog.questions.size(), 1);
    EXPECT_EQ(dialog.questions.first(),
              QStringLiteral("Are you sure you want to modify this batch information ?\r\n\r\nContinue ?"));
    EXPECT_TRUE(main->FileBrowser()->CurrentView()->hasFocus());
}
