#include "app/ui/GaugePanel.h"

#include "app/ui/ActionManager.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Button name and the action it carries, left to right.
const QList<QPair<const char *, const char *>> ButtonRow = {
    {"btnZQParameter", "ActionZQParameter"},   {"btnNewDir", "ActionNewDir"},
    {"btnNewBatch", "ActionNewBatch"},         {"btnRename", "ActionRename"},
    {"btnDelete", "ActionDelete"},             {"btnInsertTreeStructure", "ActionInsertStructure"},
    {"btnQuickInfo", "ActionQuickInfo"},       {"btnDownload", "ActionDownload"},
};

// Caption label name, caption, value label name.
struct TQuickInfoLine
{
    const char *Label;
    const char *Caption;
    const char *Value;
};
const TQuickInfoLine QuickInfoLines[] = {
    {"LabelCreated", QT_TRANSLATE_NOOP("TGaugePanel", "Created:"), "QICreated"},
    {"LabelModified", QT_TRANSLATE_NOOP("TGaugePanel", "Modified:"), "QIModified"},
    {"LabelUser", QT_TRANSLATE_NOOP("TGaugePanel", "User:"), "QIUser"},
    {"LabelReadings", QT_TRANSLATE_NOOP("TGaugePanel", "Readings:"), "QIReadings"},
    {"LabelSensor", QT_TRANSLATE_NOOP("TGaugePanel", "Sensor type:"), "QISensor"},
};

QLabel *CaptionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("background: #2f4f6f; color: white; font-weight: bold; padding: 4px;"));
    return label;
}

} // namespace

TGaugePanel::TGaugePanel(const TActionManager &actions, QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("plGaugeTree"));
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    layout->addWidget(CaptionLabel(tr("Gauge Explorer"), this));

    FGaugeList = new QListWidget(this);
    FGaugeList->setObjectName(QStringLiteral("GaugeListView"));
    FGaugeList->setMaximumHeight(64);
    layout->addWidget(FGaugeList);

    auto *gauge = new QWidget(this);
    auto *gaugeLayout = new QHBoxLayout(gauge);
    gaugeLayout->setContentsMargins(4, 0, 4, 0);
    FGaugeImage = new QLabel(gauge);
    FGaugeImage->setObjectName(QStringLiteral("GaugeImage"));
    FGaugeImage->setToolTip(tr("Create hardcopy"));
    FGaugeImage->setFixedSize(48, 64);
    FGaugeImage->setPixmap(QIcon(QStringLiteral(":/icons/gauge.svg")).pixmap(48, 64));
    FGaugeName = new QLabel(QStringLiteral("----"), gauge);
    FGaugeName->setObjectName(QStringLiteral("LabelGaugeName"));
    QFont bold = FGaugeName->font();
    bold.setBold(true);
    FGaugeName->setFont(bold);
    gaugeLayout->addWidget(FGaugeImage);
    gaugeLayout->addWidget(FGaugeName, 1);
    layout->addWidget(gauge);

    layout->addWidget(BuildButtonRow(actions));

    FGaugeTree = new QTreeView(this);
    FGaugeTree->setObjectName(QStringLiteral("GaugeTreeView"));
    FGaugeTree->setHeaderHidden(true);
    FGaugeTree->setDragEnabled(true);
    layout->addWidget(FGaugeTree, 1);

    layout->addWidget(BuildQuickInfo());
}

QWidget *TGaugePanel::BuildButtonRow(const TActionManager &actions)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(1);
    for (const auto &[name, action] : ButtonRow) {
        auto *button = new QToolButton(row);
        button->setObjectName(QString::fromLatin1(name));
        button->setDefaultAction(actions.Action(QString::fromLatin1(action)));
        button->setAutoRaise(true);
        button->setIconSize(QSize(22, 22));
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return row;
}

QWidget *TGaugePanel::BuildQuickInfo()
{
    FQuickInfo = new QFrame(this);
    FQuickInfo->setObjectName(QStringLiteral("plQuickInfo"));
    auto *layout = new QVBoxLayout(FQuickInfo);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(CaptionLabel(tr("Quick info"), FQuickInfo));
    auto *name = new QLabel(QStringLiteral("----"), FQuickInfo);
    name->setObjectName(QStringLiteral("QIName"));
    name->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(name);
    auto *form = new QFormLayout;
    form->setContentsMargins(4, 0, 4, 0);
    for (const TQuickInfoLine &line : QuickInfoLines) {
        auto *caption = new QLabel(tr(line.Caption), FQuickInfo);
        caption->setObjectName(QString::fromLatin1(line.Label));
        auto *value = new QLabel(FQuickInfo);
        value->setObjectName(QString::fromLatin1(line.Value));
        form->addRow(caption, value);
    }
    layout->addLayout(form);
    return FQuickInfo;
}

QLabel *TGaugePanel::QuickInfoValue(const QString &name) const
{
    return FQuickInfo->findChild<QLabel *>(name);
}

QToolButton *TGaugePanel::Button(const QString &name) const
{
    return findChild<QToolButton *>(name);
}
