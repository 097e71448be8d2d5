#include "platform/foundation/Collections.h"

namespace pf {

void Array::insert(std::size_t index, Value value)
{
    if (index > m_values.size())
        index = m_values.size();
    m_values.insert(m_values.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
}

void Array::removeAt(std::size_t index)
{
    if (index < m_values.size())
        m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(index));
}

void Array::set(std::size_t index, Value value)
{
    if (index < m_values.size())
        m_values[index] = std::move(value);
    else if (index == m_values.size())
        m_values.push_back(std::move(value));
}

Dictionary::Dictionary(std::initializer_list<Entry> entries)
{
    for (const auto& [key, value] : entries)
        set(key, value);
}

std::size_t Dictionary::find(std::string_view key) const
{
    if (m_index.empty()) {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].first == key)
                return i;
        return npos;
    }
    auto it = m_index.find(key);
    return it == m_index.end() ? npos : it->second;
}

void Dictionary::buildIndex()
{
    m_index.reserve(m_entries.size() * 2);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_index.emplace(m_entries[i].first, i);
}

Value Dictionary::get(std::string_view key) const
{
    std::size_t i = find(key);
    return i == npos ? Value() : m_entries[i].second;
}

void Dictionary::set(std::string_view key, Value value)
{
    if (value.isNil()) {
        remove(key);
        return;
    }
    std::size_t i = find(key);
    if (i != npos) {
        m_entries[i].second = std::move(value);
        return;
    }
    if (m_entries.empty())
        m_entries.reserve(8); // most objects have a few members: skip the first regrowths
    m_entries.emplace_back(std::string(key), std::move(value));
    if (!m_index.empty())
        m_index.emplace(m_entries.back().first, m_entries.size() - 1);
    else if (m_entries.size() > kIndexThreshold)
        buildIndex();
}

void Dictionary::remove(std::string_view key)
{
    std::size_t i = find(key);
    if (i == npos)
        return;
    bool indexed = !m_index.empty();
    if (indexed)
        m_index.erase(m_index.find(key)); // before the entry goes: `key` may point into it
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
    if (!indexed)
        return;
    for (std::size_t j = i; j < m_entries.size(); ++j)
        m_index.find(m_entries[j].first)->second = j;
}

void Dictionary::clear()
{
    m_entries.clear();
    m_index.clear();
}

std::optional<std::string> Dictionary::string(std::string_view key) const
{
    std::size_t i = find(key);
    if (i == npos)
        return std::nullopt;
    if (auto s = m_entries[i].second.string())
        return *s;
    return std::nullopt;
}

std::vector<std::string> Dictionary::keys() const
{
    std::vector<std::string> out;
    out.reserve(m_entries.size());
    for (const auto& e : m_entries)
        out.push_back(e.first);
    return out;
}

bool Dictionary::operator==(const Dictionary& other) const
{
    if (count() != other.count())
        return false;
    for (const auto& [key, value] : m_entries) {
        std::size_t j = other.find(key);
        if (j == npos || !(other.m_entries[j].second == value))
            return false;
    }
    return true;
}

}
