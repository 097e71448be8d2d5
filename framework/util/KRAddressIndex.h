#pragma once
// A map from addresses to small numbers, kept in one flat table: a lookup
// reads one or two neighbouring slots instead of chasing list nodes, which
// matters when every row of a long list registers and unregisters itself
// (a miss is the common case, and the rows' own memory is cold by then).
//
// Thread contract: none of its own; the owner's thread only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class KRAddressIndex {
public:
    std::optional<std::uint32_t> find(const void* address) const;
    // Sets the number kept for `address` (non-null), replacing any it had.
    void set(const void* address, std::uint32_t value);
    void erase(const void* address);
    void clear();
    std::size_t size() const { return m_count; }

private:
    struct Slot {
        const void* address = nullptr;
        std::uint32_t value = 0;
    };

    std::size_t home(const void* address) const;
    std::size_t slotOf(const void* address) const; // the slot holding it, or the empty one ending its run
    void grow();

    std::vector<Slot> m_slots; // a power of two in size, at most half full
    std::size_t m_count = 0;
    unsigned m_shift = 64;
};
