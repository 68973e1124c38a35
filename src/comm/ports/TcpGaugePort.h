#pragma once

#include "GaugePort.h"

#include <QTcpSocket>
#include <QTimer>

// A TCP connection to a network serial server or the gauge simulator,
// addressed as "tcp:HOST:PORT". Connects in the background.
class TTcpGaugePort : public TGaugePort
{
public:
    explicit TTcpGaugePort(const QString &address);

    // Splits "tcp:HOST:PORT" (HOST may be a bracketed IPv6 address); false when malformed.
    static bool ParseAddress(const QString &address, QString &host, quint16 &port);

    TErrMsg Open(const TPortSettings &settings) override;
    void Close() override;
    bool IsOpen() const override;
    bool IsDisconnected() const override;
    TErrMsg Write(const QByteArray &bytes) override;
    void PurgeReceive() override;
    bool WaitForData(int ms) override;

private:
    void ReadAvailable();

    QString m_address;
    QTcpSocket m_socket;
    QTimer m_connectTimer;
    bool m_connecting = false;
};
