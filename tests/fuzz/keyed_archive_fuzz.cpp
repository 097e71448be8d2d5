// Links: pf_foundation
// Unarchives arbitrary bytes as a keyed archive (under the 64 KiB cap that
// pasteboard readers use); whatever reads back archives and reads back to
// the same value.
#include "platform/foundation/KeyedArchiver.h"
#include "tests/fuzz/PlistCanonical.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

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
    if (!second || canonicalPlist(*second) != canonicalPlist(*archive))
        std::abort();
    return 0;
}
