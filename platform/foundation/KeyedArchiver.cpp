#include "platform/foundation/KeyedArchiver.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"

#include <cstring>
#include <plist/plist.h>

namespace pf {

namespace {

constexpr const char* kArchiverName = "ZMRKeyedArchiver";

thread_local std::size_t readBytes = 0;

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

// Writes the value tree post-order through the list writer, each node a
// dictionary tagged with its class; the tags and their names are written
// once and shared by reference.
class ArchiveEncoder {
public:
    using Ref = BinaryPropertyListWriter::Ref;

    explicit ArchiveEncoder(unsigned refSize) : m_writer(refSize) {}

    std::optional<Bytes> archive(const Value& root)
    {
        auto tree = encode(root, 0);
        if (!tree)
            return std::nullopt;
        Ref keys[] = {name("$archiver"), name("$version"), name("$root")};
        Ref values[] = {name(kArchiverName), m_writer.integer(1), *tree};
        auto out = m_writer.finish(m_writer.dictionary(keys, values));
        m_tooManyObjects = !out;
        return out;
    }
    // Whether archive() failed only for references too narrow.
    bool tooManyObjects() const { return m_tooManyObjects; }

private:
    Ref name(std::string_view text)
    {
        for (const auto& [known, ref] : m_names)
            if (known == text)
                return ref;
        return m_names.emplace_back(text, m_writer.string(text)).second;
    }
    Ref tagged(std::string_view className, std::optional<Ref> value)
    {
        Ref keys[] = {name("$class"), name("v")};
        Ref values[] = {name(className), value.value_or(0)};
        return m_writer.dictionary(std::span(keys, value ? 2 : 1), std::span(values, value ? 2 : 1));
    }

    std::optional<Ref> encode(const Value& value, int depth)
    {
        if (depth > KeyedArchiver::kMaxDepth)
            return std::nullopt;
        switch (value.type()) {
        case Value::Type::Null: return tagged("Null", std::nullopt);
        case Value::Type::String:
            if (!archivableText(*value.string()))
                return std::nullopt;
            return tagged("String", m_writer.string(*value.string()));
        case Value::Type::Number: {
            const Number& number = *value.number();
            char code[] = {numberTypeCode(number.type), 0};
            std::string digits;
            if (number.isDecimal())
                appendDecimalText(number, digits);
            // A decimal keeps its digits as text, which no real can hold.
            Ref v = number.type == NumberType::Bool ? m_writer.boolean(number.integer != 0)
                : number.isDecimal()                ? m_writer.string(digits)
                : number.isReal()                   ? m_writer.real(number.real)
                                                    : m_writer.integer(static_cast<std::uint64_t>(number.integer));
            Ref keys[] = {name("$class"), name("t"), name("v")};
            Ref values[] = {name("Number"), m_writer.string(code), v};
            return m_writer.dictionary(keys, values);
        }
        case Value::Type::Date: return tagged("Date", m_writer.real(value.date()->seconds));
        case Value::Type::Data: return tagged("Data", m_writer.data(*value.data()));
        case Value::Type::Array: {
            std::vector<Ref> members;
            members.reserve(value.array()->count());
            for (const Value& member : *value.array()) {
                auto child = encode(member, depth + 1);
                if (!child)
                    return std::nullopt;
                members.push_back(*child);
            }
            return tagged("Array", m_writer.array(members));
        }
        case Value::Type::Dictionary: {
            // Keys and values as two parallel arrays keep the dictionary's order.
            std::vector<Ref> keys, members;
            for (const auto& [key, member] : *value.dictionary()) {
                auto child = archivableText(key) ? encode(member, depth + 1) : std::nullopt;
                if (!child)
                    return std::nullopt;
                keys.push_back(m_writer.string(key));
                members.push_back(*child);
            }
            Ref tags[] = {name("$class"), name("k"), name("v")};
            Ref values[] = {name("Dictionary"), m_writer.array(keys), m_writer.array(members)};
            return m_writer.dictionary(tags, values);
        }
        default: return std::nullopt;
        }
    }

    BinaryPropertyListWriter m_writer;
    std::vector<std::pair<std::string_view, Ref>> m_names;
    bool m_tooManyObjects = false;
};

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
        if (c == 'd' && vType == PLIST_STRING) {
            auto text = stringOf(v);
            auto decimal = text ? decimalFromText(*text) : std::nullopt;
            return decimal ? std::optional<Value>(Value::number(*decimal)) : std::nullopt;
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
    // Most archives name fewer than 256 objects; larger ones are written
    // again with wider references.
    for (unsigned refSize : {1u, 2u, 4u, 8u}) {
        ArchiveEncoder encoder(refSize);
        auto out = encoder.archive(root);
        if (out || !encoder.tooManyObjects())
            return out;
    }
    return std::nullopt;
}

const std::set<std::string>& KeyedUnarchiver::valueClasses()
{
    static const std::set<std::string> classes { "Dictionary", "Array", "String", "Number", "Date", "Data", "Null" };
    return classes;
}

std::size_t KeyedUnarchiver::readBytesForTesting() { return readBytes; }

std::optional<Value> KeyedUnarchiver::unarchiveObjectWithData(const Bytes& data,
                                                              const std::set<std::string>& allowedClasses,
                                                              std::size_t maxSize)
{
    if (data.empty() || data.size() > maxSize || data.size() > UINT32_MAX)
        return std::nullopt;
    readBytes += data.size();
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
