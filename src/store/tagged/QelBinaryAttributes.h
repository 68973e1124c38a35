#pragma once

#include "store/tagged/QelBinaryAttribute.h"
#include "store/tagged/QelCollection.h"
#include "store/tagged/QelNamespace.h"

// The attribute list of one tag, in order; keeps the attribute names unique.
class TQelBinaryAttributes : public TQelCollection<TQelBinaryAttribute>
{
public:
    TQelBinaryAttributes() = default;
    ~TQelBinaryAttributes();
    TQelBinaryAttributes(const TQelBinaryAttributes &) = delete;
    TQelBinaryAttributes &operator=(const TQelBinaryAttributes &) = delete;

    // Appends a new (null) attribute of the class. It first gets a
    // placeholder name ("_", "_2", ...), then the strict rename to name is
    // tried; a refused name leaves the placeholder.
    TQelBinaryAttribute *Add(const TQelBinaryAttributeClass &type, const QByteArray &name);
    // Appends a copy of an attribute of another tag; a taken name is made unique.
    TQelBinaryAttribute *AddCopy(const TQelBinaryAttribute &source);

    TQelBinaryAttribute *Find(const QByteArray &name) const;
    void Clear();
    void Delete(int index);

    // Replaces the list with copies of another list's attributes.
    void Assign(const TQelBinaryAttributes &source);

private:
    friend class TQelBinaryAttribute;

    TQelBinaryAttribute *Append(std::unique_ptr<TQelBinaryAttribute> attribute);
    bool Rename(TQelBinaryAttribute &attribute, const QByteArray &name);
    QByteArray RenameUnique(TQelBinaryAttribute &attribute, const QByteArray &name);

    TQelNamespaceImplementation m_names;
};
