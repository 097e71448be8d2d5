// Links: pf_foundation
// Writes arbitrary bytes as a board's file, as any process may: the
// persistence flag read in place must be the one a whole read gives (false
// unless the list parses to a dictionary whose "persistent" is a boolean
// true, looked up as the board looks it up, which matters for a dictionary
// holding the key twice), and new items replace the old ones keeping that flag.
#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Pasteboard.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string& deviceFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/zmr-board-fuzz-XXXXXX";
        std::string made = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", made.c_str(), 1);
        return made;
    }();
    return folder;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& folder = deviceFolder();
    auto board = pf::Pasteboard::withName("fuzz", true);
    if (!board)
        std::abort();
    std::ofstream(folder + "/pasteboards/fuzz.board", std::ios::trunc | std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    bool flag = board->isPersistent();
    // Only lists the platform agrees to read whole (shared or deeply nested
    // containers are refused before libplist unfolds them).
    if (!pf::checkBinaryPropertyList(std::string_view(reinterpret_cast<const char*>(data), size))) {
        plist_t root = nullptr;
        plist_from_bin(reinterpret_cast<const char*>(data), static_cast<std::uint32_t>(size), &root);
        if (root && plist_get_node_type(root) == PLIST_DICT) {
            std::uint8_t value = 0;
            plist_t persistent = plist_dict_get_item(root, "persistent");
            if (persistent && plist_get_node_type(persistent) == PLIST_BOOLEAN)
                plist_get_bool_val(persistent, &value);
            if (flag != (value != 0))
                std::abort();
        }
        if (root)
            plist_free(root);
    }
    if (!board->setItems({{{"n", pf::Bytes{1}}}}) || board->isPersistent() != flag ||
        board->dataForPasteboardType("n") != pf::Bytes{1})
        std::abort();
    return 0;
}
