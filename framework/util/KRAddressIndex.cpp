#include "framework/util/KRAddressIndex.h"

#include <bit>

namespace {

constexpr std::size_t kFirstSize = 16;

}

std::size_t KRAddressIndex::home(const void* address) const
{
    // Multiplying spreads the aligned low bits of an address over the top
    // bits, which pick the slot.
    return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(address) * 0x9E3779B97F4A7C15ull) >> m_shift);
}

std::size_t KRAddressIndex::slotOf(const void* address) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = home(address);
    while (m_slots[at].address && m_slots[at].address != address)
        at = (at + 1) & mask;
    return at;
}

std::optional<std::uint32_t> KRAddressIndex::find(const void* address) const
{
    if (m_slots.empty() || !address)
        return std::nullopt;
    const Slot& slot = m_slots[slotOf(address)];
    if (!slot.address)
        return std::nullopt;
    return slot.value;
}

void KRAddressIndex::set(const void* address, std::uint32_t value)
{
    if (!address)
        return;
    if (2 * (m_count + 1) > m_slots.size())
        grow();
    Slot& slot = m_slots[slotOf(address)];
    if (!slot.address) {
        slot.address = address;
        ++m_count;
    }
    slot.value = value;
}

void KRAddressIndex::erase(const void* address)
{
    if (m_slots.empty() || !address)
        return;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = slotOf(address);
    if (!m_slots[hole].address)
        return;
    --m_count;
    // Close the gap: a later slot of the same run moves back into the hole
    // unless its home lies after the hole, where a lookup would not pass it.
    for (std::size_t at = (hole + 1) & mask; m_slots[at].address; at = (at + 1) & mask) {
        const std::size_t from = home(m_slots[at].address);
        if (((at - from) & mask) >= ((at - hole) & mask)) {
            m_slots[hole] = m_slots[at];
            hole = at;
        }
    }
    m_slots[hole] = Slot();
}

void KRAddressIndex::clear()
{
    m_slots.assign(m_slots.size(), Slot());
    m_count = 0;
}

void KRAddressIndex::grow()
{
    std::vector<Slot> old = std::move(m_slots);
    const std::size_t size = old.empty() ? kFirstSize : 2 * old.size();
    m_slots.assign(size, Slot());
    m_shift = 64 - static_cast<unsigned>(std::countr_zero(size));
    m_count = 0;
    for (const Slot& slot : old) {
        if (slot.address) {
            m_slots[slotOf(slot.address)] = slot;
            ++m_count;
        }
    }
}
