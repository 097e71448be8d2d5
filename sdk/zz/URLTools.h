#pragma once

// The SDK's one percent-escaper, and the query rules its readers share
// (the splitter itself is the platform's, QueryString.h). Its writers differ
// in a few rules (which characters are reserved, a blank as "+"); each
// difference is a named parameter here, not a copy of the loop. Stateless;
// any thread.

#include "platform/foundation/Forward.h"
#include "platform/foundation/QueryString.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

// Names and values both decoded, "a=b=c" and an empty name passed over: the
// app switch's and the web share result's rule.
inline constexpr pf::QueryRules kStrictPairs = { .secondEquals = pf::SecondEquals::SkipsPiece,
                                                 .decode = pf::QueryRules::Decode::NameAndValue,
                                                 .emptyNameAllowed = false };

// Each piece cut at its first "=", nothing decoded: how the app messages'
// URLs carry their board names and base64 fields.
inline constexpr pf::QueryRules kUndecodedPairs = { .secondEquals = pf::SecondEquals::KeepsRest,
                                                    .decode = pf::QueryRules::Decode::None };

class URLTools {
public:
    // Reserved characters of a query value, escaped beside everything that is
    // not printable ASCII. The message transport's set keeps the apostrophe
    // and "@" (it names a typographic closing quote, which is never ASCII).
    static constexpr std::string_view kQueryValueReserved = "!*'();:@&=+$,/?%#[]";
    static constexpr std::string_view kMessageReserved = "!*();:&=+$,/?%#[]";
    // Form encoding: all punctuation but "-._~", so only letters, digits and
    // those stay (with Blank::Plus).
    static constexpr std::string_view kFormReserved = "!#$%&'()*+,/:;=?@[]";
    // Only what may never stand in a URL, and "%", so a URL text becomes a URL.
    static constexpr std::string_view kURLReserved = "%";

    enum class Blank { Escaped, Plus };

    // UTF-8 bytes of the text, percent-escaped (upper-case hex) where they are
    // not ASCII, are controls or one of "\"<>\\^`{|}", or appear in `reserved`;
    // a blank is escaped too, or becomes "+".
    static std::string escape(std::string_view text, std::string_view reserved = kQueryValueReserved,
                              Blank blank = Blank::Escaped);

    // The URL, "?" and key=escaped-value pairs joined by "&" in key order;
    // the URL unchanged for an empty dictionary, nil without a URL.
    static std::optional<std::string> GetURLWithParam(const std::optional<std::string>& url,
                                                      const pf::DictionaryRef& params);
};
