#pragma once

#include "GaugePort.h"

#include <QBluetoothSocket>
#include <QTimer>

// An RFCOMM connection to the Serial Port Profile of a Bluetooth device,
// without authentication. Connects in the background (5 s limit).
class TBluetoothGaugePort : public TGaugePort
{
public:
    explicit TBluetoothGaugePort(const QString &address);

    TErrMsg Open(const TPortSettings &settings) override;
    void Close() override;
    bool IsOpen() const override;
    bool IsDisconnected() const override;
    TErrMsg Write(const QByteArray &bytes) override;
    void PurgeReceive() override;

private:
    void ReadAvailable();
    void ConnectFailed(int error);

    QString m_address;
    QBluetoothSocket m_socket{QBluetoothServiceInfo::RfcommProtocol};
    QTimer m_connectTimer;
    bool m_connecting = false;
};
