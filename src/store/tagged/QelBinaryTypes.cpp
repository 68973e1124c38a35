#include "store/tagged/QelBinaryTypes.h"

#include "store/tagged/QelBinaryError.h"
#include "store/tagged/QelStreamIO.h"
#include "store/tagged/QelTextForms.h"

#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

QEL_BINARY_CLASS_INFO(TQelBinaryBlob, btBlob, true)
QEL_BINARY_CLASS_INFO(TQelBinaryBoolean, btBoolean, true)
QEL_BINARY_CLASS_INFO(TQelBinaryCurrency, btCurrency, true)
QEL_BINARY_CLASS_INFO(TQelBinaryDateTime, btDateTime, true)
QEL_BINARY_CLASS_INFO(TQelBinaryReal48, btReal48, true)
QEL_BINARY_CLASS_INFO(TQelBinarySingle, btSingle, true)
QEL_BINARY_CLASS_INFO(TQelBinaryDouble, btDouble, true)
QEL_BINARY_CLASS_INFO(TQelBinaryExtended, btExtended, true)
QEL_BINARY_CLASS_INFO(TQelBinaryComp, btComp, true)
QEL_BINARY_CLASS_INFO(TQelBinaryByte, btByte, true)
QEL_BINARY_CLASS_INFO(TQelBinaryShortint, btShortint, true)
QEL_BINARY_CLASS_INFO(TQelBinaryChar, btChar, true)
QEL_BINARY_CLASS_INFO(TQelBinaryWord, btWord, true)
QEL_BINARY_CLASS_INFO(TQelBinarySmallint, btSmallint, true)
QEL_BINARY_CLASS_INFO(TQelBinaryLongword, btLongword, true)
QEL_BINARY_CLASS_INFO(TQelBinaryLongint, btLongint, true)
QEL_BINARY_CLASS_INFO(TQelBinaryInt64, btInt64, true)
QEL_BINARY_CLASS_INFO(TQelBinaryAnsiString, btAnsiString, true)
QEL_BINARY_CLASS_INFO(TQelBinaryWideString, btWideString, true)
QEL_BINARY_CLASS_INFO(TQelBinaryShortString, btShortString, true)

namespace {

[[noreturn]] void ThrowConvert(const QString &text, const char *what)
{
    throw EQelConvertError(QStringLiteral("'%1' ist kein gültiger %2").arg(text, QLatin1String(what)));
}

QString DateTimeFormat(const QLocale &locale)
{
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1String("ss")))
        time.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    return date + QLatin1Char(' ') + time;
}

} // namespace

// Integers --------------------------------------------------------------

template <class TValue>
QString TQelBinaryInteger<TValue>::AsText() const
{
    return QString::number(this->m_value);
}

template <class TValue>
void TQelBinaryInteger<TValue>::SetAsText(const QString &text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    if constexpr (std::is_signed_v<TValue>) {
        const qlonglong value = trimmed.toLongLong(&ok, 10);
        if (ok && value >= std::numeric_limits<TValue>::min() && value <= std::numeric_limits<TValue>::max())
            return this->SetValue(static_cast<TValue>(value));
    } else {
        const qulonglong value = trimmed.startsWith(QLatin1Char('-')) ? 0 : trimmed.toULongLong(&ok, 10);
        if (ok && value <= std::numeric_limits<TValue>::max())
            return this->SetValue(static_cast<TValue>(value));
    }
    ThrowConvert(text, "Integerwert");
}

template <class TValue>
void TQelBinaryInteger<TValue>::WriteValue(TQelStreamWriter &writer) const
{
    uchar bytes[sizeof(TValue)];
    qToLittleEndian(this->m_value, bytes);
    writer.Write(bytes, sizeof bytes);
}

template <class TValue>
void TQelBinaryInteger<TValue>::ReadValue(TQelStreamReader &reader)
{
    uchar bytes[sizeof(TValue)];
    reader.Read(bytes, sizeof bytes);
    this->SetValue(qFromLittleEndian<TValue>(bytes));
}

template class TQelBinaryInteger<quint8>;
template class TQelBinaryInteger<qint8>;
template class TQelBinaryInteger<quint16>;
template class TQelBinaryInteger<qint16>;
template class TQelBinaryInteger<quint32>;
template class TQelBinaryInteger<qint32>;
template class TQelBinaryInteger<qint64>;

// Blob ------------------------------------------------------------------

void TQelBinaryBlob::SetValue(const QByteArray &data)
{
    m_data = data;
    ValueChanged();
}

char *TQelBinaryBlob::SetSize(qint64 size)
{
    const qsizetype old = m_data.size();
    m_data.resize(size);
    if (size > old)
        std::memset(m_data.data() + old, 0, size - old);
    ValueChanged();
    return m_data.data();
}

qint64 TQelBinaryBlob::ReadInto(void *buffer, qint64 length) const
{
    if (length < Size())
        return -Size();
    if (Size() > 0)
        std::memcpy(buffer, m_data.constData(), m_data.size());
    return Size();
}

void TQelBinaryBlob::WriteFrom(const void *buffer, qint64 length)
{
    m_data = QByteArray(static_cast<const char *>(buffer), length);
    ValueChanged();
}

QString TQelBinaryBlob::AsText() const
{
    QString text(m_data.size() * 2, Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : m_data) {
        const auto b = static_cast<uchar>(byte);
        *out++ = QLatin1Char(char('A' + (b >> 4)));
        *out++ = QLatin1Char(char('A' + (b & 0x0F)));
    }
    return text;
}

void TQelBinaryBlob::SetAsText(const QString &text)
{
    QByteArray data(text.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const int high = text.at(2 * i).unicode() - 'A';
        const int low = text.at(2 * i + 1).unicode() - 'A';
        data[i] = static_cast<char>(((high << 4) + low) & 0xFF);
    }
    SetValue(data);
}

void TQelBinaryBlob::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteUInt64(static_cast<quint64>(m_data.size()));
    writer.Write(m_data.constData(), m_data.size());
}

void TQelBinaryBlob::ReadValue(TQelStreamReader &reader)
{
    SetValue(reader.ReadBytes(reader.ReadUInt64()));
}

void TQelBinaryBlob::AssignValue(const TQelBinaryAttribute &source)
{
    m_data = static_cast<const TQelBinaryBlob &>(source).m_data;
}

// Boolean ---------------------------------------------------------------

QString TQelBinaryBoolean::AsText() const
{
    return m_value ? QStringLiteral("Ja") : QStringLiteral("Nein");
}

void TQelBinaryBoolean::SetAsText(const QString &text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("ja"))
        return SetValue(true);
    if (word == QLatin1String("false") || word == QLatin1String("nein"))
        return SetValue(false);
    bool ok = false;
    const double number = word.toDouble(&ok);
    if (!ok)
        ThrowConvert(text, "Boolescher Wert");
    SetValue(number != 0);
}

void TQelBinaryBoolean::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteByte(m_value ? 1 : 0);
}

void TQelBinaryBoolean::ReadValue(TQelStreamReader &reader)
{
    SetValue(reader.ReadByte() != 0);
}

// Currency --------------------------------------------------------------

void TQelBinaryCurrency::SetAsDouble(double value)
{
    const double scaled = std::nearbyint(value * Scale);
    if (!(std::fabs(scaled) < 9.2233720368547758e18))
        throw EQelConvertError(QStringLiteral("Gleitkommaüberlauf"));
    SetValue(static_cast<qint64>(scaled));
}

QString TQelBinaryCurrency::AsText() const
{
    const quint64 magnitude = m_value < 0 ? quint64(0) - quint64(m_value) : quint64(m_value);
    QString text = QString::number(magnitude / Scale);
    QString fraction = QStringLiteral("%1").arg(magnitude % Scale, 4, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLocale().decimalPoint() + fraction;
    return m_value < 0 ? QLatin1Char('-') + text : text;
}

void TQelBinaryCurrency::SetAsText(const QString &input)
{
    QString text = input.trimmed();
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        text.remove(0, 1);
    const QString point = QLocale().decimalPoint();
    const qsizetype at = text.indexOf(point);
    const QString whole = at < 0 ? text : text.left(at);
    const QString fraction = at < 0 ? QString() : text.mid(at + point.size());
    auto digitsOnly = [](const QString &s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    if ((whole.isEmpty() && fraction.isEmpty()) || !digitsOnly(whole) || !digitsOnly(fraction) || whole.size() > 15)
        ThrowConvert(input, "Währungswert");
    // At most 15 integer digits, so the scaled magnitude fits in 64 bits unsigned.
    quint64 scaled = (whole.isEmpty() ? 0 : whole.toULongLong()) * Scale;
    scaled += (fraction + QStringLiteral("0000")).left(4).toULongLong();
    // Digits beyond the fourth decimal round to nearest, ties to even.
    const QStringView rest = QStringView(fraction).mid(std::min<qsizetype>(4, fraction.size()));
    if (!rest.isEmpty()) {
        const bool overHalf = rest.at(0) > QLatin1Char('5')
            || (rest.at(0) == QLatin1Char('5') && rest.mid(1).count(QLatin1Char('0')) != rest.size() - 1);
        const bool half = rest.at(0) == QLatin1Char('5') && !overHalf;
        if (overHalf || (half && (scaled & 1)))
            ++scaled;
    }
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    if (scaled > limit)
        ThrowConvert(input, "Währungswert");
    SetValue(negative ? static_cast<qint64>(quint64(0) - scaled) : static_cast<qint64>(scaled));
}

void TQelBinaryCurrency::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteUInt64(static_cast<quint64>(m_value));
}

void TQelBinaryCurrency::ReadValue(TQelStreamReader &reader)
{
    SetValue(static_cast<qint64>(reader.ReadUInt64()));
}

// DateTime --------------------------------------------------------------

QString TQelBinaryDateTime::AsText() const
{
    const QDateTime dateTime = DateTimeFromDays(m_value);
    if (!dateTime.isValid())
        return FormatShortest(m_value);
    return QLocale().toString(dateTime, DateTimeFormat(QLocale()));
}

void TQelBinaryDateTime::SetAsText(const QString &text)
{
    const QLocale locale;
    const QString trimmed = text.trimmed();
    QDateTime dateTime = locale.toDateTime(trimmed, DateTimeFormat(locale));
    if (!dateTime.isValid()) {
        QString dateOnly = locale.dateFormat(QLocale::ShortFormat);
        if (!dateOnly.contains(QLatin1String("yyyy")))
            dateOnly.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        const QDate date = locale.toDate(trimmed, dateOnly);
        if (date.isValid())
            dateTime = QDateTime(date, QTime(0, 0), Qt::UTC);
    }
    if (!dateTime.isValid())
        dateTime = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!dateTime.isValid())
        ThrowConvert(text, "Datums- und Zeitwert");
    SetValue(DaysFromDateTime(dateTime));
}

void TQelBinaryDateTime::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteUInt64(std::bit_cast<quint64>(m_value));
}

void TQelBinaryDateTime::ReadValue(TQelStreamReader &reader)
{
    SetValue(std::bit_cast<double>(reader.ReadUInt64()));
}

// Floating point --------------------------------------------------------

template <class TValue>
QString TQelBinaryFloat<TValue>::AsText() const
{
    return FormatShortest(TextValue());
}

template <class TValue>
void TQelBinaryFloat<TValue>::SetAsText(const QString &text)
{
    const std::optional<double> value = ParseTolerantNumber(text);
    if (!value)
        return;
    try {
        SetTextValue(*value);
    } catch (const EQelConvertError &) {
        // A number the type cannot hold leaves the value as it was.
    }
}

template class TQelBinaryFloat<double>;
template class TQelBinaryFloat<float>;
template class TQelBinaryFloat<TExtended80>;
template class TQelBinaryFloat<qint64>;

void TQelBinaryReal48::SetValue(double value)
{
    double rounded = 0;
    if (!Real48FromDouble(value, rounded))
        throw EQelConvertError(QStringLiteral("Gleitkommaüberlauf"));
    TQelBinaryFloat<double>::SetValue(rounded);
}

void TQelBinaryReal48::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteExtended(ExtendedFromDouble(m_value));
}

void TQelBinaryReal48::ReadValue(TQelStreamReader &reader)
{
    double value = 0;
    if (!Real48FromExtended(reader.ReadExtended(), value))
        throw TQelReadFault{};
    TQelBinaryFloat<double>::SetValue(value);
}

QString TQelBinarySingle::AsText() const
{
    return FormatShortest(m_value);
}

void TQelBinarySingle::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteExtended(ExtendedFromSingle(m_value));
}

void TQelBinarySingle::ReadValue(TQelStreamReader &reader)
{
    SetValue(SingleFromExtended(reader.ReadExtended()));
}

void TQelBinaryDouble::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteExtended(ExtendedFromDouble(m_value));
}

void TQelBinaryDouble::ReadValue(TQelStreamReader &reader)
{
    SetValue(DoubleFromExtended(reader.ReadExtended()));
}

void TQelBinaryExtended::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteExtended(m_value);
}

void TQelBinaryExtended::ReadValue(TQelStreamReader &reader)
{
    SetValue(reader.ReadExtended());
}

QString TQelBinaryComp::AsText() const
{
    return QString::number(m_value);
}

void TQelBinaryComp::SetTextValue(double value)
{
    SetValue(CompFromExtended(ExtendedFromDouble(value)));
}

void TQelBinaryComp::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteExtended(ExtendedFromInt64(m_value));
}

void TQelBinaryComp::ReadValue(TQelStreamReader &reader)
{
    SetValue(CompFromExtended(reader.ReadExtended()));
}

// Char and strings ------------------------------------------------------

QString TQelBinaryChar::AsText() const
{
    return AnsiToString(QByteArray(1, m_value));
}

void TQelBinaryChar::SetAsText(const QString &text)
{
    SetValue(text.isEmpty() ? '\0' : StringToAnsi(text.left(1)).at(0));
}

void TQelBinaryChar::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteByte(static_cast<quint8>(m_value));
}

void TQelBinaryChar::ReadValue(TQelStreamReader &reader)
{
    SetValue(static_cast<char>(reader.ReadByte()));
}

QString TQelBinaryAnsiString::AsText() const
{
    return AnsiToString(m_value);
}

void TQelBinaryAnsiString::SetAsText(const QString &text)
{
    SetValue(StringToAnsi(text));
}

void TQelBinaryAnsiString::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteUInt32(static_cast<quint32>(m_value.size()));
    writer.Write(m_value.constData(), m_value.size());
}

void TQelBinaryAnsiString::ReadValue(TQelStreamReader &reader)
{
    SetValue(reader.ReadBytes(reader.ReadUInt32()));
}

void TQelBinaryWideString::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteUInt32(static_cast<quint32>(m_value.size()));
    QByteArray bytes(m_value.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(m_value.utf16(), m_value.size(), bytes.data());
    writer.Write(bytes.constData(), bytes.size());
}

void TQelBinaryWideString::ReadValue(TQelStreamReader &reader)
{
    const quint64 units = reader.ReadUInt32();
    const QByteArray bytes = reader.ReadBytes(units * 2);
    QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
    qFromLittleEndian<quint16>(bytes.constData(), text.size(), text.data());
    SetValue(text);
}

void TQelBinaryShortString::SetValue(const QByteArray &value)
{
    TQelBinaryValue<QByteArray>::SetValue(value.left(255));
}

QString TQelBinaryShortString::AsText() const
{
    return AnsiToString(m_value);
}

void TQelBinaryShortString::SetAsText(const QString &text)
{
    SetValue(StringToAnsi(text));
}

void TQelBinaryShortString::WriteValue(TQelStreamWriter &writer) const
{
    writer.WriteShortString(m_value);
}

void TQelBinaryShortString::ReadValue(TQelStreamReader &reader)
{
    SetValue(reader.ReadShortString());
}
