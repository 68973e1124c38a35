#pragma once

// Links for command tests: a scripted gauge that records every request and
// answers from a script (wrong lengths, NAKs, silence), and the simulated
// gauge on an in-process loopback.

#include "support/QtTestApp.h"
#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"
#include "comm/ZYKComm2Item.h"
#include "comm/commands/Gauge2.h"
#include "comm/ports/GaugePort.h"
#include "sim/GaugeSimulator.h"

#include <QCoreApplication>

#include <deque>
#include <memory>

inline QByteArray Content(const TBuffer &buffer)
{
    return buffer.Content();
}

struct TScriptedAnswer
{
    enum TKind { saPayload, saDrop, saNakToPc, saNakBroadcast } Kind = saPayload;
    QByteArray Payload;
};

// The gauge side of a loopback: decodes each request frame and answers the
// next scripted answer (an empty payload when the script is used up). Pings
// are answered unless DropPings is set and never use the script.
class TScriptedGaugePort : public TGaugePort
{
public:
    QList<QByteArray> Requests;  // command byte and payload of each request, pings left out
    int Pings = 0;
    bool DropPings = false;
    bool NakPings = false;  // pings get a NAK to 255: they fail at once
    std::deque<TScriptedAnswer> Script;

    void Answer(const QByteArray &payload) { Script.push_back({TScriptedAnswer::saPayload, payload}); }
    void Then(TScriptedAnswer::TKind kind) { Script.push_back({kind, {}}); }

    TErrMsg Open(const TPortSettings &) override { FOpen = true; return emNone; }
    void Close() override { FOpen = false; }
    bool IsOpen() const override { return FOpen; }
    TErrMsg Write(const QByteArray &bytes) override
    {
        for (char c : bytes) {
            if (FAssembler.Feed(quint8(c)))
                HandleFrame(FAssembler.Frame());
        }
        return emNone;
    }
    void Poll() override
    {
        const QByteArray pending = std::exchange(FPending, {});
        Deliver(reinterpret_cast<const quint8 *>(pending.constData()), int(pending.size()));
    }

private:
    void HandleFrame(const TBuffer &frame)
    {
        TTelegramData request;
        if (DecodeFrame(FCodec, frame, request) != emNone)
            return;
        const quint8 command = quint8(request.AnswerByte + 32);
        if (command == 32) {
            ++Pings;
            if (NakPings)
                SendNak(255);
            else if (!DropPings)
                SendAnswer(command, {});
            return;
        }
        Requests << char(command) + request.Data.Content();
        TScriptedAnswer answer;
        if (!Script.empty()) {
            answer = Script.front();
            Script.pop_front();
        }
        switch (answer.Kind) {
        case TScriptedAnswer::saPayload: SendAnswer(command, answer.Payload); break;
        case TScriptedAnswer::saDrop: break;
        case TScriptedAnswer::saNakToPc: SendNak(FCodec.LastSourceAdr); break;
        case TScriptedAnswer::saNakBroadcast: SendNak(255); break;
        }
    }
    void SendAnswer(quint8 command, const QByteArray &payload)
    {
        TBuffer answer = TBuffer::FromContent({quint8(command == 32 ? 32 : 0x80)});
        answer.Append(payload);
        TBuffer frame;
        BuildFrame(FCodec, fkAnswer, 0, answer, frame);
        FPending += frame.Content();
    }
    void SendNak(quint8 destination)
    {
        const quint8 sender = FCodec.LastSourceAdr;
        FCodec.LastSourceAdr = destination;
        TBuffer frame;
        BuildFrame(FCodec, fkNak, 32 + 2, TBuffer{}, frame);
        FCodec.LastSourceAdr = sender;
        FPending += frame.Content();
    }

    bool FOpen = false;
    TFrameAssembler FAssembler;
    TCodecState FCodec = [] {
        TCodecState gauge;
        gauge.TransmitAdr = 53;
        gauge.ReceiveAdr = 127;
        return gauge;
    }();
    QByteArray FPending;
};

// A connection item with fast time-outs and no retries, opened on a port.
inline void OpenFastItem(TZYKComm2Item &item, std::unique_ptr<TGaugePort> port)
{
    EnsureQtApp();
    item.SetCmdSendDelay(0);
    item.SetReceiveTimeout(100);
    item.SetRetryMax(0);
    item.AttachTransport(std::move(port));
    item.Open(true);
}

// A facade on the scripted gauge.
struct TScriptedLink
{
    TZYKComm2Item Item;
    TScriptedGaugePort *Port = nullptr;
    std::unique_ptr<TGauge2> Gauge;

    TScriptedLink()
    {
        auto port = std::make_unique<TScriptedGaugePort>();
        Port = port.get();
        OpenFastItem(Item, std::move(port));
        Gauge = std::make_unique<TGauge2>(Item);
    }
    QByteArray LastRequest() const { return Port->Requests.isEmpty() ? QByteArray() : Port->Requests.last(); }
};

// A facade on the simulated gauge; tests fill the model before using it.
struct TSimLink
{
    std::shared_ptr<TGaugeSimulator> Sim = std::make_shared<TGaugeSimulator>();
    TZYKComm2Item Item;
    std::unique_ptr<TGauge2> Gauge;

    TSimLink()
    {
        EnsureQtApp();
        OpenFastItem(Item, TGaugeSimulator::Attach(Sim));
        Item.SetReceiveTimeout(300);
        Gauge = std::make_unique<TGauge2>(Item);
    }
    TGaugeModel &Model() { return Sim->Model(); }
};
