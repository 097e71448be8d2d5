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
// Reads an XML list, or a binary one (see BinaryPropertyList.h) when the
// file starts like one.
ErrorOr<Value> readPropertyListFile(const std::string& path);

}
