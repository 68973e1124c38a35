#include "app/ui/FormCreateDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char *const CreamStyle = "TFormCreateDirectory { background: #fff8e1; }";
const char *const OkEnabledStyle = "QPushButton { background: #3fa34d; color: white; padding: 4px 14px; }";
const char *const OkDisabledStyle = "QPushButton { background: #c8c8c8; color: #6e6e6e; padding: 4px 14px; }";
}

TFormCreateDirectory::TFormCreateDirectory(const QString &parentFolder, QWidget *parent)
    : QDialog(parent)
    , FParent(parentFolder)
{
    setObjectName(QStringLiteral("FormCreateDirectory"));
    setWindowTitle(tr("Create directory"));
    setStyleSheet(QString::fromLatin1(CreamStyle));
    setAttribute(Qt::WA_StyledBackground);

    FEdit = new QLineEdit(this);
    FEdit->setMinimumWidth(260);
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(FEdit, 1);
    layout->addWidget(btnOK);

    connect(FEdit, &QLineEdit::textChanged, this, &TFormCreateDirectory::UpdateOk);
    connect(btnOK, &QPushButton::clicked, this, &TFormCreateDirectory::accept);
    UpdateOk();
}

QString TFormCreateDirectory::TargetPath() const
{
    return QDir(FParent).filePath(FEdit->text());
}

void TFormCreateDirectory::UpdateOk()
{
    const bool ok = !FEdit->text().isEmpty() && !QFileInfo(TargetPath()).isDir();
    btnOK->setEnabled(ok);
    btnOK->setStyleSheet(QString::fromLatin1(ok ? OkEnabledStyle : OkDisabledStyle));
}

void TFormCreateDirectory::accept()
{
    // Enter reaches here through the default button even when it is disabled.
    UpdateOk();
    if (!btnOK->isEnabled())
        return;
    if (!QDir().mkdir(TargetPath()))
        return;
    FCreated = TargetPath();
    emit DirectoryCreated(FCreated);
    QDialog::accept();
}
