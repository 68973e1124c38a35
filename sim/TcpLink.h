#pragma once

#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;
class TGaugeSimulator;

// A TCP listener on the loopback interface; one client at a time talks to
// the gauge (a newer client replaces the older one). Closing the link by a
// fault drops the client; the listener stays.
class TTcpLink : public QObject
{
    Q_OBJECT

public:
    explicit TTcpLink(TGaugeSimulator &simulator, QObject *parent = nullptr);

    bool Listen(quint16 port, QString *error = nullptr);
    quint16 Port() const;

private:
    void Accept();

    TGaugeSimulator &FSimulator;
    QTcpServer *FServer;
    QPointer<QTcpSocket> FClient;
};
