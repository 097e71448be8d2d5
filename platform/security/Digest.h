#pragma once

// Message digests. Any thread.

#include "platform/foundation/Forward.h"

#include <string>
#include <string_view>

namespace pf {

inline constexpr std::size_t sha1Length = 20;

// The 20-byte SHA-1 digest of the bytes.
Bytes sha1(std::string_view bytes);
Bytes sha1(const Bytes& bytes);
// The same digest as 40 lower-case hexadecimal characters.
std::string sha1Hex(std::string_view bytes);
std::string sha1Hex(const Bytes& bytes);

}
