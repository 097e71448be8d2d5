#pragma once
// Observers held weakly, told in the order they were added; adding one again
// moves it to the end. Adding and removing cost no more as observers grow
// (every document or styled container of a long list observes one sheet and
// removes itself when released): the observers sit in one vector in order,
// a removed one leaves a hole, and a flat index finds an observer's place by
// its address. Holes and observers released without removing themselves are
// dropped once the vector has doubled, so it stays bounded at a constant
// cost per add.
//
// Thread contract: none of its own; the owner's thread only.

#include "framework/util/KRAddressIndex.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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
        if (m_entries.size() >= 2 * m_sizeAtLastDrop + 64)
            dropExpired();
        m_index.set(locked.get(), static_cast<std::uint32_t>(m_entries.size()));
        m_entries.push_back({locked.get(), std::move(observer)});
    }

    void remove(const Observer* observer)
    {
        auto at = m_index.find(observer);
        if (!at)
            return;
        m_index.erase(observer);
        m_entries[*at] = Entry();
        ++m_holes;
    }

    // Kept observers, released ones not yet dropped included.
    std::size_t size() const { return m_entries.size() - m_holes; }

    // The observers in order, copied: they may add or remove observers
    // while being told.
    std::vector<std::weak_ptr<Observer>> snapshot() const
    {
        std::vector<std::weak_ptr<Observer>> observers;
        observers.reserve(size());
        for (const Entry& entry : m_entries) {
            if (entry.address)
                observers.push_back(entry.observer);
        }
        return observers;
    }

    void dropExpired()
    {
        std::size_t kept = 0;
        for (std::size_t at = 0; at < m_entries.size(); ++at) {
            Entry& entry = m_entries[at];
            if (!entry.address)
                continue;
            if (entry.observer.expired()) {
                m_index.erase(entry.address);
                continue;
            }
            if (kept != at) {
                m_entries[kept] = std::move(entry);
                m_index.set(m_entries[kept].address, static_cast<std::uint32_t>(kept));
            }
            ++kept;
        }
        m_entries.resize(kept);
        m_holes = 0;
        m_sizeAtLastDrop = kept;
    }

private:
    struct Entry {
        const Observer* address = nullptr; // null: a hole left by a removed observer
        std::weak_ptr<Observer> observer;
    };

    std::vector<Entry> m_entries; // in the order added
    KRAddressIndex m_index;       // each kept observer's place in m_entries
    std::size_t m_holes = 0;
    std::size_t m_sizeAtLastDrop = 0;
};
