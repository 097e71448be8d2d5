#pragma once

// Where a JSON parser collects the members of the arrays and objects it has
// open, innermost last, so that each container is made in one step, with
// room for exactly its members, when it closes (growing a dictionary member
// by member cost more than the parse around it). Keys without escapes stay
// views into the text until then; unescaped ones wait in an arena that each
// object gives back when it closes. A key given twice keeps its first place
// and takes the later value. Small objects (nearly all) tell a new key by 64
// key buckets without looking at the others; past kIndexedMembers members an
// object indexes its keys by hash, so a text of one object of n keys parses
// in time linear in n (walking the earlier keys made 300,000 take a minute).
// The index hashes with the process's secret key (KeyHash.h), so no text
// made in advance can crowd its keys into one run of slots, and a run that
// grows long all the same makes the index longer.
//
// Owned by one parse; one thread. The text must outlive the parse.

#include "platform/foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pf {

class JsonObjectStack {
public:
    // A key of an open object: bytes of the text, or of the arena.
    struct Key {
        std::size_t offset;
        std::size_t length;
        bool inArena;
    };
    // A member of a large object's index: its key's hash (the low half, so
    // that most probes tell another key without reading it) and its place + 1
    // (0 for an empty slot; an object of 2^32 members could not be held).
    struct IndexSlot {
        std::uint32_t hash = 0;
        std::uint32_t place = 0;
    };
    // An open object: where its members start, the key buckets seen and,
    // once it is large, its index (a power of two long, at most half full).
    struct Object {
        std::size_t valueBase;
        std::size_t keyBase;
        std::size_t arenaBase;
        std::uint64_t buckets = 0;
        std::vector<IndexSlot> index;
    };
    static constexpr std::size_t kIndexedMembers = 32;

    // A new parse over `text`, with room for `members` values ahead.
    void start(const char* text, std::size_t members = 0);

    template <class... Args>
    void push(Args&&... args)
    {
        m_values.emplace_back(std::forward<Args>(args)...);
    }
    // The value pushed last, taken off the stack.
    Value takeLast();
    bool empty() const { return m_values.empty(); }

    std::size_t openArray() const { return m_values.size(); }
    Object openObject() const { return { m_values.size(), m_keys.size(), m_arena.size(), 0, {} }; }

    Key textKey(const char* begin, const char* end) const
    {
        return { static_cast<std::size_t>(begin - m_text), static_cast<std::size_t>(end - begin), false };
    }
    Key arenaKey(std::string_view unescaped)
    {
        Key key { m_arena.size(), unescaped.size(), true };
        m_arena += unescaped;
        return key;
    }
    std::string_view keyText(const Key& key) const
    {
        ++t_keyReads;
        return std::string_view((key.inArena ? m_arena.data() : m_text) + key.offset, key.length);
    }

    // The member whose value was pushed last.
    void addMember(Object& object, const Key& key)
    {
        if (!object.index.empty())
            return addIndexedMember(object, key);
        std::string_view name = keyText(key);
        std::uint64_t bit = std::uint64_t(1) << keyBucket(name);
        if ((object.buckets & bit) && replaceValue(object, name))
            return;
        object.buckets |= bit;
        m_keys.push_back(key);
        if (m_keys.size() - object.keyBase > kIndexedMembers)
            buildIndex(object);
    }

    // The container of the members from its opening on, in their place.
    Value closeArray(std::size_t base);
    Value closeObject(const Object& object);

    // Index slots walked past, beyond each key's own, by this thread's
    // stacks since it started: lets tests check that the walks stay short.
    static std::size_t probeStepsForTesting();
    // Key texts this thread has read from its stacks (keyText): lets tests
    // check that a new key is told from the earlier ones without reading
    // them all.
    static std::size_t keyReadsForTesting() { return t_keyReads; }

private:
    static inline thread_local std::size_t t_keyReads = 0;

    static unsigned keyBucket(std::string_view key)
    {
        std::uint64_t mix = key.size();
        if (!key.empty())
            mix |= std::uint64_t(std::uint8_t(key.front())) << 8 | std::uint64_t(std::uint8_t(key.back())) << 16
                | std::uint64_t(std::uint8_t(key[key.size() / 2])) << 24;
        return unsigned((mix * 0x9E3779B97F4A7C15ULL) >> 58);
    }
    bool replaceValue(const Object& object, std::string_view name);
    void replaceValueAt(const Object& object, std::size_t place);
    void addIndexedMember(Object& object, const Key& key);
    // Makes the index, or one twice as long.
    void buildIndex(Object& object);
    // Where `name` is in the object's index, or the empty slot it would take.
    std::size_t indexSlot(const Object& object, std::string_view name, std::uint32_t hash) const;
    // A new key that walks past more slots than this grows the index, as
    // long as it stays within this many slots a member.
    static constexpr std::size_t kLongestRun = 128;
    static constexpr std::size_t kMostSlotsPerMember = 16;

    const char* m_text = nullptr;
    std::vector<Value> m_values;
    std::vector<Key> m_keys;
    std::string m_arena;
};

}
