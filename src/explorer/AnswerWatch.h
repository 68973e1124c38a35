#pragma once

#include "comm/ZYKComm2Item.h"

// Counts answers that arrived with a bad checksum while it lives. The
// connection item hands such an answer to the waiting transaction as an
// empty payload, which a read must not take for a real answer. Errors are
// passed on to the handler the item had before.
class TAnswerWatch
{
public:
    explicit TAnswerWatch(TZYKComm2Item &item) : FItem(item), FPrevious(item.OnError)
    {
        FItem.OnError = [this](QObject *sender, TErrMsg code, const QString &text) {
            if (code == emBadCheckSum)
                ++FBadAnswers;
            if (FPrevious)
                FPrevious(sender, code, text);
        };
    }
    ~TAnswerWatch() { FItem.OnError = FPrevious; }
    TAnswerWatch(const TAnswerWatch &) = delete;
    TAnswerWatch &operator=(const TAnswerWatch &) = delete;

    int BadAnswers() const { return FBadAnswers; }

private:
    TZYKComm2Item &FItem;
    TZYKComm2Item::TErrorHandler FPrevious;
    int FBadAnswers = 0;
};

// Puts the item's retry count back however a transfer ends.
class TRetryOverride
{
public:
    TRetryOverride(TZYKComm2Item &item, quint32 retries) : FItem(item), FSaved(item.RetryMax()) { item.SetRetryMax(retries); }
    ~TRetryOverride() { FItem.SetRetryMax(FSaved); }
    TRetryOverride(const TRetryOverride &) = delete;
    TRetryOverride &operator=(const TRetryOverride &) = delete;

private:
    TZYKComm2Item &FItem;
    quint32 FSaved;
};
