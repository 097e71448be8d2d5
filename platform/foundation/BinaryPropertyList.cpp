#include "platform/foundation/BinaryPropertyList.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <plist/plist.h>
#include <string>
#include <utility>
#include <vector>

namespace pf {

namespace {

constexpr const char* kDomain = "PropertyList";
constexpr std::string_view kMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;
constexpr std::uint64_t kMaxUnfoldedBytes = 64u << 20;
// Dates travel as seconds since the start of 2001.
constexpr double kSecondsFrom1970To2001 = 978307200;

Error refuse(const std::string& what) { return Error{kDomain, 1, "binary property list: " + what}; }
Error refuseWrite(const std::string& what) { return Error{kDomain, 1, "cannot write " + what + " into a binary property list"}; }

struct PlistHolder {
    plist_t node = nullptr;
    ~PlistHolder()
    {
        if (node)
            plist_free(node);
    }
};

std::uint64_t readBigEndian(const std::uint8_t* p, unsigned size)
{
    std::uint64_t value = 0;
    for (unsigned i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

}

// Walks the object graph from the top object without building anything, so
// that libplist, which follows references recursively and copies shared
// objects at every use, only ever sees a tree of bounded depth and size.
std::optional<Error> checkBinaryPropertyList(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t size = text.size();
    if (size < kMagic.size() + kTrailerSize + 1 || text.substr(0, kMagic.size()) != kMagic)
        return refuse("not one");
    const std::uint8_t* trailer = bytes + size - kTrailerSize;
    unsigned offsetSize = trailer[6];
    unsigned refSize = trailer[7];
    std::uint64_t count = readBigEndian(trailer + 8, 8);
    std::uint64_t top = readBigEndian(trailer + 16, 8);
    std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    std::size_t tableEnd = size - kTrailerSize;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8)
        return refuse("bad integer sizes in the trailer");
    if (count == 0 || top >= count || tableOffset < kMagic.size() || tableOffset > tableEnd
        || count > (tableEnd - tableOffset) / offsetSize)
        return refuse("the object table lies outside the file");

    auto objectOffset = [&](std::uint64_t index) -> std::optional<std::size_t> {
        std::uint64_t offset = readBigEndian(bytes + tableOffset + index * offsetSize, offsetSize);
        if (offset < kMagic.size() || offset >= tableOffset)
            return std::nullopt;
        return static_cast<std::size_t>(offset);
    };

    // An object's length from its marker (or the integer after it), and
    // where its contents start.
    auto lengthAt = [&](std::size_t offset) -> std::optional<std::pair<std::uint64_t, std::size_t>> {
        std::size_t start = offset + 1;
        std::uint64_t length = bytes[offset] & 0xF;
        if (length != 0xF)
            return std::pair{length, start};
        if (start >= tableOffset || (bytes[start] >> 4) != 0x1 || (bytes[start] & 0xF) > 3)
            return std::nullopt;
        unsigned lengthSize = 1u << (bytes[start] & 0xF);
        if (start + 1 + lengthSize > tableOffset)
            return std::nullopt;
        return std::pair{readBigEndian(bytes + start + 1, lengthSize), start + 1 + lengthSize};
    };
    // libplist stops the program on a dictionary key holding a NUL, so keys
    // are looked at here: ASCII or UTF-16 text without a zero unit.
    auto keyIsText = [&](std::size_t offset) {
        unsigned kind = bytes[offset] >> 4;
        auto length = lengthAt(offset);
        if ((kind != 0x5 && kind != 0x6) || !length)
            return false;
        auto [units, start] = *length;
        unsigned unitSize = kind == 0x6 ? 2 : 1;
        if (units > (tableOffset - start) / unitSize)
            return false;
        for (std::uint64_t i = 0; i < units; ++i)
            if (readBigEndian(bytes + start + i * unitSize, unitSize) == 0)
                return false;
        return true;
    };

    struct Pending {
        std::uint64_t index;
        unsigned depth;
        bool isKey;
    };
    std::vector<Pending> pending{{top, 0, false}};
    std::size_t visits = 0;
    // Data and text as libplist unfolds them; lists that name the same datum
    // or text more than once (libplist's own writer shares equal ones) may
    // unfold beyond their size, up to this.
    const std::uint64_t unfoldBudget = std::max<std::uint64_t>(size, kMaxUnfoldedBytes);
    std::uint64_t unfolded = 0;
    while (!pending.empty()) {
        Pending node = pending.back();
        pending.pop_back();
        if (++visits > size)
            return refuse("shared containers expand beyond the file's size");
        auto offset = objectOffset(node.index);
        if (!offset)
            return refuse("an object lies outside the file");
        std::uint8_t marker = bytes[*offset];
        unsigned kind = marker >> 4;
        if (node.isKey && !keyIsText(*offset))
            return refuse("a key that is not text without NULs");
        if (kind == 0x4 || kind == 0x5 || kind == 0x6) {
            // libplist copies a datum or text at every reference: one of a
            // megabyte named a million times must not reach it.
            auto length = lengthAt(*offset);
            std::uint64_t units = length ? length->first : 0;
            std::uint64_t payload = units > unfoldBudget ? units : units * (kind == 0x6 ? 2 : 1);
            if (payload > unfoldBudget - unfolded)
                return refuse("shared data unfolds beyond " + std::to_string(unfoldBudget) + " bytes");
            unfolded += payload;
            continue;
        }
        if (kind != 0xA && kind != 0xC && kind != 0xD)
            continue; // scalars are bounded by their own lengths, which libplist checks
        auto length = lengthAt(*offset);
        if (!length)
            return refuse("bad container length");
        auto [members, start] = *length;
        std::uint64_t refs = kind == 0xD ? members * 2 : members;
        if ((kind == 0xD && members > std::numeric_limits<std::uint64_t>::max() / 2)
            || refs > (tableOffset - start) / refSize)
            return refuse("a container runs past its data");
        if (refs > 0 && node.depth >= kMaxBinaryPropertyListDepth)
            return refuse("nested too deeply");
        for (std::uint64_t i = 0; i < refs; ++i) {
            std::uint64_t child = readBigEndian(bytes + start + i * refSize, refSize);
            if (child >= count)
                return refuse("a reference leaves the object table");
            pending.push_back({child, node.depth + 1, kind == 0xD && i < members});
        }
    }
    return std::nullopt;
}

namespace {

// Whole seconds and microseconds as libplist keeps them; nothing outside
// its 32-bit range.
std::optional<std::pair<std::int32_t, std::int32_t>> splitDate(double since2001)
{
    if (!std::isfinite(since2001))
        return std::nullopt;
    double whole = std::floor(since2001);
    auto micro = std::lround((since2001 - whole) * 1e6);
    if (micro >= 1000000) {
        whole += 1;
        micro -= 1000000;
    }
    if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::pair{static_cast<std::int32_t>(whole), static_cast<std::int32_t>(micro)};
}

ErrorOr<std::string> textOf(const char* text, std::uint64_t length)
{
    std::string_view view(text ? text : "", text ? static_cast<std::size_t>(length) : 0);
    if (view.find('\0') != std::string_view::npos || !isValidUtf8(view))
        return refuse("a string that is not UTF-8 text");
    return std::string(view);
}

ErrorOr<Value> convert(plist_t node, unsigned depth)
{
    if (depth > kMaxBinaryPropertyListDepth)
        return refuse("nested too deeply");
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        auto dict = Dictionary::create();
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t member = nullptr;
            plist_dict_next_item(node, iter, &key, &member);
            if (!member) {
                std::free(key);
                break;
            }
            auto keyText = textOf(key, key ? std::strlen(key) : 0);
            std::free(key);
            if (!keyText) {
                std::free(iter);
                return keyText.error();
            }
            auto value = convert(member, depth + 1);
            if (!value) {
                std::free(iter);
                return value;
            }
            dict->set(*keyText, std::move(value.value()));
        }
        std::free(iter);
        return Value(dict);
    }
    case PLIST_ARRAY: {
        auto array = Array::create();
        for (std::uint32_t i = 0, n = plist_array_get_size(node); i < n; ++i) {
            auto value = convert(plist_array_get_item(node, i), depth + 1);
            if (!value)
                return value;
            array->add(std::move(value.value()));
        }
        return Value(array);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        auto string = textOf(text, length);
        if (!string)
            return string.error();
        return Value(std::move(*string));
    }
    case PLIST_BOOLEAN: {
        std::uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return Value::boolean(flag != 0);
    }
    case PLIST_UINT: {
        // Stored as 64 bits; eight-byte integers of the format are signed.
        std::uint64_t bits = 0;
        plist_get_uint_val(node, &bits);
        return Value(static_cast<long long>(bits));
    }
    case PLIST_REAL: {
        double real = 0;
        plist_get_real_val(node, &real);
        return Value(real);
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0, micro = 0;
        plist_get_date_val(node, &seconds, &micro);
        // libplist truncates toward zero and keeps the fraction's size
        // without its sign, so before 2001 the fraction counts backwards
        // (it cannot tell the second just before 2001 from the one after).
        double fraction = std::abs(micro) / 1e6;
        double since2001 = seconds < 0 ? seconds - fraction : seconds + fraction;
        // What is read must be writable again, also at the edge of the range.
        if (!splitDate(since2001))
            return refuse("a date out of range");
        return Value(Date{since2001 + kSecondsFrom1970To2001});
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* data = plist_get_data_ptr(node, &length);
        auto* start = reinterpret_cast<const std::uint8_t*>(data);
        return Value::data(data ? Bytes(start, start + length) : Bytes{});
    }
    default:
        return refuse("a value of a type without a counterpart");
    }
}

ErrorOr<plist_t> encode(const Value& value, unsigned depth);

ErrorOr<plist_t> encodeText(const std::string& text)
{
    if (text.find('\0') != std::string::npos || !isValidUtf8(text))
        return refuseWrite("text that is not UTF-8 or holds a NUL");
    return plist_new_string(text.c_str());
}

ErrorOr<plist_t> encode(const Value& value, unsigned depth)
{
    if (depth > kMaxBinaryPropertyListDepth)
        return refuseWrite("nesting deeper than 256 levels");
    switch (value.type()) {
    case Value::Type::Dictionary: {
        PlistHolder dict{plist_new_dict()};
        for (const auto& [key, member] : *value.dictionary()) {
            if (key.find('\0') != std::string::npos || !isValidUtf8(key))
                return refuseWrite("a key that is not UTF-8 or holds a NUL");
            auto child = encode(member, depth + 1);
            if (!child)
                return child.error();
            plist_dict_set_item(dict.node, key.c_str(), *child);
        }
        return std::exchange(dict.node, nullptr);
    }
    case Value::Type::Array: {
        PlistHolder array{plist_new_array()};
        for (const auto& member : *value.array()) {
            auto child = encode(member, depth + 1);
            if (!child)
                return child.error();
            plist_array_append_item(array.node, *child);
        }
        return std::exchange(array.node, nullptr);
    }
    case Value::Type::String:
        return encodeText(*value.string());
    case Value::Type::Number: {
        const Number n = value.number()->withoutDecimal(); // lists have no decimals
        if (n.type == NumberType::Bool)
            return plist_new_bool(n.integer != 0);
        if (n.isReal())
            return plist_new_real(n.real);
        if (n.type == NumberType::UnsignedLongLong && n.integer < 0)
            return refuseWrite("an integer beyond the signed 64-bit range");
        return plist_new_uint(static_cast<std::uint64_t>(n.integer));
    }
    case Value::Type::Date: {
        auto parts = splitDate(value.date()->seconds - kSecondsFrom1970To2001);
        if (!parts)
            return refuseWrite("a date out of range");
        return plist_new_date(parts->first, parts->second);
    }
    case Value::Type::Data: {
        const Bytes& bytes = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case Value::Type::Nil:
        return refuseWrite("nil");
    case Value::Type::Null:
        return refuseWrite("null");
    case Value::Type::Object:
        break;
    }
    return refuseWrite("an object");
}

}

bool isBinaryPropertyList(std::string_view bytes) { return bytes.substr(0, kMagic.size()) == kMagic; }

ErrorOr<Value> parseBinaryPropertyList(std::string_view bytes)
{
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return refuse("too large");
    if (auto error = checkBinaryPropertyList(bytes))
        return *error;
    PlistHolder root;
    plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root.node);
    if (!root.node)
        return refuse("damaged");
    return convert(root.node, 0);
}

ErrorOr<Bytes> writeBinaryPropertyList(const Value& value)
{
    auto root = encode(value, 0);
    if (!root)
        return root.error();
    PlistHolder holder{*root};
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(holder.node, &bytes, &length);
    if (!bytes)
        return refuseWrite("the list (libplist failed)");
    Bytes out(reinterpret_cast<const std::uint8_t*>(bytes), reinterpret_cast<const std::uint8_t*>(bytes) + length);
    plist_to_bin_free(bytes);
    return out;
}

}
