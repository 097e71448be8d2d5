#include "framework/core/KRDataOutlet.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Text.h"

#include <limits>

namespace {

// The decimal integer after "@", read like the platform's intValue: blanks,
// a sign, then leading digits (none gives 0). A negative index or one too
// large for the platform's integers addresses nothing.
std::optional<std::size_t> arrayIndex(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::size_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::size_t>(text[i] - '0');
        if (value > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            return std::nullopt;
    }
    if (negative && value != 0)
        return std::nullopt;
    return value;
}

}

pf::Value dataForKey(const pf::Value& receiver, std::string_view key)
{
    switch (receiver.type()) {
    case pf::Value::Type::Array: {
        const auto& array = *receiver.array();
        if (key.starts_with("@last"))
            return array.last();
        if (!key.starts_with("@"))
            return {};
        auto index = arrayIndex(key.substr(1));
        return index ? array.at(*index) : pf::Value();
    }
    case pf::Value::Type::Dictionary:
        // Keys beginning with "@" are operators on the dictionary itself,
        // never its members; none is of use here, so they read nil.
        if (key.starts_with("@"))
            return {};
        return receiver.dictionary()->get(key);
    case pf::Value::Type::Object: return receiver.object()->valueForKey(key);
    default: return {};
    }
}

pf::Value dataForKeyPath(const pf::Value& receiver, std::string_view keyPath)
{
    // The receiver itself is read, not copied: templates look up many keys.
    std::size_t dot = keyPath.find('.');
    if (dot == std::string_view::npos)
        return dataForKey(receiver, keyPath);
    pf::Value current = dataForKey(receiver, keyPath.substr(0, dot));
    for (;;) {
        if (current.isNil())
            return {};
        keyPath = keyPath.substr(dot + 1);
        dot = keyPath.find('.');
        if (dot == std::string_view::npos)
            return dataForKey(current, keyPath);
        current = dataForKey(current, keyPath.substr(0, dot));
    }
}

std::string fillTemplateKeys(std::string_view templateText,
                             const std::function<void(std::string& out, std::string_view key)>& append)
{
    std::string out;
    out.reserve(templateText.size() + templateText.size() / 2);
    // Braces are ASCII: searching bytes keeps multi-byte characters whole.
    // The text between placeholders goes in a run at a time.
    std::size_t at = 0;
    while (at < templateText.size()) {
        std::size_t open = templateText.find('{', at);
        if (open == std::string_view::npos) {
            out.append(templateText.substr(at));
            break;
        }
        out.append(templateText.substr(at, open - at));
        std::size_t close = templateText.find('}', open + 1);
        if (close == std::string_view::npos)
            break; // an unclosed placeholder and what follows it are left out
        append(out, templateText.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return out;
}

std::string stringByDataOutlet(std::string_view templateText, const pf::Value& data)
{
    // Plain text: values go in as they read.
    return fillTemplateKeys(templateText, [&data](std::string& out, std::string_view key) {
        pf::Value value = dataForKeyPath(data, key);
        if (!value.isNil())
            out += value.description();
    });
}
