#pragma once

// Shared, mutable collections of values. Arrays keep order; dictionaries keep
// insertion order (so encodings are deterministic) with string keys. Neither
// is thread-safe: a collection is used by one thread or serial queue at a time.

#include "platform/foundation/PoolAllocator.h"
#include "platform/foundation/Value.h"

#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pf {

class Array {
public:
    // Element storage comes from the block pool: decoded answers make and
    // drop thousands of arrays at a time.
    using Values = std::vector<Value, PoolAllocator<Value>>;

    Array() = default;
    Array(std::initializer_list<Value> values) : m_values(values) {}
    explicit Array(std::vector<Value> values)
        : m_values(std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()))
    {
    }
    // One block for the array and its reference count.
    static ArrayRef create(std::initializer_list<Value> values = {})
    {
        return std::allocate_shared<Array>(PoolAllocator<Array>(), values);
    }

    std::size_t count() const { return m_values.size(); }
    bool empty() const { return m_values.empty(); }
    // Nil for an index out of range.
    Value at(std::size_t index) const { return index < m_values.size() ? m_values[index] : Value(); }
    Value last() const { return m_values.empty() ? Value() : m_values.back(); }
    void add(Value value) { m_values.push_back(std::move(value)); }
    void insert(std::size_t index, Value value);
    void removeAt(std::size_t index);
    void set(std::size_t index, Value value);
    void clear() { m_values.clear(); }
    // Empties the array, answering what it held.
    Values take() { return std::exchange(m_values, Values()); }
    void reserve(std::size_t n) { m_values.reserve(n); }

    const Values& values() const { return m_values; }
    auto begin() const { return m_values.begin(); }
    auto end() const { return m_values.end(); }
    bool operator==(const Array& other) const { return m_values == other.m_values; }

private:
    Values m_values;
};

class Dictionary {
public:
    using Entry = std::pair<std::string, Value>;

    // Walks the members in insertion order, passing over removed ones.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = const Entry*;
        using reference = const Entry&;
        Iterator(const Entry* at, const Entry* end) : m_at(at), m_end(end) { skip(); }
        reference operator*() const { return *m_at; }
        pointer operator->() const { return m_at; }
        Iterator& operator++()
        {
            ++m_at;
            skip();
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_at == other.m_at; }

    private:
        void skip()
        {
            while (m_at != m_end && m_at->second.isNil())
                ++m_at;
        }
        const Entry* m_at;
        const Entry* m_end;
    };

    Dictionary() = default;
    Dictionary(const Dictionary& other);
    // A moved-from dictionary is empty and usable again.
    Dictionary(Dictionary&& other) noexcept;
    Dictionary& operator=(const Dictionary& other);
    Dictionary& operator=(Dictionary&& other) noexcept;
    Dictionary(std::initializer_list<Entry> entries);
    // One block for the dictionary and its reference count.
    static DictionaryRef create(std::initializer_list<Entry> entries = {})
    {
        return std::allocate_shared<Dictionary>(PoolAllocator<Dictionary>(), entries);
    }

    std::size_t count() const { return m_entries.size() - m_removed; }
    bool empty() const { return count() == 0; }
    // Nil when the key is absent.
    Value get(std::string_view key) const;
    // The member itself, valid until the dictionary changes; null when absent.
    const Value* lookup(std::string_view key) const
    {
        std::size_t i = find(key);
        return i == npos ? nullptr : &m_entries[i].second;
    }
    bool contains(std::string_view key) const { return find(key) != npos; }
    // Setting nil removes the key, as the platform's dictionaries do.
    // Setting, replacing and removing cost O(1) amortised, whatever the size.
    void set(std::string_view key, Value value);
    void remove(std::string_view key);
    // set for a key the caller knows no member has, without looking for it
    // (a decoder that tracks the keys it has set); `value` is not nil.
    void addAbsent(std::string_view key, Value value);
    void clear();
    void reserve(std::size_t n) { m_entries.reserve(n); }

    // Typed reads for configuration and answers: nil-safe, no conversion.
    std::optional<std::string> string(std::string_view key) const;
    DictionaryRef dictionary(std::string_view key) const { return get(key).dictionary(); }
    ArrayRef array(std::string_view key) const { return get(key).array(); }

    std::vector<std::string> keys() const;
    Iterator begin() const { return {m_entries.data(), m_entries.data() + m_entries.size()}; }
    Iterator end() const { return {m_entries.data() + m_entries.size(), m_entries.data() + m_entries.size()}; }
    bool operator==(const Dictionary& other) const;

    DictionaryRef mutableCopy() const { return std::allocate_shared<Dictionary>(PoolAllocator<Dictionary>(), *this); }

    // Entries moved and index slots rebuilt by this thread since it started:
    // lets tests check that removals stay linear.
    static std::size_t reorganisedEntriesForTesting();
    // The index's buckets (0 while there is none), and the keys a lookup of
    // every key once would compare: lets tests check that no keys crowd
    // one bucket.
    std::size_t indexBucketsForTesting() const;
    std::size_t indexComparisonsForTesting() const;

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    // Small dictionaries (most JSON objects) are searched in order; the hash
    // index is made only once a dictionary grows past this many entries.
    static constexpr std::size_t kIndexThreshold = 32;
    std::size_t find(std::string_view key) const;
    bool indexed() const { return m_index && !m_index->empty(); }
    void buildIndex();
    void compact();

    // Keyed by the process's secret (KeyHash.h): an answer's keys cannot be
    // chosen to crowd one bucket.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const;
    };
    // A removed member stays behind as an entry with a nil value (nil is never
    // stored) until removed ones outnumber the live ones; then they are
    // squeezed out at once, so a run of removals costs linear time in all.
    using Index = std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>>;
    std::vector<Entry, PoolAllocator<Entry>> m_entries;
    std::size_t m_removed = 0;
    // Made only for large dictionaries, so that the many small ones stay small.
    std::unique_ptr<Index> m_index;
};

}
