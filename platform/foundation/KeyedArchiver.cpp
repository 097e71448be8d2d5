#include "platform/foundation/KeyedArchiver.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"

#include <cstring>
#include <plist/plist.h>

namespace pf {

namespace {

constexpr const char* kArchiverName = "ZMRKeyedArchiver";

struct PlistHolder {
    plist_t node = nullptr;
    ~PlistHolder()
    {
        if (node)
            plist_free(node);
    }
};

// Texts travel as property-list strings: valid UTF-8 without NUL bytes.
bool archivableText(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t need = c == 0 ? 9 : c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 9;
        if (need == 9 || i + need >= text.size() + (need ? 0 : 1))
            return false;
        for (std::size_t k = 1; k <= need; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += need + 1;
    }
    return true;
}

plist_t tagged(const char* className, plist_t value)
{
    plist_t node = plist_new_dict();
    plist_dict_set_item(node, "$class", plist_new_string(className));
    if (value)
        plist_dict_set_item(node, "v", value);
    return node;
}

plist_t encodeNode(const Value& value, int depth)
{
    if (depth > KeyedArchiver::kMaxDepth)
        return nullptr;
    switch (value.type()) {
    case Value::Type::Null: return tagged("Null", nullptr);
    case Value::Type::String:
        if (!archivableText(*value.string()))
            return nullptr;
        return tagged("String", plist_new_string(value.string()->c_str()));
    case Value::Type::Number: {
        const Number& number = *value.number();
        plist_t node = tagged("Number", nullptr);
        char code[2] = {numberTypeCode(number.type), 0};
        plist_dict_set_item(node, "t", plist_new_string(code));
        if (number.type == NumberType::Bool)
            plist_dict_set_item(node, "v", plist_new_bool(number.integer != 0));
        else if (number.isReal())
            plist_dict_set_item(node, "v", plist_new_real(number.real));
        else
            plist_dict_set_item(node, "v", plist_new_uint(static_cast<std::uint64_t>(number.integer)));
        return node;
    }
    case Value::Type::Date: return tagged("Date", plist_new_real(value.date()->seconds));
    case Value::Type::Data: {
        auto bytes = value.data();
        return tagged("Data", plist_new_data(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    }
    case Value::Type::Array: {
        plist_t list = plist_new_array();
        for (const Value& member : *value.array()) {
            plist_t child = encodeNode(member, depth + 1);
            if (!child) {
                plist_free(list);
                return nullptr;
            }
            plist_array_append_item(list, child);
        }
        return tagged("Array", list);
    }
    case Value::Type::Dictionary: {
        // Keys and values as two parallel arrays keep the dictionary's order.
        plist_t keys = plist_new_array();
        plist_t values = plist_new_array();
        plist_t node = tagged("Dictionary", nullptr);
        plist_dict_set_item(node, "k", keys);
        plist_dict_set_item(node, "v", values);
        for (const auto& [key, member] : *value.dictionary()) {
            plist_t child = archivableText(key) ? encodeNode(member, depth + 1) : nullptr;
            if (!child) {
                plist_free(node);
                return nullptr;
            }
            plist_array_append_item(keys, plist_new_string(key.c_str()));
            plist_array_append_item(values, child);
        }
        return node;
    }
    default: return nullptr;
    }
}

std::optional<std::string> stringOf(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    // Read by pointer and length: hostile archives may hold NUL bytes, which
    // the copying accessor refuses by aborting.
    std::uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text)
        return std::nullopt;
    std::string out(text, length);
    if (!archivableText(out))
        return std::nullopt;
    return out;
}

std::optional<Value> decodeNode(plist_t node, const std::set<std::string>& allowed, int depth)
{
    if (depth > KeyedArchiver::kMaxDepth || !node || plist_get_node_type(node) != PLIST_DICT)
        return std::nullopt;
    auto className = stringOf(plist_dict_get_item(node, "$class"));
    if (!className || !allowed.count(*className))
        return std::nullopt;
    plist_t v = plist_dict_get_item(node, "v");
    plist_type vType = v ? plist_get_node_type(v) : PLIST_NONE;
    if (*className == "Null")
        return Value::null();
    if (*className == "String") {
        auto text = stringOf(v);
        return text ? std::optional<Value>(Value(*text)) : std::nullopt;
    }
    if (*className == "Date") {
        if (vType != PLIST_REAL)
            return std::nullopt;
        double seconds = 0;
        plist_get_real_val(v, &seconds);
        return Value(Date{seconds});
    }
    if (*className == "Data") {
        if (vType != PLIST_DATA)
            return std::nullopt;
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(v, &length);
        auto* start = reinterpret_cast<const std::uint8_t*>(bytes);
        return Value::data(Bytes(start, start + (bytes ? length : 0)));
    }
    if (*className == "Number") {
        auto code = stringOf(plist_dict_get_item(node, "t"));
        if (!code || code->size() != 1)
            return std::nullopt;
        char c = (*code)[0];
        if (c == 'c' && vType == PLIST_BOOLEAN) {
            std::uint8_t b = 0;
            plist_get_bool_val(v, &b);
            return Value(b != 0);
        }
        if ((c == 'f' || c == 'd') && vType == PLIST_REAL) {
            double real = 0;
            plist_get_real_val(v, &real);
            return Value::number(c == 'f' ? NumberType::Float : NumberType::Double, real);
        }
        if ((c == 'i' || c == 'l' || c == 'q' || c == 'Q') && vType == PLIST_UINT) {
            std::uint64_t bits = 0;
            plist_get_uint_val(v, &bits);
            if (c == 'Q')
                return Value::unsignedNumber(bits);
            NumberType type = c == 'i' ? NumberType::Int : c == 'l' ? NumberType::Long : NumberType::LongLong;
            return Value::number(type, static_cast<long long>(bits));
        }
        return std::nullopt;
    }
    if (*className == "Array") {
        if (vType != PLIST_ARRAY)
            return std::nullopt;
        auto array = std::make_shared<Array>();
        for (std::uint32_t i = 0, n = plist_array_get_size(v); i < n; ++i) {
            auto member = decodeNode(plist_array_get_item(v, i), allowed, depth + 1);
            if (!member)
                return std::nullopt;
            array->add(std::move(*member));
        }
        return Value(array);
    }
    if (*className == "Dictionary") {
        plist_t keys = plist_dict_get_item(node, "k");
        if (vType != PLIST_ARRAY || !keys || plist_get_node_type(keys) != PLIST_ARRAY ||
            plist_array_get_size(keys) != plist_array_get_size(v))
            return std::nullopt;
        auto dictionary = std::make_shared<Dictionary>();
        for (std::uint32_t i = 0, n = plist_array_get_size(v); i < n; ++i) {
            auto key = stringOf(plist_array_get_item(keys, i));
            auto member = decodeNode(plist_array_get_item(v, i), allowed, depth + 1);
            if (!key || !member)
                return std::nullopt;
            dictionary->set(*key, std::move(*member));
        }
        return Value(dictionary);
    }
    return std::nullopt;
}

}

std::optional<Bytes> KeyedArchiver::archivedDataWithRootObject(const Value& root)
{
    plist_t tree = encodeNode(root, 0);
    if (!tree)
        return std::nullopt;
    PlistHolder archive{plist_new_dict()};
    plist_dict_set_item(archive.node, "$archiver", plist_new_string(kArchiverName));
    plist_dict_set_item(archive.node, "$version", plist_new_uint(1));
    plist_dict_set_item(archive.node, "$root", tree);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(archive.node, &bytes, &length);
    if (!bytes)
        return std::nullopt;
    Bytes out(reinterpret_cast<std::uint8_t*>(bytes), reinterpret_cast<std::uint8_t*>(bytes) + length);
    plist_to_bin_free(bytes);
    return out;
}

std::optional<Value> KeyedUnarchiver::unarchiveObjectWithData(const Bytes& data,
                                                              const std::set<std::string>& allowedClasses,
                                                              std::size_t maxSize)
{
    if (data.empty() || data.size() > maxSize || data.size() > UINT32_MAX)
        return std::nullopt;
    // Shared or deeply nested containers would unfold inside libplist first.
    if (checkBinaryPropertyList({reinterpret_cast<const char*>(data.data()), data.size()}))
        return std::nullopt;
    PlistHolder archive;
    plist_from_bin(reinterpret_cast<const char*>(data.data()), static_cast<std::uint32_t>(data.size()), &archive.node);
    if (!archive.node || plist_get_node_type(archive.node) != PLIST_DICT)
        return std::nullopt;
    if (stringOf(plist_dict_get_item(archive.node, "$archiver")) != std::optional<std::string>(kArchiverName))
        return std::nullopt;
    return decodeNode(plist_dict_get_item(archive.node, "$root"), allowedClasses, 0);
}

}
