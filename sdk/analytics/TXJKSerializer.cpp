#include "sdk/analytics/TXJKSerializer.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/JsonText.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextWriter.h"
#include "platform/foundation/ValueTypeName.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Room for any number text ("%.17g" of a double is under 25 bytes).
constexpr std::size_t kNumberRoom = 64;

class Encoder {
public:
    // The text starts small and doubles, as the app codec's does: a single
    // event is short, and a batch reaches its size in a few steps.
    Encoder(unsigned options, const TXJKFormatter& formatter)
        : m_out(100), m_options(options), m_escapeSlash(options & TXJKSerializeOptionEscapeForwardSlashes),
          m_escapeUnicode(options & TXJKSerializeOptionEscapeUnicode), m_formatter(formatter)
    {
        const bool escapeSlash = m_escapeSlash, escapeUnicode = m_escapeUnicode;
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
        case pf::Value::Type::Null: m_out.put("null"); return true;
        case pf::Value::Type::String: {
            const std::string* text = value.string();
            return cached(text, [&] { return writeString(*text, topString ? quotes : true); });
        }
        // The value holds its collection for the whole call: no reference
        // is taken.
        case pf::Value::Type::Array: {
            const pf::Array* array = value.arrayPointer();
            return cached(array, [&] { return writeArray(*array, depth); });
        }
        case pf::Value::Type::Dictionary: {
            const pf::Dictionary* dictionary = value.dictionaryPointer();
            return cached(dictionary, [&] { return writeDictionary(*dictionary, depth); });
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
            m_out.repeat(m_cache[slot].offset, m_cache[slot].length);
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

    pf::TextWriter m_out;
    std::string m_error;
    bool m_failed = false;
    // The bits of every byte copied from a string, OR-ed: without a high
    // bit the text is ASCII, and so valid UTF-8 without a check.
    std::uint64_t m_copiedBits = 0;

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
        const std::size_t indent = static_cast<std::size_t>(depth) * 2;
        char* at = m_out.room(indent + 1);
        *at = '\n';
        std::memset(at + 1, ' ', indent);
        m_out.advance(at + 1 + indent);
    }

    bool writeArray(const pf::Array& array, int depth)
    {
        m_out.put('[');
        bool pretty = m_options & TXJKSerializeOptionPretty;
        bool first = true;
        for (const pf::Value& member : array) {
            if (!first)
                m_out.put(',');
            first = false;
            if (pretty)
                newLine(depth + 1);
            if (!encode(member, depth + 1))
                return false;
        }
        if (pretty && !array.empty())
            newLine(depth);
        m_out.put(']');
        return true;
    }

    bool writeMember(const pf::Dictionary::Entry& entry, bool first, bool pretty, int depth)
    {
        if (!first)
            m_out.put(',');
        if (pretty)
            newLine(depth + 1);
        if (!writeString(entry.first, true))
            return false;
        if (pretty)
            m_out.put(": ");
        else
            m_out.put(':');
        return encode(entry.second, depth + 1);
    }

    bool writeDictionary(const pf::Dictionary& dictionary, int depth)
    {
        m_out.put('{');
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
        m_out.put('}');
        return true;
    }

    bool writeNumber(const pf::Number& number)
    {
        char* at = m_out.room(kNumberRoom);
        char* const end = at + kNumberRoom;
        switch (number.type) {
        case pf::NumberType::Bool:
            if (number.integer)
                m_out.put("true");
            else
                m_out.put("false");
            return true;
        case pf::NumberType::UnsignedLongLong:
            at = std::to_chars(at, end, static_cast<unsigned long long>(number.integer)).ptr;
            break;
        case pf::NumberType::Float:
        case pf::NumberType::Double:
        case pf::NumberType::Decimal: {
            // A decimal answers type code 'd', so it is written as every
            // 'd' number is, by its double; a decimal is always finite.
            double real = number.isDecimal() ? pf::decimalToDouble(number) : number.real;
            if (!std::isfinite(real))
                return fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            at += std::snprintf(at, kNumberRoom, "%.17g", real);
            break;
        }
        default: at = std::to_chars(at, end, number.integer).ptr; break;
        }
        m_out.advance(at);
        return true;
    }

    // The bytes of a word that a plain run cannot take under the options,
    // as high bits; the lowest one set marks the first exactly.
    std::uint64_t stops(std::uint64_t word) const
    {
        std::uint64_t found = pf::jsonPlainRunStops(word, m_escapeUnicode);
        return m_escapeSlash ? found | pf::jsonBytesEqual(word, '/') : found;
    }

    // "\u" and four lower-case hexadecimal digits.
    void writeUnitEscape(unsigned unit)
    {
        static const char hex[] = "0123456789abcdef";
        char* at = m_out.room(6);
        at[0] = '\\';
        at[1] = 'u';
        at[2] = hex[(unit >> 12) & 15];
        at[3] = hex[(unit >> 8) & 15];
        at[4] = hex[(unit >> 4) & 15];
        at[5] = hex[unit & 15];
        m_out.advance(at + 6);
    }

    // Plain text is tested and copied eight bytes at a time, straight into
    // the output; an escape is written on its own, then the copying goes on.
    bool writeString(const std::string& s, bool quotes)
    {
        static_assert(std::endian::native == std::endian::little, "the first byte of a word is its lowest");
        const char* bytes = s.data();
        const std::size_t size = s.size();
        // Room for the text as it is, its quotes and one eight-byte store
        // past its end; an escape asks for its own.
        char* at = m_out.room(size + 10);
        if (quotes)
            *at++ = '"';
        std::size_t i = 0;
        std::uint64_t copied = 0;
        for (;;) {
            while (i + 8 <= size) {
                std::uint64_t word;
                std::memcpy(&word, bytes + i, 8);
                std::memcpy(at, &word, 8);
                copied |= word;
                if (std::uint64_t found = stops(word)) {
                    const std::size_t plain = static_cast<std::size_t>(std::countr_zero(found)) / 8;
                    at += plain;
                    i += plain;
                    break;
                }
                at += 8;
                i += 8;
            }
            while (i < size && m_plain[static_cast<std::uint8_t>(bytes[i])]) {
                copied |= static_cast<std::uint8_t>(bytes[i]);
                *at++ = bytes[i++];
            }
            if (i >= size)
                break;
            m_out.advance(at);
            auto c = static_cast<std::uint8_t>(bytes[i]);
            switch (c) {
            case '"': m_out.put("\\\""); break;
            case '\\': m_out.put("\\\\"); break;
            case '/': m_out.put("\\/"); break;
            case 0x08: m_out.put("\\b"); break;
            case 0x09: m_out.put("\\t"); break;
            case 0x0A: m_out.put("\\n"); break;
            case 0x0C: m_out.put("\\f"); break;
            case 0x0D: m_out.put("\\r"); break;
            default:
                if (c < 0x20) {
                    writeUnitEscape(c);
                } else {
                    // A run of non-ASCII characters, each UTF-16 unit as an
                    // escape: a character past U+FFFF becomes its surrogate pair.
                    std::string_view rest = std::string_view(s).substr(i);
                    std::size_t characters = pf::utf8MultibyteRun(rest);
                    if (characters == 0)
                        return fail("Error converting UTF8.");
                    for (char16_t unit : pf::toUtf16(rest.substr(0, characters)))
                        writeUnitEscape(static_cast<unsigned>(unit));
                    i += characters - 1;
                }
                break;
            }
            ++i;
            at = m_out.room(size - i + 10);
        }
        if (quotes)
            *at++ = '"';
        m_out.advance(at);
        m_copiedBits |= copied;
        return true;
    }

    unsigned m_options;
    bool m_escapeSlash;
    bool m_escapeUnicode;
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
        constexpr std::uint64_t highBits = 0x8080808080808080ULL;
        if (asType == TXJKEncodeOptionAsString && (encoder.m_copiedBits & highBits)
            && !pf::isValidUtf8(encoder.m_out.written()))
            encoder.fail("Unable to create NSString object");
    }
    if (encoder.m_failed) {
        if (error) {
            *error = TXJKError();
            error->description = encoder.m_error;
        }
        return std::nullopt;
    }
    return encoder.m_out.take();
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
