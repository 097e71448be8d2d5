#pragma once

// The share model's diagnostics: each entry goes to standard output and is
// appended to "ZZApi.log" in the Documents folder, stamped with the local
// time to the millisecond and the caller's file base name and line. The
// file is opened once per process; before that it is cut to its last
// 512 KiB when it has grown past 1 MiB. Secrets in the message are masked
// as in every other log (pf::redactSecrets). Logging never fails its caller:
// without the file only standard output gets the entry.
//
// Any thread: the file handle is guarded.

// `file` is the caller's source path (__FILE__); `format` must not be null.
void ZZApiLog(const char* file, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Closes the file so that the next entry opens (and rotates) it again, as
// the next process would.
void ZZApiLogCloseForTesting();
