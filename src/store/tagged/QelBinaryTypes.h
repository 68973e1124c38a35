#pragma once

#include "store/tagged/ExtendedReal.h"
#include "store/tagged/QelBinaryAttribute.h"

// The 20 typed attribute classes. Each writes its value in the stream form of
// its type id; every floating-point type except DateTime and Currency is
// written as a 10-byte extended.

// Common storage of the plain value types.
template <class TValue>
class TQelBinaryValue : public TQelBinaryAttribute
{
public:
    using TValueType = TValue;

    TValue Value() const { return m_value; }
    void SetValue(TValue value)
    {
        m_value = value;
        ValueChanged();
    }

protected:
    void AssignValue(const TQelBinaryAttribute &source) override
    {
        m_value = static_cast<const TQelBinaryValue &>(source).m_value;
    }

    TValue m_value{};
};

// Integers: decimal text; other text raises EQelConvertError.
template <class TValue>
class TQelBinaryInteger : public TQelBinaryValue<TValue>
{
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// A byte buffer: uint64 byte count (high half written as 0), then the bytes.
// Text form: two letters per byte, 'A' + high nibble, 'A' + low nibble.
class TQelBinaryBlob : public TQelBinaryAttribute
{
    QEL_BINARY_CLASS(TQelBinaryBlob)
public:
    const QByteArray &Value() const { return m_data; }
    void SetValue(const QByteArray &data);

    qint64 Size() const { return m_data.size(); }
    const char *Data() const { return m_data.constData(); }
    // Sets the byte length (new bytes are zero) and returns the memory.
    char *SetSize(qint64 size);
    // Copies all bytes and returns Size() when length >= Size(); otherwise
    // copies nothing and returns -Size().
    qint64 ReadInto(void *buffer, qint64 length) const;
    // Replaces the bytes with a copy of the buffer.
    void WriteFrom(const void *buffer, qint64 length);

    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    void AssignValue(const TQelBinaryAttribute &source) override;

    QByteArray m_data;
};

// 1 byte; any non-zero byte reads as true. Text "Ja" / "Nein".
class TQelBinaryBoolean : public TQelBinaryValue<bool>
{
    QEL_BINARY_CLASS(TQelBinaryBoolean)
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// Fixed point with 4 decimals, held and written as int64 value x 10000.
class TQelBinaryCurrency : public TQelBinaryValue<qint64>
{
    QEL_BINARY_CLASS(TQelBinaryCurrency)
public:
    static constexpr qint64 Scale = 10000;
    // Value() / SetValue() work on the scaled int64; these on the number.
    double AsDouble() const { return static_cast<double>(m_value) / Scale; }
    void SetAsDouble(double value);

    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// Days since 1899-12-30 00:00, fraction = time of day; an IEEE double in the stream.
class TQelBinaryDateTime : public TQelBinaryValue<double>
{
    QEL_BINARY_CLASS(TQelBinaryDateTime)
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// Floating-point types written as 10-byte extended; tolerant text parsing.
template <class TValue>
class TQelBinaryFloat : public TQelBinaryValue<TValue>
{
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;

protected:
    // The value the text form shows and sets.
    virtual double TextValue() const = 0;
    virtual void SetTextValue(double value) = 0;
};

// The 6-byte real, held as the double it equals (40-bit significand,
// 2^-128 .. 2^126). SetValue rounds and raises EQelConvertError for values
// a 6-byte real cannot hold.
class TQelBinaryReal48 : public TQelBinaryFloat<double>
{
    QEL_BINARY_CLASS(TQelBinaryReal48)
public:
    void SetValue(double value);
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    double TextValue() const override { return m_value; }
    void SetTextValue(double value) override { SetValue(value); }
};

class TQelBinarySingle : public TQelBinaryFloat<float>
{
    QEL_BINARY_CLASS(TQelBinarySingle)
public:
    QString AsText() const override; // shortest form of the float itself
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    double TextValue() const override { return m_value; }
    void SetTextValue(double value) override { SetValue(static_cast<float>(value)); }
};

class TQelBinaryDouble : public TQelBinaryFloat<double>
{
    QEL_BINARY_CLASS(TQelBinaryDouble)
public:
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    double TextValue() const override { return m_value; }
    void SetTextValue(double value) override { SetValue(value); }
};

// Held as the 10 stored bytes, so every extended value survives a round trip.
class TQelBinaryExtended : public TQelBinaryFloat<TExtended80>
{
    QEL_BINARY_CLASS(TQelBinaryExtended)
public:
    double AsDouble() const { return DoubleFromExtended(m_value); }
    void SetAsDouble(double value) { SetValue(ExtendedFromDouble(value)); }

    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    double TextValue() const override { return AsDouble(); }
    void SetTextValue(double value) override { SetAsDouble(value); }
};

// A 64-bit integer count written as 10-byte extended; read back rounded to
// an integer, ties to even.
class TQelBinaryComp : public TQelBinaryFloat<qint64>
{
    QEL_BINARY_CLASS(TQelBinaryComp)
public:
    QString AsText() const override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;

protected:
    double TextValue() const override { return static_cast<double>(m_value); }
    void SetTextValue(double value) override;
};

class TQelBinaryByte : public TQelBinaryInteger<quint8>
{
    QEL_BINARY_CLASS(TQelBinaryByte)
};

class TQelBinaryShortint : public TQelBinaryInteger<qint8>
{
    QEL_BINARY_CLASS(TQelBinaryShortint)
};

// One ANSI character (1 byte). Text: the character; setting takes the first one.
class TQelBinaryChar : public TQelBinaryValue<char>
{
    QEL_BINARY_CLASS(TQelBinaryChar)
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

class TQelBinaryWord : public TQelBinaryInteger<quint16>
{
    QEL_BINARY_CLASS(TQelBinaryWord)
};

class TQelBinarySmallint : public TQelBinaryInteger<qint16>
{
    QEL_BINARY_CLASS(TQelBinarySmallint)
};

class TQelBinaryLongword : public TQelBinaryInteger<quint32>
{
    QEL_BINARY_CLASS(TQelBinaryLongword)
};

class TQelBinaryLongint : public TQelBinaryInteger<qint32>
{
    QEL_BINARY_CLASS(TQelBinaryLongint)
};

class TQelBinaryInt64 : public TQelBinaryInteger<qint64>
{
    QEL_BINARY_CLASS(TQelBinaryInt64)
};

// Byte string in the ANSI code page (windows-1252): uint32 count, then the bytes.
class TQelBinaryAnsiString : public TQelBinaryValue<QByteArray>
{
    QEL_BINARY_CLASS(TQelBinaryAnsiString)
public:
    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// UTF-16 string: uint32 code-unit count, then UTF-16LE.
class TQelBinaryWideString : public TQelBinaryValue<QString>
{
    QEL_BINARY_CLASS(TQelBinaryWideString)
public:
    QString AsText() const override { return m_value; }
    void SetAsText(const QString &text) override { SetValue(text); }
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};

// Byte string of at most 255 bytes (longer values are cut): 1 byte count, then the bytes.
class TQelBinaryShortString : public TQelBinaryValue<QByteArray>
{
    QEL_BINARY_CLASS(TQelBinaryShortString)
public:
    void SetValue(const QByteArray &value);

    QString AsText() const override;
    void SetAsText(const QString &text) override;
    void WriteValue(TQelStreamWriter &writer) const override;
    void ReadValue(TQelStreamReader &reader) override;
};
