#pragma once

// Keyed archives of the share model's records. A record archives as one
// dictionary of its wire keys plus its class name under kClassKey; plain
// values (dictionaries of large data, texts, numbers) archive as they are.
// Boards are written by other applications, so reading is strict: only
// value classes pass the unarchiver, a dictionary naming a class resolves
// through a fixed table of the model's records (anything else reads as
// nil), and every field is type-checked by its record.
//
// Any thread; no shared state.

#include "platform/foundation/Object.h"

#include <cstddef>
#include <optional>

class ZZArchivedRecord : public pf::Object {
public:
    // The record's wire keys and kClassKey.
    virtual pf::DictionaryRef archiveDictionary() const = 0;
};

namespace ZZArchive {

inline constexpr const char* kClassKey = "$class";
inline constexpr std::size_t kMaxMessageSize = 16u << 20;
inline constexpr std::size_t kMaxRegistrySize = 1u << 20;
// Archives inside archives, the outermost counting one: a board's list, its
// element, a message's object.
inline constexpr int kMaxNesting = 3;

// Nothing for a value that has no archived form (an object that is no
// record, nil).
std::optional<pf::Bytes> archivedData(const pf::Value& root);
// A record object, a plain value, or nil when the data is no such archive,
// is over `maxSize`, names a class outside the table, lies deeper than
// kMaxNesting, or is not a record of `expectedClass` when one is given (the
// class is checked before the record is decoded).
pf::Value unarchive(const pf::Bytes& data, std::size_t maxSize, std::string_view expectedClass = {});
// The same for a root already unarchived.
pf::Value decodeRoot(const pf::Value& root, std::size_t maxSize);

// Typed reads of archived fields: nothing (or 0) for a missing value or
// one of another type.
std::optional<std::string> textField(const pf::Dictionary& fields, std::string_view key);
std::optional<pf::Bytes> dataField(const pf::Dictionary& fields, std::string_view key);
long long integerField(const pf::Dictionary& fields, std::string_view key);
// The same within int; 0 for a value outside it.
int intField(const pf::Dictionary& fields, std::string_view key);
// Absolute URL text; nothing when it is not a URL.
std::optional<pf::URL> urlField(const pf::Dictionary& fields, std::string_view key);

}
