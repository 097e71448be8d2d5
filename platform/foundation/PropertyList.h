#pragma once

// XML property lists (the configuration and the information dictionary),
// read with libxml2 with network access and entity loading off. dict, array,
// string, integer (a 64-bit number), real, true/false (Boolean numbers), date
// and data (base64) map onto Value.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

namespace pf {

ErrorOr<Value> parsePropertyList(std::string_view xml);
ErrorOr<Value> readPropertyListFile(const std::string& path);

// The XML text of a value that parsePropertyList() reads back equal: numbers
// made as Booleans become true/false, other integers integer, reals real
// ("nan", "inf" and "-inf" included); dates keep whole seconds. Null, nil,
// objects, text that is not UTF-8 or holds characters XML cannot carry (the
// C0 controls but tab, line feed and carriage return), and nesting deeper
// than the reader accepts are errors: nothing half-written is answered.
ErrorOr<std::string> writePropertyList(const Value& value);

}
