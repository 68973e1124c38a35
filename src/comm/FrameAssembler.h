#pragma once

#include "Buffer.h"

// Collects received bytes into frames: a frame starts with a kind byte
// (2, 3, 6, 15, 16) while idle and ends with 4 or 5. Bytes outside a frame
// are dropped; a frame longer than 255 bytes keeps its first 254 bytes and
// its latest byte in the last place.
class TFrameAssembler
{
public:
    // Feeds one byte; true when it completed a frame, which Frame() then holds
    // until the next Feed or Clear.
    bool Feed(quint8 byte);
    void Clear();

    bool InProgress() const { return m_kind != 0; }
    int Kind() const { return m_kind; }
    const TBuffer &Frame() const { return m_frame; }
    // The collected bytes with count 0; byte 1 still holds the last frame's kind.
    TBuffer EmptiedFrame() const;

private:
    int m_kind = 0;
    TBuffer m_frame;
    bool m_completed = false;
};
