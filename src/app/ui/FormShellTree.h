#pragma once

#include <QTimer>
#include <QWidget>

class QFileSystemModel;
class QGraphicsOpacityEffect;
class QTreeView;

// The folder-tree drop-down of the file browser. It fades in below the
// browser's header, stays while the mouse is over it (or over the header
// band just above it), and fades out when the mouse leaves.
class TFormShellTree : public QWidget
{
    Q_OBJECT

public:
    // 0 hidden, 1 fading in, 2 shown, 3 fading out.
    enum TState { stHidden = 0, stFadingIn = 1, stShown = 2, stFadingOut = 3 };

    explicit TFormShellTree(QWidget *parent = nullptr);

    // Starts the fade-in at geometry (in the parent's coordinates); headerHeight
    // is the band above the window in which the mouse still keeps it open.
    void DropDown(const QRect &geometry, int headerHeight);
    // Hides at once (second use of the toggle).
    void Retract();

    TState State() const { return FState; }
    int Alpha() const { return FAlpha; }
    void SetFolder(const QString &folder);
    QTreeView *Tree() const { return FTree; }
    // One timer step; public so the fade can be driven without waiting.
    void Tick();

signals:
    void FolderChosen(const QString &folder);
    // The state went back to hidden (the drop-down button is released).
    void Retracted();
    void StateChanged(int state);

private:
    bool MouseInside() const;
    void SetAlpha(int alpha);
    void SetState(TState state);

    QTreeView *FTree = nullptr;
    QFileSystemModel *FModel = nullptr;
    QGraphicsOpacityEffect *FOpacity = nullptr;
    QTimer FTimer;
    TState FState = stHidden;
    int FAlpha = 0;
    int FHeaderHeight = 0;
};
