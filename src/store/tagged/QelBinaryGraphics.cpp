#include "store/tagged/QelBinaryGraphics.h"

#include "store/tagged/QelBinaryError.h"
#include "store/tagged/QelStreamIO.h"

QEL_BINARY_CLASS_INFO(TQelBinaryBitmap, btBlob, false)
QEL_BINARY_CLASS_INFO(TQelBinaryIcon, btBlob, false)
QEL_BINARY_CLASS_INFO(TQelBinaryMetafile, btBlob, false)
QEL_BINARY_CLASS_INFO(TQelBinaryJPEG, btBlob, false)
QEL_BINARY_CLASS_INFO(TQelBinaryPicture, btBlob, false)
QEL_BINARY_CLASS_INFO(TQelBinaryTShiftState, btBlob, false)

namespace {

QByteArrayList &GraphicClassRegistry()
{
    static QByteArrayList registry{"TBitmap", "TIcon", "TMetafile", "TJPEGImage"};
    return registry;
}

} // namespace

void TQelBinaryPicture::RegisterGraphicClass(const QByteArray &graphicClass)
{
    if (!GraphicClassRegistry().contains(graphicClass))
        GraphicClassRegistry().append(graphicClass);
}

QByteArray TQelBinaryPicture::FindGraphicClass(const QByteArray &className)
{
    for (const QByteArray &registered : GraphicClassRegistry())
        if (registered.compare(className, Qt::CaseInsensitive) == 0)
            return registered;
    return {};
}

void TQelBinaryPicture::SetGraphic(const QByteArray &graphicClass, const QByteArray &savedForm)
{
    if (graphicClass.isEmpty()) {
        m_graphicClass.clear();
        m_data.clear();
        return;
    }
    if (!GraphicClassRegistry().contains(graphicClass))
        throw EQelBinaryError(QStringLiteral("Die Klasse \"%1\" muss mit TQelBinaryPicture.RegisterGraphicClass "
                                             "registriert werden.")
                                  .arg(QString::fromLatin1(graphicClass)));
    m_graphicClass = graphicClass;
    m_data = savedForm;
}

bool TQelBinaryPicture::IsNull() const
{
    return m_graphicClass.isEmpty() || m_data.isEmpty();
}

void TQelBinaryPicture::WriteValue(TQelStreamWriter &writer) const
{
    const QByteArray name = m_graphicClass.left(255);
    writer.WriteUInt64(static_cast<quint64>(1 + name.size() + m_data.size()));
    writer.WriteShortString(name);
    writer.Write(m_data.constData(), m_data.size());
}

void TQelBinaryPicture::ReadValue(TQelStreamReader &reader)
{
    const QByteArray blob = reader.ReadBytes(reader.ReadUInt64());
    m_graphicClass.clear();
    m_data.clear();
    if (blob.isEmpty())
        return;
    const int nameLength = static_cast<uchar>(blob.at(0));
    if (nameLength + 1 > blob.size())
        return; // the class name runs past the blob: no graphic
    m_graphicClass = FindGraphicClass(blob.mid(1, nameLength));
    if (!m_graphicClass.isEmpty())
        m_data = blob.mid(1 + nameLength);
}

void TQelBinaryPicture::AssignValue(const TQelBinaryAttribute &source)
{
    const auto &picture = static_cast<const TQelBinaryPicture &>(source);
    m_graphicClass = picture.m_graphicClass;
    m_data = picture.m_data;
}

TQelBinaryTShiftState::TQelBinaryTShiftState()
{
    m_data = QByteArray(1, '\0');
}

void TQelBinaryTShiftState::SetShiftState(quint8 state)
{
    SetValue(QByteArray(1, static_cast<char>(state)));
}
