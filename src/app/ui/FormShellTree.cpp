#include "app/ui/FormShellTree.h"

#include <QCursor>
#include <QDir>
#include <QFileSystemModel>
#include <QGraphicsOpacityEffect>
#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int FadeStep = 15;
constexpr int TickMs = 5;
}

TFormShellTree::TFormShellTree(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormShellTree"));
    setAutoFillBackground(true);
    FModel = new QFileSystemModel(this);
    FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FModel->setRootPath(QString());
    FTree = new QTreeView(this);
    FTree->setObjectName(QStringLiteral("ShellTreeView"));
    FTree->setModel(FModel);
    FTree->setHeaderHidden(true);
    for (int column = 1; column < FModel->columnCount(); ++column)
        FTree->hideColumn(column);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(FTree);

    FOpacity = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(FOpacity);
    SetAlpha(0);
    hide();

    FTimer.setInterval(TickMs);
    connect(&FTimer, &QTimer::timeout, this, &TFormShellTree::Tick);
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && FState != stHidden)
                    emit FolderChosen(QDir::cleanPath(FModel->filePath(current)));
            });
}

void TFormShellTree::SetFolder(const QString &folder)
{
    const QModelIndex index = FModel->index(folder);
    if (!index.isValid())
        return;
    const QSignalBlocker block(FTree->selectionModel());
    FTree->setCurrentIndex(index);
    FTree->scrollTo(index);
}

void TFormShellTree::DropDown(const QRect &geometry, int headerHeight)
{
    FHeaderHeight = headerHeight;
    setGeometry(geometry);
    raise();
    SetState(stFadingIn);
    FTimer.start();
}

void TFormShellTree::Retract()
{
    FTimer.stop();
    SetAlpha(0);
    hide();
    SetState(stHidden);
    emit Retracted();
}

bool TFormShellTree::MouseInside() const
{
    const QRect area = rect().adjusted(0, -FHeaderHeight, 0, 0);
    return area.contains(mapFromGlobal(QCursor::pos()));
}

void TFormShellTree::Tick()
{
    switch (FState) {
    case stFadingIn:
        show();
        if (FAlpha + FadeStep > 240) {
            SetAlpha(255);
            SetState(stShown);
        } else {
            SetAlpha(FAlpha + FadeStep);
        }
        break;
    case stShown:
        if (MouseInside())
            FTree->setFocus();
        else
            SetState(stFadingOut);
        break;
    case stFadingOut:
        if (MouseInside()) {
            SetState(stFadingIn);
        } else if (FAlpha - FadeStep <= 0) {
            Retract();
        } else {
            SetAlpha(FAlpha - FadeStep);
        }
        break;
    case stHidden:
        Retract();
        break;
    }
}

void TFormShellTree::SetAlpha(int alpha)
{
    FAlpha = alpha;
    FOpacity->setOpacity(alpha / 255.0);
}

void TFormShellTree::SetState(TState state)
{
    if (FState == state)
        return;
    FState = state;
    emit StateChanged(state);
}
