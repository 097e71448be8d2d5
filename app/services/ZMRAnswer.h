#pragma once

// Reading the application server's answers the same way in every service.
//
// An answer is a success only when the exchange brought results, the results
// are a dictionary and their "error-code" reads 0. Everything else is an
// error of the handling service's domain:
// - no results (a transport or HTTP failure): code 0 and the transport
//   error's description; results that are not a dictionary: code 0, "";
// - "error-code" other than 0: that code (read as 64 bits; a number with a
//   fraction is truncated; text that is not a number, a container or a
//   Boolean reads -1) and the answer's "error" when it is text, else "".
// A JSON null reads as absent everywhere.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

class IKRAPIResponseTask;

struct ZMRAnswer {
    pf::DictionaryRef results;  // set on success
    std::optional<pf::Error> error; // set on failure
};

ZMRAnswer ZMRReadAnswer(const IKRAPIResponseTask& response, std::string_view domain);

// "error-code" of decoded results: 0 when absent or null.
long long ZMRErrorCode(const pf::Value& results);

// The value at a key path, with JSON null read as nil.
pf::Value ZMRPresent(const pf::Value& data, std::string_view keyPath);

// A double as a 32-bit signed integer: truncated toward zero, clamped to the
// 32-bit range, NaN as 0.
int ZMRClampInt32(double value);
// The same for 64 bits, the width of times in whole seconds: a 32-bit time
// ends in January 2038.
long long ZMRClampInt64(double value);
