#include "store/tagged/QelBinaryStreamData.h"

#include "store/tagged/QelStreamIO.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <new>

namespace {

const QByteArray &Magic()
{
    static const QByteArray magic = QByteArrayLiteral("TQelBinaryStreamData");
    return magic;
}

// Reading and writing of the tag tree; the document keeps only its header.
class TTreeReader
{
public:
    explicit TTreeReader(TQelStreamReader &reader) : m_reader(reader) {}

    void ReadTag(TQelBinaryTag &tag, int depth)
    {
        if (depth > TQelBinaryStreamData::MaxTagDepth)
            throw TQelReadFault{};
        tag.SetName(m_reader.ReadShortString());
        tag.Attributes().Clear();
        for (quint32 count = m_reader.ReadUInt32(); count > 0; --count)
            ReadAttribute(tag.Attributes());
        tag.TQelCollection<TQelBinaryTag>::Clear();
        for (quint32 count = m_reader.ReadUInt32(); count > 0; --count)
            ReadTag(*tag.AddTag(QByteArray()), depth + 1);
    }

private:
    void ReadAttribute(TQelBinaryAttributes &attributes)
    {
        const TQelBinaryAttributeClass *type = nullptr;
        const quint8 prefix = m_reader.ReadByte();
        if (prefix != 0) {
            type = TQelBinaryAttributeClass::ForTypeId(prefix);
        } else {
            const quint8 baseId = m_reader.ReadByte();
            const QByteArray className = m_reader.ReadShortString();
            type = TQelBinaryAttribute::FindBinaryDataType(className);
            if (!type)
                type = TQelBinaryAttributeClass::ForTypeId(baseId);
        }
        if (!type)
            throw TQelReadFault{};
        TQelBinaryAttribute *attribute = attributes.Add(*type, QByteArray());
        attribute->SetName(m_reader.ReadShortString());
        if (m_reader.ReadByte() == 0)
            attribute->ReadValue(m_reader);
    }

    TQelStreamReader &m_reader;
};

void WriteTag(TQelStreamWriter &writer, const TQelBinaryTag &tag)
{
    writer.WriteShortString(tag.Name());
    writer.WriteUInt32(static_cast<quint32>(tag.Attributes().Count()));
    for (const TQelBinaryAttribute *attribute : tag.Attributes()) {
        const TQelBinaryAttributeClass &type = attribute->ClassType();
        if (type.Typed) {
            writer.WriteByte(type.TypeId);
        } else {
            if (TQelBinaryAttribute::FindBinaryDataType(type.Name) != &type)
                throw EQelBinaryError(QStringLiteral("Die Klasse \"%1\" muss mit "
                                                     "TQelBinaryAttribute.RegisterBinaryDataType registriert werden.")
                                          .arg(QString::fromLatin1(type.Name)));
            writer.WriteByte(0);
            writer.WriteByte(type.TypeId);
            writer.WriteShortString(type.Name);
        }
        writer.WriteShortString(attribute->Name());
        const bool isNull = attribute->IsNull();
        writer.WriteByte(isNull ? 1 : 0);
        if (!isNull)
            attribute->WriteValue(writer);
    }
    writer.WriteUInt32(static_cast<quint32>(tag.Count()));
    for (const TQelBinaryTag *child : tag)
        WriteTag(writer, *child);
}

} // namespace

void TQelBinaryStreamData::SetFileType(const QByteArray &fileType)
{
    m_fileType = fileType.left(255);
}

void TQelBinaryStreamData::SetFileVersion(const QByteArray &fileVersion)
{
    m_fileVersion = fileVersion.left(255);
}

void TQelBinaryStreamData::Clear()
{
    TQelBinaryTag::Clear();
    m_fileType.clear();
    m_fileVersion.clear();
}

TQelLoadResult TQelBinaryStreamData::LoadFromStream(QIODevice &stream)
{
    TQelStreamReader reader(stream);
    TQelLoadResult result = lrOk;
    try {
        if (reader.ReadShortString() != Magic())
            result = lrNoMagic;
    } catch (const TQelReadFault &) {
        result = lrNoMagic;
    }
    if (result == lrOk) {
        try {
            if (reader.ReadUInt16() != FormatVersion) {
                result = lrWrongVersion;
            } else {
                m_fileType = reader.ReadShortString();
                m_fileVersion = reader.ReadShortString();
                TTreeReader(reader).ReadTag(*this, 0);
            }
        } catch (const TQelReadFault &) {
            result = lrReadError;
        } catch (const std::bad_alloc &) {
            result = lrReadError;
        }
    }
    reader.Finish();
    return result;
}

TQelLoadResult TQelBinaryStreamData::LoadFromBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return LoadFromStream(buffer);
}

TQelLoadResult TQelBinaryStreamData::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EQelBinaryError(
            QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. %2").arg(path, file.errorString()));
    return LoadFromStream(file);
}

void TQelBinaryStreamData::SaveToStream(QIODevice &stream) const
{
    TQelStreamWriter writer(stream);
    writer.WriteShortString(Magic());
    writer.WriteUInt16(FormatVersion);
    writer.WriteShortString(m_fileType);
    writer.WriteShortString(m_fileVersion);
    WriteTag(writer, *this);
    writer.Flush();
}

QByteArray TQelBinaryStreamData::SaveToBytes() const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return buffer.data();
}

void TQelBinaryStreamData::SaveToFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EQelBinaryError(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, file.errorString()));
    SaveToStream(file);
    if (!file.commit())
        throw EQelBinaryError(
            QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2").arg(path, file.errorString()));
}
