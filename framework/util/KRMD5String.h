#pragma once

// MD5 digests as 32 upper-case hexadecimal digits: device identifiers,
// downlink cache keys and behaviour session identifiers.

#include "platform/foundation/Forward.h"

#include <string>
#include <string_view>

std::string krMD5String(const pf::Bytes& data);
// The digest of the text's UTF-8 bytes.
std::string krMD5String(std::string_view text);
