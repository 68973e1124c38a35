#include "ZYKComm2Connection.h"

TZYKComm2Item *TZYKComm2Connection::Add()
{
    m_items.push_back(std::make_unique<TZYKComm2Item>(Count(), m_owner));
    return m_items.back().get();
}

void TZYKComm2Connection::Delete(int index)
{
    m_items.erase(m_items.begin() + index);
}

void TZYKComm2Connection::Clear()
{
    // Items go one by one, last first, so each sees the others still in place.
    while (!m_items.empty())
        m_items.pop_back();
}

void TZYKComm2Connection::Assign(const TZYKComm2Connection &source)
{
    if (&source == this)
        return;
    while (Count() > source.Count())
        Delete(Count() - 1);
    while (Count() < source.Count())
        Add();
    for (int i = 0; i < Count(); ++i)
        Items(i)->Assign(*source.Items(i));
}
