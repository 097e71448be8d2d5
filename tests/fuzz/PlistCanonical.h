#pragma once

// The binary property list writer shares equal objects only as far as its
// hash table happens to find them, so two lists (or keyed archives) of one
// value may differ in bytes; libplist's XML form of them is canonical. It is
// compared as text, because a NaN inside never equals itself as a value.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <cstdlib>
#include <plist/plist.h>
#include <string>

// The XML form of a binary list; aborts when libplist cannot read it.
inline std::string canonicalPlist(const pf::Bytes& list)
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
