#pragma once

// One parse of one text for TXJSONDecoder: recursive descent over the
// bytes, escaped strings answered from the decoder's token cache.

#include "platform/foundation/Value.h"
#include "sdk/analytics/TXJKError.h"

#include <cstddef>

class TXJSONDecoder;

// Nil on failure, with the first error in `error` when given.
pf::Value txjkParse(TXJSONDecoder& decoder, const char* text, std::size_t length, TXJKError* error);
