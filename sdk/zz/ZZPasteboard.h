#pragma once

// Named, persistent boards that the share model shares with the ZZ app: an
// object board holds one archived value, an array board one archived
// ZZDataArray. The data lies under the board's name as its type, on the
// named board and, for the general-board calls, on the general board.
//
// Other applications write these boards, so reads are capped (maxReadSize:
// data over it reads as nothing) and decode only the share model's records
// (ZZArchive.h). An array-board change is one locked read-modify-write of
// pf::Pasteboard, so a peer's change in another process is never lost; a
// stored list that is over the cap or does not decode is left as it is and
// the change fails, rather than being replaced by a list of ours alone,
// which would wipe the other applications' entries.
//
// Boards are had through ZZPasteboardMgr. Main queue only.

#include "platform/foundation/Object.h"
#include "sdk/zz/ZZArchive.h"

#include <functional>
#include <string>
#include <vector>

namespace pf {
class Pasteboard;
}
class ZZDataArray;

class ZZPasteboard : public pf::Object {
public:
    ZZPasteboard(std::string name, std::size_t maxReadSize) : m_name(std::move(name)), m_maxReadSize(maxReadSize) {}
    const std::string& name() const { return m_name; }
    std::size_t maxReadSize() const { return m_maxReadSize; }
    void setMaxReadSize(std::size_t size) { m_maxReadSize = size; }
    // Removes the data under the name from the named and the general board.
    void clear();

    // Takes the data of `type` off `board` in one locked step, so that two
    // readers never both take it: what `decode` makes of it, which is
    // removed only when not nil. Data over `maxSize` is neither decoded nor
    // removed.
    static pf::Value takeDecoded(pf::Pasteboard& board, const std::string& type, std::size_t maxSize,
                                 const std::function<pf::Value(const pf::Bytes&)>& decode);

protected:
    // The named board, made if missing and marked persistent; null when the
    // device folder cannot be written.
    std::shared_ptr<pf::Pasteboard> board() const;
    // The data under the name, nothing when absent or over the cap.
    std::optional<pf::Bytes> storedData(const pf::Pasteboard& board) const;

private:
    std::string m_name;
    std::size_t m_maxReadSize;
    mutable bool m_markedPersistent = false;
};

class ZZObjectPasteboard final : public ZZPasteboard {
public:
    using ZZPasteboard::ZZPasteboard;
    // Stores the archive of the value (nil removes it). False when the board
    // cannot be had or the value has no archive.
    bool setObject(const pf::Value& object);
    // Replaces the general board's content with the archive, typed by the name.
    bool setObjectByGeneralPastboard(const pf::Value& object);
    // Nil when nothing is stored, the data is over the cap or does not decode.
    pf::Value object() const;
    pf::Value objectFromGeneralPastboard() const;
    // Reads and removes the stored value in one locked step, so that two
    // readers never both take it. Nothing is removed unless it decoded.
    pf::Value takeObject();
};

class ZZArrayPasteboard final : public ZZPasteboard {
public:
    using ZZPasteboard::ZZPasteboard;
    // One locked read-modify-write: `change` sees the stored list (an empty
    // one when nothing is stored) and answers whether to write it back.
    // False, changing nothing, when the board cannot be had, the stored list
    // is over the cap or does not decode, or `change` declined.
    bool modifyList(const std::function<bool(ZZDataArray&)>& change);

    // Nil is ignored (false).
    bool addObject(const pf::Value& object);
    // False when nothing is stored or the index is out of range.
    bool removeObjectAtIndex(long long index);
    bool replaceObjectAtIndex(long long index, const pf::Value& object);
    // Replaces the whole list.
    bool setObjectArray(const std::vector<pf::Value>& objects);
    // The stored list's objects (a bad element is Value::null()); nothing
    // when no list is stored or it does not decode.
    std::optional<std::vector<pf::Value>> objectArray() const;
};

// The process's boards by name, made on first request and kept for the
// process. A name belongs to the kind of board first asked for it.
class ZZPasteboardMgr {
public:
    static ZZPasteboardMgr& instance();
    // Null for an empty name or a name that belongs to an array board.
    std::shared_ptr<ZZObjectPasteboard> getObjectPasteboardByName(const std::string& name);
    // Null for an empty name or a name that belongs to an object board.
    std::shared_ptr<ZZArrayPasteboard> getArrayPasteboardByName(const std::string& name);
    std::size_t boardCount() const { return m_boards.size(); }

private:
    std::vector<std::shared_ptr<ZZPasteboard>> m_boards;
};
