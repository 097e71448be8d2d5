// Links: pf_foundation
// Unarchives arbitrary bytes as a keyed archive (under the 64 KiB cap that
// pasteboard readers use); whatever reads back archives and reads back to
// the same value.
#include "platform/foundation/KeyedArchiver.h"

#include <cstdint>
#include <cstdlib>
#include <plist/plist.h>
#include <set>
#include <string>

namespace {

// The binary writer shares equal objects only as far as its hash table
// happens to find them, so two archives of one value may differ in bytes;
// their XML form is canonical. (Compared as text because a NaN inside never
// equals itself as a value.)
std::string canonical(const pf::Bytes& archive)
{
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(archive.data()), static_cast<std::uint32_t>(archive.size()), &node);
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
    static const std::set<std::string> classes{"Dictionary", "Array", "String", "Number", "Date", "Data", "Null"};
    pf::Bytes bytes(data, data + size);
    auto value = pf::KeyedUnarchiver::unarchiveObjectWithData(bytes, classes, 64 * 1024);
    if (!value)
        return 0;
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(*value);
    if (!archive)
        std::abort();
    auto again = pf::KeyedUnarchiver::unarchiveObjectWithData(*archive, classes, archive->size());
    if (!again)
        std::abort();
    auto second = pf::KeyedArchiver::archivedDataWithRootObject(*again);
    if (!second || canonical(*second) != canonical(*archive))
        std::abort();
    return 0;
}
