#pragma once

#include <QAbstractFileIconProvider>
#include <QIcon>
#include <QStringList>
#include <QWidget>

class QAbstractItemView;
class QFileSystemModel;
class QHBoxLayout;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QToolBar;
class QTreeView;

// Images of the file list: folders, batch files, parameter-set files and
// any other file, from the program's own image set.
class TFileIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;

private:
    static QIcon Image(const char *name);
};

// The PC file browser of the main window: a header with the browser's tool
// bar and a breadcrumb path bar, above the file list. The list shows every
// file of the current folder in one of three view styles.
class TFileBrowser : public QWidget
{
    Q_OBJECT

public:
    // Values of the ViewStyle setting.
    enum TViewStyle { vsIcon = 0, vsSmallIcon = 1, vsList = 2, vsReport = 3 };

    explicit TFileBrowser(QWidget *parent = nullptr);

    QWidget *HeaderPanel() const { return FHeaderPanel; }
    QToolBar *ToolBar() const { return FToolBar; }
    QFileSystemModel *Model() const { return FModel; }
    QAbstractItemView *CurrentView() const;

    QString Path() const { return FPath; }
    // Shows folder; false (and nothing changes) when it does not exist.
    bool SetPath(const QString &folder);
    bool CanGoBack() const { return !FHistory.isEmpty(); }
    void GoBack();
    void GoUp();

    // Applies a ViewStyle value and returns the style the list now has:
    // 0 icons, 3 details, any other value the list.
    int SetViewStyle(int style);
    int ViewStyle() const { return FViewStyle; }

    // Absolute paths of the selected items, in list order.
    QStringList SelectedPaths() const;
    void SelectPath(const QString &path);
    void Refresh();
    // Enables or disables the file list (both view styles).
    void SetListEnabled(bool enabled);

signals:
    void PathChanged(const QString &folder);
    // Exactly one item selected (or none: empty path).
    void SelectionChanged(const QStringList &paths);
    void ItemActivated(const QString &path);

private:
    void BuildHeader();
    void BuildViews();
    void UpdateBreadcrumbs();
    void ShowFolder(const QString &folder);
    void OnActivated(const QModelIndex &index);

    QWidget *FHeaderPanel = nullptr;
    QToolBar *FToolBar = nullptr;
    QHBoxLayout *FCrumbs = nullptr;
    QFileSystemModel *FModel = nullptr;
    QStackedWidget *FStack = nullptr;
    QListView *FListView = nullptr;
    QTreeView *FDetailView = nullptr;
    QItemSelectionModel *FSelection = nullptr;
    QString FPath;
    QStringList FHistory;
    int FViewStyle = vsList;
};
