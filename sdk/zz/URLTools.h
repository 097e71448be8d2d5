#pragma once

// URL building for the SDK: percent-escaping of query values and a URL with
// its query parameters appended. Stateless; any thread.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

// Calls body(name, value) for each "name=value" piece of a query, in order,
// not decoded; a piece without "=" is passed over and a value ends at its
// next "=". The SDK's script calls and answers are split this one way.
template <class Body>
void forEachQueryPiece(std::string_view query, Body body)
{
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos)
            end = query.size();
        std::string_view piece = query.substr(start, end - start);
        std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos) {
            std::string_view value = piece.substr(equals + 1);
            body(piece.substr(0, equals), value.substr(0, value.find('=')));
        }
        start = end + 1;
    }
}

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
