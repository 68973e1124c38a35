#pragma once

#include "app/UserDialog.h"

#include <functional>

class QWidget;

// Answers core logic with message boxes over a window; status texts and
// progress go to the callbacks given (the main window's status bar).
class TWidgetUserDialog : public IUserDialog
{
public:
    explicit TWidgetUserDialog(QWidget *owner);

    std::function<void(const QString &)> OnStatus;
    std::function<void(qint64, qint64)> OnProgress;

    void ShowMessage(const QString &text) override;
    TAnswer AskQuestion(const QString &text, bool withCancel = false) override;
    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override;
    void Beep() override;
    QString ChooseFile(const QString &caption, const QString &folder, const QStringList &filters) override;

private:
    QWidget *FOwner;
};
