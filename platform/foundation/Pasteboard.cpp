#include "platform/foundation/Pasteboard.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/FileSystem.h"

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
        m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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

Board readBoard(const std::string& path)
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

// Reads a binary property list's objects by position, each read bounded by
// the object area; every call answers nothing when the file is not laid
// out as expected.
class PlistPeek {
public:
    PlistPeek(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

    // The top object's offset; checks the header and the trailer first.
    std::optional<std::uint64_t> open()
    {
        unsigned char header[8], trailer[32];
        if (m_size < sizeof header + sizeof trailer || !read(0, header, sizeof header) ||
            std::memcmp(header, "bplist00", 8) != 0 || !read(m_size - sizeof trailer, trailer, sizeof trailer))
            return std::nullopt;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objects = number(trailer + 8, 8);
        std::uint64_t top = number(trailer + 16, 8);
        m_table = number(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || m_objects == 0 ||
            m_objects > m_size || top >= m_objects || m_table < sizeof header || m_table > m_size - sizeof trailer ||
            m_objects * m_offsetSize > m_size - sizeof trailer - m_table)
            return std::nullopt;
        return offsetOf(top);
    }
    std::optional<std::uint64_t> offsetOf(std::uint64_t object)
    {
        unsigned char bytes[8];
        if (object >= m_objects || !read(m_table + object * m_offsetSize, bytes, m_offsetSize))
            return std::nullopt;
        std::uint64_t offset = number(bytes, m_offsetSize);
        if (offset < 8 || offset >= m_table)
            return std::nullopt;
        return offset;
    }
    // Within the object area only.
    bool read(std::uint64_t at, unsigned char* out, std::size_t length)
    {
        if (at > m_size || length > m_size - at)
            return false;
        return ::pread(m_fd, out, length, static_cast<off_t>(at)) == static_cast<ssize_t>(length);
    }
    bool readObjectBytes(std::uint64_t at, unsigned char* out, std::size_t length)
    {
        return at <= m_table && length <= m_table - at && read(at, out, length);
    }
    static std::uint64_t number(const unsigned char* bytes, std::size_t length)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value = value << 8 | bytes[i];
        return value;
    }
    unsigned refSize() const { return m_refSize; }

private:
    int m_fd;
    std::uint64_t m_size;
    unsigned m_offsetSize = 0, m_refSize = 0;
    std::uint64_t m_objects = 0, m_table = 0;
};

// The board's "persistent" flag read in place: the trailer, the top
// dictionary's references and the flag's key and value, a few dozen bytes
// instead of a board that may hold megabytes. Nothing when the board is not
// laid out as ours are (a dictionary of a few keys with an ASCII key
// "persistent" and a boolean): the caller then reads it whole.
std::optional<bool> peekPersistentFlag(int fd, std::uint64_t size)
{
    constexpr std::size_t kMaxKeys = 16;
    static constexpr unsigned char kKey[] = {0x5A, 'p', 'e', 'r', 's', 'i', 's', 't', 'e', 'n', 't'};
    PlistPeek peek(fd, size);
    auto top = peek.open();
    unsigned char marker = 0;
    if (!top || !peek.readObjectBytes(*top, &marker, 1) || marker >> 4 != 0xD || (marker & 0xF) == 0xF)
        return std::nullopt;
    std::size_t count = marker & 0xF;
    unsigned char refs[2 * kMaxKeys * 8];
    if (count > kMaxKeys || !peek.readObjectBytes(*top + 1, refs, 2 * count * peek.refSize()))
        return std::nullopt;
    std::optional<bool> flag;
    for (std::size_t k = 0; k < count; ++k) {
        unsigned char key[sizeof kKey];
        auto keyAt = peek.offsetOf(PlistPeek::number(refs + k * peek.refSize(), peek.refSize()));
        if (!keyAt || !peek.readObjectBytes(*keyAt, key, sizeof key) || std::memcmp(key, kKey, sizeof key) != 0)
            continue;
        unsigned char value = 0;
        auto valueAt = peek.offsetOf(PlistPeek::number(refs + (count + k) * peek.refSize(), peek.refSize()));
        // Which of two such keys counts is the parser's business.
        if (flag || !valueAt || !peek.readObjectBytes(*valueAt, &value, 1) || (value != 0x08 && value != 0x09))
            return std::nullopt;
        flag = value == 0x09;
    }
    return flag;
}

// Whether the board exists and its persistence flag, without its items
// where the file allows (peekPersistentFlag).
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
            flag = peekPersistentFlag(fd, size);
    }
    ::close(fd);
    if (empty)
        return Board{true, false, {}};
    if (!flag)
        return readBoard(path);
    return Board{true, *flag, {}};
}

plist_t itemNode(const std::string& type, const Bytes& data, plist_t entry)
{
    plist_array_append_item(entry, plist_new_string(type.c_str()));
    plist_array_append_item(entry, plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
    return entry;
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

bool writeBoard(const std::string& path, const Board& board)
{
    plist_t items = plist_new_array();
    for (const auto& item : board.items) {
        plist_t entry = plist_new_array();
        for (const auto& [type, data] : item)
            itemNode(type, data, entry);
        plist_array_append_item(items, entry);
    }
    return writeBoardNode(path, board.persistent, items);
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

bool Pasteboard::isPersistent() const
{
    BoardLock lock(path(), LOCK_SH);
    return readBoardFlag(path()).persistent;
}

void Pasteboard::setPersistent(bool persistent)
{
    std::string file = path();
    createDirectories(deviceDirectory() + "/pasteboards");
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

std::vector<Pasteboard::Item> Pasteboard::items() const
{
    BoardLock lock(path(), LOCK_SH);
    return readBoard(path()).items;
}

bool Pasteboard::setItems(std::vector<Item> items)
{
    std::string file = path();
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    // The old items are replaced unread; only the flag stays.
    Board board = readBoardFlag(file);
    board.items = std::move(items);
    return writeBoard(file, board);
}

bool Pasteboard::setItems(std::vector<Item> items, bool persistent)
{
    std::string file = path();
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    // Both are replaced: nothing of the old board is read.
    return writeBoard(file, Board{true, persistent, std::move(items)});
}

bool Pasteboard::modifyItems(const std::function<void(std::vector<Item>&)>& change)
{
    std::string file = path();
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    Board board = readBoard(file);
    change(board.items);
    return writeBoard(file, board);
}

bool Pasteboard::modifyItemsIfChanged(const std::function<bool(std::vector<Item>&)>& change)
{
    std::string file = path();
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    Board board = readBoard(file);
    return !change(board.items) || writeBoard(file, board);
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
    createDirectories(deviceDirectory() + "/pasteboards");
    BoardLock lock(file, LOCK_EX);
    // Written from the caller's bytes: a picture of megabytes is not copied
    // into an item first.
    plist_t items = plist_new_array();
    plist_array_append_item(items, itemNode(type, data, plist_new_array()));
    return writeBoardNode(file, readBoardFlag(file).persistent, items);
}

}
