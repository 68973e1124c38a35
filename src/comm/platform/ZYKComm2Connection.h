#pragma once

#include "comm/ZYKComm2Item.h"

#include <memory>
#include <vector>

class IZYKComm2Owner;

// The connection items of a manager; freeing an item closes it.
class TZYKComm2Connection
{
public:
    explicit TZYKComm2Connection(IZYKComm2Owner *owner) : m_owner(owner) {}
    ~TZYKComm2Connection() { Clear(); }
    TZYKComm2Connection(const TZYKComm2Connection &) = delete;
    TZYKComm2Connection &operator=(const TZYKComm2Connection &) = delete;

    TZYKComm2Item *Add();
    int Count() const { return static_cast<int>(m_items.size()); }
    TZYKComm2Item *Items(int index) const { return m_items.at(static_cast<size_t>(index)).get(); }
    void Delete(int index);
    void Clear();
    // As many items as the source, each copying the source item's BaudRate and Port.
    void Assign(const TZYKComm2Connection &source);

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    IZYKComm2Owner *m_owner;
    std::vector<std::unique_ptr<TZYKComm2Item>> m_items;
};
