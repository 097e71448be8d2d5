// The value kinds of interface files, from element text to Value.

#include "platform/foundation/Boxed.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/InterfaceDocument.h"
#include "platform/ui/Screen.h"

#include <cmath>
#include <cstdlib>
#include <cctype>
#include <string_view>

namespace pf {

namespace {

Error valueError(std::string text) { return Error{"pf::InterfaceFile", 2, std::move(text)}; }

std::string trimmed(const std::string& s)
{
    auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    auto end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

std::optional<double> parseNumber(const std::string& text)
{
    std::string t = trimmed(text);
    if (t.empty())
        return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// "{1, 2}" or "{{1, 2}, {3, 4}}": exactly `count` finite numbers, with
// braces balanced around them.
std::optional<std::vector<double>> parseNumberList(const std::string& text, std::size_t count)
{
    std::vector<double> out;
    int depth = 0;
    bool opened = false;
    const char* p = text.c_str();
    while (*p) {
        char c = *p;
        if (c == '{') {
            ++depth;
            opened = true;
            ++p;
        } else if (c == '}') {
            if (--depth < 0)
                return std::nullopt;
            ++p;
        } else if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++p;
        } else {
            if (!opened)
                return std::nullopt;
            char* end = nullptr;
            double v = std::strtod(p, &end);
            if (end == p || !std::isfinite(v) || (*end && std::string_view(", \t\r\n}").find(*end) == std::string_view::npos))
                return std::nullopt;
            out.push_back(v);
            p = end;
        }
    }
    if (depth != 0 || !opened || out.size() != count)
        return std::nullopt;
    return out;
}

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

ErrorOr<Value> parseColor(const std::string& text)
{
    auto parts = words(text);
    if (parts.empty() || parts.size() > 2 || parts[0].empty() || parts[0][0] != '#')
        return valueError("a colour is \"#rrggbb\" with an optional alpha, not \"" + text + "\"");
    auto color = Color::parse(parts[0]);
    if (!color)
        return valueError("\"" + parts[0] + "\" is not a colour");
    if (parts.size() == 2) {
        auto alpha = parseNumber(parts[1]);
        if (!alpha || *alpha < 0 || *alpha > 1)
            return valueError("the alpha \"" + parts[1] + "\" is not between 0 and 1");
        color = color->withAlpha(*alpha);
    }
    return Boxed<Color>::make(*color);
}

ErrorOr<Value> parseFont(const std::string& text)
{
    auto parts = words(text);
    auto size = parts.empty() ? std::nullopt : parseNumber(parts[0]);
    if (!size || *size <= 0 || *size > 1000)
        return valueError("a font is a size and optional weight or name, not \"" + text + "\"");
    Font font = Font::system(*size);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string& w = parts[i];
        if (w == "bold")
            font = Font(font.family(), *size, FontWeight::Bold, font.italic());
        else if (w == "medium")
            font = Font(font.family(), *size, FontWeight::Medium, font.italic());
        else if (w == "light")
            font = Font(font.family(), *size, FontWeight::Light, font.italic());
        else if (w == "regular")
            font = Font(font.family(), *size, FontWeight::Regular, font.italic());
        else if (w == "italic")
            font = Font(font.family(), *size, font.weight(), true);
        else
            font = Font::named(w, *size);
    }
    return Boxed<Font>::make(font);
}

std::optional<long long> enumValue(const Property* property, const std::string& name)
{
    if (!property)
        return std::nullopt;
    for (const EnumValue& e : property->enumValues)
        if (e.name == name)
            return e.value;
    return std::nullopt;
}

std::string attribute(const std::vector<std::pair<std::string, std::string>>& attributes, std::string_view name)
{
    for (auto& [k, v] : attributes)
        if (k == name)
            return v;
    return {};
}

}

bool isInterfaceValueKind(std::string_view kind)
{
    static const char* const kinds[] = {"string", "number", "bool",  "color", "font",  "image",      "point", "size",
                                        "rect",   "insets", "enum", "flags", "null",  "array", "dictionary"};
    for (const char* k : kinds)
        if (kind == k)
            return true;
    return false;
}

ErrorOr<Value> parseInterfaceValue(std::string_view kind, const std::string& text,
                                   const std::vector<std::pair<std::string, std::string>>& attributes,
                                   const Property* property, const Bundle& bundle)
{
    if (kind == "string")
        return Value(text);
    if (kind == "null")
        return Value();
    if (kind == "number") {
        std::string t = trimmed(text);
        auto v = parseNumber(t);
        if (!v)
            return valueError("\"" + text + "\" is not a number");
        bool integral = t.find_first_of(".eE") == std::string::npos && std::fabs(*v) < 9.2e18;
        return integral ? Value(static_cast<long long>(*v)) : Value(*v);
    }
    if (kind == "bool") {
        std::string t = trimmed(text);
        if (t == "YES" || t == "true" || t == "1")
            return Value::boolean(true);
        if (t == "NO" || t == "false" || t == "0")
            return Value::boolean(false);
        return valueError("\"" + text + "\" is not YES or NO");
    }
    if (kind == "color")
        return parseColor(text);
    if (kind == "font")
        return parseFont(text);
    if (kind == "point" || kind == "size") {
        auto n = parseNumberList(text, 2);
        if (!n)
            return valueError("a " + std::string(kind) + " is \"{a, b}\", not \"" + text + "\"");
        if (kind == "point")
            return Boxed<Point>::make({(*n)[0], (*n)[1]});
        return Boxed<Size>::make({(*n)[0], (*n)[1]});
    }
    if (kind == "rect") {
        auto n = parseNumberList(text, 4);
        if (!n)
            return valueError("a rect is \"{{x, y}, {w, h}}\", not \"" + text + "\"");
        return Boxed<Rect>::make({(*n)[0], (*n)[1], (*n)[2], (*n)[3]});
    }
    if (kind == "insets") {
        auto n = parseNumberList(text, 4);
        if (!n)
            return valueError("insets are \"{top, left, bottom, right}\", not \"" + text + "\"");
        return Boxed<EdgeInsets>::make({(*n)[0], (*n)[1], (*n)[2], (*n)[3]});
    }
    if (kind == "enum") {
        auto v = enumValue(property, trimmed(text));
        if (!v)
            return valueError("\"" + text + "\" is not a value of this key");
        return Value(*v);
    }
    if (kind == "flags") {
        long long bits = 0;
        std::string all = text;
        std::size_t start = 0;
        while (start <= all.size()) {
            auto bar = all.find('|', start);
            std::string name = trimmed(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            if (!name.empty()) {
                auto v = enumValue(property, name);
                if (!v)
                    return valueError("\"" + name + "\" is not a flag of this key");
                bits |= *v;
            }
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        return Value(bits);
    }
    if (kind == "image") {
        std::string name = trimmed(text);
        auto image = name.empty() ? nullptr : Image::named(name, bundle, Screen::main().scale());
        if (!image)
            return valueError("no picture \"" + name + "\" in the bundle");
        std::string left = attribute(attributes, "left"), top = attribute(attributes, "top");
        if (!left.empty() || !top.empty()) {
            auto l = left.empty() ? std::optional<double>(0) : parseNumber(left);
            auto t = top.empty() ? std::optional<double>(0) : parseNumber(top);
            if (!l || !t || *l < 0 || *t < 0 || *l > 1e6 || *t > 1e6)
                return valueError("picture caps are whole numbers of points");
            image = image->stretchableImage(int(*l), int(*t));
        }
        return Value(ObjectRef(image));
    }
    return valueError("unknown value kind <" + std::string(kind) + ">");
}

bool propertyTakes(const Property& property, const Value& value)
{
    switch (property.type) {
    case PropertyType::Bool:
    case PropertyType::Int:
    case PropertyType::Long:
    case PropertyType::LongLong:
    case PropertyType::Float:
    case PropertyType::Double: return value.isNumber() || value.isString();
    case PropertyType::Enum: return value.isNumber();
    default: return !property.accepts || property.accepts(value);
    }
}

}
