#pragma once

// Base64 text in the standard alphabet with "=" padding and a line feed
// after every 76 characters; empty input gives empty text.

#include "platform/foundation/Forward.h"

#include <string>
#include <string_view>

std::string krBASE64String(const pf::Bytes& data);
// The base64 text of the text's UTF-8 bytes.
std::string krBASE64String(std::string_view text);
