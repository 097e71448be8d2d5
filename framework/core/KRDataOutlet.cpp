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

namespace {

// dataForKey without copies: collections are read in place, and only an
// object's answer is kept, in `holder`.
const pf::Value* valueAtKey(const pf::Value& receiver, std::string_view key, pf::Value& holder)
{
    switch (receiver.type()) {
    case pf::Value::Type::Array: {
        const auto& values = receiver.arrayPointer()->values();
        if (key.starts_with("@last"))
            return values.empty() ? nullptr : &values.back();
        if (!key.starts_with("@"))
            return nullptr;
        auto index = arrayIndex(key.substr(1));
        return index && *index < values.size() ? &values[*index] : nullptr;
    }
    case pf::Value::Type::Dictionary:
        if (key.starts_with("@"))
            return nullptr;
        return receiver.dictionaryPointer()->lookup(key);
    case pf::Value::Type::Object: {
        // Read before the holder is overwritten: the receiver may be it.
        pf::Value value = receiver.objectPointer()->valueForKey(key);
        holder = std::move(value);
        return &holder;
    }
    default: return nullptr;
    }
}

}

const pf::Value* valueAtKeyPath(const pf::Value& receiver, std::string_view keyPath, pf::Value& holder)
{
    // Templates look up many keys: nothing on the way is copied.
    const pf::Value* current = &receiver;
    for (;;) {
        std::size_t dot = keyPath.find('.');
        current = valueAtKey(*current, keyPath.substr(0, dot), holder);
        if (!current || current->isNil())
            return nullptr;
        if (dot == std::string_view::npos)
            return current;
        keyPath = keyPath.substr(dot + 1);
    }
}

pf::Value dataForKeyPath(const pf::Value& receiver, std::string_view keyPath)
{
    pf::Value holder;
    const pf::Value* value = valueAtKeyPath(receiver, keyPath, holder);
    return value ? *value : pf::Value();
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
