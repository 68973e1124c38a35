#include "store/tagged/QelBinaryTag.h"

TQelBinaryTag::TQelBinaryTag(const QByteArray &name) : m_name(name.left(255)) {}

TQelBinaryTag::~TQelBinaryTag() = default;

void TQelBinaryTag::SetName(const QByteArray &name)
{
    m_name = name.left(255);
}

TQelBinaryTag *TQelBinaryTag::FindTag(const QByteArray &name) const
{
    for (TQelBinaryTag *tag : *this)
        if (tag->Name() == name)
            return tag;
    return nullptr;
}

TQelBinaryTag *TQelBinaryTag::AddTag(const QByteArray &name)
{
    return Add(std::make_unique<TQelBinaryTag>(name));
}

void TQelBinaryTag::Clear()
{
    TQelCollection::Clear();
    m_attributes.Clear();
}

void TQelBinaryTag::Assign(const TQelBinaryTag &source)
{
    if (&source == this)
        return;
    m_name = source.m_name;
    m_attributes.Assign(source.m_attributes);
    // The source may be one of our own descendants: copy before letting go.
    TItems copies;
    for (const TQelBinaryTag *child : source) {
        copies.push_back(std::make_unique<TQelBinaryTag>());
        copies.back()->Assign(*child);
    }
    m_items = std::move(copies);
}
