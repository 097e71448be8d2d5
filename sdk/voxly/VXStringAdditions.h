#pragma once

// Two text operations of the web authorisation dialog. Ranges count UTF-16
// units, as the rest of the system counts characters. Any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// `text` with units [location, location + length) replaced by `with`;
// nothing when the range runs past the end of the text. A bound inside a
// surrogate pair moves to the start of its character.
std::optional<std::string> stringByReplacingRange(std::string_view text, std::size_t location, std::size_t length,
                                                  std::string_view with);
// `text` without leading and trailing white space and line breaks.
std::string trimmedString(std::string_view text);
