#pragma once

#include "store/tagged/QelBinaryAttributes.h"
#include "store/tagged/QelBinaryGraphics.h"
#include "store/tagged/QelBinaryTypes.h"

// A tag: a name (at most 255 bytes, longer names are cut), an ordered list
// of uniquely named attributes and an ordered list of child tags (the tag's
// own collection items; child names need not be unique).
class TQelBinaryTag : public TQelCollection<TQelBinaryTag>
{
public:
    TQelBinaryTag() = default;
    explicit TQelBinaryTag(const QByteArray &name);
    virtual ~TQelBinaryTag();
    TQelBinaryTag(const TQelBinaryTag &) = delete;
    TQelBinaryTag &operator=(const TQelBinaryTag &) = delete;

    const QByteArray &Name() const { return m_name; }
    void SetName(const QByteArray &name);

    TQelBinaryAttributes &Attributes() { return m_attributes; }
    const TQelBinaryAttributes &Attributes() const { return m_attributes; }

    // The attribute with exactly this name (case-sensitive), or nullptr.
    TQelBinaryAttribute *FindAttribute(const QByteArray &name) const { return m_attributes.Find(name); }
    // The attribute with this name when it is of class T (or derives from it).
    template <class T>
    T *FindAttributeAs(const QByteArray &name) const
    {
        return dynamic_cast<T *>(FindAttribute(name));
    }
    // Appends a new, null attribute of the class and names it (strictly: a
    // refused name leaves the placeholder name).
    TQelBinaryAttribute *AddAttribute(const TQelBinaryAttributeClass &type, const QByteArray &name)
    {
        return m_attributes.Add(type, name);
    }
    template <class T>
    T *AddAttribute(const QByteArray &name)
    {
        return static_cast<T *>(m_attributes.Add(T::StaticClass(), name));
    }

    // The first child tag with exactly this name, or nullptr.
    TQelBinaryTag *FindTag(const QByteArray &name) const;
    // Appends a new child tag with this name.
    TQelBinaryTag *AddTag(const QByteArray &name);
    TQelBinaryTag *Tags(int index) const { return Items(index); }

    // Deletes all child tags and all attributes.
    virtual void Clear();
    // Copies name, attributes and the child tree of another tag.
    void Assign(const TQelBinaryTag &source);

private:
    QByteArray m_name;
    TQelBinaryAttributes m_attributes;
};
