#include "FrameAssembler.h"

#include "TelegramCodec.h"

bool TFrameAssembler::Feed(quint8 byte)
{
    if (m_completed) {
        m_frame.SetCount(0);
        m_completed = false;
    }
    if (m_kind == 0) {
        if (!IsFrameKind(byte))
            return false;
        m_frame.Clear();
        m_kind = byte;
    }
    if (!m_frame.IsFull())
        m_frame.SetCount(m_frame.Count() + 1);
    m_frame[m_frame.Count()] = byte;
    if (byte == 4 || byte == 5) {
        m_kind = 0;
        m_completed = true;
        return true;
    }
    return false;
}

void TFrameAssembler::Clear()
{
    m_kind = 0;
    m_completed = false;
    m_frame.Clear();
}

TBuffer TFrameAssembler::EmptiedFrame() const
{
    TBuffer copy = m_frame;
    copy.SetCount(0);
    return copy;
}
