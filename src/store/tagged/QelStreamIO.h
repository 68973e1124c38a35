#pragma once

#include "store/tagged/ExtendedReal.h"

#include <QByteArray>

class QIODevice;

// Raised inside the reader when the stream ends early or holds something
// that cannot be read; LoadFromStream turns it into lrReadError.
struct TQelReadFault
{
};

// Bounded, buffered reading of a stream. On a random-access device it reads
// ahead in blocks and puts the device position back to the end of what was
// consumed (Finish); on a sequential device it reads exactly what is asked.
// No length field makes it allocate more than the rest of the stream holds.
class TQelStreamReader
{
public:
    explicit TQelStreamReader(QIODevice &device);

    // Reads exactly size bytes or raises TQelReadFault.
    void Read(void *buffer, qint64 size);
    quint8 ReadByte();
    quint16 ReadUInt16();
    quint32 ReadUInt32();
    quint64 ReadUInt64();
    TExtended80 ReadExtended();
    QByteArray ReadShortString();
    // size bytes into a new array; raises TQelReadFault before allocating
    // when the stream cannot hold that many.
    QByteArray ReadBytes(quint64 size);
    // Whether the rest of the stream can hold size more bytes (always true
    // on a sequential device, which is then read in bounded steps).
    bool CanHold(quint64 size) const;

    // Puts a random-access device back behind the last byte consumed.
    void Finish();

private:
    qint64 Buffered() const { return m_buffer.size() - m_pos; }
    bool Fill(qint64 wanted);
    qint64 ReadDevice(char *out, qint64 size);

    QIODevice &m_device;
    bool m_sequential;
    qint64 m_deviceEnd = 0; // random access: size of the device
    QByteArray m_buffer;    // read-ahead
    qint64 m_pos = 0;       // next unread byte in m_buffer
};

// Buffered writing of a stream; raises EQelBinaryError when the device
// refuses bytes. Flush() (also called by the destructor when no error is
// pending) passes the rest to the device.
class TQelStreamWriter
{
public:
    explicit TQelStreamWriter(QIODevice &device);
    ~TQelStreamWriter();
    TQelStreamWriter(const TQelStreamWriter &) = delete;
    TQelStreamWriter &operator=(const TQelStreamWriter &) = delete;

    void Write(const void *data, qint64 size);
    void WriteByte(quint8 value) { Write(&value, 1); }
    void WriteUInt16(quint16 value);
    void WriteUInt32(quint32 value);
    void WriteUInt64(quint64 value);
    void WriteExtended(const TExtended80 &value);
    // One length byte, then at most 255 bytes.
    void WriteShortString(const QByteArray &text);
    void Flush();

private:
    void WriteToDevice(const char *data, qint64 size);

    QIODevice &m_device;
    QByteArray m_buffer;
};
