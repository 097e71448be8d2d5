#include "platform/foundation/JsonObjectStack.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyHash.h"

namespace pf {

void JsonObjectStack::start(const char* text, std::size_t members)
{
    m_text = text;
    m_values.clear();
    m_keys.clear();
    m_arena.clear();
    m_values.reserve(members);
    m_keys.reserve(members);
}

Value JsonObjectStack::takeLast()
{
    Value value = std::move(m_values.back());
    m_values.pop_back();
    return value;
}

bool JsonObjectStack::replaceValue(const Object& object, std::string_view name)
{
    for (std::size_t i = object.keyBase; i < m_keys.size(); ++i) {
        if (keyText(m_keys[i]) == name) {
            replaceValueAt(object, i - object.keyBase);
            return true;
        }
    }
    return false;
}

void JsonObjectStack::replaceValueAt(const Object& object, std::size_t place)
{
    m_values[object.valueBase + place] = std::move(m_values.back());
    m_values.pop_back();
}

namespace {

thread_local std::size_t probeSteps = 0;

// The low half of the process's key hash: its low bits pick the slot.
std::uint32_t slotHash(std::string_view name) { return std::uint32_t(keyHash(name)); }

}

std::size_t JsonObjectStack::probeStepsForTesting() { return probeSteps; }

std::size_t JsonObjectStack::indexSlot(const Object& object, std::string_view name, std::uint32_t hash) const
{
    std::size_t mask = object.index.size() - 1;
    std::size_t i = hash & mask;
    for (;; i = (i + 1) & mask) {
        const IndexSlot& slot = object.index[i];
        if (!slot.place || (slot.hash == hash && keyText(m_keys[object.keyBase + slot.place - 1]) == name))
            break;
    }
    probeSteps += (i - hash) & mask;
    return i;
}

void JsonObjectStack::addIndexedMember(Object& object, const Key& key)
{
    std::string_view name = keyText(key);
    std::uint32_t hash = slotHash(name);
    std::size_t at = indexSlot(object, name, hash);
    IndexSlot& slot = object.index[at];
    if (slot.place)
        return replaceValueAt(object, slot.place - 1);
    m_keys.push_back(key);
    slot = { hash, std::uint32_t(m_keys.size() - object.keyBase) };
    // Past half full, or when the new key had to walk far (keys that meet
    // by bad luck), a longer index spreads the keys again; each walk then
    // stays short, unless the index is already far longer than its keys.
    std::size_t run = (at - hash) & (object.index.size() - 1);
    if (slot.place * std::size_t(2) > object.index.size()
        || (run > kLongestRun && object.index.size() < slot.place * kMostSlotsPerMember))
        buildIndex(object);
}

void JsonObjectStack::buildIndex(Object& object)
{
    // The keys are distinct, so each takes the first empty slot it meets.
    auto place = [](std::vector<IndexSlot>& index, IndexSlot slot) {
        std::size_t mask = index.size() - 1;
        std::size_t i = slot.hash & mask;
        while (index[i].place)
            i = (i + 1) & mask;
        probeSteps += (i - slot.hash) & mask;
        index[i] = slot;
    };
    std::vector<IndexSlot> index(object.index.empty() ? 128 : object.index.size() * 2);
    if (object.index.empty()) {
        for (std::size_t i = object.keyBase; i < m_keys.size(); ++i)
            place(index, { slotHash(keyText(m_keys[i])), std::uint32_t(i - object.keyBase + 1) });
    } else {
        for (IndexSlot slot : object.index) {
            if (slot.place)
                place(index, slot);
        }
    }
    object.index = std::move(index);
}

Value JsonObjectStack::closeArray(std::size_t base)
{
    auto array = Array::create();
    array->reserve(m_values.size() - base);
    for (std::size_t i = base; i < m_values.size(); ++i)
        array->add(std::move(m_values[i]));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(base), m_values.end());
    return Value(std::move(array));
}

Value JsonObjectStack::closeObject(const Object& object)
{
    auto dictionary = Dictionary::create();
    dictionary->reserve(m_keys.size() - object.keyBase);
    for (std::size_t i = object.keyBase; i < m_keys.size(); ++i)
        dictionary->addAbsent(keyText(m_keys[i]), std::move(m_values[object.valueBase + (i - object.keyBase)]));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(object.valueBase), m_values.end());
    m_keys.resize(object.keyBase);
    m_arena.resize(object.arenaBase);
    return Value(std::move(dictionary));
}

}
