#include "platform/foundation/Collections.h"

#include "platform/foundation/KeyHash.h"

#include <tuple>

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

Dictionary::Dictionary(const Dictionary& other)
    : m_entries(other.m_entries), m_removed(other.m_removed),
      m_index(other.m_index ? std::make_unique<Index>(*other.m_index) : nullptr)
{
}

Dictionary& Dictionary::operator=(const Dictionary& other)
{
    if (this != &other)
        *this = Dictionary(other);
    return *this;
}

Dictionary::Dictionary(Dictionary&& other) noexcept
    : m_entries(std::move(other.m_entries)), m_removed(std::exchange(other.m_removed, 0)),
      m_index(std::move(other.m_index))
{
    other.m_entries.clear();
}

Dictionary& Dictionary::operator=(Dictionary&& other) noexcept
{
    if (this != &other) {
        m_entries = std::move(other.m_entries);
        m_removed = std::exchange(other.m_removed, 0);
        m_index = std::move(other.m_index);
        other.m_entries.clear();
    }
    return *this;
}

Dictionary::Dictionary(std::initializer_list<Entry> entries)
{
    for (const auto& [key, value] : entries)
        set(key, value);
}

namespace {
thread_local std::size_t reorganised = 0;
}

std::size_t Dictionary::reorganisedEntriesForTesting() { return reorganised; }

std::size_t Dictionary::indexBucketsForTesting() const { return m_index ? m_index->bucket_count() : 0; }

std::size_t Dictionary::indexComparisonsForTesting() const
{
    std::size_t comparisons = 0;
    for (std::size_t bucket = 0; m_index && bucket < m_index->bucket_count(); ++bucket) {
        std::size_t keys = m_index->bucket_size(bucket);
        comparisons += keys * (keys + 1) / 2;
    }
    return comparisons;
}

std::size_t Dictionary::Hash::operator()(std::string_view s) const { return keyHash(s); }

std::size_t Dictionary::find(std::string_view key) const
{
    if (!indexed()) {
        // Keys of one length are common (a JSON object's short names); the
        // first byte tells most of them apart without a call to compare.
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const std::string& name = m_entries[i].first;
            if (name.size() == key.size() && (key.empty() || name[0] == key[0]) && name == key &&
                !m_entries[i].second.isNil())
                return i;
        }
        return npos;
    }
    auto it = m_index->find(key);
    return it == m_index->end() ? npos : it->second;
}

void Dictionary::buildIndex()
{
    if (m_index)
        m_index->clear();
    else
        m_index = std::make_unique<Index>();
    m_index->reserve(count() * 2);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!m_entries[i].second.isNil())
            m_index->emplace(m_entries[i].first, i);
    reorganised += count();
}

void Dictionary::compact()
{
    std::size_t live = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].second.isNil())
            continue;
        if (live != i)
            m_entries[live] = std::move(m_entries[i]);
        ++live;
    }
    reorganised += live;
    m_entries.resize(live);
    m_removed = 0;
    if (!indexed())
        return;
    if (live > kIndexThreshold)
        buildIndex();
    else
        m_index.reset();
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
    addAbsent(key, std::move(value));
}

void Dictionary::addAbsent(std::string_view key, Value value)
{
    if (m_entries.capacity() == 0)
        m_entries.reserve(8); // most objects have a few members: skip the first regrowths
    m_entries.emplace_back(std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple(std::move(value)));
    if (indexed())
        m_index->emplace(m_entries.back().first, m_entries.size() - 1);
    else if (count() > kIndexThreshold)
        buildIndex();
}

void Dictionary::remove(std::string_view key)
{
    std::size_t i = find(key);
    if (i == npos)
        return;
    if (indexed())
        m_index->erase(m_index->find(key)); // before the entry goes: `key` may point into it
    m_entries[i].second = Value();
    ++m_removed;
    if (m_removed == m_entries.size())
        clear();
    else if (m_removed > m_entries.size() - m_removed)
        compact();
}

void Dictionary::clear()
{
    m_entries.clear();
    m_index.reset();
    m_removed = 0;
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
    out.reserve(count());
    for (const auto& e : *this)
        out.push_back(e.first);
    return out;
}

bool Dictionary::operator==(const Dictionary& other) const
{
    if (count() != other.count())
        return false;
    // Two dictionaries read from the same source keep their keys in the same
    // order: walk them side by side until a key differs, which then needs
    // the lookups.
    if (m_removed == 0 && other.m_removed == 0) {
        std::size_t i = 0;
        for (; i < m_entries.size() && m_entries[i].first == other.m_entries[i].first; ++i) {
            if (!(m_entries[i].second == other.m_entries[i].second))
                return false;
        }
        if (i == m_entries.size())
            return true;
    }
    for (const auto& [key, value] : *this) {
        std::size_t j = other.find(key);
        if (j == npos || !(other.m_entries[j].second == value))
            return false;
    }
    return true;
}

}
