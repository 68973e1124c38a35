#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for the name of a new folder inside a parent folder and creates it.
// "OK" is enabled (and green) only while the name is not empty and no such
// folder exists yet.
class TFormCreateDirectory : public QDialog
{
    Q_OBJECT

public:
    explicit TFormCreateDirectory(const QString &parentFolder, QWidget *parent = nullptr);

    QLineEdit *Edit() const { return FEdit; }
    QPushButton *OkButton() const { return btnOK; }
    // The folder that was created, empty until then.
    QString CreatedPath() const { return FCreated; }

    void accept() override;

signals:
    void DirectoryCreated(const QString &path);

private:
    void UpdateOk();
    QString TargetPath() const;

    QString FParent;
    QString FCreated;
    QLineEdit *FEdit = nullptr;
    QPushButton *btnOK = nullptr;
};
