// Links: pf_foundation
// Reads arbitrary bytes as a binary property list; whatever reads back
// writes, and the written list reads back to the same value and writes the
// same list again.
#include "platform/foundation/BinaryPropertyList.h"
#include "tests/fuzz/PlistCanonical.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string asText(const pf::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto value = pf::parseBinaryPropertyList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!value)
        return 0;
    auto written = pf::writeBinaryPropertyList(*value);
    if (!written)
        std::abort();
    auto again = pf::parseBinaryPropertyList(asText(*written));
    if (!again)
        std::abort();
    auto second = pf::writeBinaryPropertyList(*again);
    if (!second || canonicalPlist(*second) != canonicalPlist(*written))
        std::abort();
    return 0;
}
