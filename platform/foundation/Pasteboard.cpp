#include "platform/foundation/Pasteboard.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PasteboardFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <plist/plist.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {

constexpr const char* kGeneralName = "com.zomaru.pasteboard.general";

std::string escapeName(const std::string& name)
{
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

// Holds an flock on the board's lock file for one read or read-modify-write.
class BoardLock {
public:
    BoardLock(const std::string& path, int operation)
    {
        std::string lock = path + ".lock";
        m_fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0 && errno == ENOENT) {
            // The boards' folder is made on first use, not looked for on every one.
            createDirectories(path.substr(0, path.rfind('/')));
            m_fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        }
        if (m_fd >= 0)
            flock(m_fd, operation);
    }
    ~BoardLock()
    {
        if (m_fd >= 0) {
            flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    BoardLock(const BoardLock&) = delete;
    BoardLock& operator=(const BoardLock&) = delete;

private:
    int m_fd = -1;
};

struct Board {
    bool exists = false;
    bool persistent = false;
    std::vector<Pasteboard::Item> items;
};

// The board through libplist, whatever its layout.
Board readBoardWhole(const std::string& path)
{
    Board board;
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error)
        return board;
    board.exists = true;
    if (size == 0 || size > Pasteboard::kMaxFileSize)
        return board;
    auto bytes = readFile(path);
    if (!bytes || bytes->size() > Pasteboard::kMaxFileSize)
        return board;
    // Written by any process: shared or deeply nested containers would
    // unfold inside libplist before anything here could look.
    if (checkBinaryPropertyList({reinterpret_cast<const char*>(bytes->data()), bytes->size()}))
        return board;
    plist_t root = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(bytes->data()), static_cast<std::uint32_t>(bytes->size()), &root);
    if (!root)
        return board;
    if (plist_get_node_type(root) == PLIST_DICT) {
        if (plist_t flag = plist_dict_get_item(root, "persistent"); flag && plist_get_node_type(flag) == PLIST_BOOLEAN) {
            std::uint8_t b = 0;
            plist_get_bool_val(flag, &b);
            board.persistent = b;
        }
        plist_t items = plist_dict_get_item(root, "items");
        for (std::uint32_t i = 0, n = items && plist_get_node_type(items) == PLIST_ARRAY ? plist_array_get_size(items) : 0;
             i < n; ++i) {
            plist_t item = plist_array_get_item(items, i);
            if (plist_get_node_type(item) != PLIST_ARRAY)
                continue;
            Pasteboard::Item entry;
            for (std::uint32_t k = 0, m = plist_array_get_size(item); k + 1 < m; k += 2) {
                plist_t type = plist_array_get_item(item, k);
                plist_t data = plist_array_get_item(item, k + 1);
                if (plist_get_node_type(type) != PLIST_STRING || plist_get_node_type(data) != PLIST_DATA)
                    continue;
                std::uint64_t typeLength = 0, dataLength = 0;
                const char* typeText = plist_get_string_ptr(type, &typeLength);
                const char* dataBytes = plist_get_data_ptr(data, &dataLength);
                auto* start = reinterpret_cast<const std::uint8_t*>(dataBytes);
                if (typeText)
                    entry.emplace_back(std::string(typeText, typeLength), Bytes(start, start + (dataBytes ? dataLength : 0)));
            }
            board.items.push_back(std::move(entry));
        }
    }
    plist_free(root);
    return board;
}

// The board read in place where it is laid out as ours are, else whole.
Board readBoard(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return readBoardWhole(path);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return readBoardWhole(path);
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    if (size == 0 || size > Pasteboard::kMaxFileSize) {
        ::close(fd);
        return Board{true, false, {}};
    }
    auto board = PasteboardFileReader(fd, size).board();
    ::close(fd);
    if (!board)
        return readBoardWhole(path);
    return Board{true, board->first, std::move(board->second)};
}

// Whether the board exists and its persistence flag, without its items
// where the file allows.
Board readBoardFlag(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return readBoard(path);
    struct stat info {};
    std::optional<bool> flag;
    bool empty = false;
    if (fstat(fd, &info) == 0) {
        auto size = static_cast<std::uint64_t>(info.st_size);
        // Such boards read as empty and not persistent whole, too.
        empty = size == 0 || size > Pasteboard::kMaxFileSize;
        if (!empty)
            flag = PasteboardFileReader(fd, size).persistentFlag();
    }
    ::close(fd);
    if (empty)
        return Board{true, false, {}};
    if (!flag)
        return readBoard(path);
    return Board{true, *flag, {}};
}

// Writes the board with `items` (an array node, taken over) and the flag.
bool writeBoardNode(const std::string& path, bool persistent, plist_t items)
{
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "persistent", plist_new_bool(persistent));
    plist_dict_set_item(root, "items", items);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    plist_free(root);
    if (!bytes)
        return false;
    auto error = writeFileAtomically(path, std::string_view(bytes, length));
    plist_to_bin_free(bytes);
    return !error;
}

// Written from the items' own bytes where the layout allows; type names
// that are not plain ASCII go through libplist, which writes them as it
// always did.
bool writeBoard(const std::string& path, bool persistent, const std::vector<std::vector<PasteboardFileWriter::Entry>>& entries)
{
    PasteboardFileWriter writer;
    if (writer.encode(persistent, entries)) {
        auto parts = writer.parts();
        return !writeFileAtomically(path, parts);
    }
    plist_t items = plist_new_array();
    for (const auto& item : entries) {
        plist_t entry = plist_new_array();
        for (const auto& [type, data] : item) {
            plist_array_append_item(entry, plist_new_string(std::string(type).c_str()));
            plist_array_append_item(entry, plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
        }
        plist_array_append_item(items, entry);
    }
    return writeBoardNode(path, persistent, items);
}

bool writeBoard(const std::string& path, const Board& board)
{
    std::vector<std::vector<PasteboardFileWriter::Entry>> entries;
    entries.reserve(board.items.size());
    for (const auto& item : board.items) {
        auto& entry = entries.emplace_back();
        entry.reserve(item.size());
        for (const auto& [type, data] : item)
            entry.emplace_back(type, data);
    }
    return writeBoard(path, board.persistent, entries);
}

}

std::string Pasteboard::deviceDirectory()
{
    if (const char* dir = std::getenv("ZMR_DEVICE_DIR"); dir && *dir)
        return dir;
    return std::filesystem::path(homeDirectory()).parent_path().append("device").string();
}

std::string Pasteboard::path() const { return deviceDirectory() + "/pasteboards/" + escapeName(m_name) + ".board"; }

std::shared_ptr<Pasteboard> Pasteboard::general()
{
    auto board = withName(kGeneralName, true);
    return board;
}

std::shared_ptr<Pasteboard> Pasteboard::withName(const std::string& name, bool create)
{
    if (name.empty())
        return nullptr;
    std::shared_ptr<Pasteboard> board(new Pasteboard(name));
    std::string file = board->path();
    if (fileExists(file))
        return board;
    if (!create)
        return nullptr;
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    if (!fileExists(file) && !writeBoard(file, Board{true, false, {}}))
        return nullptr;
    return board;
}

std::shared_ptr<Pasteboard> Pasteboard::withUniqueName()
{
    std::random_device device;
    char name[64];
    for (;;) {
        std::snprintf(name, sizeof name, "com.zomaru.pasteboard.unique.%08x%08x", device(), device());
        if (!withName(name, false))
            return withName(name, true);
    }
}

void Pasteboard::removePasteboardWithName(const std::string& name)
{
    Pasteboard board(name);
    std::string file = board.path();
    BoardLock lock(file, LOCK_EX);
    std::remove(file.c_str());
}

// Plain reads take no lock: a board is only ever replaced by a rename, so
// the file a reader opened is the old board or the new one, whole.
bool Pasteboard::isPersistent() const { return readBoardFlag(path()).persistent; }

void Pasteboard::setPersistent(bool persistent)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    // Users mark a board persistent on every use; reading, rewriting (and
    // syncing) a board of megabytes to store the flag it already has costs
    // more than the exchange itself.
    Board flag = readBoardFlag(file);
    if (flag.exists && flag.persistent == persistent)
        return;
    Board board = readBoard(file);
    board.persistent = persistent;
    writeBoard(file, board);
}

std::vector<Pasteboard::Item> Pasteboard::items() const { return readBoard(path()).items; }

bool Pasteboard::setItems(std::vector<Item> items)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    // The old items are replaced unread; only the flag stays.
    Board board = readBoardFlag(file);
    board.items = std::move(items);
    return writeBoard(file, board);
}

bool Pasteboard::setItems(std::vector<Item> items, bool persistent)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    // Both are replaced: nothing of the old board is read.
    return writeBoard(file, Board{true, persistent, std::move(items)});
}

bool Pasteboard::modifyItems(const std::function<void(std::vector<Item>&)>& change)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    Board board = readBoard(file);
    change(board.items);
    return writeBoard(file, board);
}

bool Pasteboard::modifyItemsIfChanged(const std::function<bool(std::vector<Item>&)>& change)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    Board board = readBoard(file);
    return !change(board.items) || writeBoard(file, board);
}

bool Pasteboard::modifyItemsIfChanged(const std::function<bool(std::vector<Item>&)>& change, bool persistent)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    Board board = readBoard(file);
    bool changed = change(board.items);
    if (!changed && board.exists && board.persistent == persistent)
        return true;
    board.persistent = persistent;
    return writeBoard(file, board);
}

std::optional<Bytes> Pasteboard::dataForPasteboardType(const std::string& type) const
{
    for (const Item& item : items())
        for (const auto& [itemType, data] : item)
            if (itemType == type)
                return data;
    return std::nullopt;
}

bool Pasteboard::setData(const Bytes& data, const std::string& type)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    // Written from the caller's bytes: a picture of megabytes is not copied
    // into an item first.
    return writeBoard(file, readBoardFlag(file).persistent, {{{type, data}}});
}

bool Pasteboard::setData(const Bytes& data, const std::string& type, bool persistent)
{
    std::string file = path();
    BoardLock lock(file, LOCK_EX);
    // Both are replaced: nothing of the old board is read.
    return writeBoard(file, persistent, {{{type, data}}});
}

}
