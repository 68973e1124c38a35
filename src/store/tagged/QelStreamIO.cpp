#include "store/tagged/QelStreamIO.h"

#include "store/tagged/QelBinaryError.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 ReadAheadSize = 64 * 1024;
// Sequential devices cannot tell their size; large values grow in steps of
// this size, so a false length field costs at most one step.
constexpr qint64 SequentialStep = 1024 * 1024;
// How long a sequential device (socket, pipe) may pause inside a document.
constexpr int SequentialWaitMs = 30000;
constexpr qint64 WriteBufferSize = 64 * 1024;

} // namespace

TQelStreamReader::TQelStreamReader(QIODevice &device)
    : m_device(device), m_sequential(device.isSequential())
{
    if (!m_sequential)
        m_deviceEnd = device.size();
}

qint64 TQelStreamReader::ReadDevice(char *out, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const qint64 n = m_device.read(out + got, size - got);
        if (n < 0 || (n == 0 && !(m_sequential && m_device.waitForReadyRead(SequentialWaitMs))))
            break;
        got += n;
    }
    return got;
}

bool TQelStreamReader::Fill(qint64 wanted)
{
    // Keep the unread rest, then read ahead (random access) or exactly (sequential).
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qint64 have = m_buffer.size();
    qint64 ask = wanted - have;
    if (!m_sequential)
        ask = std::min(std::max(ask, ReadAheadSize), m_deviceEnd - m_device.pos());
    if (ask <= 0)
        return have >= wanted;
    m_buffer.resize(have + ask);
    m_buffer.resize(have + ReadDevice(m_buffer.data() + have, ask));
    return m_buffer.size() >= wanted;
}

void TQelStreamReader::Read(void *buffer, qint64 size)
{
    if (size <= 0)
        return;
    char *out = static_cast<char *>(buffer);
    if (Buffered() >= size) {
        std::memcpy(out, m_buffer.constData() + m_pos, size);
        m_pos += size;
        return;
    }
    if (size < ReadAheadSize) {
        if (!Fill(size))
            throw TQelReadFault{};
        std::memcpy(out, m_buffer.constData() + m_pos, size);
        m_pos += size;
        return;
    }
    // Large blocks: what is buffered, then straight from the device.
    const qint64 buffered = Buffered();
    std::memcpy(out, m_buffer.constData() + m_pos, buffered);
    m_buffer.clear();
    m_pos = 0;
    if (ReadDevice(out + buffered, size - buffered) < size - buffered)
        throw TQelReadFault{};
}

quint8 TQelStreamReader::ReadByte()
{
    if (m_pos < m_buffer.size())
        return static_cast<quint8>(m_buffer.at(m_pos++));
    quint8 value = 0;
    Read(&value, 1);
    return value;
}

quint16 TQelStreamReader::ReadUInt16()
{
    uchar bytes[2];
    Read(bytes, sizeof bytes);
    return qFromLittleEndian<quint16>(bytes);
}

quint32 TQelStreamReader::ReadUInt32()
{
    uchar bytes[4];
    Read(bytes, sizeof bytes);
    return qFromLittleEndian<quint32>(bytes);
}

quint64 TQelStreamReader::ReadUInt64()
{
    uchar bytes[8];
    Read(bytes, sizeof bytes);
    return qFromLittleEndian<quint64>(bytes);
}

TExtended80 TQelStreamReader::ReadExtended()
{
    uchar bytes[TExtended80::ByteSize];
    Read(bytes, sizeof bytes);
    return TExtended80::FromBytes(bytes);
}

QByteArray TQelStreamReader::ReadShortString()
{
    const quint8 length = ReadByte();
    QByteArray text(length, Qt::Uninitialized);
    Read(text.data(), length);
    return text;
}

bool TQelStreamReader::CanHold(quint64 size) const
{
    if (m_sequential)
        return true;
    const quint64 rest = quint64(Buffered()) + quint64(m_deviceEnd - m_device.pos());
    return size <= rest;
}

QByteArray TQelStreamReader::ReadBytes(quint64 size)
{
    if (!CanHold(size) || size > quint64(std::numeric_limits<qsizetype>::max()))
        throw TQelReadFault{};
    if (!m_sequential) {
        QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
        Read(bytes.data(), bytes.size());
        return bytes;
    }
    QByteArray bytes;
    while (quint64(bytes.size()) < size) {
        const qint64 step = static_cast<qint64>(std::min<quint64>(size - bytes.size(), SequentialStep));
        const qsizetype at = bytes.size();
        bytes.resize(at + step);
        Read(bytes.data() + at, step);
    }
    return bytes;
}

void TQelStreamReader::Finish()
{
    if (!m_sequential && Buffered() > 0)
        m_device.seek(m_device.pos() - Buffered());
    m_buffer.clear();
    m_pos = 0;
}

TQelStreamWriter::TQelStreamWriter(QIODevice &device) : m_device(device)
{
    m_buffer.reserve(WriteBufferSize);
}

TQelStreamWriter::~TQelStreamWriter()
{
    if (std::uncaught_exceptions() == 0) {
        try {
            Flush();
        } catch (const EQelBinaryError &) {
            // Only reached when Flush() was not called explicitly.
        }
    }
}

void TQelStreamWriter::WriteToDevice(const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 n = m_device.write(data, size);
        if (n <= 0)
            throw EQelBinaryError(QStringLiteral("Stream-Schreibfehler: %1").arg(m_device.errorString()));
        data += n;
        size -= n;
    }
}

void TQelStreamWriter::Write(const void *data, qint64 size)
{
    const char *bytes = static_cast<const char *>(data);
    if (m_buffer.size() + size <= WriteBufferSize) {
        m_buffer.append(bytes, size);
        return;
    }
    Flush();
    if (size >= WriteBufferSize)
        WriteToDevice(bytes, size);
    else
        m_buffer.append(bytes, size);
}

void TQelStreamWriter::WriteUInt16(quint16 value)
{
    uchar bytes[2];
    qToLittleEndian(value, bytes);
    Write(bytes, sizeof bytes);
}

void TQelStreamWriter::WriteUInt32(quint32 value)
{
    uchar bytes[4];
    qToLittleEndian(value, bytes);
    Write(bytes, sizeof bytes);
}

void TQelStreamWriter::WriteUInt64(quint64 value)
{
    uchar bytes[8];
    qToLittleEndian(value, bytes);
    Write(bytes, sizeof bytes);
}

void TQelStreamWriter::WriteExtended(const TExtended80 &value)
{
    uchar bytes[TExtended80::ByteSize];
    value.ToBytes(bytes);
    Write(bytes, sizeof bytes);
}

void TQelStreamWriter::WriteShortString(const QByteArray &text)
{
    const qsizetype length = std::min<qsizetype>(text.size(), 255);
    WriteByte(static_cast<quint8>(length));
    Write(text.constData(), length);
}

void TQelStreamWriter::Flush()
{
    if (m_buffer.isEmpty())
        return;
    const QByteArray pending = std::exchange(m_buffer, QByteArray());
    m_buffer.reserve(WriteBufferSize);
    WriteToDevice(pending.constData(), pending.size());
}
