#pragma once

#include "GaugePort.h"

#include <QSerialPort>

// A serial line through QSerialPort, 8N1 without flow control. Any device
// node works, pseudo-terminals included.
class TSerialGaugePort : public TGaugePort
{
public:
    explicit TSerialGaugePort(const QString &path);

    TErrMsg Open(const TPortSettings &settings) override;
    void Close() override;
    bool IsOpen() const override;
    TErrMsg Write(const QByteArray &bytes) override;
    void PurgeReceive() override;
    bool WaitForData(int ms) override;
    void Poll() override;
    void SetBaudRate(quint32 baudRate) override;

private:
    void ReadAvailable();

    QString m_path;
    QSerialPort m_serial;
};
