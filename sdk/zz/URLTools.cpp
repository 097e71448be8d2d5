#include "sdk/zz/URLTools.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

pf::DictionaryRef parseQuery(std::string_view query, const QueryRules& rules)
{
    auto decoded = [](std::string_view text) -> std::optional<std::string> {
        auto plain = pf::percentDecode(text);
        if (!plain || !pf::isValidUtf8(*plain))
            return std::nullopt;
        return plain;
    };
    auto fields = pf::Dictionary::create();
    bool refused = false;
    forEachQueryPiece(query, [&](std::string_view name, std::string_view value) {
        if (refused || (name.empty() && !rules.emptyNameAllowed))
            return;
        std::optional<std::string> key = rules.decode == QueryRules::Decode::NameAndValue ? decoded(name)
                                                                                            : std::string(name);
        std::optional<std::string> text = decoded(value);
        if (key && text)
            fields->set(*key, pf::Value(std::move(*text)));
        else
            refused = rules.undecodable == QueryRules::Undecodable::RefusesQuery;
    }, rules.secondEquals);
    return refused ? nullptr : fields;
}

pf::DictionaryRef parseQueryBehind(std::string_view text, std::string_view separator, const QueryRules& rules)
{
    std::size_t found = separator.empty() ? std::string_view::npos : text.find(separator);
    if (found == std::string_view::npos)
        return pf::Dictionary::create();
    return parseQuery(text.substr(found + separator.size()), rules);
}

std::string URLTools::escape(std::string_view text, std::string_view reserved, Blank blank)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == ' ' && blank == Blank::Plus) {
            out += '+';
            continue;
        }
        if (byte > 0x20 && byte < 0x7F && c != '"' && c != '<' && c != '>' && c != '\\' && c != '^' && c != '`' &&
            c != '{' && c != '|' && c != '}' && reserved.find(c) == std::string_view::npos) {
            out += c;
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

std::optional<std::string> URLTools::GetURLWithParam(const std::optional<std::string>& url,
                                                     const pf::DictionaryRef& params)
{
    if (!url)
        return std::nullopt;
    if (!params || params->empty())
        return url;
    std::string out = *url;
    out += '?';
    bool first = true;
    for (const auto& [key, value] : *params) {
        if (!first)
            out += '&';
        first = false;
        out += key;
        out += '=';
        out += escape(value.description(), kMessageReserved);
    }
    return out;
}
