#pragma once

// A process-wide store where the SDK parks archivable values under text
// keys, so that its scripts, which pass only strings, can refer to them, ask
// their archived size and put them on the general pasteboard.
//
// Keys are "<class>_<n>", the class being the value's archive class
// ("String", "Dictionary", …) and n a per-class counter that only grows, so
// a new value never takes (and overwrites) a live key. A key resolves by
// cutting it at its last "_". Archivable means the keyed archiver has a form
// for the value. Nothing ever clears the store: removeObjectFromDataMgr and
// removeAllObject do nothing and answer true.
//
// Main queue only.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

class CorvanaDataMgr {
public:
    // The pasteboard type of a stored value is this prefix followed directly
    // by its key.
    static constexpr const char* kPasteboardTypePrefix = "com.zomaru.zzsdk.data.";

    static CorvanaDataMgr& getInstance();

    // Nothing for a value the archiver cannot write.
    std::optional<std::string> addObjectInDataMgr(const pf::Value& object);
    // Nil for no key, a key without "_" or one whose last "_" comes first.
    pf::Value objByKey(const std::optional<std::string>& key) const;
    // True whenever the key has a class part, whether or not it held a value.
    bool removeKeyFromDataMgr(const std::optional<std::string>& key);
    bool removeObjectFromDataMgr(const std::optional<std::string>&) { return true; }
    bool removeAllObject() { return true; }
    // The archive's length in bytes; 0 for an unknown key.
    std::uint32_t objSize(const std::optional<std::string>& key) const;
    // The pasteboard type the archive was placed under; nothing when the key
    // holds nothing.
    std::optional<std::string> addObjectInPastboard(const std::optional<std::string>& key);

    // The archive class name of a value, as keys use it.
    static std::string className(const pf::Value& object);

private:
    struct Shelf {
        std::uint32_t next = 0;
        std::map<std::string, pf::Value> objects;
    };
    std::map<std::string, Shelf> m_dataDic;
};
