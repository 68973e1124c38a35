#pragma once

#include <QFrame>

class QLabel;
class QListWidget;
class QToolButton;
class QTreeView;
class TActionManager;

// The gauge explorer pane on the left of the main window: caption, gauge
// list, gauge picture and name, the row of gauge-action buttons, the gauge
// tree and the quick-info panel. The explorer fills the list and the tree
// and keeps the labels current; this class only lays them out.
class TGaugePanel : public QFrame
{
    Q_OBJECT

public:
    TGaugePanel(const TActionManager &actions, QWidget *parent = nullptr);

    QListWidget *GaugeListView() const { return FGaugeList; }
    QTreeView *GaugeTreeView() const { return FGaugeTree; }
    QLabel *GaugeImage() const { return FGaugeImage; }
    QLabel *LabelGaugeName() const { return FGaugeName; }
    QWidget *QuickInfoPanel() const { return FQuickInfo; }
    // The value label of a quick-info line ("QIName", "QICreated", "QIModified",
    // "QIUser", "QIReadings", "QISensor").
    QLabel *QuickInfoValue(const QString &name) const;
    QToolButton *Button(const QString &name) const;

private:
    QWidget *BuildButtonRow(const TActionManager &actions);
    QWidget *BuildQuickInfo();

    QListWidget *FGaugeList = nullptr;
    QTreeView *FGaugeTree = nullptr;
    QLabel *FGaugeImage = nullptr;
    QLabel *FGaugeName = nullptr;
    QWidget *FQuickInfo = nullptr;
};
