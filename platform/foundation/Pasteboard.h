#pragma once

// Pasteboards shared between the applications of one device: the general
// board and named boards. Each board is one file under the device folder
// ($ZMR_DEVICE_DIR, default: "device" beside the home directory), written
// whole to a temporary file and renamed over the old one, so peers in other
// processes never see a half-written board; every write and
// read-modify-write holds an flock on the board's lock file, so no peer's
// write lands between its read and its write. Reads are capped at
// 32 MiB: a larger file reads as an empty board.
//
// A board holds items in order; each item is an ordered map from a type
// name to data. Any thread; every call goes to the file.

#include "platform/foundation/Forward.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pf {

class Pasteboard {
public:
    using Item = std::vector<std::pair<std::string, Bytes>>;
    static constexpr std::size_t kMaxFileSize = 32u << 20;

    static std::shared_ptr<Pasteboard> general();
    // Null when `create` is false and no such board exists, or the name is empty.
    static std::shared_ptr<Pasteboard> withName(const std::string& name, bool create);
    static std::shared_ptr<Pasteboard> withUniqueName();
    static void removePasteboardWithName(const std::string& name);
    // $ZMR_DEVICE_DIR, or "device" beside the home directory.
    static std::string deviceDirectory();

    const std::string& name() const { return m_name; }
    bool isPersistent() const;
    void setPersistent(bool persistent);

    std::vector<Item> items() const;
    // Replaces the items, keeping the persistence flag; false when the board
    // could not be written.
    bool setItems(std::vector<Item> items);
    // Replaces the items and the persistence flag in one locked write.
    bool setItems(std::vector<Item> items, bool persistent);
    // Reads the items, lets `change` edit them and writes them back under one
    // exclusive lock, so no peer's write lands between the read and the
    // write (taking a slot's value and clearing it, adding to a shared
    // list). `change` must not call this board. False when the board could
    // not be written.
    bool modifyItems(const std::function<void(std::vector<Item>&)>& change);
    // As modifyItems, but the board is written back only when `change`
    // answers true (a board it left as it was is not rewritten and synced
    // again). False only when a write was due and failed.
    bool modifyItemsIfChanged(const std::function<bool(std::vector<Item>&)>& change);
    // As above, and the board ends with the persistence flag `persistent`,
    // set in the same locked write: it is written back also when only the
    // flag differs (for users that mark a board persistent on every use).
    bool modifyItemsIfChanged(const std::function<bool(std::vector<Item>&)>& change, bool persistent);
    // The data of `type` in the first item that has it.
    std::optional<Bytes> dataForPasteboardType(const std::string& type) const;
    // Replaces the board's items with one item holding `type`, keeping the
    // persistence flag; false when the board could not be written.
    bool setData(const Bytes& data, const std::string& type);
    // Replaces the items with one item holding `type` and the persistence
    // flag in one locked write.
    bool setData(const Bytes& data, const std::string& type, bool persistent);

private:
    explicit Pasteboard(std::string name) : m_name(std::move(name)) {}
    std::string path() const;
    std::string m_name;
};

}
