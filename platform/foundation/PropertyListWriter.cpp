#include "platform/foundation/PropertyListWriter.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Text.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace pf {

namespace {

constexpr const char* kDomain = "PropertyList";
constexpr unsigned kMaxDepth = 256; // what the reader takes back

Error refuse(std::string what)
{
    return Error{kDomain, 1, "cannot write " + what + " into a property list"};
}

std::optional<Error> appendText(std::string_view text, std::string& out)
{
    if (!isValidUtf8(text))
        return refuse("text that is not UTF-8");
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break; // a raw one would be read back as a line feed
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return refuse("a control character");
            out += c;
        }
    }
    return std::nullopt;
}

void appendBase64(const Bytes& bytes, std::string& out)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = bytes[i] << 16;
        if (i + 1 < bytes.size())
            v |= bytes[i + 1] << 8;
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
}

std::optional<Error> appendValue(const Value& value, std::string& out, unsigned depth)
{
    if (depth > kMaxDepth)
        return refuse("nesting deeper than 512 levels");
    char buffer[64];
    switch (value.type()) {
    case Value::Type::Dictionary:
        out += "<dict>";
        for (const auto& [key, member] : *value.dictionary()) {
            out += "<key>";
            if (auto error = appendText(key, out))
                return error;
            out += "</key>";
            if (auto error = appendValue(member, out, depth + 1))
                return error;
        }
        out += "</dict>";
        return std::nullopt;
    case Value::Type::Array:
        out += "<array>";
        for (const auto& element : *value.array()) {
            if (auto error = appendValue(element, out, depth + 1))
                return error;
        }
        out += "</array>";
        return std::nullopt;
    case Value::Type::String:
        out += "<string>";
        if (auto error = appendText(*value.string(), out))
            return error;
        out += "</string>";
        return std::nullopt;
    case Value::Type::Number: {
        const Number n = value.number()->withoutDecimal(); // lists have no decimals
        if (n.type == NumberType::Bool) {
            out += n.integer ? "<true/>" : "<false/>";
        } else if (n.isReal()) {
            if (!std::isfinite(n.real))
                return refuse("a non-finite number");
            std::snprintf(buffer, sizeof buffer, "<real>%.17g</real>", n.real);
            out += buffer;
        } else if (n.type == NumberType::UnsignedLongLong && n.integer < 0) {
            // Readers keep integers signed; such a file would not read back.
            return refuse("an integer beyond the signed 64-bit range");
        } else {
            std::snprintf(buffer, sizeof buffer, "<integer>%lld</integer>", n.integer);
            out += buffer;
        }
        return std::nullopt;
    }
    case Value::Type::Date: {
        std::time_t seconds = static_cast<std::time_t>(std::floor(value.date()->seconds));
        std::tm tm {};
        if (!gmtime_r(&seconds, &tm))
            return refuse("a date out of range");
        std::strftime(buffer, sizeof buffer, "<date>%Y-%m-%dT%H:%M:%SZ</date>", &tm);
        out += buffer;
        return std::nullopt;
    }
    case Value::Type::Data:
        out += "<data>";
        appendBase64(*value.data(), out);
        out += "</data>";
        return std::nullopt;
    case Value::Type::Nil:
        return refuse("nil");
    case Value::Type::Null:
        return refuse("null");
    case Value::Type::Object:
        break;
    }
    return refuse("an object");
}

}

ErrorOr<std::string> writePropertyList(const Value& value)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    if (auto error = appendValue(value, out, 0))
        return *error;
    out += "</plist>\n";
    return out;
}

std::optional<Error> writePropertyListFile(const std::string& path, const Value& value)
{
    auto text = writePropertyList(value);
    if (!text)
        return text.error();
    return writeFileAtomically(path, *text);
}

}
