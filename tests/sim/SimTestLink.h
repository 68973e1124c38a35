#pragma once

// The PC side of raw exchanges with the simulated gauge, through the
// project's own codec: line commands (plus raw bytes) become request frames,
// the gauge's output is assembled and decoded again.

#include "support/QtTestApp.h"
#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"
#include "sim/GaugeSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

inline QByteArray Word(int value)
{
    return Bytes({value & 0xFF, (value >> 8) & 0xFF});
}

struct TSimTestLink
{
    std::unique_ptr<TGaugeSimulator> Sim;
    TCodecState Pc;
    TFrameAssembler Assembler;
    QList<TTelegramData> Received;
    QList<QByteArray> Frames;

    explicit TSimTestLink(const QString &scenario = QStringLiteral("full-gauge"))
    {
        EnsureQtApp();
        QString error;
        Sim = TGaugeSimulator::FromScenario(scenario, &error);
        if (!Sim)
            ADD_FAILURE() << error.toStdString();
        QObject::connect(Sim.get(), &TGaugeSimulator::Output, Sim.get(), [this](const QByteArray &bytes) {
            for (char c : bytes)
                if (Assembler.Feed(quint8(c))) {
                    TTelegramData telegram;
                    DecodeFrame(Pc, Assembler.Frame(), telegram);
                    Received.append(telegram);
                    Frames.append(Assembler.Frame().Content());
                }
        });
    }

    TGaugeModel &Model() { return Sim->Model(); }

    // Sends the line (with raw bytes appended) and returns the telegram that
    // came back at once (Kind 0 when none).
    TTelegramData Send(const QString &line, const QByteArray &raw = {})
    {
        TBuffer request = EncodeLineCommand(line);
        EXPECT_TRUE(request.Append(raw));
        return SendBuffer(request);
    }
    // A request written directly: the command byte, then the rest.
    TTelegramData SendRaw(const QByteArray &bytes) { return SendBuffer(TBuffer::FromContent(bytes)); }

    TTelegramData SendBuffer(const TBuffer &request)
    {
        TBuffer frame;
        EXPECT_EQ(BuildFrame(Pc, fkRequest, 0, request, frame), emNone);
        const qsizetype before = Received.size();
        Sim->Receive(frame.Content());
        return Received.size() > before ? Received.last() : TTelegramData{};
    }

    // Lets queued (delayed) answers arrive.
    void Wait(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};

inline QByteArray Payload(const TTelegramData &telegram)
{
    return telegram.Data.Content();
}

inline int WordAt(const QByteArray &bytes, int offset)
{
    return quint8(bytes[offset]) | quint8(bytes[offset + 1]) << 8;
}
