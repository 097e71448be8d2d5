#pragma once

// For tests of how a JSON parser's time grows with the keys of one object.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>

namespace pf::testing {

// {"k0":1,…,"k<n-1>":1}.
inline std::string manyKeysObject(int keys)
{
    std::string text = "{";
    for (int i = 0; i < keys; ++i)
        text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":1";
    return text + "}";
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
