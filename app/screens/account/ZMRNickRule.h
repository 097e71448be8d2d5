#pragma once

// The nickname rule of the nickname and profile screens. A nickname is
// trimmed of blanks and line breaks at both ends, then measured with
// textLength (an ASCII unit counts 1, any other unit 2): 4 to 24 passes.

#include <optional>
#include <string>

struct ZMRNickCheck {
    std::string nick;                  // trimmed, as it is sent
    std::optional<std::string> refusal; // the alert's message; nothing when it passes
};

ZMRNickCheck ZMRCheckNick(const std::string& typed);
