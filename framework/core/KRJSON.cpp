#include "framework/core/KRJSON.h"

#include "framework/util/json_scan.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/JsonText.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/PoolAllocator.h"
#include "platform/foundation/TextWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <deque>
#include <vector>

namespace {

constexpr std::uint8_t kNoKey = 64;
constexpr std::size_t kMaxHint = 256;

// A container handle of the scanner, for as long as the container is open.
// The container itself is owned by its parent once it is set or added (the
// root by its slot), so filling it costs no reference counting.
struct Slot {
    pf::Value value; // the container until its parent takes it
    pf::Dictionary* dictionary = nullptr;
    pf::Array* array = nullptr;
    // For a container element: the array holding it. The elements of one
    // array are usually alike, so each new one starts with room for as many
    // members as the last one of its kind that closed (up to a bound, so a
    // mixed array wastes little).
    Slot* parent = nullptr;
    std::uint32_t dictionarySize = 0;
    std::uint32_t arraySize = 0;
    // For a dictionary: one bit per key hash set so far. A key whose bit is
    // clear is certainly new, so it is added without a search.
    std::uint64_t keys = 0;
    // For a member container: the hash of its key, kNoKey for others.
    std::uint8_t key = kNoKey;
};

// One of 64 buckets for a key.
std::uint8_t keyHash(std::string_view key)
{
    std::uint64_t mix = key.size();
    if (!key.empty())
        mix |= std::uint64_t(std::uint8_t(key.front())) << 8 | std::uint64_t(std::uint8_t(key.back())) << 16 |
               std::uint64_t(std::uint8_t(key[key.size() / 2])) << 24;
    return std::uint8_t((mix * 0x9E3779B97F4A7C15ULL) >> 58);
}

// A scalar the scanner has just made. It sets, adds or drops each one before
// it makes the next value, so one is pending at a time; it is made into a
// value only where it is stored. A string keeps the scanner's bytes, which
// stay valid until then.
struct Scalar {
    enum class Kind : std::uint8_t { String, Number, Null } kind = Kind::Null;
    pf::Number number;
    const char* bytes = nullptr;
    std::uint32_t length = 0;

    pf::Value value() const
    {
        switch (kind) {
        case Kind::String: return pf::Value(std::string(bytes, length));
        case Kind::Number:
            return number.isReal() ? pf::Value::number(number.type, number.real)
                                   : pf::Value::number(number.type, number.integer);
        case Kind::Null: break;
        }
        return pf::Value::null();
    }
};

// One decode: the slots of open containers (released ones are reused), the
// pending scalar, and the root when it is a scalar.
struct Decoder {
    std::deque<Slot> slots;
    std::vector<Slot*> free;
    // By key hash: the size the last container set under such a key closed
    // with, and for an array the sizes its elements had. Rows of a list
    // repeat their member containers, so each starts with the room the one
    // before needed (a hint only: a wrong one costs a regrowth or some slack).
    struct MemberHint {
        std::uint32_t size = 0;
        std::uint32_t dictionarySize = 0;
        std::uint32_t arraySize = 0;
    } memberHints[kNoKey];
    Scalar scalar;
    bool containerMade = false;
    pf::Value scalarRoot;

    Slot* makeSlot(pf::Value container)
    {
        containerMade = true;
        Slot* slot;
        if (free.empty()) {
            slot = &slots.emplace_back();
        } else {
            slot = free.back();
            free.pop_back();
        }
        slot->value = std::move(container);
        return slot;
    }

    bool isScalar(const void* handle) const { return handle == &scalar || handle == &scalarRoot; }

    // The value a handle stands for, taken: a container leaves its slot
    // with only the pointer to it.
    pf::Value take(void* handle)
    {
        if (isScalar(handle))
            return scalar.value();
        return std::move(static_cast<Slot*>(handle)->value);
    }

    // A scalar with nothing open around it is the result: made into a value
    // now, before the scanner's buffers go.
    void* madeScalar()
    {
        if (containerMade)
            return &scalar;
        scalarRoot = scalar.value();
        return &scalarRoot;
    }
};

Decoder& decoder(void* user) { return *static_cast<Decoder*>(user); }

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Plain integers of up to 18 digits, which cannot overflow, and
// "-?digits.digits" with up to 15 digits in all, nearly every number of an
// answer. For the latter the digits as an integer and the power of ten below
// them are both exact doubles, so one division gives the correctly rounded
// value, as the general parser would.
bool plainNumber(const char* text, const char* end, pf::Number& out)
{
    bool negative = text < end && *text == '-';
    const char* p = negative ? text + 1 : text;
    // Unsigned, so that a long run wraps harmlessly before it is refused.
    unsigned long long digits = 0;
    const char* whole = p;
    for (; p < end && unsigned(*p - '0') <= 9; ++p)
        digits = digits * 10 + unsigned(*p - '0');
    std::ptrdiff_t wholeDigits = p - whole;
    if (wholeDigits == 0 || wholeDigits > 18)
        return false;
    if (p == end) {
        auto integer = static_cast<long long>(digits);
        out.type = pf::NumberType::LongLong;
        out.integer = negative ? -integer : integer;
        return true;
    }
    if (*p != '.')
        return false;
    const char* point = ++p;
    for (; p < end && unsigned(*p - '0') <= 9; ++p)
        digits = digits * 10 + unsigned(*p - '0');
    std::ptrdiff_t fraction = p - point;
    if (p != end || fraction == 0 || wholeDigits + fraction > 15)
        return false;
    double value = double(digits) / kPowersOfTen[fraction];
    out.type = pf::NumberType::Double;
    out.real = negative ? -value : value;
    return true;
}

pf::Number number(const char* text, std::uint32_t length)
{
    pf::Number out;
    const char* end = text + length;
    if (plainNumber(text, end, out))
        return out;
    const char* start = *text == '+' ? text + 1 : text;
    bool real = std::find_if(text, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) != end;
    if (!real) {
        long long integer = 0;
        auto [ptr, error] = std::from_chars(start, end, integer);
        out.type = pf::NumberType::LongLong;
        if (error == std::errc()) {
            out.integer = integer;
            return out;
        }
        if (error != std::errc::result_out_of_range) {
            out.integer = 0;
            return out;
        }
        // Too large for 64 bits: the nearest double beats a clamped integer.
    }
    double d = 0;
    auto [ptr, error] = std::from_chars(start, end, d);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow; strtod-like results:
        // infinity with the sign, or zero for an underflow.
        bool negative = *start == '-';
        std::string digits(start, ptr);
        d = std::strtod(digits.c_str(), nullptr);
        if (std::isinf(d))
            d = negative ? -HUGE_VAL : HUGE_VAL;
    } else if (error != std::errc()) {
        d = 0;
    }
    out.type = pf::NumberType::Double;
    out.real = d;
    return out;
}

void* makeScalarNumber(Decoder& d, pf::Number n)
{
    d.scalar.kind = Scalar::Kind::Number;
    d.scalar.number = n;
    return d.madeScalar();
}

const json_callbacks kDecodeTable = {
    [](const json_callbacks*, void* user) -> void* {
        auto dictionary = std::allocate_shared<pf::Dictionary>(pf::PoolAllocator<pf::Dictionary>());
        pf::Dictionary* raw = dictionary.get();
        Slot* slot = decoder(user).makeSlot(pf::Value(std::move(dictionary)));
        slot->dictionary = raw;
        return slot;
    },
    [](const json_callbacks*, void* object, const char* key, std::uint32_t length, void* value, void* user) {
        std::string_view name(key, length);
        auto* slot = static_cast<Slot*>(object);
        pf::Dictionary* dictionary = slot->dictionary;
        if (!dictionary)
            return;
        if (!value) {
            dictionary->remove(name);
            return;
        }
        std::uint8_t hash = keyHash(name);
        Decoder& d = decoder(user);
        if (!d.isScalar(value)) {
            auto* member = static_cast<Slot*>(value);
            const Decoder::MemberHint& hint = d.memberHints[hash];
            member->key = hash;
            if (member->dictionary && hint.size) {
                member->dictionary->reserve(hint.size);
            } else if (member->array) {
                if (hint.size)
                    member->array->reserve(hint.size);
                member->dictionarySize = hint.dictionarySize;
                member->arraySize = hint.arraySize;
            }
        }
        std::uint64_t bit = std::uint64_t(1) << hash;
        if (slot->keys & bit) {
            dictionary->set(name, decoder(user).take(value));
        } else {
            slot->keys |= bit;
            dictionary->addAbsent(name, decoder(user).take(value));
        }
    },
    [](const json_callbacks*, void* user) -> void* {
        auto array = std::allocate_shared<pf::Array>(pf::PoolAllocator<pf::Array>());
        pf::Array* raw = array.get();
        Slot* slot = decoder(user).makeSlot(pf::Value(std::move(array)));
        slot->array = raw;
        return slot;
    },
    [](const json_callbacks*, void* array, void* value, void* user) {
        auto* parent = static_cast<Slot*>(array);
        pf::Array* raw = parent->array;
        if (!raw)
            return;
        Decoder& d = decoder(user);
        if (!d.isScalar(value)) {
            auto* element = static_cast<Slot*>(value);
            element->parent = parent;
            if (element->dictionary && parent->dictionarySize)
                element->dictionary->reserve(parent->dictionarySize);
            else if (element->array && parent->arraySize)
                element->array->reserve(parent->arraySize);
        }
        // Most arrays hold a few elements: room for them at once spares
        // the regrowths from one.
        if (raw->values().capacity() == 0)
            raw->reserve(4);
        raw->add(d.take(value));
    },
    [](const json_callbacks*, const char* text, std::uint32_t length, void* user) -> void* {
        return makeScalarNumber(decoder(user), number(text, length));
    },
    [](const json_callbacks*, const char* bytes, std::uint32_t length, byte_buffer*, void* user) -> void* {
        // The scanner hands over valid UTF-8 only.
        Decoder& d = decoder(user);
        d.scalar.kind = Scalar::Kind::String;
        d.scalar.bytes = bytes;
        d.scalar.length = length;
        return d.madeScalar();
    },
    [](const json_callbacks*, int value, void* user) -> void* {
        pf::Number n;
        n.type = pf::NumberType::Bool;
        n.integer = value ? 1 : 0;
        return makeScalarNumber(decoder(user), n);
    },
    [](const json_callbacks*, void* user) -> void* {
        Decoder& d = decoder(user);
        d.scalar.kind = Scalar::Kind::Null;
        return d.madeScalar();
    },
    [](const json_callbacks*, void* value, void* user) {
        Decoder& d = decoder(user);
        if (d.isScalar(value))
            return;
        auto* slot = static_cast<Slot*>(value);
        auto size = std::uint32_t(std::min(slot->dictionary ? slot->dictionary->count() : slot->array->count(), kMaxHint));
        if (Slot* parent = slot->parent)
            (slot->dictionary ? parent->dictionarySize : parent->arraySize) = size;
        if (slot->key != kNoKey)
            d.memberHints[slot->key] = {size, slot->dictionarySize, slot->arraySize};
        slot->key = kNoKey;
        slot->parent = nullptr;
        slot->dictionarySize = slot->arraySize = 0;
        slot->keys = 0;
        slot->value = pf::Value(); // drops a container no parent took (its key was not UTF-8)
        slot->dictionary = nullptr;
        slot->array = nullptr;
        d.free.push_back(slot);
    },
};

constexpr int kMaxDepth = JSON_SCAN_MAX_DEPTH;

using Writer = pf::TextWriter;

// One pass: eight bytes are tested and copied at a time while none needs an
// escape (no control character, quote or backslash), which is nearly all
// text.
void encodeString(const std::string& text, Writer& out)
{
    static const char hex[] = "0123456789abcdef";
    const char* bytes = text.data();
    const std::size_t size = text.size();
    // Room for the text as it is, its quotes and one eight-byte store past
    // its end; an escape asks for its own.
    char* at = out.room(size + 10);
    *at++ = '"';
    std::size_t i = 0;
    for (;;) {
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if (pf::jsonPlainRunStops(word, false))
                break;
            std::memcpy(at, &word, 8);
            at += 8;
            i += 8;
        }
        if (i >= size)
            break;
        unsigned char c = static_cast<unsigned char>(bytes[i++]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            *at++ = char(c);
            continue;
        }
        out.advance(at);
        at = out.room(size - i + 16);
        *at++ = '\\';
        switch (c) {
        case '"': *at++ = '"'; break;
        case '\\': *at++ = '\\'; break;
        case '\n': *at++ = 'n'; break;
        case '\r': *at++ = 'r'; break;
        case '\t': *at++ = 't'; break;
        default:
            std::memcpy(at, "u00", 3);
            at[3] = hex[c >> 4];
            at[4] = hex[c & 15];
            at += 5;
            break;
        }
    }
    *at++ = '"';
    out.advance(at);
}

// Room for any number text (a double's shortest form is under 25 bytes).
constexpr std::size_t kNumberRoom = 64;

void encodeNumber(const pf::Number& n, Writer& out)
{
    char* at = out.room(kNumberRoom);
    char* end = at + kNumberRoom;
    std::to_chars_result result;
    switch (n.type) {
    case pf::NumberType::Bool: out.put(n.integer ? '1' : '0'); return;
    case pf::NumberType::Decimal: {
        std::string digits; // a decimal's text is JSON, every digit kept
        pf::appendDecimalText(n, digits);
        out.put(digits.data(), digits.size());
        return;
    }
    case pf::NumberType::UnsignedLongLong:
        result = std::to_chars(at, end, static_cast<unsigned long long>(n.integer));
        break;
    case pf::NumberType::Float:
    case pf::NumberType::Double:
        if (!std::isfinite(n.real)) {
            out.put("null"); // JSON has no text for NaN or infinity
            return;
        }
        if (n.type == pf::NumberType::Float)
            result = std::to_chars(at, end, static_cast<float>(n.real));
        else
            result = std::to_chars(at, end, n.real);
        break;
    default: result = std::to_chars(at, end, n.integer); break;
    }
    out.advance(result.ptr);
}

void encode(const pf::Value& value, Writer& out, int depth);

void encodeMember(const std::string& key, const pf::Value& value, bool& first, Writer& out, int depth)
{
    if (value.isNilOrNull())
        return;
    if (!first)
        out.put(',');
    first = false;
    encodeString(key, out);
    out.put(':');
    encode(value, out, depth);
}

void encode(const pf::Value& value, Writer& out, int depth)
{
    bool container = value.isArray() || value.isDictionary() || value.isObject();
    if (container && depth >= kMaxDepth) {
        out.put("null");
        return;
    }
    switch (value.type()) {
    case pf::Value::Type::Number: encodeNumber(*value.number(), out); return;
    case pf::Value::Type::String: encodeString(*value.string(), out); return;
    case pf::Value::Type::Dictionary: {
        // The collections are read through the value, which holds them for
        // the whole call: no reference is taken.
        out.put('{');
        bool first = true;
        for (const auto& [key, member] : *value.dictionaryPointer())
            encodeMember(key, member, first, out, depth + 1);
        out.put('}');
        return;
    }
    case pf::Value::Type::Array: {
        out.put('[');
        bool first = true;
        for (const auto& element : *value.arrayPointer()) {
            if (!first)
                out.put(',');
            first = false;
            encode(element, out, depth + 1);
        }
        out.put(']');
        return;
    }
    case pf::Value::Type::Object: {
        pf::ObjectRef object = value.object();
        out.put('{');
        bool first = true;
        for (const pf::Class* cls = pf::Class::of(*object); cls; cls = cls->superclass())
            for (const auto& property : cls->properties())
                if (property.get)
                    encodeMember(property.name, property.get(*object), first, out, depth + 1);
        out.put('}');
        return;
    }
    case pf::Value::Type::Data:
    case pf::Value::Type::Date:
        // Objects without declared properties.
        out.put("{}");
        return;
    case pf::Value::Type::Nil:
    case pf::Value::Type::Null: out.put("null"); return;
    }
}
}

pf::Value KRJSON::decodeText(const std::string& text)
{
    return decodeTextAndEnd(text).value;
}

KRJSON::Decoded KRJSON::decodeTextAndEnd(const std::string& text)
{
    if (text.empty())
        return {};
    Decoder decoder;
    int closed = 0;
    void* root = json_scan_ending(&kDecodeTable, text.c_str(), &decoder, &closed);
    if (!root)
        return {};
    if (root == &decoder.scalarRoot)
        return {std::move(decoder.scalarRoot), closed != 0};
    return {std::move(static_cast<Slot*>(root)->value), closed != 0};
}

std::string KRJSON::encodeObject(const pf::Value& object)
{
    Writer out(100);
    encode(object, out, 0);
    return out.take();
}
