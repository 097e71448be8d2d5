#pragma once

// The one splitter of "name=value" queries for every reader of URLs from
// other apps and servers. Readers differ in a few rules (what "a=b=c" means,
// what is percent-decoded, which of two equal names counts, whether ";"
// separates pieces too); each difference is a field of QueryRules, not a
// copy of the loop. Stateless; any thread.

#include "platform/foundation/Forward.h"

#include <cstddef>
#include <string_view>

namespace pf {

// A piece with a second "=" ("a=b=c"): its value ends there ("b"), the
// piece is passed over, or the value keeps the rest ("b=c").
enum class SecondEquals { EndsValue, SkipsPiece, KeepsRest };

// Calls body(name, value) for each "name=value" piece of a query, in order,
// not decoded; a piece without "=" is passed over. Pieces end at any byte of
// `separators`.
template <class Body>
void forEachQueryPiece(std::string_view query, Body body, SecondEquals second = SecondEquals::EndsValue,
                       std::string_view separators = "&")
{
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = separators.size() == 1 ? query.find(separators[0], start)
                                                 : query.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = query.size();
        std::string_view piece = query.substr(start, end - start);
        std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos) {
            std::string_view value = piece.substr(equals + 1);
            std::size_t more = second == SecondEquals::KeepsRest ? std::string_view::npos : value.find('=');
            if (more == std::string_view::npos || second == SecondEquals::EndsValue)
                body(piece.substr(0, equals), value.substr(0, more));
        }
        start = end + 1;
    }
}

// How a query is read into a dictionary.
struct QueryRules {
    SecondEquals secondEquals = SecondEquals::EndsValue;
    // Percent-decoded (to UTF-8) are nothing, the values only, or names too.
    enum class Decode { None, Value, NameAndValue } decode = Decode::Value;
    bool emptyNameAllowed = true;
    // A piece that does not decode to UTF-8 is passed over, or refuses the
    // whole query (null).
    enum class Undecodable { SkipsPiece, RefusesQuery } undecodable = Undecodable::SkipsPiece;
    // Of two pieces with one name, the later or the first counts.
    enum class Repeats { LaterWins, FirstWins } repeats = Repeats::LaterWins;
    // Bytes that end a piece.
    std::string_view separators = "&";
};

DictionaryRef parseQuery(std::string_view query, const QueryRules& rules = {});
// The query behind the first `separator`; empty when it does not occur.
DictionaryRef parseQueryBehind(std::string_view text, std::string_view separator, const QueryRules& rules = {});

}
