#pragma once
// Observers held weakly, told in the order they were added; adding one again
// moves it to the end. Adding and removing cost no more as observers grow
// (every document or styled container of a long list observes one sheet and
// removes itself when released), and observers released without removing
// themselves are dropped once their number has doubled, so the list stays
// bounded at a constant cost per add.
//
// Thread contract: none of its own; the owner's thread only.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

template <class Observer>
class KRWeakObserverList {
public:
    void add(std::weak_ptr<Observer> observer)
    {
        auto locked = observer.lock();
        if (!locked)
            return;
        // An observer released without removing itself may have left its
        // address to this one: the newer registration replaces it.
        remove(locked.get());
        std::uint64_t key = m_nextKey++;
        m_observers.emplace(key, std::move(observer));
        m_keys.emplace(locked.get(), key);
        if (m_observers.size() >= 2 * m_sizeAtLastDrop + 64)
            dropExpired();
    }

    void remove(const Observer* observer)
    {
        auto found = m_keys.find(observer);
        if (found == m_keys.end())
            return;
        m_observers.erase(found->second);
        m_keys.erase(found);
    }

    // Kept observers, released ones not yet dropped included.
    std::size_t size() const { return m_observers.size(); }

    // The observers in order, copied: they may add or remove observers
    // while being told.
    std::vector<std::weak_ptr<Observer>> snapshot() const
    {
        std::vector<std::weak_ptr<Observer>> observers;
        observers.reserve(m_observers.size());
        for (const auto& entry : m_observers)
            observers.push_back(entry.second);
        return observers;
    }

    void dropExpired()
    {
        for (auto it = m_keys.begin(); it != m_keys.end();) {
            auto entry = m_observers.find(it->second);
            if (entry == m_observers.end() || entry->second.expired()) {
                if (entry != m_observers.end())
                    m_observers.erase(entry);
                it = m_keys.erase(it);
            } else {
                ++it;
            }
        }
        m_sizeAtLastDrop = m_observers.size();
    }

private:
    // By order of adding, and the order key of each observer.
    std::map<std::uint64_t, std::weak_ptr<Observer>> m_observers;
    std::unordered_map<const Observer*, std::uint64_t> m_keys;
    std::uint64_t m_nextKey = 0;
    std::size_t m_sizeAtLastDrop = 0;
};
