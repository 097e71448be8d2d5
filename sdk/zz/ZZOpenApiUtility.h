#pragma once

// URL opening for the share model and its own base64, which is lenient on
// input: every character outside the alphabet and "=" is skipped, so query
// values that picked up blanks or line breaks on the way still decode.
// Decoding fails (nothing) when the remaining characters are none or not a
// multiple of four. Main queue for the URL calls; the codec on any thread.

#include "platform/foundation/URL.h"

#include <optional>
#include <string>

class ZZOpenApiUtility {
public:
    // False for nothing, else whether an installed app (or the browser) answers.
    static bool canOpenURL(const std::optional<pf::URL>& url);
    // 0 when opened; -1 for nothing, a URL nobody answers (logged) or a
    // refused open.
    static int openURL(const std::optional<pf::URL>& url);

    static std::optional<std::string> base64EncodedStringWithData(const std::optional<pf::Bytes>& data);
    static std::optional<std::string> base64EncodedStringWithUTF8String(const std::optional<std::string>& text);
    static std::optional<pf::Bytes> dataWithBase64EncodedString(const std::optional<std::string>& text);
    // Nothing when the text does not decode or its bytes are not UTF-8.
    static std::optional<std::string> UTF8StringWithBase64String(const std::optional<std::string>& text);
};
