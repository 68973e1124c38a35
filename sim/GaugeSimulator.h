#pragma once

#include "FaultPlan.h"
#include "GaugeModel.h"
#include "GaugeServer.h"

#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"
#include "comm/ports/GaugePort.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

class QFile;

// The simulated gauge as a peer on a byte stream: assembles the PC's request
// frames, lets the server answer them, applies the fault plan and the line
// pacing, and sends answers and data-output telegrams through Output().
//
// In-process use:
//   auto sim = TGaugeSimulator::FromScenario("sim/scenarios/full-gauge.json", &error);
//   auto pcSide = TGaugeSimulator::Attach(std::move(sim)); // a TGaugePort for the connection item
// or drive it directly: connect Output(), call Receive() with request bytes.
class TGaugeSimulator : public QObject
{
    Q_OBJECT

public:
    explicit TGaugeSimulator(QObject *parent = nullptr);
    ~TGaugeSimulator() override;

    // A simulator loaded from a scenario (or a state written by --state-out);
    // a bare file name is looked up in the scenario folder of the sources.
    static std::unique_ptr<TGaugeSimulator> FromScenario(const QString &path, QString *error = nullptr);
    static QString ScenarioPath(const QString &nameOrPath);

    // The PC end of an in-process link to sim; the simulator lives as long as
    // that port. Faults that close the link hang the loopback up.
    static std::unique_ptr<TGaugePort> Attach(std::shared_ptr<TGaugeSimulator> sim);

    TGaugeModel &Model() { return *FModel; }
    const TGaugeModel &Model() const { return *FModel; }
    TFaultPlan &Faults() { return FFaults; }

    // Pacing: each byte takes 10 bits of line time at this rate; 0 = none.
    void SetBaudRate(int baud) { FBaud = baud; }
    int BaudRate() const { return FBaud; }
    // Logs every request and answer; false when the file cannot be opened.
    bool OpenTrace(const QString &path, QString *error = nullptr);

    // Another device on the same line (the ultrasonic sensor answers at 99):
    // requests addressed to it go to the responder instead of the gauge.
    using TResponder = std::function<TSimAnswer(quint8 commandByte, const QByteArray &data)>;
    void SetResponder(quint8 address, TResponder responder);

    // A new connection: the frame assembler and the codec's memory start afresh.
    void ResetLink();
    // Bytes from the PC.
    void Receive(const QByteArray &bytes);

    // A reading measured on the gauge: stored in the active batch and, when
    // the data output is on, sent as a kind-2 telegram ("12 25.4 um").
    void Measure(double micrometres);
    bool DataOutputOn() const;

    QJsonObject State() const;
    bool WriteState(const QString &path, QString *error = nullptr) const;

signals:
    // Bytes for the PC.
    void Output(const QByteArray &bytes);
    // A fault asked for the link to be closed.
    void LinkClosed();

private:
    void HandleFrame(const TBuffer &frame);
    void HandleRequest(const TTelegramData &telegram, int frameLength);
    void HandleOtherDevice(quint8 address, const TBuffer &frame);
    QByteArray BuildAnswerFrame(const TSimAnswer &answer, quint8 commandByte);
    void Emit(const QByteArray &bytes, int requestLength, int delayMs, bool close);
    void Trace(const QString &direction, const QString &text, const QByteArray &bytes = {});

    std::unique_ptr<TGaugeModel> FModel;
    TGaugeServer FServer;
    TFaultPlan FFaults;
    TCodecState FCodec;
    TFrameAssembler FAssembler;
    int FBaud = 0;
    QElapsedTimer FClock;
    qint64 FLineFreeUs = 0;
    std::unique_ptr<QFile> FTrace;
    std::map<quint8, std::pair<TResponder, TCodecState>> FResponders;
};
