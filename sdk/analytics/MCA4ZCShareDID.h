#pragma once

// A device identifier shared by the cooperating applications of a device:
// 40 lower-case hexadecimal digits, kept in this application's user
// defaults ("ShareDID") and redundantly in one of 100 persistent pasteboard
// slots that every cooperating application reads and writes. The first
// call adopts the identifier most slots agree on (or makes one), claims a
// free slot once, and caches the answer for the process.
//
// Slots are written by other applications and are untrusted: a slot counts
// only when it holds a keyed archive (at most 64 KiB) of a dictionary whose
// "ShareDID" is 40 lower-case hexadecimal digits.
//
// Any thread; the cache is guarded by a mutex, the first call runs under it.

#include "platform/foundation/Forward.h"

#include <memory>
#include <string>

namespace pf {
class Pasteboard;
}

struct MCA4ZCShareDIDResult {
    std::string value;
    long long code = 0; // 0 found, 1 opted out, 2 slots disagree with the stored identifier
    std::string description;
};

class MCA4ZCShareDID {
public:
    static constexpr const char* kSlotPrefix = "com.zomaru.sharedid";
    static constexpr const char* kErrorDomain = "com.zomaru.sharedid";
    static constexpr int kSlotCount = 100;
    static constexpr std::size_t kMaxArchiveSize = 64 * 1024;

    static std::string value();
    static MCA4ZCShareDIDResult valueWithError();
    static void setOptOut(bool optOut);

    static pf::DictionaryRef getDictFromPasteboard(const pf::Pasteboard& board);
    static void setDictForPasteboard(const pf::Dictionary& dict, pf::Pasteboard& board);
    static std::string generateFreshShareDID();
    static std::string slotName(int slot);
    static bool isValidShareDID(const std::string& text);
    // Forgets the cached identifier (tests simulate a restart).
    static void clearCache();
};
