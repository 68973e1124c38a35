#pragma once

#include "comm/ErrMsg.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Line settings a connection item hands to its transport when opening.
struct TPortSettings
{
    quint32 BaudRate = 57600;
    quint32 ReceiveTimeout = 1000;  // also the FTDI read and write time-outs
    quint32 USBLatency = 10;        // FTDI latency timer, ms
};

// One transport to one gauge (serial line, FTDI USB, Bluetooth RFCOMM, IrDA,
// TCP, in-process loopback). Received bytes go to the data handler, on the
// thread that owns the transport or, for FTDI, on its receive thread.
class TGaugePort
{
public:
    using TDataHandler = std::function<void(const quint8 *data, int size)>;
    // connected: the connection came up (error 0) or failed (error != 0);
    // !connected: the peer or the driver ended it.
    using TStateHandler = std::function<void(bool connected, int error)>;

    virtual ~TGaugePort() = default;

    // Starts opening. emNone means open now (IsOpen()) or, for transports that
    // connect in the background, a later state report. emConnect otherwise,
    // with ErrorText() saying why.
    virtual TErrMsg Open(const TPortSettings &settings) = 0;
    // Ends the connection at once; no state report follows.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // False while open or still connecting.
    virtual bool IsDisconnected() const { return !IsOpen(); }
    // emSendData when the bytes could not be written.
    virtual TErrMsg Write(const QByteArray &bytes) = 0;

    // Drops bytes received but not yet handed over (before each exchange on FTDI).
    virtual void PurgeReceive() {}
    // Hands over bytes that are already waiting; called while a transaction waits.
    virtual void Poll() {}
    // Blocks up to ms for incoming bytes and hands them over; false when the
    // transport cannot wait this way (the caller then sleeps instead).
    virtual bool WaitForData(int ms) { Q_UNUSED(ms) return false; }
    virtual void SetBaudRate(quint32 baudRate) { Q_UNUSED(baudRate) }
    virtual void SetLatency(quint32 latencyMs) { Q_UNUSED(latencyMs) }
    // True for the FTDI transport, whose open handle the item mirrors in TDevice::Handle.
    virtual bool IsUsb() const { return false; }

    QString ErrorText() const { return m_errorText; }

    void SetDataHandler(TDataHandler handler) { m_dataHandler = std::move(handler); }
    void SetStateHandler(TStateHandler handler) { m_stateHandler = std::move(handler); }

    // Keeps an object alive as long as this transport (the peer of a loopback).
    void KeepAlive(std::shared_ptr<void> object) { m_keptAlive.push_back(std::move(object)); }

protected:
    void Deliver(const quint8 *data, int size)
    {
        if (m_dataHandler && size > 0)
            m_dataHandler(data, size);
    }
    void ReportState(bool connected, int error)
    {
        if (m_stateHandler)
            m_stateHandler(connected, error);
    }
    void SetErrorText(const QString &text) { m_errorText = text; }

private:
    TDataHandler m_dataHandler;
    TStateHandler m_stateHandler;
    QString m_errorText;
    std::vector<std::shared_ptr<void>> m_keptAlive;
};
