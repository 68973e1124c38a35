#pragma once

#include "app/UserDialog.h"

#include <QList>
#include <QStringList>

// Records what core logic tells the person and answers questions from a script.
class ScriptedUserDialog : public IUserDialog
{
public:
    QStringList messages;
    QStringList questions;
    QStringList statuses;
    QList<QPair<qint64, qint64>> progress;
    int beeps = 0;
    QList<TAnswer> answers;          // taken in order; Yes when empty
    QStringList files;               // taken in order; empty when none left

    void ShowMessage(const QString &text) override { messages << text; }
    TAnswer AskQuestion(const QString &text, bool) override
    {
        questions << text;
        return answers.isEmpty() ? TAnswer::Yes : answers.takeFirst();
    }
    void ShowStatus(const QString &text) override { statuses << text; }
    void ShowProgress(qint64 step, qint64 total) override { progress.append({step, total}); }
    void Beep() override { ++beeps; }
    QString ChooseFile(const QString &, const QString &, const QStringList &) override
    {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
};
