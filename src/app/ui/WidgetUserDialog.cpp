#include "app/ui/WidgetUserDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

TWidgetUserDialog::TWidgetUserDialog(QWidget *owner)
    : FOwner(owner)
{
}

void TWidgetUserDialog::ShowMessage(const QString &text)
{
    QMessageBox::information(FOwner, QApplication::applicationDisplayName(), text);
}

IUserDialog::TAnswer TWidgetUserDialog::AskQuestion(const QString &text, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    switch (QMessageBox::question(FOwner, QApplication::applicationDisplayName(), text, buttons)) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
}

void TWidgetUserDialog::ShowStatus(const QString &text)
{
    if (OnStatus)
        OnStatus(text);
}

void TWidgetUserDialog::ShowProgress(qint64 step, qint64 total)
{
    if (OnProgress)
        OnProgress(step, total);
}

void TWidgetUserDialog::Beep()
{
    QApplication::beep();
}

QString TWidgetUserDialog::ChooseFile(const QString &caption, const QString &folder, const QStringList &filters)
{
    return QFileDialog::getOpenFileName(FOwner, caption, folder, filters.join(QStringLiteral(";;")));
}
