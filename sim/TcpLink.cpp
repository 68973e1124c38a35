#include "TcpLink.h"

#include "GaugeSimulator.h"

#include <QTcpServer>
#include <QTcpSocket>

TTcpLink::TTcpLink(TGaugeSimulator &simulator, QObject *parent)
    : QObject(parent), FSimulator(simulator), FServer(new QTcpServer(this))
{
    connect(FServer, &QTcpServer::newConnection, this, &TTcpLink::Accept);
    connect(&FSimulator, &TGaugeSimulator::Output, this, [this](const QByteArray &bytes) {
        if (FClient)
            FClient->write(bytes);
    });
    connect(&FSimulator, &TGaugeSimulator::LinkClosed, this, [this] {
        if (FClient)
            FClient->disconnectFromHost();
    });
}

bool TTcpLink::Listen(quint16 port, QString *error)
{
    if (FServer->listen(QHostAddress::LocalHost, port))
        return true;
    if (error)
        *error = QStringLiteral("cannot listen on port %1: %2").arg(port).arg(FServer->errorString());
    return false;
}

quint16 TTcpLink::Port() const
{
    return FServer->serverPort();
}

void TTcpLink::Accept()
{
    while (QTcpSocket *socket = FServer->nextPendingConnection()) {
        if (FClient)
            FClient->disconnectFromHost();
        FClient = socket;
        FSimulator.ResetLink();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket == FClient)
                FSimulator.Receive(socket->readAll());
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}
