#pragma once

// For tests of how a JSON parser's time grows with the keys of one object,
// and of keys chosen to meet in a hash index.

#include "platform/foundation/JsonObjectStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
// take not much more than ten times as long for ten times the keys (walking
// the earlier keys took fifty to a hundred times). The fastest of five runs
// counts: the least disturbed by the machine.
template <class Parse>
void expectTimeLinearInKeys(Parse parse, int keys = 1000)
{
    auto seconds = [&](int n) {
        std::string text = manyKeysObject(n);
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(parse(text), std::size_t(n));
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    double small = seconds(keys), large = seconds(keys * 10);
    EXPECT_LT(large, small * 25) << keys << " keys in " << small << " s, ten times as many in " << large << " s";
}

}
