#pragma once

// Turns text into a script string literal, for the rare place where a value
// must be part of script source. Prefer ScriptContext::callFunction, which
// passes values without writing source at all.

#include <string>
#include <string_view>

namespace pf {

// The text in double quotes, with both quote characters, the backslash,
// every control character and U+2028/U+2029 (line breaks to a script parser)
// escaped, so the literal always parses back to exactly `text`.
std::string scriptStringLiteral(std::string_view text);

}
