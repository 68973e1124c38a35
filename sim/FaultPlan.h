#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// Deterministic faults of the simulated gauge. A rule is written
// ACTION=WHERE:
//   drop=3          the answer to request 3 is not sent (the command is carried out)
//   corrupt=FFR:2   the answer to the 2nd "*FFR" request gets a wrong checksum
//   nak=5,7         requests 5 and 7 are answered with a NAK to 255 and not carried out
//   delay=300       every answer is sent 300 ms late; delay=300@4 only the 4th
//   close=10        the link is closed after answering request 10
// WHERE is a request number (counted from 1 over every request frame the
// gauge accepts, pings included), a list of them, COMMAND:N for the Nth
// request of one command word (with or without the star), or "*" for all.
class TFaultPlan
{
public:
    struct TDecision
    {
        bool Drop = false;
        bool Corrupt = false;
        bool Nak = false;
        int DelayMs = 0;
        bool Close = false;
        bool Any() const { return Drop || Corrupt || Nak || DelayMs > 0 || Close; }
        QString Text() const;
    };

    // Adds one rule; false with a message when it cannot be read.
    bool Add(const QString &rule, QString *error = nullptr);
    bool AddAll(const QStringList &rules, QString *error = nullptr);
    void Clear();
    QStringList Rules() const { return FTexts; }

    // Counts one request of the given command word and says what happens to it.
    TDecision Next(const QString &commandName);
    int Requests() const { return FRequests; }

private:
    enum TAction { faDrop, faCorrupt, faNak, faDelay, faClose };
    struct TRule
    {
        TAction Action = faDrop;
        QString Command;     // empty: counted over all requests
        QVector<int> Numbers; // empty: every request
        int DelayMs = 0;
    };

    QVector<TRule> FRules;
    QStringList FTexts;
    int FRequests = 0;
    QHash<QString, int> FPerCommand;
};
