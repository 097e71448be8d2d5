#pragma once

// The two tints of the comment rows and of a user's posts: a row document's
// element "bg" is "#f8ece5" for an object at an even index of the source's
// objects and "#f7e3db" at an odd one. The place is found by identity, never
// by equality: two entries with the same text are two rows, each with its
// own tint.
//
// Main queue only.

#include "framework/dom/Forward.h"
#include "platform/foundation/Forward.h"

#include <cstddef>
#include <optional>

inline constexpr const char* kZMREvenRowColour = "#f8ece5";
inline constexpr const char* kZMROddRowColour = "#f7e3db";

// Where `object` itself stands in `objects`; nothing when it is not there
// or is no dictionary.
std::optional<std::size_t> ZMRIndexOfObjectIdenticalTo(const pf::Array& objects, const pf::Value& object);

// Tints the "bg" of `document` by the place of `row` in `objects`; leaves it
// alone without a "bg", without objects or when the row is not among them.
void ZMRTintRowDocument(KRDOMDocument& document, const pf::Value& row, const pf::Array* objects);
