#pragma once

// Text measured the way a screen of mixed Chinese and Latin text fills up:
// every UTF-16 unit below 128 counts 1, every other unit 2 (so a character
// outside the Basic Multilingual Plane counts 4). Texts are UTF-8; indexes
// are UTF-16 unit indexes.

#include <string>
#include <string_view>

int textLength(std::string_view text);
// Where to cut the text so that it stays within `limit`: the index of the
// first unit whose running total exceeds the limit, moved back so that it
// never splits a surrogate pair; the text's length when it all fits.
int textIndexOfLength(std::string_view text, int limit);
// The characters in reverse order; a base character keeps its combining
// marks after it.
std::string reverseString(std::string_view text);
