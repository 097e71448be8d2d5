#pragma once

// For tests of how a JSON parser's time grows with the keys of one object,
// and of keys chosen to meet in a hash index.

#include "platform/foundation/JsonObjectStack.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pf::testing {

// `count` distinct keys whose unseeded std::hash leaves one remainder modulo
// `modulo`: what a sender can make in advance to crowd one bucket of an
// index keyed by that hash, or for a power of two one run of its slots.
inline std::vector<std::string> collidingKeys(int count, std::size_t modulo)
{
    std::vector<std::string> keys;
    char key[] = "c0000000"; // counting in the digits 0 to 9 and a to z
    std::string_view name(key, sizeof key - 1);
    while (int(keys.size()) < count) {
        if (std::hash<std::string_view>()(name) % modulo == 0)
            keys.emplace_back(name);
        for (std::size_t i = name.size() - 1; i > 0; --i) {
            key[i] = key[i] == '9' ? 'a' : key[i] == 'z' ? '0' : char(key[i] + 1);
            if (key[i] != '0')
                break;
        }
    }
    return keys;
}

// {"<key>":1,…}.
inline std::string objectOfKeys(const std::vector<std::string>& keys)
{
    std::string text = "{";
    for (const auto& key : keys)
        text += (text.size() > 1 ? ",\"" : "\"") + key + "\":1";
    return text + "}";
}

// {"k0":1,…,"k<n-1>":1}.
inline std::string manyKeysObject(int count)
{
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back("k" + std::to_string(i));
    return objectOfKeys(keys);
}

// Expects `parse` (text to the number of members of the object it made) to
// take one object of keys whose unseeded hashes share the low bits that
// pick a slot of its key index with index walks in proportion to the keys
// (each new key walked past all the earlier ones).
template <class Parse>
void expectShortIndexWalksForCollidingKeys(Parse parse, int keys = 3000)
{
    // The index is a power of two long and at most half full.
    std::size_t slots = 1;
    while (slots < std::size_t(keys) * 2)
        slots *= 2;
    std::string text = objectOfKeys(collidingKeys(keys, slots));
    std::size_t before = JsonObjectStack::probeStepsForTesting();
    EXPECT_EQ(parse(text), std::size_t(keys));
    std::size_t steps = JsonObjectStack::probeStepsForTesting() - before;
    EXPECT_LE(steps, std::size_t(keys) * 4) << keys << " keys meeting in " << slots << " slots";
}

// Expects `parse` (text to the number of members of the object it made) to
// read each key of one object a few times, not once for every key after it
// (comparing each new key with every earlier one made ten times the keys
// take fifty to a hundred times as long).
template <class Parse>
void expectFewReadsOfEachKey(Parse parse, int keys = 3000)
{
    std::string text = manyKeysObject(keys);
    std::size_t before = JsonObjectStack::keyReadsForTesting();
    EXPECT_EQ(parse(text), std::size_t(keys));
    std::size_t reads = JsonObjectStack::keyReadsForTesting() - before;
    EXPECT_GE(reads, std::size_t(keys)) << "the keys did not go through the object stack, where reads are counted";
    EXPECT_LE(reads, std::size_t(keys) * 4) << keys << " keys";
}

}
