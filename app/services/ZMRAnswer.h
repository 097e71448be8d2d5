#pragma once

// Reading the application server's answers the same way in every service.
//
// An answer is a success only when the exchange brought results, the results
// are a dictionary and their "error-code" reads 0. Everything else is an
// error of the handling service's domain:
// - no results (a transport or HTTP failure): ZMRResultUnknownCode when the
//   request had gone out and no usable answer came back (lost, cut short, an
//   HTTP error status or a body that is not the server's JSON: the server may
//   have acted), else ZMRNotAnsweredCode; a read (ZMRRequestKind::Read) is
//   never ZMRResultUnknownCode: an HTTP error status, an unreadable body or
//   one over the HTTP task's size bound is ZMRServerFailedCode minus the
//   status (the status left out when there was none), anything else (lost,
//   cut short, timed out) ZMRNotAnsweredCode; the transport error's
//   description in every case;
// - results that are not a dictionary (a JSON array): read as a body that
//   is not the server's JSON, since they came whole after the server had the
//   request: ZMRResultUnknownCode for a write, ZMRServerFailedCode for a
//   read, with the description "";
// - "error-code" other than 0: that code (read as 64 bits; a number with a
//   fraction is truncated; text that is not a number, a container or a
//   Boolean reads -1, and so does any of the codes above, which only ever
//   mean what they say) and the answer's "error" when it is text, else "".
// A JSON null reads as absent everywhere.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

class IKRAPIResponseTask;

// The request did not reach the server whole.
inline constexpr long long ZMRNotAnsweredCode = -100;
// The request reached the server, then no usable answer came back: lost,
// cut short, an HTTP error status or a body that is not its JSON (a
// gateway's page, a JSON array). The server may have acted on it.
inline constexpr long long ZMRResultUnknownCode = -101;

// A sign-in (password, registration, ZZ or Voxly) answered after the user
// signed in changed since it was asked: another account was chosen or made
// meanwhile, and this one must not take over from it. Nothing is stored;
// the screens that waited end their waiting without a word.
inline constexpr long long ZMRSupersededCode = -102;

// The server refused a read with an HTTP error status or answered it with a
// body that is not its JSON (a JSON array among them): ZMRServerFailedCode -
// status, or the code itself when there was no status. Codes down to
// ZMRServerFailedCode - 999 are taken.
inline constexpr long long ZMRServerFailedCode = -1000;
// The HTTP status of a ZMRServerFailedCode error: 0 when the body was
// unreadable, nothing when the code is not one of them.
std::optional<int> ZMRServerFailedStatus(long long code);

// Whether the code is one of the failures without the server's answer
// above, never a refusal the server sent.
bool ZMRIsUnanswered(long long code);

// What a failure without the server's answer means for the person.
enum class ZMRRequestKind {
    Write, // the server may have stored it: look before sending again
    Read,  // a list load or a sign-in: repeating it is harmless
};

struct ZMRAnswer {
    pf::DictionaryRef results;  // set on success
    std::optional<pf::Error> error; // set on failure
};

ZMRAnswer ZMRReadAnswer(const IKRAPIResponseTask& response, std::string_view domain,
                        ZMRRequestKind kind = ZMRRequestKind::Write);

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
