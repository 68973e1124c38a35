#pragma once

#include "store/tagged/QelBinaryTypes.h"

#include <QByteArrayList>

// Blob-derived attribute types. They are registered data types and are
// written with the prefix 0, 1 (blob) and their class name. The core keeps
// graphics as their saved bytes plus the graphic class name; turning those
// bytes into an image is left to the windows.

// A graphic of one fixed class; the blob bytes are the graphic's saved form
// (a BMP file for a bitmap, an ICO file for an icon, a metafile, a JPEG file).
class TQelBinaryGraphic : public TQelBinaryBlob
{
public:
    virtual QByteArray GraphicClassName() const = 0;
};

class TQelBinaryBitmap : public TQelBinaryGraphic
{
    QEL_BINARY_CLASS(TQelBinaryBitmap)
public:
    QByteArray GraphicClassName() const override { return QByteArrayLiteral("TBitmap"); }
};

class TQelBinaryIcon : public TQelBinaryGraphic
{
    QEL_BINARY_CLASS(TQelBinaryIcon)
public:
    QByteArray GraphicClassName() const override { return QByteArrayLiteral("TIcon"); }
};

class TQelBinaryMetafile : public TQelBinaryGraphic
{
    QEL_BINARY_CLASS(TQelBinaryMetafile)
public:
    QByteArray GraphicClassName() const override { return QByteArrayLiteral("TMetafile"); }
};

class TQelBinaryJPEG : public TQelBinaryGraphic
{
    QEL_BINARY_CLASS(TQelBinaryJPEG)
public:
    QByteArray GraphicClassName() const override { return QByteArrayLiteral("TJPEGImage"); }
};

// A picture that may hold a graphic of any registered graphic class. Stream
// bytes: ShortString class name, then the graphic's saved form. The blob
// bytes (Value, Size, ReadInto) are the graphic's saved form alone. The
// picture is null exactly when it holds no graphic or an empty one.
class TQelBinaryPicture : public TQelBinaryBlob
{
    QEL_BINARY_CLASS(TQelBinaryPicture)
public:
    const QByteArray &GraphicClassName() const { return m_graphicClass; }
    // Raises EQelBinaryError when the class is not registered; the picture
    // then keeps its previous graphic. An empty class name empties the picture.
    void SetGraphic(const QByteArray &graphicClass, const QByteArray &savedForm);

    bool IsNull() const override;

    // Graphic classes a picture may hold; at start-up "TBitmap", "TIcon",
    // "TMetafile", "TJPEGImage".
    static void RegisterGraphicClass(const QByteArray &graphicClass);
    // The registered name equal to className ignoring case, or empty.
    static QByteArray FindGraphicClass(const QByteArray &className);

    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    void AssignValue(const TQelBinaryAttribute &source) override;

private:
    QByteArray m_graphicClass;
};

// One set byte of keyboard shift states; created with a length of 1 byte.
class TQelBinaryTShiftState : public TQelBinaryBlob
{
    QEL_BINARY_CLASS(TQelBinaryTShiftState)
public:
    TQelBinaryTShiftState();
    quint8 ShiftState() const { return m_data.isEmpty() ? 0 : static_cast<quint8>(m_data.at(0)); }
    void SetShiftState(quint8 state);
};
