#pragma once

#include "support/QtTestApp.h"
#include "comm/TelegramCodec.h"
#include "comm/ports/GaugePort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>

#include <functional>

// The gauge's side of the codec: it answers the PC (127) from address 53.
inline TCodecState GaugeCodec()
{
    TCodecState gauge;
    gauge.TransmitAdr = 53;
    gauge.ReceiveAdr = 127;
    gauge.LastSourceAdr = 127;
    return gauge;
}

inline QByteArray AnswerFrame(TCodecState &gauge, const QByteArray &payload, bool encoded = true)
{
    TBuffer answer = TBuffer::FromContent({static_cast<quint8>(encoded ? 0x80 : 0x02)});
    answer.Append(payload);
    TBuffer frame;
    BuildFrame(gauge, fkAnswer, 0, answer, frame);
    return frame.Content();
}

inline QByteArray NakFrame(TCodecState &gauge, quint8 destination, quint8 code)
{
    const quint8 last = gauge.LastSourceAdr;
    gauge.LastSourceAdr = destination;
    TBuffer frame;
    BuildFrame(gauge, fkNak, static_cast<quint8>(code + 32), TBuffer{}, frame);
    gauge.LastSourceAdr = last;
    return frame.Content();
}

// An in-process transport that answers each write from a script; the answer
// is handed over on the next Poll, as if it had just arrived.
class TScriptedPort : public TGaugePort
{
public:
    // Given the frame written and its number (0 = first), the bytes the gauge sends back.
    std::function<QByteArray(const QByteArray &frame, int index)> Respond;
    QList<QByteArray> Writes;
    QList<qint64> WriteTimesMs;   // QElapsedTimer milliseconds of each write
    QList<qint64> DeliverTimesMs; // and of each delivery
    QElapsedTimer Timer;
    bool Opened = false;
    QList<TPortSettings> Opens;   // the settings of every open

    TScriptedPort() { Timer.start(); }

    TErrMsg Open(const TPortSettings &settings) override
    {
        Opens << settings;
        Opened = true;
        return emNone;
    }
    void Close() override { Opened = false; }
    bool IsOpen() const override { return Opened; }
    TErrMsg Write(const QByteArray &bytes) override
    {
        WriteTimesMs << Timer.elapsed();
        Writes << bytes;
        if (Respond)
            m_pending += Respond(bytes, static_cast<int>(Writes.size() - 1));
        return emNone;
    }
    void Poll() override
    {
        if (m_pending.isEmpty())
            return;
        const QByteArray bytes = std::exchange(m_pending, {});
        DeliverTimesMs << Timer.elapsed();
        Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
    }
    // Bytes the gauge sends on its own.
    void Arrive(const QByteArray &bytes)
    {
        Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
    }

private:
    QByteArray m_pending;
};
