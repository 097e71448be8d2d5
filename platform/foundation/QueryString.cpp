#include "platform/foundation/QueryString.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <optional>
#include <string>

namespace pf {

namespace {

std::optional<std::string> decodedText(std::string_view text)
{
    auto plain = percentDecode(text);
    if (!plain || !isValidUtf8(*plain))
        return std::nullopt;
    return plain;
}

}

DictionaryRef parseQuery(std::string_view query, const QueryRules& rules)
{
    using Decode = QueryRules::Decode;
    auto fields = Dictionary::create();
    bool refused = false;
    forEachQueryPiece(query, [&](std::string_view name, std::string_view value) {
        if (refused || (name.empty() && !rules.emptyNameAllowed))
            return;
        std::optional<std::string> key = rules.decode == Decode::NameAndValue ? decodedText(name) : std::string(name);
        std::optional<std::string> text = rules.decode == Decode::None ? std::string(value) : decodedText(value);
        if (!key || !text) {
            refused = rules.undecodable == QueryRules::Undecodable::RefusesQuery;
            return;
        }
        if (rules.repeats == QueryRules::Repeats::FirstWins && fields->contains(*key))
            return;
        fields->set(*key, Value(std::move(*text)));
    }, rules.secondEquals, rules.separators);
    return refused ? nullptr : fields;
}

DictionaryRef parseQueryBehind(std::string_view text, std::string_view separator, const QueryRules& rules)
{
    std::size_t found = separator.empty() ? std::string_view::npos : text.find(separator);
    if (found == std::string_view::npos)
        return Dictionary::create();
    return parseQuery(text.substr(found + separator.size()), rules);
}

}
