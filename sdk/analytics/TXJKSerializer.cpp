#include "sdk/analytics/TXJKSerializer.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/ValueTypeName.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

class Encoder {
public:
    Encoder(unsigned options, const TXJKFormatter& formatter) : m_options(options), m_formatter(formatter)
    {
        bool escapeSlash = options & TXJKSerializeOptionEscapeForwardSlashes;
        bool escapeUnicode = options & TXJKSerializeOptionEscapeUnicode;
        for (int c = 0; c < 256; ++c)
            m_plain[c] = c >= 0x20 && c != '"' && c != '\\' && !(escapeSlash && c == '/') && !(escapeUnicode && c >= 0x80);
    }

    bool encode(const pf::Value& value, int depth, bool topString = false, bool quotes = true)
    {
        if (m_failed)
            return false;
        // Numbers and null are written directly; strings and collections go
        // through the encode cache, keyed by their address in this call.
        switch (value.type()) {
        case pf::Value::Type::Number: return writeNumber(*value.number());
        case pf::Value::Type::Null: m_out += "null"; return true;
        case pf::Value::Type::String: {
            const std::string* text = value.string();
            return cached(text, [&] { return writeString(*text, topString ? quotes : true); });
        }
        case pf::Value::Type::Array: {
            pf::ArrayRef array = value.array();
            return cached(array.get(), [&] { return writeArray(*array, depth); });
        }
        case pf::Value::Type::Dictionary: {
            pf::DictionaryRef dictionary = value.dictionary();
            return cached(dictionary.get(), [&] { return writeDictionary(*dictionary, depth); });
        }
        default: return encodeUnsupported(value, depth);
        }
    }

    template <class Write> bool cached(const void* address, const Write& write)
    {
        if (!m_cacheable || (m_options & TXJKSerializeOptionPretty))
            return write();
        auto a = reinterpret_cast<std::uintptr_t>(address);
        std::size_t slot = (((a >> 21) ^ (a >> 9)) + (a >> 4)) % kCacheSize;
        if (m_cache[slot].object == address) {
            m_out.append(m_out, m_cache[slot].offset, m_cache[slot].length);
            return true;
        }
        std::size_t start = m_out.size();
        if (!write())
            return false;
        m_cache[slot] = {address, start, m_out.size() - start};
        return true;
    }

    bool fail(std::string message)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = std::move(message);
        }
        return false;
    }

    std::string m_out;
    std::string m_error;
    bool m_failed = false;

private:
    static constexpr std::size_t kCacheSize = 1024;
    struct CacheItem {
        const void* object = nullptr;
        std::size_t offset = 0;
        std::size_t length = 0;
    };

    bool encodeUnsupported(const pf::Value& value, int depth)
    {
        if (!m_formatter) {
            char message[128];
            std::snprintf(message, sizeof message, "Unable to serialize object class %s.", pf::valueTypeName(value));
            return fail(message);
        }
        pf::Value replacement = m_formatter(value);
        switch (replacement.type()) {
        case pf::Value::Type::String:
        case pf::Value::Type::Number:
        case pf::Value::Type::Null:
        case pf::Value::Type::Array:
        case pf::Value::Type::Dictionary: {
            // The replacement is a temporary: its address may come back for
            // another object, so nothing inside it is cached.
            bool cacheable = m_cacheable;
            m_cacheable = false;
            bool ok = encode(replacement, depth);
            m_cacheable = cacheable;
            return ok;
        }
        default: break;
        }
        char message[256];
        std::snprintf(message, sizeof message,
                      "Unable to serialize object class %s that was returned by the unsupported class formatter.  "
                      "Original object class was %s.",
                      pf::valueTypeName(replacement), pf::valueTypeName(value));
        return fail(message);
    }

    void newLine(int depth)
    {
        m_out += '\n';
        m_out.append(static_cast<std::size_t>(depth) * 2, ' ');
    }

    bool writeArray(const pf::Array& array, int depth)
    {
        m_out += '[';
        bool pretty = m_options & TXJKSerializeOptionPretty;
        bool first = true;
        for (const pf::Value& member : array) {
            if (!first)
                m_out += ',';
            first = false;
            if (pretty)
                newLine(depth + 1);
            if (!encode(member, depth + 1))
                return false;
        }
        if (pretty && !array.empty())
            newLine(depth);
        m_out += ']';
        return true;
    }

    bool writeMember(const pf::Dictionary::Entry& entry, bool first, bool pretty, int depth)
    {
        if (!first)
            m_out += ',';
        if (pretty)
            newLine(depth + 1);
        if (!writeString(entry.first, true))
            return false;
        m_out += pretty ? ": " : ":";
        return encode(entry.second, depth + 1);
    }

    bool writeDictionary(const pf::Dictionary& dictionary, int depth)
    {
        m_out += '{';
        bool pretty = m_options & TXJKSerializeOptionPretty;
        bool first = true;
        if (pretty) {
            std::vector<const pf::Dictionary::Entry*> entries;
            entries.reserve(dictionary.count());
            for (const auto& entry : dictionary)
                entries.push_back(&entry);
            std::sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->first < b->first; });
            for (const auto* entry : entries) {
                if (!writeMember(*entry, first, true, depth))
                    return false;
                first = false;
            }
            if (!entries.empty())
                newLine(depth);
        } else {
            for (const auto& entry : dictionary) {
                if (!writeMember(entry, first, false, depth))
                    return false;
                first = false;
            }
        }
        m_out += '}';
        return true;
    }

    bool writeNumber(const pf::Number& number)
    {
        char text[64];
        char* end = text;
        switch (number.type) {
        case pf::NumberType::Bool: m_out += number.integer ? "true" : "false"; return true;
        case pf::NumberType::UnsignedLongLong:
            end = std::to_chars(text, text + sizeof text, static_cast<unsigned long long>(number.integer)).ptr;
            break;
        case pf::NumberType::Float:
        case pf::NumberType::Double:
            if (!std::isfinite(number.real))
                return fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            end = text + std::snprintf(text, sizeof text, "%.17g", number.real);
            break;
        default: end = std::to_chars(text, text + sizeof text, number.integer).ptr; break;
        }
        m_out.append(text, end);
        return true;
    }

    bool writeString(const std::string& s, bool quotes)
    {
        bool escapeUnicode = m_options & TXJKSerializeOptionEscapeUnicode;
        bool escapeSlash = m_options & TXJKSerializeOptionEscapeForwardSlashes;
        if (quotes)
            m_out += '"';
        char text[16];
        for (std::size_t i = 0; i < s.size(); ++i) {
            // Runs of bytes that need no escape are copied in one step.
            std::size_t run = i;
            while (run < s.size() && m_plain[static_cast<std::uint8_t>(s[run])])
                ++run;
            if (run > i) {
                m_out.append(s, i, run - i);
                i = run;
                if (i == s.size())
                    break;
            }
            auto c = static_cast<std::uint8_t>(s[i]);
            switch (c) {
            case '"': m_out += "\\\""; continue;
            case '\\': m_out += "\\\\"; continue;
            case '/': m_out += escapeSlash ? "\\/" : "/"; continue;
            case 0x08: m_out += "\\b"; continue;
            case 0x09: m_out += "\\t"; continue;
            case 0x0A: m_out += "\\n"; continue;
            case 0x0C: m_out += "\\f"; continue;
            case 0x0D: m_out += "\\r"; continue;
            default: break;
            }
            if (c < 0x20) {
                std::snprintf(text, sizeof text, "\\u%4.4x", c);
                m_out += text;
            } else if (c < 0x80 || !escapeUnicode) {
                m_out += static_cast<char>(c);
            } else {
                // A run of non-ASCII characters, each UTF-16 unit as an
                // escape: a character past U+FFFF becomes its surrogate pair.
                std::string_view rest = std::string_view(s).substr(i);
                std::size_t characters = pf::utf8MultibyteRun(rest);
                if (characters == 0)
                    return fail("Error converting UTF8.");
                for (char16_t unit : pf::toUtf16(rest.substr(0, characters))) {
                    std::snprintf(text, sizeof text, "\\u%4.4x", static_cast<unsigned>(unit));
                    m_out += text;
                }
                i += characters - 1;
            }
        }
        if (quotes)
            m_out += '"';
        return true;
    }

    unsigned m_options;
    bool m_cacheable = true;
    bool m_plain[256];
    const TXJKFormatter& m_formatter;
    std::vector<CacheItem> m_cache = std::vector<CacheItem>(kCacheSize);
};

}

std::optional<std::string> TXJKSerializer::serializeObject(const pf::Value& object, unsigned serializeOptions,
                                                           unsigned encodeOption, const TXJKFormatter& formatter,
                                                           TXJKError* error)
{
    Encoder encoder(serializeOptions, formatter);
    encoder.m_out.reserve(4096);
    unsigned asType = encodeOption & (TXJKEncodeOptionAsData | TXJKEncodeOptionAsString);
    char message[160];
    if (asType != TXJKEncodeOptionAsData && asType != TXJKEncodeOptionAsString) {
        encoder.fail("Unknown encode as type.");
    } else if ((encodeOption & TXJKEncodeOptionCollectionObj) && !object.isArray() && !object.isDictionary()) {
        std::snprintf(message, sizeof message, "Unable to serialize object class %s, expected a NSArray or NSDictionary.",
                      pf::valueTypeName(object));
        encoder.fail(message);
    } else if ((encodeOption & TXJKEncodeOptionStringObj) && !object.isString()) {
        std::snprintf(message, sizeof message, "Unable to serialize object class %s, expected a NSString.",
                      pf::valueTypeName(object));
        encoder.fail(message);
    } else if (encoder.encode(object, 0, true, !(encodeOption & TXJKEncodeOptionStringObjTrimQuotes))) {
        if (asType == TXJKEncodeOptionAsString && !pf::isValidUtf8(encoder.m_out))
            encoder.fail("Unable to create NSString object");
    }
    if (encoder.m_failed) {
        if (error) {
            *error = TXJKError();
            error->description = encoder.m_error;
        }
        return std::nullopt;
    }
    return std::move(encoder.m_out);
}

std::optional<std::string> JSONString(const pf::Value& collection)
{
    return TXJKSerializer::serializeObject(collection, 0, 10);
}

std::optional<std::string> JSONStringWithOptions(const pf::Value& collection, unsigned serializeOptions,
                                                 TXJKError* error, const TXJKFormatter& formatter)
{
    return TXJKSerializer::serializeObject(collection, serializeOptions, 10, formatter, error);
}

std::optional<pf::Bytes> JSONDataWithOptions(const pf::Value& collection, unsigned serializeOptions, TXJKError* error,
                                             const TXJKFormatter& formatter)
{
    auto text = TXJKSerializer::serializeObject(collection, serializeOptions, 9, formatter, error);
    if (!text)
        return std::nullopt;
    return pf::Bytes(text->begin(), text->end());
}

std::optional<std::string> JSONStringWithOptions(std::string_view string, unsigned serializeOptions,
                                                 bool includeQuotes, TXJKError* error)
{
    return TXJKSerializer::serializeObject(pf::Value(string), serializeOptions, includeQuotes ? 18 : 50, {}, error);
}

std::optional<pf::Bytes> JSONDataWithOptions(std::string_view string, unsigned serializeOptions, bool includeQuotes,
                                             TXJKError* error)
{
    auto text = TXJKSerializer::serializeObject(pf::Value(string), serializeOptions, includeQuotes ? 17 : 49, {}, error);
    if (!text)
        return std::nullopt;
    return pf::Bytes(text->begin(), text->end());
}
