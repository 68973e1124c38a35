#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// An ordered list of owned items; the list frees its items.
template <class T>
class TQelCollection
{
public:
    using TItems = std::vector<std::unique_ptr<T>>;

    int Count() const { return static_cast<int>(m_items.size()); }
    T *Items(int index) const { return m_items.at(static_cast<size_t>(index)).get(); }

    T *Add(std::unique_ptr<T> item)
    {
        m_items.push_back(std::move(item));
        return m_items.back().get();
    }
    void Clear() { m_items.clear(); }
    void Delete(int index) { m_items.erase(m_items.begin() + index); }

    class const_iterator
    {
    public:
        explicit const_iterator(typename TItems::const_iterator it) : m_it(it) {}
        T *operator*() const { return m_it->get(); }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        bool operator==(const const_iterator &) const = default;

    private:
        typename TItems::const_iterator m_it;
    };
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

protected:
    TItems m_items;
};
