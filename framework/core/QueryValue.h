#pragma once

// URLs and their query values: building a URL from text plus query pairs
// (from a dictionary or an object's declared properties), reading a query into
// a dictionary, encoding and decoding query values, and path components below
// a base path (screen routing takes a screen's alias this way). Pure
// functions, any thread.

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The query split at "&" and "="; values decoded, keys as they are, parts
// without "=" skipped, later keys win. Empty for a URL without a query.
pf::DictionaryRef queryValues(const pf::URL& url);

// `text` plus the values as query pairs ("list" with {a: 1} gives "list?a=1",
// "list?x=1" gives "list?x=1&a=1"), resolved against `base` when given.
// Nothing when the result is not a URL.
std::optional<pf::URL> URLWithString(std::string_view text, const pf::URL* base, const pf::Value& values);
std::optional<pf::URL> URLWithString(std::string_view text, const pf::Value& values);

// Spaces become "+"; letters, digits, ".", "-", "_" stay; every other byte is "%XX".
std::string encodeQueryValue(std::string_view value);
// The reverse; "%00" adds nothing and a "%" without two characters after it
// ends the text. Nothing when the bytes are not UTF-8.
std::optional<std::string> decodeQueryValue(std::string_view value);

// Escapes as "%XX" every byte that may not stand in a URL (blanks, non-ASCII
// UTF-8, quotes, angle brackets and the like) and every "%" not followed by
// two hexadecimal digits; valid escapes and the URL's own delimiters stay.
std::string escapeURLText(std::string_view text);

// The n-th path component from the end (0 is the last).
std::optional<std::string> lastPathComponent(const pf::URL& url, std::size_t n);
// The first path component ("/" for an absolute path).
std::optional<std::string> firstPathComponent(const pf::URL& url);
// The first path component below `basePath`.
std::optional<std::string> firstPathComponent(const pf::URL& url, std::string_view basePath);
// The components of the URL's decoded path below `basePath`, which must be
// its leading components ("/a/b" lies below "/a", "/ab/c" does not); nothing
// when none remain, and a log line besides when the path lies outside.
std::optional<std::vector<std::string>> pathComponents(const pf::URL& url, std::string_view basePath);
