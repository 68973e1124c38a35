#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class TQelBinaryAttribute;
class TQelBinaryAttributes;
class TQelStreamReader;
class TQelStreamWriter;

// Type ids written into the stream.
enum TQelBinaryTypeId : quint8
{
    btBlob = 1,
    btBoolean = 2,
    btCurrency = 3,
    btDateTime = 4,
    btReal48 = 5,
    btSingle = 6,
    btDouble = 7,
    btExtended = 8,
    btComp = 9,
    btByte = 10,
    btShortint = 11,
    btChar = 12,
    btWord = 13,
    btSmallint = 14,
    btLongword = 15,
    btLongint = 16,
    btInt64 = 17,
    btAnsiString = 18,
    btWideString = 19,
    btShortString = 20,
};

// What the stream knows of an attribute class: its name, the type id of the
// typed class it is or derives from, whether it is one of the 20 typed
// classes itself, and how to make one.
struct TQelBinaryAttributeClass
{
    QByteArray Name;
    TQelBinaryTypeId TypeId;
    bool Typed; // one of the 20 typed classes (written with its id alone)
    std::unique_ptr<TQelBinaryAttribute> (*Create)();

    // The typed class of an id 1..20, or nullptr.
    static const TQelBinaryAttributeClass *ForTypeId(quint8 id);
};

// Declares the class information of an attribute class; the .cpp defines it
// with QEL_BINARY_CLASS_INFO.
#define QEL_BINARY_CLASS(TClass)                                                                   \
public:                                                                                            \
    static const TQelBinaryAttributeClass &StaticClass();                                         \
    const TQelBinaryAttributeClass &ClassType() const override { return StaticClass(); }          \
                                                                                                   \
private:

#define QEL_BINARY_CLASS_INFO(TClass, typeId, typed)                                               \
    const TQelBinaryAttributeClass &TClass::StaticClass()                                          \
    {                                                                                              \
        static const TQelBinaryAttributeClass info{QByteArrayLiteral(#TClass), typeId, typed,      \
            []() -> std::unique_ptr<TQelBinaryAttribute> { return std::make_unique<TClass>(); }};  \
        return info;                                                                               \
    }

// A named, typed value of a tag. New attributes are null; every value setter
// clears the null flag, and a null attribute has no value in the stream.
class TQelBinaryAttribute
{
public:
    virtual ~TQelBinaryAttribute();
    TQelBinaryAttribute(const TQelBinaryAttribute &) = delete;
    TQelBinaryAttribute &operator=(const TQelBinaryAttribute &) = delete;

    virtual const TQelBinaryAttributeClass &ClassType() const = 0;
    QByteArray ClassName() const { return ClassType().Name; }

    const QByteArray &Name() const { return m_name; }
    // Strict: refused (false) for an empty name, a name with ".", or a name
    // another attribute of the same tag has. Names are cut to 255 bytes.
    bool SetName(const QByteArray &name);

    virtual bool IsNull() const { return m_isNull; }

    // The value as text for display and editing (not used by the stream).
    virtual QString AsText() const = 0;
    // Raises EQelConvertError for text the type cannot take (integers,
    // Boolean, date-time, currency); floating-point types keep their value.
    virtual void SetAsText(const QString &text) = 0;

    // Copies the null flag and, when the source has the same class, the value.
    // The name is taken over as well, made unique within this tag.
    virtual void Assign(const TQelBinaryAttribute &source);

    // The list this attribute belongs to (nullptr while it is free-standing).
    TQelBinaryAttributes *Owner() const { return m_owner; }

    // Registration of classes that derive from a typed class. The registry
    // is searched by exact class name when a stream is read; writing an
    // attribute of an unregistered derived class raises EQelBinaryError.
    static void RegisterBinaryDataType(const TQelBinaryAttributeClass &type);
    static const TQelBinaryAttributeClass *FindBinaryDataType(const QByteArray &className);

    // Stream form of the value (only called when not null).
    virtual void WriteValue(TQelStreamWriter &writer) const = 0;
    virtual void ReadValue(TQelStreamReader &reader) = 0;

protected:
    TQelBinaryAttribute() = default;
    // Value setters call this.
    void ValueChanged() { m_isNull = false; }
    virtual void AssignValue(const TQelBinaryAttribute &source) = 0;

    bool m_isNull = true;

private:
    friend class TQelBinaryAttributes;

    TQelBinaryAttributes *m_owner = nullptr;
    QByteArray m_name;
};
