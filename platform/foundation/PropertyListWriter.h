#pragma once

// Writes XML property lists that parsePropertyList reads back: dictionaries,
// arrays, strings, numbers (Booleans as true/false, integers, reals), dates
// (whole seconds, UTC) and data (base64). Nil, null, objects, non-finite
// reals, integers above the signed 64-bit range and strings XML cannot carry
// (control characters, text that is not UTF-8) fail with an error naming what
// was refused. Any thread.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace pf {

ErrorOr<std::string> writePropertyList(const Value& value);
// Replaces the file in one step: a reader sees the old list or the new one.
std::optional<Error> writePropertyListFile(const std::string& path, const Value& value);

}
