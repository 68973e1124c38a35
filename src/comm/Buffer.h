#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <initializer_list>

// A length-prefixed byte buffer: byte 0 is the count of content bytes
// (0..255), bytes 1..count are the content. Every request, frame and answer
// payload of the gauge protocol is one, copied by value.
struct TBuffer
{
    std::array<quint8, 256> Bytes{};

    quint8 Count() const { return Bytes[0]; }
    void SetCount(quint8 count) { Bytes[0] = count; }
    bool IsFull() const { return Bytes[0] == 255; }

    quint8 &operator[](int index) { return Bytes[static_cast<std::size_t>(index & 0xFF)]; }
    quint8 operator[](int index) const { return Bytes[static_cast<std::size_t>(index & 0xFF)]; }

    // Appends one byte behind the content; false (and nothing written) when
    // the buffer already holds 255 bytes.
    bool Append(quint8 byte)
    {
        if (IsFull())
            return false;
        Bytes[++Bytes[0]] = byte;
        return true;
    }
    // Appends all bytes or none.
    bool Append(const QByteArray &bytes)
    {
        if (Count() + bytes.size() > 255)
            return false;
        for (char c : bytes)
            Bytes[++Bytes[0]] = static_cast<quint8>(c);
        return true;
    }

    void Clear() { Bytes.fill(0); }

    // The content bytes 1..count.
    QByteArray Content() const
    {
        return QByteArray(reinterpret_cast<const char *>(Bytes.data() + 1), Count());
    }
    const quint8 *ContentData() const { return Bytes.data() + 1; }

    // A buffer holding the given bytes; content beyond 255 bytes is cut off.
    static TBuffer FromContent(const QByteArray &bytes)
    {
        TBuffer buffer;
        for (int i = 0; i < bytes.size() && i < 255; ++i)
            buffer.Append(static_cast<quint8>(bytes[i]));
        return buffer;
    }
    static TBuffer FromContent(std::initializer_list<quint8> bytes)
    {
        TBuffer buffer;
        for (quint8 b : bytes)
            buffer.Append(b);
        return buffer;
    }

    // Equal when count and content are equal (bytes beyond the count do not count).
    friend bool operator==(const TBuffer &a, const TBuffer &b)
    {
        return a.Count() == b.Count()
            && std::equal(a.Bytes.begin() + 1, a.Bytes.begin() + 1 + a.Count(), b.Bytes.begin() + 1);
    }
};
