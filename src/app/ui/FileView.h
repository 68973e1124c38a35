#pragma once

#include <QWidget>

class QLabel;
class QTabWidget;

// The lower right pane of the main window: it shows the file selected in the
// file browser. This is the plain version (file header and a generic
// preview); the batch views take over the batch page control.
class TFileView : public QWidget
{
    Q_OBJECT

public:
    explicit TFileView(QWidget *parent = nullptr);

    // Shows path; the previously shown file is closed first.
    virtual void ShowFile(const QString &path);
    // Hides header, previews and batch pages; an open batch is taken back
    // from the views, saved when changed and freed.
    virtual void CloseFile();
    // Takes the values back from the views, recomputes and shows again.
    virtual void RefreshBatch() {}
    virtual bool HasOpenFile() const { return !FPath.isEmpty(); }
    QString ShownFile() const { return FPath; }

    QTabWidget *BatchPageControl() const { return FBatchPages; }

signals:
    void FileShown(const QString &path);
    void FileClosed();

private:
    QWidget *FHeader = nullptr;
    QLabel *FThumbnail = nullptr;
    QLabel *FName = nullptr;
    QLabel *FFolder = nullptr;
    QLabel *FPreview = nullptr;
    QWidget *FParamPreview = nullptr;
    QTabWidget *FBatchPages = nullptr;
    QLabel *FEmpty = nullptr;
    QString FPath;
};
