#include "store/tagged/QelNamespace.h"

int TQelNamespaceImplementation::PlaceholderNumber(const QByteArray &name)
{
    if (name == "_")
        return 1;
    if (name.size() < 2 || name.at(0) != '_' || name.at(1) == '0')
        return 0;
    bool ok = false;
    const int number = name.mid(1).toInt(&ok);
    return ok && number >= 2 && QByteArray::number(number) == name.mid(1) ? number : 0;
}

QByteArray TQelNamespaceImplementation::PlaceholderName(int number)
{
    return number == 1 ? QByteArrayLiteral("_") : '_' + QByteArray::number(number);
}

QByteArray TQelNamespaceImplementation::RegisterPlaceholder(const void *member)
{
    int number = m_firstFreePlaceholder;
    while (m_members.contains(PlaceholderName(number)))
        ++number;
    m_firstFreePlaceholder = number + 1;
    const QByteArray name = PlaceholderName(number);
    m_members.insert(name, member);
    return name;
}

bool TQelNamespaceImplementation::Rename(const void *member, const QByteArray &oldName, const QByteArray &newName)
{
    if (newName.isEmpty() || newName.contains(Separator))
        return false;
    if (newName == oldName)
        return true;
    if (m_members.contains(newName))
        return false;
    Unregister(oldName);
    m_members.insert(newName, member);
    return true;
}

bool TQelNamespaceImplementation::TryRegister(const void *member, const QByteArray &name)
{
    if (name.isEmpty() || name.contains(Separator))
        return false;
    const qsizetype before = m_members.size();
    const void *&slot = m_members[name];
    if (m_members.size() == before)
        return false; // taken
    slot = member;
    return true;
}

QByteArray TQelNamespaceImplementation::RegisterUnique(const void *member, const QByteArray &wanted)
{
    QByteArray base = wanted;
    base.replace(Separator, QByteArray());
    if (base.isEmpty())
        base = "_";
    QByteArray name = base;
    for (int suffix = 2; m_members.contains(name); ++suffix)
        name = base + QByteArray::number(suffix);
    m_members.insert(name, member);
    return name;
}

void TQelNamespaceImplementation::Unregister(const QByteArray &name)
{
    m_members.remove(name);
    const int number = PlaceholderNumber(name);
    if (number > 0 && number < m_firstFreePlaceholder)
        m_firstFreePlaceholder = number;
}

void TQelNamespaceImplementation::Clear()
{
    m_members.clear();
    m_firstFreePlaceholder = 1;
}
