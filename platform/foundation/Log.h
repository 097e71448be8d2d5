#pragma once

// Diagnostics go to standard error as free text, one line per call. The
// message is a printf format; "%@"-style descriptions are passed as text.
// Every line passes through redactSecrets before it is written.

#include <string>
#include <string_view>

namespace pf {

enum class LogLevel { Debug, Info, Error };

void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logLevel(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// An Info line written only if standard error takes it at once: it never
// waits for a full pipe (a reader that stopped reading) nor for another
// thread's line, and a line is cut at 4 KiB. Answers whether it was
// written (true when the level drops it). For threads whose work must go
// on whatever becomes of the log.
bool logWithoutWaiting(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Lines below the level are dropped (Info by default; ZMR_LOG=debug|info|error).
void setLogLevel(LogLevel level);
// Whether lines of that level are written (to skip building costly ones).
bool isLogLevelEnabled(LogLevel level);

// Replaces the values of secret items in a text about to be logged (form
// bodies, query strings, JSON, headers, XML, prose, command lines): tokens,
// passwords, keys, secrets, credentials, signatures, session ids, cookies,
// tickets and one-time codes are written as "***", and so is the password of
// a URL. The names are matched case-insensitively within a key as it decodes
// (JSON "\u0065" and percent escapes replaced, a control character ending
// it), short ones ("sign", "auth", "code", "pin"…) only as the whole key; a
// value after a name and blanks alone is masked only where it looks like a
// token ("Bearer x", "token 3f9a…" but not "token expired") or follows a
// flag ("--password x"). Items read the same percent-encoded, at any depth
// ("cb=x%3Faccess_token%3Dabc%26retCode%3D0" masks "abc" and nothing else).
// Defined in LogRedaction.cpp.
std::string redactSecrets(std::string_view text);

}
