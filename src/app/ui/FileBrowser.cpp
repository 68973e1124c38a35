#include "app/ui/FileBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QAbstractFileIconProvider>
#include <QFileSystemModel>
#include <QIcon>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

QIcon TFileIconProvider::icon(IconType type) const
{
    switch (type) {
    case Folder:
        return Image("folder");
    case Drive:
    case Computer:
        return Image("drive");
    default:
        return Image("file");
    }
}

QIcon TFileIconProvider::icon(const QFileInfo &info) const
{
    if (info.isDir())
        return info.isRoot() ? Image("drive") : Image("folder");
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("dv7") || suffix == QLatin1String("zq7"))
        return Image("batchfile");
    if (suffix == QLatin1String("zqp"))
        return Image("paramfile");
    return Image("file");
}

QIcon TFileIconProvider::Image(const char *name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

TFileBrowser::TFileBrowser(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildHeader();
    BuildViews();
    layout->addWidget(FHeaderPanel);
    layout->addWidget(FStack, 1);
}

void TFileBrowser::BuildHeader()
{
    FHeaderPanel = new QWidget(this);
    FHeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    FHeaderPanel->setAttribute(Qt::WA_StyledBackground);
    FHeaderPanel->setStyleSheet(QStringLiteral("#HeaderPanel { background: #e4ebf2; border-bottom: 1px solid #b8c4d0; }"
                                               "#PathBar { background: white; border: 1px solid #b8c4d0; }"));
    auto *layout = new QVBoxLayout(FHeaderPanel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    FToolBar = new QToolBar(FHeaderPanel);
    FToolBar->setObjectName(QStringLiteral("ShellToolBar"));
    FToolBar->setIconSize(QSize(24, 24));
    FToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    layout->addWidget(FToolBar);

    auto *crumbBar = new QWidget(FHeaderPanel);
    crumbBar->setObjectName(QStringLiteral("PathBar"));
    crumbBar->setAttribute(Qt::WA_StyledBackground);
    FCrumbs = new QHBoxLayout(crumbBar);
    FCrumbs->setContentsMargins(2, 0, 2, 0);
    FCrumbs->setSpacing(0);
    FCrumbs->addStretch(1);
    layout->addWidget(crumbBar);
    layout->addStretch(1);
}

void TFileBrowser::BuildViews()
{
    FModel = new QFileSystemModel(this);
    FModel->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    FModel->setReadOnly(true);
    static TFileIconProvider icons;
    FModel->setIconProvider(&icons);
    FModel->setRootPath(QString());

    FStack = new QStackedWidget(this);
    FListView = new QListView(FStack);
    FListView->setObjectName(QStringLiteral("JamShellList1"));
    FListView->setModel(FModel);
    FListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FListView->setResizeMode(QListView::Adjust);
    FListView->setUniformItemSizes(true);
    FDetailView = new QTreeView(FStack);
    FDetailView->setObjectName(QStringLiteral("JamShellList1Details"));
    FDetailView->setModel(FModel);
    FDetailView->setRootIsDecorated(false);
    FDetailView->setItemsExpandable(false);
    FDetailView->setSortingEnabled(true);
    FDetailView->sortByColumn(0, Qt::AscendingOrder);
    FDetailView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FDetailView->header()->resizeSection(0, 260);
    // Both views share one selection, so switching the style keeps it.
    FSelection = FListView->selectionModel();
    FDetailView->setSelectionModel(FSelection);
    FStack->addWidget(FListView);
    FStack->addWidget(FDetailView);

    connect(FSelection, &QItemSelectionModel::selectionChanged, this,
            [this] { emit SelectionChanged(SelectedPaths()); });
    connect(FListView, &QAbstractItemView::activated, this, &TFileBrowser::OnActivated);
    connect(FDetailView, &QAbstractItemView::activated, this, &TFileBrowser::OnActivated);
    SetViewStyle(vsList);
}

QAbstractItemView *TFileBrowser::CurrentView() const
{
    return qobject_cast<QAbstractItemView *>(FStack->currentWidget());
}

bool TFileBrowser::SetPath(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    if (clean == FPath)
        return true;
    if (!FPath.isEmpty())
        FHistory.append(FPath);
    ShowFolder(clean);
    return true;
}

void TFileBrowser::GoBack()
{
    while (!FHistory.isEmpty()) {
        const QString previous = FHistory.takeLast();
        if (QFileInfo(previous).isDir()) {
            ShowFolder(previous);
            return;
        }
    }
}

void TFileBrowser::GoUp()
{
    QDir dir(FPath);
    if (!FPath.isEmpty() && dir.cdUp())
        SetPath(dir.absolutePath());
}

void TFileBrowser::ShowFolder(const QString &folder)
{
    FPath = folder;
    FSelection->clear();
    const QModelIndex root = FModel->setRootPath(folder);
    FListView->setRootIndex(root);
    FDetailView->setRootIndex(root);
    UpdateBreadcrumbs();
    emit PathChanged(folder);
}

void TFileBrowser::UpdateBreadcrumbs()
{
    while (FCrumbs->count() > 1) {
        QLayoutItem *item = FCrumbs->takeAt(0);
        delete item->widget();
        delete item;
    }
    QStringList parts;
    for (QDir dir(FPath);; ) {
        parts.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    int position = 0;
    for (const QString &part : parts) {
        auto *button = new QToolButton;
        button->setAutoRaise(true);
        const QString name = QFileInfo(part).fileName();
        button->setText((name.isEmpty() ? part : name) + QStringLiteral("  \u203A"));
        button->setToolTip(QDir::toNativeSeparators(part));
        connect(button, &QToolButton::clicked, this, [this, part] { SetPath(part); });
        FCrumbs->insertWidget(position++, button);
    }
}

int TFileBrowser::SetViewStyle(int style)
{
    switch (style) {
    case vsIcon:
        FListView->setViewMode(QListView::IconMode);
        FListView->setFlow(QListView::LeftToRight);
        FListView->setWrapping(true);
        FListView->setIconSize(QSize(48, 48));
        FListView->setGridSize(QSize(96, 80));
        FStack->setCurrentWidget(FListView);
        FViewStyle = vsIcon;
        break;
    case vsReport:
        FStack->setCurrentWidget(FDetailView);
        FViewStyle = vsReport;
        break;
    default:
        FListView->setViewMode(QListView::ListMode);
        FListView->setFlow(QListView::TopToBottom);
        FListView->setWrapping(true);
        FListView->setIconSize(QSize(16, 16));
        FListView->setGridSize(QSize(220, 22));
        FStack->setCurrentWidget(FListView);
        FViewStyle = vsList;
        break;
    }
    return FViewStyle;
}

QStringList TFileBrowser::SelectedPaths() const
{
    QModelIndexList rows = FSelection->selectedRows(0);
    if (rows.isEmpty())
        rows = FSelection->selectedIndexes();
    QStringList paths;
    for (const QModelIndex &index : rows) {
        const QString path = FModel->filePath(index);
        if (!paths.contains(path))
            paths << path;
    }
    return paths;
}

void TFileBrowser::SelectPath(const QString &path)
{
    const QModelIndex index = FModel->index(path);
    if (index.isValid())
        FSelection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFileBrowser::Refresh()
{
    // The model watches the folder itself; re-rooting picks up a folder that
    // was replaced behind its back.
    if (!FPath.isEmpty()) {
        const QModelIndex root = FModel->setRootPath(FPath);
        FListView->setRootIndex(root);
        FDetailView->setRootIndex(root);
    }
}

void TFileBrowser::OnActivated(const QModelIndex &index)
{
    const QString path = FModel->filePath(index);
    if (FModel->isDir(index))
        SetPath(path);
    else
        emit ItemActivated(path);
}

void TFileBrowser::SetListEnabled(bool enabled)
{
    FStack->setEnabled(enabled);
}
