#pragma once

#include "comm/ZYKComm2Item.h"

// Counts answers that arrived with a bad checksum while it lives. The
// connection item hands such an answer to the waiting transaction as an
// empty payload, which a read must not take for a real answer.
class TAnswerWatch
{
public:
    explicit TAnswerWatch(const TZYKComm2Item &item) : FItem(item), FStart(item.BadCheckSumCount()) {}

    int BadAnswers() const { return int(FItem.BadCheckSumCount() - FStart); }

private:
    const TZYKComm2Item &FItem;
    quint32 FStart;
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
