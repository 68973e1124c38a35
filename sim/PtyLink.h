#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class TGaugeSimulator;

// A pseudo-terminal pair whose slave side is reachable under a symlink
// (LINK -> /dev/pts/N), so a program opens it like any serial port.
class TPtyLink : public QObject
{
    Q_OBJECT

public:
    explicit TPtyLink(TGaugeSimulator &simulator, QObject *parent = nullptr);
    ~TPtyLink() override;

    // Creates the pair and the symlink (replacing an old symlink, never a file).
    bool Open(const QString &linkPath, QString *error = nullptr);
    void Close();
    QString SlavePath() const { return FSlavePath; }
    QString LinkPath() const { return FLinkPath; }

signals:
    void Closed();

private:
    void ReadMaster();

    TGaugeSimulator &FSimulator;
    int FMaster = -1;
    int FSlaveKeeper = -1; // keeps the slave open so client hang-ups do not end the pair
    QString FSlavePath;
    QString FLinkPath;
    QSocketNotifier *FNotifier = nullptr;
};
