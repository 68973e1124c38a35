#pragma once

#include <QtGlobal>

#include <chrono>

// The millisecond clock of the communication layer: a monotonic counter whose
// millisecond value wraps at 2^32. Elapsed times are differences of two values
// taken modulo 2^32. The offset lets tests start the clock just before a wrap.
class TMsClock
{
public:
    qint64 NowNs() const
    {
        using namespace std::chrono;
        return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count() + m_offsetNs;
    }
    quint32 NowMs() const { return static_cast<quint32>(static_cast<quint64>(NowNs()) / 1000000u); }

    // Moves the clock forward to the next moment NowMs() reads `ms` (it never
    // runs backwards, so times taken earlier stay in the past).
    void SetNowMs(quint32 ms)
    {
        const qint64 now = NowNs();
        const qint64 nowMs = now / 1000000;
        qint64 target = (nowMs & ~qint64(0xFFFFFFFF)) | ms;
        if (target < nowMs)
            target += qint64(1) << 32;
        m_offsetNs += target * 1000000 - now;
    }

    static quint32 Elapsed(quint32 from, quint32 to) { return to - from; }

private:
    qint64 m_offsetNs = 0;
};
