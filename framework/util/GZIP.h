#pragma once

// Gzip compression and decompression of data with zlib.

#include "platform/foundation/Forward.h"

#include <cstddef>
#include <optional>

// Gzip format (header and trailer) at the default level; nullopt only when
// the compressor cannot be set up.
std::optional<pf::Bytes> GZIPEncode(const pf::Bytes& data);
// Accepts gzip and zlib streams. Nullopt for anything but one complete,
// correct stream, and when the output would pass `maxOutput` bytes (0: no
// limit beyond memory).
std::optional<pf::Bytes> GZIPDecode(const pf::Bytes& data, std::size_t maxOutput = 0);
