#pragma once

#include <QByteArray>
#include <QtEndian>

// Builds expected stream bytes field by field.
class TStreamBytes
{
public:
    TStreamBytes &U8(quint8 v)
    {
        m_bytes.append(char(v));
        return *this;
    }
    TStreamBytes &U16(quint16 v) { return Le(v); }
    TStreamBytes &U32(quint32 v) { return Le(v); }
    TStreamBytes &U64(quint64 v) { return Le(v); }
    TStreamBytes &Raw(const QByteArray &bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    TStreamBytes &Short(const QByteArray &text)
    {
        return U8(quint8(text.size())).Raw(text);
    }
    // Magic, version, FileType, FileVersion.
    TStreamBytes &Header(const QByteArray &fileType = {}, const QByteArray &fileVersion = {}, quint16 version = 1)
    {
        return Short("TQelBinaryStreamData").U16(version).Short(fileType).Short(fileVersion);
    }
    QByteArray Bytes() const { return m_bytes; }
    operator QByteArray() const { return m_bytes; }

private:
    template <class T>
    TStreamBytes &Le(T v)
    {
        uchar b[sizeof(T)];
        qToLittleEndian(v, b);
        m_bytes.append(reinterpret_cast<const char *>(b), sizeof b);
        return *this;
    }

    QByteArray m_bytes;
};

inline QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}
