#pragma once

// The collector's own JSON encoder: pf::Value to compact or pretty UTF-8
// JSON. Values of kinds JSON has no form for (data, dates, objects, nil)
// go through the caller's formatter when one is given, else fail.
// Every failure answers nothing and records the first error (domain
// "TXJKErrorDomain", code -1). Each call has its own state; any thread.

#include "platform/foundation/Value.h"
#include "sdk/analytics/TXJKError.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

enum TXJKSerializeOption : unsigned {
    TXJKSerializeOptionNone = 0,
    TXJKSerializeOptionPretty = 1,
    TXJKSerializeOptionEscapeUnicode = 2,
    TXJKSerializeOptionEscapeForwardSlashes = 16,
};

enum TXJKEncodeOption : unsigned {
    TXJKEncodeOptionAsData = 1,
    TXJKEncodeOptionAsString = 2,
    TXJKEncodeOptionCollectionObj = 8,
    TXJKEncodeOptionStringObj = 16,
    TXJKEncodeOptionStringObjTrimQuotes = 32,
};

// Answers the value to encode in place of one JSON cannot hold.
using TXJKFormatter = std::function<pf::Value(const pf::Value&)>;

class TXJKSerializer {
public:
    // The bytes of the encoding (as data or as a string, which must then be
    // valid UTF-8), or nothing with `error` filled.
    static std::optional<std::string> serializeObject(const pf::Value& object, unsigned serializeOptions,
                                                      unsigned encodeOption, const TXJKFormatter& formatter = {},
                                                      TXJKError* error = nullptr);
};

// Arrays and dictionaries (encode options 9 and 10).
std::optional<std::string> JSONString(const pf::Value& collection);
std::optional<std::string> JSONStringWithOptions(const pf::Value& collection, unsigned serializeOptions,
                                                 TXJKError* error = nullptr, const TXJKFormatter& formatter = {});
std::optional<pf::Bytes> JSONDataWithOptions(const pf::Value& collection, unsigned serializeOptions,
                                             TXJKError* error = nullptr, const TXJKFormatter& formatter = {});
// A string on its own (encode options 17/18, or 49/50 without quotes).
std::optional<std::string> JSONStringWithOptions(std::string_view string, unsigned serializeOptions,
                                                 bool includeQuotes, TXJKError* error = nullptr);
std::optional<pf::Bytes> JSONDataWithOptions(std::string_view string, unsigned serializeOptions, bool includeQuotes,
                                             TXJKError* error = nullptr);
