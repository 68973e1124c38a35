#pragma once

#include "GaugeModel.h"

#include <QByteArray>
#include <QString>

// How the gauge reacts to one request.
struct TSimAnswer
{
    enum TKind {
        akAnswer,        // kind 6 with Payload
        akNakToSender,   // kind 15 to the PC: the command is unknown
        akNakBroadcast,  // kind 15 to 255: not carried out (or garbled), repeat
        akNone,          // no answer at all
    };
    TKind Kind = akAnswer;
    QByteArray Payload;
    quint8 NakCode = 0;       // code before adding 32
    bool Encode = false;      // 7-bit encoded payload
    bool Ping = false;        // the answer resets the answer counter
    quint8 Error = 0;         // left in the error byte by a kind-6 answer
};

// NAK codes (the byte on the wire is the code + 32).
enum TSimNakCode : quint8 {
    sncUnknownCommand = 1,
    sncNotCarriedOut = 2,
    sncGarbled = 3,
};

// The gauge's command interpreter: takes the command byte and the decoded
// payload of one request, changes the model and says what to answer.
class TGaugeServer
{
public:
    // Largest payload an answer frame can carry when 7-bit encoded.
    static constexpr int MaxEncodedPayload = 217;

    explicit TGaugeServer(TGaugeModel &model) : FModel(model) {}

    TSimAnswer Handle(quint8 commandByte, const QByteArray &data);

    // The command word as the trace and the fault plan name it ("*FFR",
    // "*FTG", "V", "PING"); "?" for an unknown command.
    static QString CommandName(quint8 commandByte, const QByteArray &data);
    // The request as a line, parameters in hexadecimal ("*FFR 1E").
    static QString Describe(quint8 commandByte, const QByteArray &data);

private:
    TSimAnswer Dispatch(quint8 commandByte, const QByteArray &data, bool &setsErrorByte);
    TSimAnswer FileCommand(const QByteArray &d);
    TSimAnswer TreeGet(const QByteArray &query, quint16 index);
    TSimAnswer TreeInfo(bool longForm);
    TSimAnswer TreeInsert(const QByteArray &d);
    TSimAnswer FileOpen(const QByteArray &d, bool create);
    TSimAnswer FileRead(int count);
    TSimAnswer FileWrite(const QByteArray &bytes);
    TSimAnswer ParamRead(const QByteArray &args);
    TSimAnswer ParamWrite(const QByteArray &args);
    TSimAnswer QuickInfo(char item);
    TSimAnswer Batch(char item, quint16 value);
    TSimAnswer AccessTable(char item, const QByteArray &args);
    TSimAnswer Info(const QByteArray &d);
    TSimAnswer Eeprom(const QByteArray &d);
    QByteArray EntryRecord(quint8 status, quint16 index, bool links) const;
    TSimFile *OpenParameterFile();

    TGaugeModel &FModel;
};
