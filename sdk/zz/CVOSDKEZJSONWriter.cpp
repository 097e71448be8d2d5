#include "sdk/zz/CVOSDKEZJSONWriter.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/Object.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <typeinfo>

namespace {

void appendString(std::string_view s, std::string& out)
{
    out += '"';
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(s.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        default: {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        }
        }
    }
    out.append(s.data() + runStart, s.size() - runStart);
    out += '"';
}

std::string typeName(const pf::Value& value)
{
    switch (value.type()) {
    case pf::Value::Type::Nil: return "(null)";
    case pf::Value::Type::Number: return "Number";
    case pf::Value::Type::Data: return "Data";
    case pf::Value::Type::Date: return "Date";
    case pf::Value::Type::Object: {
        auto object = value.object();
        if (auto* cls = object->objectClass())
            return cls->name();
        return "Object";
    }
    default: return "Value";
    }
}

pf::Value proxyOf(const pf::Value& value)
{
    if (auto proxy = value.objectAs<ICVOSDKEZJSONProxy>())
        return proxy->proxyForJson();
    return {};
}

}

std::optional<std::string> CVOSDKEZJSONWriter::stringWithObject(const pf::Value& object)
{
    if (object.isDictionary() || object.isArray())
        return stringWithFragment(object);
    if (pf::Value proxy = proxyOf(object); !proxy.isNil())
        return stringWithObject(proxy);
    clearErrorTrace();
    addErrorWithCode(4, "Not valid type for JSON");
    return std::nullopt;
}

std::optional<std::string> CVOSDKEZJSONWriter::stringWithFragment(const pf::Value& value)
{
    clearErrorTrace();
    m_depth = 0;
    m_human = humanReadable();
    m_sort = sortKeys();
    std::string out;
    if (!appendValue(value, out))
        return std::nullopt;
    return out;
}

bool CVOSDKEZJSONWriter::appendValue(const pf::Value& value, std::string& out)
{
    switch (value.type()) {
    case pf::Value::Type::Dictionary:
        return appendDictionary(*value.dictionary(), out);
    case pf::Value::Type::Array:
        return appendArray(*value.array(), out);
    case pf::Value::Type::String:
        appendString(*value.string(), out);
        return true;
    case pf::Value::Type::Number:
        return appendNumber(*value.number(), out) || unsupported(value);
    case pf::Value::Type::Null:
        out += "null";
        return true;
    default:
        if (pf::Value proxy = proxyOf(value); !proxy.isNil())
            return appendValue(proxy, out);
        return unsupported(value);
    }
}

bool CVOSDKEZJSONWriter::unsupported(const pf::Value& value)
{
    addErrorWithCode(1, "JSON serialisation not supported for " + typeName(value));
    return false;
}

bool CVOSDKEZJSONWriter::appendDictionary(const pf::Dictionary& dictionary, std::string& out)
{
    if (!enterLevel())
        return false;
    out += '{';
    std::vector<const pf::Dictionary::Entry*> entries;
    entries.reserve(dictionary.count());
    for (const auto& entry : dictionary)
        entries.push_back(&entry);
    if (m_sort)
        std::sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->first < b->first; });
    bool first = true;
    for (const auto* entry : entries) {
        if (!first)
            out += ',';
        first = false;
        if (m_human)
            appendIndent(out);
        appendString(entry->first, out);
        out += m_human ? " : " : ":";
        if (!appendValue(entry->second, out)) {
            addErrorWithCode(1, "Unsupported value for key " + entry->first + " in object");
            return false;
        }
    }
    leaveLevel();
    if (m_human && !entries.empty())
        appendIndent(out);
    out += '}';
    return true;
}

bool CVOSDKEZJSONWriter::appendArray(const pf::Array& array, std::string& out)
{
    if (!enterLevel())
        return false;
    out += '[';
    bool first = true;
    for (const auto& element : array) {
        if (!first)
            out += ',';
        first = false;
        if (m_human)
            appendIndent(out);
        if (!appendValue(element, out))
            return false;
    }
    leaveLevel();
    if (m_human && !array.empty())
        appendIndent(out);
    out += ']';
    return true;
}

bool CVOSDKEZJSONWriter::appendNumber(const pf::Number& number, std::string& out)
{
    char buffer[32];
    std::to_chars_result result;
    switch (number.type) {
    case pf::NumberType::Bool:
        out += number.integer ? "true" : "false";
        return true;
    case pf::NumberType::Decimal:
        pf::appendDecimalText(number, out); // every digit, in plain notation
        return true;
    case pf::NumberType::UnsignedLongLong:
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned long long>(number.integer));
        break;
    case pf::NumberType::Float:
    case pf::NumberType::Double:
        // Text cannot carry NaN or an infinity; writing it would give a
        // document no parser reads back.
        if (!std::isfinite(number.real))
            return false;
        result = number.type == pf::NumberType::Float
            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(number.real))
            : std::to_chars(buffer, buffer + sizeof buffer, number.real);
        break;
    default:
        result = std::to_chars(buffer, buffer + sizeof buffer, number.integer);
    }
    out.append(buffer, result.ptr);
    return true;
}

void CVOSDKEZJSONWriter::appendIndent(std::string& out) const
{
    out += '\n';
    out.append(2 * static_cast<std::size_t>(m_depth), ' ');
}
