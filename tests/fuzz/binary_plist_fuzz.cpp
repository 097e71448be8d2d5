// Links: pf_foundation
// Reads arbitrary bytes as a binary property list; whatever reads back
// writes, and the written list reads back to the same value and writes the
// same list again.
#include "platform/foundation/BinaryPropertyList.h"

#include <cstdint>
#include <cstdlib>
#include <plist/plist.h>
#include <string>

namespace {

std::string asText(const pf::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The writer shares equal scalars only as far as its hash table finds them,
// so equal values may differ in bytes; libplist's XML form is canonical (and
// compares NaNs, which values do not).
std::string canonical(const pf::Bytes& list)
{
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(list.data()), static_cast<std::uint32_t>(list.size()), &node);
    if (!node)
        std::abort();
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    std::string out(xml ? xml : "", xml ? length : 0);
    plist_to_xml_free(xml);
    plist_free(node);
    return out;
}

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
    if (!second || canonical(*second) != canonical(*written))
        std::abort();
    return 0;
}
