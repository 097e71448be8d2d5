#pragma once

// Binary property lists ("bplist00") through libplist, beside the XML ones:
// the same values map the same way (dict, array, string, integer as a
// signed 64-bit number, real, true/false, date, data).
//
// Binary lists come from other programs (pasteboards, peer apps), so the
// reader is strict: before libplist sees the bytes their object graph is
// walked, and a list is refused when a reference leaves the object table,
// containers nest deeper than kMaxDepth, or shared containers would expand
// the tree beyond one node per input byte (a few kilobytes must not unfold
// into gigabytes), or data and text named more than once would unfold past
// 64 MiB (or the list's size, if larger), and a dictionary key that is not text or holds a NUL
// (libplist would stop the program). Strings that are not UTF-8 or hold a NUL, and types
// without a value here (UIDs, null, sets), are refused too.
//
// The writer refuses what the reader could not give back: nil, null,
// objects, unsigned integers beyond the signed 64-bit range, dates outside
// 1933-2069 (libplist keeps 32-bit seconds), strings with a NUL or not
// UTF-8, nesting past kMaxDepth. Dates keep microseconds, except that
// libplist cannot tell the last second before 2001 from the first one after
// it. Any thread; no shared state.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>

namespace pf {

inline constexpr unsigned kMaxBinaryPropertyListDepth = 256;

// True when `bytes` start like a binary property list.
bool isBinaryPropertyList(std::string_view bytes);
// The structural checks of parseBinaryPropertyList alone, for readers that
// hand the bytes to libplist themselves: nothing when libplist may read them.
std::optional<Error> checkBinaryPropertyList(std::string_view bytes);
ErrorOr<Value> parseBinaryPropertyList(std::string_view bytes);
ErrorOr<Bytes> writeBinaryPropertyList(const Value& value);

}
