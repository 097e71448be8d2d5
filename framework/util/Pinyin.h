#pragma once

#include <optional>
#include <string>
#include <string_view>

// The index letter of a name (UTF-8): a first character below U+0100 as it
// is, case kept; a Chinese character U+4E00..U+9FA5 with a reading as the
// lower-case first letter of its first reading; nil otherwise (empty text,
// kana, Hangul, a character outside the table or without a reading).
std::optional<std::string> pinyinInitials(std::string_view name);
