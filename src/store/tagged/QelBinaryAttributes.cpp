#include "store/tagged/QelBinaryAttributes.h"

TQelBinaryAttributes::~TQelBinaryAttributes() = default;

TQelBinaryAttribute *TQelBinaryAttributes::Append(std::unique_ptr<TQelBinaryAttribute> attribute)
{
    attribute->m_owner = this;
    return TQelCollection::Add(std::move(attribute));
}

TQelBinaryAttribute *TQelBinaryAttributes::Add(const TQelBinaryAttributeClass &type, const QByteArray &name)
{
    // Same outcome as taking a placeholder and then renaming strictly, without
    // the detour through the placeholder.
    TQelBinaryAttribute *attribute = Append(type.Create());
    const QByteArray cut = name.size() > 255 ? name.left(255) : name;
    if (m_names.TryRegister(attribute, cut))
        attribute->m_name = cut;
    else
        attribute->m_name = m_names.RegisterPlaceholder(attribute);
    return attribute;
}

TQelBinaryAttribute *TQelBinaryAttributes::AddCopy(const TQelBinaryAttribute &source)
{
    TQelBinaryAttribute *attribute = Append(source.ClassType().Create());
    attribute->m_name = m_names.RegisterUnique(attribute, source.Name());
    attribute->Assign(source);
    return attribute;
}

TQelBinaryAttribute *TQelBinaryAttributes::Find(const QByteArray &name) const
{
    return static_cast<TQelBinaryAttribute *>(const_cast<void *>(m_names.Find(name)));
}

void TQelBinaryAttributes::Clear()
{
    TQelCollection::Clear();
    m_names.Clear();
}

void TQelBinaryAttributes::Delete(int index)
{
    m_names.Unregister(Items(index)->Name());
    TQelCollection::Delete(index);
}

void TQelBinaryAttributes::Assign(const TQelBinaryAttributes &source)
{
    if (&source == this)
        return;
    Clear();
    for (const TQelBinaryAttribute *attribute : source)
        AddCopy(*attribute);
}

bool TQelBinaryAttributes::Rename(TQelBinaryAttribute &attribute, const QByteArray &name)
{
    if (!m_names.Rename(&attribute, attribute.m_name, name))
        return false;
    attribute.m_name = name;
    return true;
}

QByteArray TQelBinaryAttributes::RenameUnique(TQelBinaryAttribute &attribute, const QByteArray &name)
{
    if (attribute.m_name == name)
        return name;
    m_names.Unregister(attribute.m_name);
    attribute.m_name = m_names.RegisterUnique(&attribute, name);
    return attribute.m_name;
}
