#pragma once

// String keys to string values in insertion order: the attributes of an
// element and the values of a style. Both hold a handful of entries, so a
// flat vector searched linearly beats hashing.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class KRDOMStringMap {
public:
    using Entry = std::pair<std::string, std::string>;

    std::optional<std::string_view> get(std::string_view key) const
    {
        for (const Entry& e : m_entries) {
            if (e.first == key)
                return std::string_view(e.second);
        }
        return std::nullopt;
    }
    bool contains(std::string_view key) const { return get(key).has_value(); }
    // Nothing for the value removes the key.
    void set(std::string_view key, std::optional<std::string_view> value)
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->first != key)
                continue;
            if (value)
                it->second.assign(value->data(), value->size());
            else
                m_entries.erase(it);
            return;
        }
        if (value)
            m_entries.emplace_back(std::string(key), std::string(*value));
    }
    void remove(std::string_view key) { set(key, std::nullopt); }
    void clear() { m_entries.clear(); }
    void reserve(std::size_t more) { m_entries.reserve(m_entries.size() + more); }

    std::size_t count() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    std::vector<std::string> keys() const
    {
        std::vector<std::string> out;
        out.reserve(m_entries.size());
        for (const Entry& e : m_entries)
            out.push_back(e.first);
        return out;
    }
    const std::vector<Entry>& entries() const { return m_entries; }
    bool operator==(const KRDOMStringMap&) const = default;

private:
    std::vector<Entry> m_entries;
};
