#pragma once

#include "store/tagged/QelBinaryError.h"
#include "store/tagged/QelBinaryTag.h"

class QIODevice;

// Result of LoadFromStream / LoadFromFile.
enum TQelLoadResult : quint8
{
    lrOk = 0,           // read completely
    lrWrongVersion = 1, // magic correct, format version not 1; nothing else read
    lrNoMagic = 2,      // magic missing or wrong; nothing else read
    lrReadError = 3,    // truncated or broken header strings or tag tree
};

// A document: the root tag plus the two header strings. Stream layout:
// ShortString "TQelBinaryStreamData", uint16 version 1, ShortString FileType,
// ShortString FileVersion, then the root tag. A tag: ShortString name, uint32
// attribute count, the attribute entries, uint32 child count, the children.
// An entry: type prefix (id 1..20, or 0, base id, ShortString class name for a
// registered derived class), ShortString name, null byte (1 = null), value.
class TQelBinaryStreamData : public TQelBinaryTag
{
public:
    static constexpr quint16 FormatVersion = 1;
    // Deeper nesting than this is treated as a broken stream (lrReadError).
    static constexpr int MaxTagDepth = 1000;

    TQelBinaryStreamData() = default;

    const QByteArray &FileType() const { return m_fileType; }
    void SetFileType(const QByteArray &fileType);
    const QByteArray &FileVersion() const { return m_fileVersion; }
    void SetFileVersion(const QByteArray &fileVersion);

    // Empties tree, attributes and header strings.
    void Clear() override;

    // Reads a whole document, replacing header strings and tree. Never reads
    // past the end of the stream and never allocates more than it can hold.
    // After lrReadError the tree holds what was read up to the fault. On a
    // random-access device the position ends just behind what was read.
    TQelLoadResult LoadFromStream(QIODevice &stream);
    TQelLoadResult LoadFromBytes(const QByteArray &bytes);
    // Raises EQelBinaryError when the file cannot be opened.
    TQelLoadResult LoadFromFile(const QString &path);

    // Raises EQelBinaryError on a write error or an unregistered derived
    // attribute class; the stream then holds a partial document.
    void SaveToStream(QIODevice &stream) const;
    QByteArray SaveToBytes() const;
    // Writes through a temporary file renamed over the target, so a failure
    // leaves an existing file as it was. Raises EQelBinaryError on failure.
    void SaveToFile(const QString &path) const;

private:
    QByteArray m_fileType;
    QByteArray m_fileVersion;
};
