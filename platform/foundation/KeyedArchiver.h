#pragma once

// Keyed archives of values: our own format, a binary property list whose
// root names the archiver and holds the value tree, each node tagged with
// its class ("Dictionary", "Array", "String", "Number", "Date", "Data",
// "Null"; a decimal is a Number holding its digits as text). Archives cross
// process boundaries (pasteboards), so the reader is strict: each call names
// the classes it accepts, archives over the caller's size cap or nested
// deeper than kMaxDepth are refused, and any node of another shape makes the
// whole archive unreadable.
//
// Any thread; no shared state.

#include "platform/foundation/Value.h"

#include <optional>
#include <set>
#include <string>

namespace pf {

class KeyedArchiver {
public:
    static constexpr int kMaxDepth = 64;
    // Nothing for values that have no archived form (objects, nil) or
    // nesting past kMaxDepth.
    static std::optional<Bytes> archivedDataWithRootObject(const Value& root);
};

class KeyedUnarchiver {
public:
    static constexpr std::size_t kDefaultMaxSize = 1 << 20;
    // Every class of the format: values only, the readers' usual allow-list.
    static const std::set<std::string>& valueClasses();
    // The root value, or nothing when the data is not such an archive, is
    // larger than `maxSize`, or holds a class outside `allowedClasses`.
    static std::optional<Value> unarchiveObjectWithData(const Bytes& data, const std::set<std::string>& allowedClasses,
                                                        std::size_t maxSize = kDefaultMaxSize);

    // Bytes this thread has asked to unarchive, within the caps: lets tests
    // check that archives nested in archives are not read once per level.
    static std::size_t readBytesForTesting();
};

}
