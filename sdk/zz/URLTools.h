#pragma once

// URL building for the SDK: percent-escaping of query values and a URL with
// its query parameters appended. Stateless; any thread.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

class URLTools {
public:
    // Reserved characters of a query value, escaped beside everything that is
    // not printable ASCII. The message transport's set keeps the apostrophe
    // and "@" (it names a typographic closing quote, which is never ASCII).
    static constexpr std::string_view kQueryValueReserved = "!*'();:@&=+$,/?%#[]";
    static constexpr std::string_view kMessageReserved = "!*();:&=+$,/?%#[]";

    // UTF-8 bytes of the text, percent-escaped (upper-case hex) where they are
    // not ASCII, are blanks or controls, or appear in `reserved`.
    static std::string escape(std::string_view text, std::string_view reserved = kQueryValueReserved);

    // The URL, "?" and key=escaped-value pairs joined by "&" in key order;
    // the URL unchanged for an empty dictionary, nil without a URL.
    static std::optional<std::string> GetURLWithParam(const std::optional<std::string>& url,
                                                      const pf::DictionaryRef& params);
};
