#include "platform/foundation/Collections.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace pf {

namespace {

constexpr int kMaxDepth = 256; // as deep as the reader goes

struct Writer {
    std::string out;
    std::optional<Error> error;

    bool fail(std::string what)
    {
        error = Error{"PropertyList", 3, std::move(what)};
        return false;
    }

    void indent(int depth) { out.append(static_cast<std::size_t>(depth), '\t'); }

    bool text(std::string_view value)
    {
        if (!isValidUtf8(value))
            return fail("text is not UTF-8");
        for (char c : value) {
            auto u = static_cast<unsigned char>(c);
            if (u < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return fail("text holds a control character");
            switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            // A bare carriage return would come back as a line feed.
            case '\r': out += "&#13;"; break;
            default: out += c;
            }
        }
        return true;
    }

    bool element(const char* name, std::string_view content, int depth, bool escape)
    {
        indent(depth);
        out.append("<").append(name).append(">");
        if (escape) {
            if (!text(content))
                return false;
        } else {
            out += content;
        }
        out.append("</").append(name).append(">\n");
        return true;
    }

    static std::string base64(const Bytes& bytes)
    {
        static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string encoded;
        encoded.reserve((bytes.size() + 2) / 3 * 4);
        for (std::size_t i = 0; i < bytes.size(); i += 3) {
            std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) << 16;
            if (i + 1 < bytes.size())
                n |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
            if (i + 2 < bytes.size())
                n |= bytes[i + 2];
            encoded += alphabet[(n >> 18) & 63];
            encoded += alphabet[(n >> 12) & 63];
            encoded += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
            encoded += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
        }
        return encoded;
    }

    bool number(const Number& n, int depth)
    {
        char buffer[64];
        if (n.type == NumberType::Bool) {
            indent(depth);
            out += n.integer ? "<true/>\n" : "<false/>\n";
            return true;
        }
        if (n.isReal()) {
            double d = n.asDouble();
            if (std::isnan(d))
                return element("real", "nan", depth, false);
            if (std::isinf(d))
                return element("real", d > 0 ? "inf" : "-inf", depth, false);
            std::snprintf(buffer, sizeof buffer, "%.17g", d);
            return element("real", buffer, depth, false);
        }
        if (n.type == NumberType::UnsignedLongLong)
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(n.integer));
        else
            std::snprintf(buffer, sizeof buffer, "%lld", n.integer);
        return element("integer", buffer, depth, false);
    }

    bool value(const Value& v, int depth)
    {
        if (depth > kMaxDepth)
            return fail("property list nested too deeply");
        switch (v.type()) {
        case Value::Type::String:
            return element("string", *v.string(), depth, true);
        case Value::Type::Number:
            return number(*v.number(), depth);
        case Value::Type::Data:
            return element("data", base64(*v.data()), depth, false);
        case Value::Type::Date: {
            std::time_t seconds = static_cast<std::time_t>(std::floor(v.date()->seconds));
            std::tm tm{};
            char buffer[32];
            if (!gmtime_r(&seconds, &tm) || !std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm))
                return fail("date out of range");
            return element("date", buffer, depth, false);
        }
        case Value::Type::Array: {
            indent(depth);
            out += "<array>\n";
            for (const auto& item : *v.array())
                if (!value(item, depth + 1))
                    return false;
            indent(depth);
            out += "</array>\n";
            return true;
        }
        case Value::Type::Dictionary: {
            indent(depth);
            out += "<dict>\n";
            for (const auto& [key, item] : *v.dictionary()) {
                if (!element("key", key, depth + 1, true) || !value(item, depth + 1))
                    return false;
            }
            indent(depth);
            out += "</dict>\n";
            return true;
        }
        case Value::Type::Nil:
        case Value::Type::Null:
        case Value::Type::Object:
            break;
        }
        return fail("a " + std::string(v.isObject() ? "object" : "null") + " has no property-list form");
    }
};

}

ErrorOr<std::string> writePropertyList(const Value& value)
{
    Writer writer;
    writer.out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<plist version=\"1.0\">\n";
    if (!writer.value(value, 0))
        return *writer.error;
    writer.out += "</plist>\n";
    return std::move(writer.out);
}

}
