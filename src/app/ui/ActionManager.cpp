#include "app/ui/ActionManager.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

namespace {

// Actions that only the notes editor and the gauge panel place; the others
// appear in the menus or tool bars below, or work through their shortcut.
const QList<TActionDef> ActionTable = {
    // File
    {"FileOpen1", QT_TRANSLATE_NOOP("TActionManager", "Open file"), "Ctrl+O", "open", false, nullptr},
    {"ActionBatchImport", QT_TRANSLATE_NOOP("TActionManager", "Import batch"), "", "import", false, nullptr},
    {"FileSaveAs1", QT_TRANSLATE_NOOP("TActionManager", "Save as..."), "", "saveas", false, nullptr},
    {"ActionShowAPicture", QT_TRANSLATE_NOOP("TActionManager", "A-scan image"), "", "ascan", false, nullptr},
    {"DirectImport", QT_TRANSLATE_NOOP("TActionManager", "Direct Import"), "", "directimport", false, nullptr},
    {"ActionTextExport", QT_TRANSLATE_NOOP("TActionManager", "Text"), "", "export-text", false, nullptr},
    {"ActionExcelExport", QT_TRANSLATE_NOOP("TActionManager", "Excel document"), "", "export-sheet", false, nullptr},
    {"ActionExportPDF", QT_TRANSLATE_NOOP("TActionManager", "PDF document"), "", "export-pdf", false, nullptr},
    {"PrintDlg1", QT_TRANSLATE_NOOP("TActionManager", "Print"), "Ctrl+P", "print", false, nullptr},
    {"ProgSetup", QT_TRANSLATE_NOOP("TActionManager", "Settings"), "", "settings", false, nullptr},
    {"FileExit1", QT_TRANSLATE_NOOP("TActionManager", "Quit"), "Alt+F4", "quit", false, nullptr},
    // Edit
    {"EditUndo1", QT_TRANSLATE_NOOP("TActionManager", "Undo"), "Ctrl+Z", "undo", false, nullptr},
    {"EditCut1", QT_TRANSLATE_NOOP("TActionManager", "Cut"), "Ctrl+X", "cut", false, nullptr},
    {"EditCopy1", QT_TRANSLATE_NOOP("TActionManager", "Copy"), "Ctrl+C", "copy", false, nullptr},
    {"EditPaste1", QT_TRANSLATE_NOOP("TActionManager", "Paste"), "Ctrl+V", "paste", false, nullptr},
    {"EditSelectAll1", QT_TRANSLATE_NOOP("TActionManager", "Select all"), "Ctrl+A", "selectall", false, nullptr},
    // View
    {"ShellViewList", QT_TRANSLATE_NOOP("TActionManager", "List"), "", "view-list", true, nullptr},
    {"ShellViewDetail", QT_TRANSLATE_NOOP("TActionManager", "Details"), "", "view-details", true, nullptr},
    {"ShellViewSymbol", QT_TRANSLATE_NOOP("TActionManager", "Symbols"), "", "view-symbols", true, nullptr},
    // Help
    {"ActionHelp", QT_TRANSLATE_NOOP("TActionManager", "Help"), "", "help", false, nullptr},
    {"ActionLanguageGerman", QT_TRANSLATE_NOOP("TActionManager", "German"), "", "", true, nullptr},
    {"ActionLanguageEnglish", QT_TRANSLATE_NOOP("TActionManager", "English"), "", "", true, nullptr},
    {"ActionLanguageSpanish", QT_TRANSLATE_NOOP("TActionManager", "Spanish"), "", "", true, nullptr},
    {"ActionLanguageFrench", QT_TRANSLATE_NOOP("TActionManager", "French"), "", "", true, nullptr},
    {"ActionAbout", QT_TRANSLATE_NOOP("TActionManager", "About this program"), "", "about", false, nullptr},
    // Shortcut-only
    {"ActionCancel", QT_TRANSLATE_NOOP("TActionManager", "Cancel"), "Esc", "", false, nullptr},
    {"ActionDialogScreen", QT_TRANSLATE_NOOP("TActionManager", "Dialogscreen"), "Ctrl+Alt+D", "", false, nullptr},
    // Notes editor
    {"ActionFormatBold", QT_TRANSLATE_NOOP("TActionManager", "Bold"), "Ctrl+B", "format-bold", true, nullptr},
    {"ActionFormatItalic", QT_TRANSLATE_NOOP("TActionManager", "Italic"), "Ctrl+I", "format-italic", true, nullptr},
    {"ActionFormatUnderline", QT_TRANSLATE_NOOP("TActionManager", "Underline"), "Ctrl+U", "format-underline", true, nullptr},
    {"ActionAlignLeft", QT_TRANSLATE_NOOP("TActionManager", "Align left"), "", "align-left", true, nullptr},
    {"ActionAlignCenter", QT_TRANSLATE_NOOP("TActionManager", "Center"), "", "align-center", true, nullptr},
    {"ActionAlignRight", QT_TRANSLATE_NOOP("TActionManager", "Align right"), "", "align-right", true, nullptr},
    {"ActionBullets", QT_TRANSLATE_NOOP("TActionManager", "Bullets"), "", "bullets", true, nullptr},
    // Gauge explorer
    {"ActionZQParameter", QT_TRANSLATE_NOOP("TActionManager", "New Parameter"), "", "zqparameter", false, nullptr},
    {"ActionNewDir", QT_TRANSLATE_NOOP("TActionManager", "New directory"), "", "newdir", false, nullptr},
    {"ActionNewBatch", QT_TRANSLATE_NOOP("TActionManager", "New batch"), "", "newbatch", false, nullptr},
    {"ActionRename", QT_TRANSLATE_NOOP("TActionManager", "Rename"), "", "rename", false, nullptr},
    {"ActionDelete", QT_TRANSLATE_NOOP("TActionManager", "Delete"), "", "delete", false, nullptr},
    {"ActionInsertStructure", QT_TRANSLATE_NOOP("TActionManager", "Insert file-structure at cursor position"), "",
     "insertstructure", false, QT_TRANSLATE_NOOP("TActionManager", "Insert data structure from the cursor position")},
    {"ActionQuickInfo", QT_TRANSLATE_NOOP("TActionManager", "Quick info"), "", "quickinfo", false, nullptr},
    {"ActionDownload", QT_TRANSLATE_NOOP("TActionManager", "Download"), "", "download", false, nullptr},
    // File browser
    {"ActionShellTreeBack", QT_TRANSLATE_NOOP("TActionManager", "Back"), "", "back", false, nullptr},
    {"ActionShellTreeUp", QT_TRANSLATE_NOOP("TActionManager", "One level up"), "", "up", false, nullptr},
    {"ActionDeleteFile", QT_TRANSLATE_NOOP("TActionManager", "Delete"), "", "trash", false, nullptr},
    {"ActionShellCreateDirectory", QT_TRANSLATE_NOOP("TActionManager", "Create directory"), "", "createdir", false, nullptr},
    {"ActionShellTreeDropDown", QT_TRANSLATE_NOOP("TActionManager", "Show directory tree"), "", "dirtree", true, nullptr},
};

const QList<TMenuEntry> MenuTable = {
    {QT_TRANSLATE_NOOP("TActionManager", "&File"), "", "FileOpen1"},
    {"&File", "", "ActionBatchImport"},
    {"&File", "", "FileSaveAs1"},
    {"&File", "", "ActionShowAPicture"},
    {"&File", "", "-"},
    {"&File", "", "DirectImport"},
    {"&File", QT_TRANSLATE_NOOP("TActionManager", "Export as"), "ActionTextExport"},
    {"&File", "Export as", "ActionExcelExport"},
    {"&File", "Export as", "ActionExportPDF"},
    {"&File", "", "-"},
    {"&File", "", "PrintDlg1"},
    {"&File", "", "-"},
    {"&File", "", "ProgSetup"},
    {"&File", "", "FileExit1"},
    {QT_TRANSLATE_NOOP("TActionManager", "&Edit"), "", "EditUndo1"},
    {"&Edit", "", "-"},
    {"&Edit", "", "EditCut1"},
    {"&Edit", "", "EditCopy1"},
    {"&Edit", "", "EditPaste1"},
    {"&Edit", "", "-"},
    {"&Edit", "", "EditSelectAll1"},
    {QT_TRANSLATE_NOOP("TActionManager", "&View"), "", "ShellViewList"},
    {"&View", "", "ShellViewDetail"},
    {"&View", "", "ShellViewSymbol"},
    {QT_TRANSLATE_NOOP("TActionManager", "&Help"), "", "ActionHelp"},
    {"&Help", "", "-"},
    {"&Help", QT_TRANSLATE_NOOP("TActionManager", "Language"), "ActionLanguageGerman"},
    {"&Help", "Language", "ActionLanguageEnglish"},
    {"&Help", "Language", "ActionLanguageSpanish"},
    {"&Help", "Language", "ActionLanguageFrench"},
    {"&Help", "", "ActionAbout"},
};

const QStringList ToolBarTable = {
    "FileOpen1", "-", "EditCut1", "EditCopy1", "EditPaste1", "EditUndo1", "-", "DirectImport", "-",
    "PrintDlg1", "-", "ActionTextExport", "ActionExcelExport", "ActionExportPDF", "-", "ActionAbout",
};

const QStringList ShellToolBarTable = {
    "ActionShellTreeBack", "ActionShellTreeUp", "ActionDeleteFile", "ActionShellCreateDirectory",
    "ActionShellTreeDropDown",
};

// Check items that behave as one radio group each.
const QList<QStringList> RadioGroups = {
    {"ShellViewList", "ShellViewDetail", "ShellViewSymbol"},
    {"ActionLanguageGerman", "ActionLanguageEnglish", "ActionLanguageSpanish", "ActionLanguageFrench"},
};

QString Translate(const char *text)
{
    return QCoreApplication::translate("TActionManager", text);
}

} // namespace

TActionManager::TActionManager(QWidget *owner)
    : QObject(owner)
{
    setObjectName(QStringLiteral("ActionManager1"));
    for (const TActionDef &def : ActionTable) {
        auto *action = new QAction(Translate(def.Caption), owner);
        action->setObjectName(QString::fromLatin1(def.Name));
        if (*def.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(def.Shortcut)));
        if (*def.Icon)
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(def.Icon))));
        action->setCheckable(def.Checkable);
        if (def.Hint)
            action->setToolTip(Translate(def.Hint));
        FActions.insert(action->objectName(), action);
        FOrder << action;
    }
    for (const QStringList &names : RadioGroups) {
        auto *group = new QActionGroup(this);
        for (const QString &name : names)
            group->addAction(Action(name));
    }
}

QAction *TActionManager::Action(const QString &name) const
{
    QAction *action = FActions.value(name);
    Q_ASSERT_X(action, "TActionManager::Action", qPrintable(name));
    return action;
}

void TActionManager::BuildMenus(QMenuBar *bar) const
{
    QHash<QString, QMenu *> menus;
    for (const TMenuEntry &entry : MenuTable) {
        const QString menuKey = QString::fromLatin1(entry.Menu);
        QMenu *menu = menus.value(menuKey);
        if (!menu) {
            menu = bar->addMenu(Translate(entry.Menu));
            menus.insert(menuKey, menu);
        }
        if (*entry.Submenu) {
            const QString subKey = menuKey + QLatin1Char('/') + QString::fromLatin1(entry.Submenu);
            QMenu *sub = menus.value(subKey);
            if (!sub) {
                sub = menu->addMenu(Translate(entry.Submenu));
                menus.insert(subKey, sub);
            }
            menu = sub;
        }
        if (qstrcmp(entry.Action, "-") == 0)
            menu->addSeparator();
        else
            menu->addAction(Action(QString::fromLatin1(entry.Action)));
    }
}

static void FillToolBar(const TActionManager &manager, QToolBar *bar, const QStringList &layout)
{
    for (const QString &name : layout) {
        if (name == QLatin1String("-"))
            bar->addSeparator();
        else
            bar->addAction(manager.Action(name));
    }
}

void TActionManager::BuildToolBar(QToolBar *bar) const
{
    FillToolBar(*this, bar, ToolBarTable);
}

void TActionManager::BuildShellToolBar(QToolBar *bar) const
{
    FillToolBar(*this, bar, ShellToolBarTable);
}

void TActionManager::TidySeparators(QToolBar *bar)
{
    if (!bar)
        return;
    QAction *pending = nullptr;
    bool anyVisible = false;
    for (QAction *action : bar->actions()) {
        if (action->isSeparator()) {
            action->setVisible(false);
            if (anyVisible)
                pending = action;
        } else if (action->isVisible()) {
            if (pending)
                pending->setVisible(true);
            pending = nullptr;
            anyVisible = true;
        }
    }
}

const QList<TActionDef> &TActionManager::Definitions()
{
    return ActionTable;
}

const QList<TMenuEntry> &TActionManager::MenuLayout()
{
    return MenuTable;
}

const QStringList &TActionManager::ToolBarLayout()
{
    return ToolBarTable;
}
