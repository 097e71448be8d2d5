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
    auto it = m_index.find(key);
    return it == m_index.end() ? npos : it->second;
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
    m_index.emplace(std::string(key), m_entries.size());
    m_entries.emplace_back(std::string(key), std::move(value));
}

void Dictionary::remove(std::string_view key)
{
    std::size_t i = find(key);
    if (i == npos)
        return;
    m_index.erase(m_index.find(key));
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
    for (std::size_t j = i; j < m_entries.size(); ++j)
        m_index[m_entries[j].first] = j;
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
