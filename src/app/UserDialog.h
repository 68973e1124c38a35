#pragma once

#include <QString>
#include <QStringList>

// How core logic talks to the person at the screen. The desktop program
// answers with message boxes and the status bar, the command line with
// stderr and flags, tests with scripted answers.
class IUserDialog
{
public:
    enum class TAnswer { Yes, No, Cancel };

    virtual ~IUserDialog() = default;

    // A message the person must acknowledge (a message box, usually with a beep).
    virtual void ShowMessage(const QString &text) = 0;
    // A question answered Yes, No or (where offered) Cancel.
    virtual TAnswer AskQuestion(const QString &text, bool withCancel = false) = 0;
    // A short text for the status line.
    virtual void ShowStatus(const QString &text) = 0;
    // Progress of long work; total 0 hides it.
    virtual void ShowProgress(qint64 step, qint64 total) = 0;
    virtual void Beep() = 0;
    // Empty when the person cancels.
    virtual QString ChooseFile(const QString &caption, const QString &folder, const QStringList &filters)
    {
        Q_UNUSED(caption) Q_UNUSED(folder) Q_UNUSED(filters)
        return {};
    }
};
