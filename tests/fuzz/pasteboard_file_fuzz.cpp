// Links: pf_foundation
// Writes arbitrary bytes as a board's file, as any process may: the
// persistence flag read in place must be the one a whole read gives (false
// unless the list parses to a dictionary whose "persistent" is a boolean),
// and new items replace the old ones keeping that flag.
#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"

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
    auto whole = pf::parseBinaryPropertyList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (whole && (*whole).dictionary()) {
        pf::Value persistent = (*whole).dictionary()->get("persistent");
        bool expected = persistent.number() && persistent.number()->type == pf::NumberType::Bool && persistent.boolValue();
        if (flag != expected)
            std::abort();
    }
    if (!board->setItems({{{"n", pf::Bytes{1}}}}) || board->isPersistent() != flag ||
        board->dataForPasteboardType("n") != pf::Bytes{1})
        std::abort();
    return 0;
}
