#pragma once

// The share side of the ZZ and Plaza stand-in (see main.cpp): what those
// apps send a sharing application, and Plaza's log of its answers.
//
//   zzapp --send-view KIND --to SCHEME [--size N]
//       as ZZ: N bytes of file data (default 1048576) and a 3-byte preview
//       on the share model's large data, then
//       "SCHEME://request_from_zz/view?file_type=KIND&title=…&description=…"
//       (title "标题", description "描述", base64).
//   zzapp --send-response ERROR --to SCHEME
//       as ZZ: "SCHEME://response_from_zz?error=ERROR&error_description=…"
//       ("done"); ERROR "garbage" sends a code that is no number and a
//       description that is no base64.
//   zzapp --write-ad-items N
//       as ZZ: N ad items ("ad 1" …) on the ad-items board.
//   zzapp --log-registry
//       prints one line per entry of the plugin registry.
//   zzapp --send-request --to SCHEME
//       as Plaza: a Corvana request (platform 1, sequence 7, app id
//       101452831) on the general board, then
//       "SCHEME://kTecentReqContent/kCorvanaReqContent?…" pointing at it.

#include <string>

namespace zzapp {

// The exit status of the share command the arguments name; -1 when they
// name none.
int runShareCommand(int argc, char** argv);

// Plaza's scheme for the application's answers.
inline constexpr const char* kCorvanaAnswerScheme = "corvanaapi.plaza.reqContent";

// Reads the answer a URL of that scheme points at and appends
// "answer seq=S ret=R" (or "answer unreadable") to the log, when one is given.
int logCorvanaAnswer(const std::string& url, const std::string& logPath);

}
