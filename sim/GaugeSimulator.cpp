#include "GaugeSimulator.h"

#include "Scenario.h"

#include "comm/ports/LoopbackPort.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimer>

namespace {

constexpr quint8 GaugeAddress = 53;
constexpr quint8 PcAddress = 127;
constexpr quint8 DataOutputCommand = 'D';

QByteArray FrameBytes(const TBuffer &frame)
{
    return frame.Content();
}

} // namespace

TGaugeSimulator::TGaugeSimulator(QObject *parent)
    : QObject(parent), FModel(std::make_unique<TGaugeModel>()), FServer(*FModel)
{
    FClock.start();
    ResetLink();
}

TGaugeSimulator::~TGaugeSimulator() = default;

QString TGaugeSimulator::ScenarioPath(const QString &nameOrPath)
{
    if (QFileInfo::exists(nameOrPath))
        return nameOrPath;
    const QString file = nameOrPath.endsWith(QLatin1String(".json")) ? nameOrPath : nameOrPath + QLatin1String(".json");
    for (const QString &folder : {QStringLiteral(GAUGE_SCENARIO_DIR "/"), QStringLiteral(":/sim/scenarios/")})
        if (QFileInfo::exists(folder + file))
            return folder + file;
    return nameOrPath;
}

std::unique_ptr<TGaugeSimulator> TGaugeSimulator::FromScenario(const QString &path, QString *error)
{
    const QString file = ScenarioPath(path);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read scenario %1: %2").arg(file, in.errorString());
        return nullptr;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("%1: %2 at offset %3").arg(file, parseError.errorString()).arg(parseError.offset);
        return nullptr;
    }
    auto sim = std::make_unique<TGaugeSimulator>();
    QString why;
    if (!TScenario::Load(document.object(), sim->Model(), sim->Faults(), &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file, why);
        return nullptr;
    }
    return sim;
}

std::unique_ptr<TGaugePort> TGaugeSimulator::Attach(std::shared_ptr<TGaugeSimulator> sim)
{
    auto [pcEnd, gaugeEnd] = TLoopbackPort::CreatePair();
    TLoopbackPort *gauge = gaugeEnd.get();
    TGaugeSimulator *simulator = sim.get();
    gauge->SetDataHandler([simulator](const quint8 *data, int size) {
        simulator->Receive(QByteArray(reinterpret_cast<const char *>(data), size));
    });
    QObject::connect(simulator, &TGaugeSimulator::Output, simulator, [gauge](const QByteArray &bytes) {
        gauge->Write(bytes);
    });
    QObject::connect(simulator, &TGaugeSimulator::LinkClosed, simulator, [gauge] { gauge->HangUp(); });
    pcEnd->KeepAlive(std::move(sim));
    pcEnd->KeepAlive(std::shared_ptr<TLoopbackPort>(std::move(gaugeEnd)));
    return std::move(pcEnd);
}

bool TGaugeSimulator::OpenTrace(const QString &path, QString *error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write trace %1: %2").arg(path, file->errorString());
        return false;
    }
    FTrace = std::move(file);
    return true;
}

void TGaugeSimulator::ResetLink()
{
    FCodec = TCodecState();
    FCodec.TransmitAdr = GaugeAddress;
    FCodec.ReceiveAdr = PcAddress;
    FAssembler.Clear();
    FModel->OpenFile.reset();
}

void TGaugeSimulator::Receive(const QByteArray &bytes)
{
    for (char c : bytes)
        if (FAssembler.Feed(quint8(c)))
            HandleFrame(FAssembler.Frame());
}

void TGaugeSimulator::HandleFrame(const TBuffer &frame)
{
    if (frame.Count() >= 2 && (frame[2] & 0x80) && frame[2] != 255) {
        Trace(QStringLiteral(">"), QStringLiteral("ignored: sub-addressed request"), FrameBytes(frame));
        return;
    }
    if (frame.Count() >= 2 && FResponders.count(frame[2])) {
        HandleOtherDevice(frame[2], frame);
        return;
    }
    TTelegramData telegram;
    const TErrMsg result = DecodeFrame(FCodec, frame, telegram);
    const bool request = telegram.Kind == fkRequest || telegram.Kind == fkRequestForm3;
    if (result == emBadCheckSum && request) {
        Trace(QStringLiteral(">"), QStringLiteral("garbled request (checksum)"), FrameBytes(frame));
        TSimAnswer nak;
        nak.Kind = TSimAnswer::akNakBroadcast;
        nak.NakCode = sncGarbled;
        Emit(BuildAnswerFrame(nak, 0), frame.Count(), 0, false);
        return;
    }
    if (result != emNone || !request) {
        if (result == emNone)
            Trace(QStringLiteral(">"), QStringLiteral("ignored: frame kind %1").arg(telegram.Kind), FrameBytes(frame));
        return;
    }
    HandleRequest(telegram, frame.Count());
}

void TGaugeSimulator::HandleRequest(const TTelegramData &telegram, int frameLength)
{
    const quint8 command = quint8(telegram.AnswerByte + 32);
    const QByteArray data = telegram.Data.Content();
    const QString name = TGaugeServer::CommandName(command, data);
    const TFaultPlan::TDecision fault = FFaults.Next(name);
    Trace(QStringLiteral(">"), QStringLiteral("#%1 %2").arg(FFaults.Requests()).arg(TGaugeServer::Describe(command, data)));

    TSimAnswer answer;
    if (fault.Nak) {
        answer.Kind = TSimAnswer::akNakBroadcast;
        answer.NakCode = sncGarbled;
    } else {
        answer = FServer.Handle(command, data);
        if (name == QLatin1String("*SGB") && FBaud > 0)
            FBaud = 115200;
    }
    if (answer.Kind == TSimAnswer::akNone) {
        Trace(QStringLiteral("<"), QStringLiteral("no answer"));
        if (fault.Close)
            Emit({}, frameLength, fault.DelayMs, true);
        return;
    }
    QByteArray frame = BuildAnswerFrame(answer, command);
    if (fault.Corrupt && frame.size() >= 2)
        frame[frame.size() - 2] = char(quint8(frame[frame.size() - 2]) ^ 0x01);

    QString text;
    switch (answer.Kind) {
    case TSimAnswer::akAnswer:
        text = QStringLiteral("answer %1 bytes%2").arg(answer.Payload.size()).arg(answer.Encode ? QStringLiteral(" encoded") : QString());
        break;
    case TSimAnswer::akNakToSender:
        text = QStringLiteral("NAK %1 to PC").arg(answer.NakCode);
        break;
    default:
        text = QStringLiteral("NAK %1 to 255, error byte %2").arg(answer.NakCode).arg(FModel->ErrorByte);
        break;
    }
    if (fault.Any())
        text += QStringLiteral(" [%1]").arg(fault.Text());
    Trace(QStringLiteral("<"), text, frame);
    Emit(fault.Drop ? QByteArray() : frame, frameLength, fault.DelayMs, fault.Close);
}

void TGaugeSimulator::SetResponder(quint8 address, TResponder responder)
{
    TCodecState codec;
    codec.TransmitAdr = address;
    codec.ReceiveAdr = PcAddress;
    FResponders[address] = {std::move(responder), codec};
}

void TGaugeSimulator::HandleOtherDevice(quint8 address, const TBuffer &frame)
{
    auto &[responder, codec] = FResponders[address];
    TTelegramData telegram;
    if (DecodeFrame(codec, frame, telegram) != emNone
        || (telegram.Kind != fkRequest && telegram.Kind != fkRequestForm3))
        return;
    const quint8 command = quint8(telegram.AnswerByte + 32);
    const QByteArray data = telegram.Data.Content();
    Trace(QStringLiteral(">"), QStringLiteral("@%1 %2").arg(address).arg(TGaugeServer::Describe(command, data)));
    const TSimAnswer answer = responder(command, data);
    if (answer.Kind == TSimAnswer::akNone)
        return;
    std::swap(codec, FCodec);
    const QByteArray bytes = BuildAnswerFrame(answer, command);
    std::swap(codec, FCodec);
    Trace(QStringLiteral("<"), QStringLiteral("@%1 answer").arg(address), bytes);
    Emit(bytes, frame.Count(), 0, false);
}

QByteArray TGaugeSimulator::BuildAnswerFrame(const TSimAnswer &answer, quint8 commandByte)
{
    TBuffer request;
    TBuffer frame;
    if (answer.Kind == TSimAnswer::akAnswer) {
        quint8 selector = answer.Ping ? 32 : quint8(commandByte & 0x7F);
        if (selector == 32 && !answer.Ping)
            selector = 33;
        if (answer.Encode)
            selector |= 0x80;
        request.Append(selector);
        request.Append(answer.Payload);
        BuildFrame(FCodec, fkAnswer, 0, request, frame);
        return FrameBytes(frame);
    }
    request.Append(quint8(0));
    const quint8 sender = FCodec.LastSourceAdr;
    const quint8 subAddress = FCodec.LastSubAdr;
    if (answer.Kind == TSimAnswer::akNakBroadcast) {
        FCodec.LastSourceAdr = 255;
        FCodec.LastSubAdr = 0;
    }
    BuildFrame(FCodec, fkNak, quint8(answer.NakCode + 32), request, frame);
    FCodec.LastSourceAdr = sender;
    FCodec.LastSubAdr = subAddress;
    return FrameBytes(frame);
}

void TGaugeSimulator::Emit(const QByteArray &bytes, int requestLength, int delayMs, bool close)
{
    const qint64 now = FClock.nsecsElapsed() / 1000;
    qint64 due = now + qint64(delayMs) * 1000;
    if (FBaud > 0 && !bytes.isEmpty()) {
        const qint64 lineUs = qint64(requestLength + bytes.size()) * 10 * 1000000 / FBaud;
        due = qMax(due, FLineFreeUs) + lineUs;
        FLineFreeUs = due;
    }
    const qint64 waitUs = due - now;
    if (waitUs <= 0) {
        if (!bytes.isEmpty())
            emit Output(bytes);
        if (close)
            emit LinkClosed();
        return;
    }
    QTimer::singleShot(int((waitUs + 999) / 1000), Qt::PreciseTimer, this, [this, bytes, close] {
        if (!bytes.isEmpty())
            emit Output(bytes);
        if (close)
            emit LinkClosed();
    });
}

void TGaugeSimulator::Measure(double micrometres)
{
    const int number = FModel->Measure(micrometres);
    if (!DataOutputOn())
        return;
    const QString text = QStringLiteral("%1 %2 %3").arg(number).arg(micrometres, 0, 'f', 1).arg(FModel->UnitText);
    TBuffer request;
    request.Append(DataOutputCommand);
    request.Append(text.toLatin1());
    TBuffer frame;
    if (BuildFrame(FCodec, fkRequest, 0, request, frame) != emNone)
        return;
    Trace(QStringLiteral("<"), QStringLiteral("data output \"%1\"").arg(text), FrameBytes(frame));
    Emit(FrameBytes(frame), 0, 0, false);
}

bool TGaugeSimulator::DataOutputOn() const
{
    auto it = FModel->Eeprom.constFind(QStringLiteral("ConfExtDataOut"));
    return it == FModel->Eeprom.cend() || it->Value == 2;
}

QJsonObject TGaugeSimulator::State() const
{
    return TScenario::Save(*FModel);
}

bool TGaugeSimulator::WriteState(const QString &path, QString *error) const
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    out.write(QJsonDocument(State()).toJson(QJsonDocument::Indented));
    if (!out.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

void TGaugeSimulator::Trace(const QString &direction, const QString &text, const QByteArray &bytes)
{
    if (!FTrace)
        return;
    QString line = QStringLiteral("%1 %2 %3").arg(double(FClock.nsecsElapsed()) / 1e6, 10, 'f', 3).arg(direction, text);
    if (!bytes.isEmpty())
        line += QStringLiteral("  [%1]").arg(QString::fromLatin1(bytes.toHex(' ')).toUpper());
    FTrace->write(line.toUtf8() + '\n');
    FTrace->flush();
}
