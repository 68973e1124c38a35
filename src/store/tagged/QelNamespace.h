#pragma once

#include <QByteArray>
#include <QHash>

// A registry of members with unique names (separator "."). Attribute lists
// keep one each so attribute names stay unique within a tag.
class TQelNamespaceImplementation
{
public:
    static constexpr char Separator = '.';

    // Registers a member without a name: "_", or "_2", "_3" ... (the first free one).
    QByteArray RegisterPlaceholder(const void *member);
    // Strict rename: refused (false) for an empty name, a name holding the
    // separator, or a name another member has.
    bool Rename(const void *member, const QByteArray &oldName, const QByteArray &newName);
    // Registers a member under a name when it is usable and free (strict rules).
    bool TryRegister(const void *member, const QByteArray &name);
    // Registers a member under a name made unique: the separator is dropped,
    // empty becomes "_", a taken name gets "2", "3" ... appended.
    QByteArray RegisterUnique(const void *member, const QByteArray &wanted);
    void Unregister(const QByteArray &name);
    void Clear();

    const void *Find(const QByteArray &name) const { return m_members.value(name, nullptr); }
    bool Contains(const QByteArray &name) const { return m_members.contains(name); }

private:
    static int PlaceholderNumber(const QByteArray &name);
    static QByteArray PlaceholderName(int number);

    QHash<QByteArray, const void *> m_members;
    // Every placeholder number below this one is taken.
    int m_firstFreePlaceholder = 1;
};
