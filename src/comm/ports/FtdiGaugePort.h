#pragma once

#include "GaugePort.h"

#include <atomic>
#include <mutex>
#include <thread>

struct ftdi_context;

// An FTDI USB serial converter through libftdi1, opened by serial number:
// reset, latency timer, 64-byte transfers, baud rate, 8N1, time-outs. A
// receive thread reads what arrives and hands it to the data handler on that
// thread.
class TFtdiGaugePort : public TGaugePort
{
public:
    explicit TFtdiGaugePort(const QString &serialNumber);
    ~TFtdiGaugePort() override;

    TErrMsg Open(const TPortSettings &settings) override;
    void Close() override;
    bool IsOpen() const override;
    TErrMsg Write(const QByteArray &bytes) override;
    void PurgeReceive() override;
    void SetBaudRate(quint32 baudRate) override;
    void SetLatency(quint32 latencyMs) override;
    bool IsUsb() const override { return true; }

private:
    bool Check(int status, const char *operation);
    void ReceiveLoop();

    QString m_serialNumber;
    ftdi_context *m_ftdi = nullptr;
    std::mutex m_readLock;  // reads, purges and line settings
    std::thread m_receiveThread;
    std::atomic<bool> m_stop{false};
};
