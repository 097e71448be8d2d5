#pragma once

// The SDK's one query splitter and one percent-escaper. Its readers and
// writers differ in a few rules (what "a=b=c" means, whether names are
// decoded, a blank as "+"); each difference is a named parameter here, not a
// copy of the loop. Stateless; any thread.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

// A piece with a second "=" ("a=b=c"): its value ends there ("b"), or the
// piece is passed over.
enum class SecondEquals { EndsValue, SkipsPiece };

// Calls body(name, value) for each "name=value" piece of a query, in order,
// not decoded; a piece without "=" is passed over. The SDK's script calls and
// answers are split with the value ending at a second "=".
template <class Body>
void forEachQueryPiece(std::string_view query, Body body, SecondEquals second = SecondEquals::EndsValue)
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
            std::size_t more = value.find('=');
            if (more == std::string_view::npos || second == SecondEquals::EndsValue)
                body(piece.substr(0, equals), value.substr(0, more));
        }
        start = end + 1;
    }
}

// How a query is read into a dictionary (a later name wins).
struct QueryRules {
    SecondEquals secondEquals = SecondEquals::EndsValue;
    // Percent-decoded are the values only, or names too.
    enum class Decode { Value, NameAndValue } decode = Decode::Value;
    bool emptyNameAllowed = true;
    // A piece that does not decode to UTF-8 is passed over, or refuses the
    // whole query (null).
    enum class Undecodable { SkipsPiece, RefusesQuery } undecodable = Undecodable::SkipsPiece;
};

pf::DictionaryRef parseQuery(std::string_view query, const QueryRules& rules = {});
// The query behind the first `separator`; empty when it does not occur.
pf::DictionaryRef parseQueryBehind(std::string_view text, std::string_view separator, const QueryRules& rules);
// Names and values both decoded, "a=b=c" and an empty name passed over: the
// app switch's and the web share result's rule.
inline constexpr QueryRules kStrictPairs = { SecondEquals::SkipsPiece, QueryRules::Decode::NameAndValue, false,
                                             QueryRules::Undecodable::SkipsPiece };

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
