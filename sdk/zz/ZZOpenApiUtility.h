#pragma once

// URL opening for the share model and its own base64, which is lenient on
// input: every character outside the alphabet and "=" is skipped, so query
// values that picked up blanks or line breaks on the way still decode.
// Decoding fails (nothing) when the remaining characters are none or not a
// multiple of four. Main queue for the URL calls; the codec on any thread.

#include "platform/foundation/URL.h"

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

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

    // The online-status address: "/getonline?Type=1&" on the online-status
    // server, then "<number>:" for each number (escaped) in order.
    static std::string urlStringWithZZUinsArray(const std::vector<std::string>& uins);
    // The answer's pieces (split at ";", the last one ignored) by position:
    // from the eleventh character on "1" gives "YES" and "0" "NO" under the
    // number at the same position; anything else, a piece shorter than ten
    // characters or beyond the numbers gives no entry.
    static pf::DictionaryRef dictionaryWithReturnString(std::string_view text, const std::vector<std::string>& uins);
};
