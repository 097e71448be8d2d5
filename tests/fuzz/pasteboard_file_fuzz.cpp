// Links: pf_foundation
// Writes arbitrary bytes as a board's file, as any process may, and holds
// the board's reads to what libplist's whole read of the file gives: the
// persistence flag of a list it reads (false unless the list parses to a
// dictionary whose "persistent" is a boolean true, looked up as the board
// looks it up, which matters for a dictionary holding the key twice) and
// the items of any file (read in place where the layout is the board's own). The items written back must
// read the same through libplist, and new items replace the old ones
// keeping the flag.
#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Pasteboard.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

struct WholeRead {
    // A list libplist could not read is an empty board, not persistent; the
    // flag read in place may still find one there.
    bool parsed = false;
    bool persistent = false;
    std::vector<pf::Pasteboard::Item> items;
};

// The board as libplist reads the whole file: only lists the platform
// agrees to read whole (shared or deeply nested containers are refused
// before libplist unfolds them); items are arrays of type and data in turn.
WholeRead wholeRead(const std::string& bytes)
{
    WholeRead out;
    if (bytes.empty() || bytes.size() > pf::Pasteboard::kMaxFileSize || pf::checkBinaryPropertyList(bytes))
        return out;
    plist_t root = nullptr;
    plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    out.parsed = root != nullptr;
    if (root && plist_get_node_type(root) == PLIST_DICT) {
        std::uint8_t value = 0;
        plist_t persistent = plist_dict_get_item(root, "persistent");
        if (persistent && plist_get_node_type(persistent) == PLIST_BOOLEAN)
            plist_get_bool_val(persistent, &value);
        out.persistent = value != 0;
        plist_t items = plist_dict_get_item(root, "items");
        for (std::uint32_t i = 0, n = items && plist_get_node_type(items) == PLIST_ARRAY ? plist_array_get_size(items) : 0;
             i < n; ++i) {
            plist_t item = plist_array_get_item(items, i);
            if (plist_get_node_type(item) != PLIST_ARRAY)
                continue;
            pf::Pasteboard::Item entry;
            for (std::uint32_t k = 0, m = plist_array_get_size(item); k + 1 < m; k += 2) {
                plist_t type = plist_array_get_item(item, k), data = plist_array_get_item(item, k + 1);
                if (plist_get_node_type(type) != PLIST_STRING || plist_get_node_type(data) != PLIST_DATA)
                    continue;
                std::uint64_t typeLength = 0, dataLength = 0;
                const char* text = plist_get_string_ptr(type, &typeLength);
                const auto* start = reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(data, &dataLength));
                entry.emplace_back(std::string(text, typeLength), start ? pf::Bytes(start, start + dataLength) : pf::Bytes());
            }
            out.items.push_back(std::move(entry));
        }
    }
    if (root)
        plist_free(root);
    return out;
}

std::string fileOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& folder = deviceFolder();
    auto board = pf::Pasteboard::withName("fuzz", true);
    if (!board)
        std::abort();
    std::string path = folder + "/pasteboards/fuzz.board";
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::trunc | std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    WholeRead expected = wholeRead(bytes);
    bool flag = board->isPersistent();
    if ((expected.parsed && flag != expected.persistent) || board->items() != expected.items)
        std::abort();
    // Written back as the board writes, in its own layout where the type
    // names are plain ASCII: libplist reads the same. Other names go through
    // libplist as they always did (which may refuse them or not read them
    // back as they were).
    bool plain = true;
    for (const auto& item : expected.items)
        for (const auto& [type, value] : item)
            for (unsigned char c : type)
                plain = plain && c != 0 && c < 0x80;
    bool written = board->modifyItems([](std::vector<pf::Pasteboard::Item>&) {});
    if (plain) {
        WholeRead again = wholeRead(fileOf(path));
        if (!written || again.persistent != expected.persistent || again.items != expected.items ||
            board->items() != expected.items)
            std::abort();
    }
    // The rewrite stored the flag of the whole read.
    bool kept = board->isPersistent();
    if (!board->setItems({{{"n", pf::Bytes{1}}}}) || board->isPersistent() != kept ||
        board->dataForPasteboardType("n") != pf::Bytes{1})
        std::abort();
    return 0;
}
