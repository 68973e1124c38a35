#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMenuBar;
class QToolBar;
class QWidget;

// One action of the main window: its name (as handlers and switches refer
// to it), caption, shortcut, image and whether it is a check item.
struct TActionDef
{
    const char *Name;
    const char *Caption;
    const char *Shortcut;   // portable text such as "Ctrl+O", empty for none
    const char *Icon;       // image name under :/icons, empty for none
    bool Checkable;
    const char *Hint;       // tool tip when it differs from the caption
};

// One row of the menu layout: the menu, an optional submenu and the action
// ("-" for a separator).
struct TMenuEntry
{
    const char *Menu;
    const char *Submenu;
    const char *Action;
};

// The main window's actions, menus and tool bar, all built from the tables
// in ActionManager.cpp.
class TActionManager : public QObject
{
    Q_OBJECT

public:
    explicit TActionManager(QWidget *owner);

    QAction *Action(const QString &name) const;
    QList<QAction *> Actions() const { return FOrder; }

    void BuildMenus(QMenuBar *bar) const;
    void BuildToolBar(QToolBar *bar) const;
    // The file browser's own tool bar.
    void BuildShellToolBar(QToolBar *bar) const;

    // Hides separators that would stand first, last or next to another one
    // once some actions are hidden.
    static void TidySeparators(QToolBar *bar);

    static const QList<TActionDef> &Definitions();
    static const QList<TMenuEntry> &MenuLayout();
    static const QStringList &ToolBarLayout();

private:
    QHash<QString, QAction *> FActions;
    QList<QAction *> FOrder;
};
