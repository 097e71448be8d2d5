// Links: kr_core
// Scans arbitrary bytes with the C scanner (checking that every handle is
// released exactly once and that keys and strings arrive as valid UTF-8)
// and with KRJSON, then encodes what was decoded: a container written whole
// must read as closed, and cut by one byte as not closed.
#include "framework/core/KRJSON.h"
#include "framework/util/json_scan.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Counter {
    std::vector<int> releases; // per handle, handle = index + 1
};

void* make(void* user)
{
    auto* c = static_cast<Counter*>(user);
    c->releases.push_back(0);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(c->releases.size()));
}

const json_callbacks table = {
    [](const json_callbacks*, void* user) { return make(user); },
    [](const json_callbacks*, void*, const char* key, uint32_t length, void*, void*) {
        if (!pf::isValidUtf8(std::string_view(key, length)))
            std::abort();
    },
    [](const json_callbacks*, void* user) { return make(user); },
    [](const json_callbacks*, void*, void* value, void*) {
        if (!value)
            std::abort();
    },
    [](const json_callbacks*, const char*, uint32_t, void* user) { return make(user); },
    [](const json_callbacks*, const char* bytes, uint32_t length, byte_buffer*, void* user) {
        if (!pf::isValidUtf8(std::string_view(bytes, length)))
            std::abort();
        return make(user);
    },
    [](const json_callbacks*, int, void* user) { return make(user); },
    [](const json_callbacks*, void* user) { return make(user); },
    [](const json_callbacks*, void* value, void* user) {
        static_cast<Counter*>(user)->releases.at(reinterpret_cast<uintptr_t>(value) - 1)++;
    },
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    Counter counter;
    uintptr_t root = reinterpret_cast<uintptr_t>(json_scan(&table, text.c_str(), &counter));
    for (size_t i = 0; i < counter.releases.size(); i++)
        if (counter.releases[i] != (i + 1 == root ? 0 : 1))
            std::abort();

    auto decoded = KRJSON::decodeTextAndEnd(text);
    if (decoded.closed && decoded.value.isNil())
        std::abort();
    std::string encoded = KRJSON::encodeObject(decoded.value);
    auto again = KRJSON::decodeTextAndEnd(encoded);
    if (decoded.value.isDictionary() || decoded.value.isArray()) {
        if (!again.closed)
            std::abort();
        encoded.pop_back();
        if (KRJSON::decodeTextAndEnd(encoded).closed)
            std::abort();
    }
    return 0;
}
