#pragma once

// The remaining deserializing entry points of the collector's JSON decoder:
// the string and data forms that ask for mutable results, and the parse…
// names of the decoder's own object… calls. Results are the platform's shared
// collections, mutable whichever form is used; every form fails as its
// object… counterpart does (nil, and the first error when asked for).

#include "platform/foundation/Forward.h"
#include "sdk/analytics/TXJKError.h"

#include <cstddef>
#include <string>

class TXJSONDecoder;

// Each with a fresh decoder (options 0 unless given).
pf::Value mutableObjectFromJSONString(const std::string& text, unsigned parseOptions = 0, TXJKError* error = nullptr);
pf::Value mutableObjectFromJSONData(const pf::Bytes& data, unsigned parseOptions = 0, TXJKError* error = nullptr);

// The same as decoder.objectWithUTF8String and decoder.objectWithData: the
// decoder's token cache serves both names.
pf::Value parseUTF8String(TXJSONDecoder& decoder, const char* string, std::size_t length, TXJKError* error = nullptr);
pf::Value parseJSONData(TXJSONDecoder& decoder, const pf::Bytes* data, TXJKError* error = nullptr);
