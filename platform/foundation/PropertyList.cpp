#include "platform/foundation/PropertyList.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace pf {

namespace {

constexpr int kMaxDepth = 256;

std::string textOf(xmlNode* node)
{
    std::string out;
    for (xmlNode* c = node->children; c; c = c->next)
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            out += reinterpret_cast<const char*>(c->content);
    return out;
}

bool isElement(xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::optional<Bytes> decodeBase64(const std::string& text)
{
    static const auto table = [] {
        std::array<int, 256> t{};
        t.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            t[static_cast<unsigned char>(alphabet[i])] = i;
        return t;
    }();
    Bytes out;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : text) {
        if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        int v = table[c];
        if (v < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>((bits >> count) & 0xFF));
        }
    }
    return out;
}

ErrorOr<Value> fail(const std::string& what)
{
    return Error{"PropertyList", 1, what};
}

ErrorOr<Value> convert(xmlNode* node, int depth)
{
    if (depth > kMaxDepth)
        return fail("property list nested too deeply");
    if (isElement(node, "dict")) {
        auto dict = Dictionary::create();
        std::optional<std::string> key;
        for (xmlNode* c = node->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE)
                continue;
            if (isElement(c, "key")) {
                key = textOf(c);
                continue;
            }
            if (!key)
                return fail("dict value without a key");
            auto value = convert(c, depth + 1);
            if (!value)
                return value;
            dict->set(*key, std::move(value.value()));
            key.reset();
        }
        return Value(dict);
    }
    if (isElement(node, "array")) {
        auto array = Array::create();
        for (xmlNode* c = node->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE)
                continue;
            auto value = convert(c, depth + 1);
            if (!value)
                return value;
            array->add(std::move(value.value()));
        }
        return Value(array);
    }
    if (isElement(node, "string"))
        return Value(textOf(node));
    if (isElement(node, "integer")) {
        std::string t = textOf(node);
        errno = 0;
        char* end = nullptr;
        long long v = std::strtoll(t.c_str(), &end, 10);
        if (end == t.c_str() || errno == ERANGE)
            return fail("bad integer \"" + t + "\"");
        return Value(v);
    }
    if (isElement(node, "real")) {
        std::string t = textOf(node);
        char* end = nullptr;
        double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str())
            return fail("bad real \"" + t + "\"");
        return Value(v);
    }
    if (isElement(node, "true"))
        return Value::boolean(true);
    if (isElement(node, "false"))
        return Value::boolean(false);
    if (isElement(node, "date")) {
        std::string t = textOf(node);
        std::tm tm{};
        const char* end = strptime(t.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm);
        if (!end)
            return fail("bad date \"" + t + "\"");
        return Value(Date{static_cast<double>(timegm(&tm))});
    }
    if (isElement(node, "data")) {
        auto bytes = decodeBase64(textOf(node));
        if (!bytes)
            return fail("bad data");
        return Value::data(std::move(*bytes));
    }
    return fail(std::string("unknown element <") + reinterpret_cast<const char*>(node->name) + ">");
}

}

ErrorOr<Value> parsePropertyList(std::string_view xml)
{
    if (xml.size() > static_cast<std::size_t>(INT32_MAX))
        return fail("property list too large");
    // No network, no entity expansion, no DTD loading: the text is data.
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "plist.xml", nullptr, options);
    if (!doc)
        return fail("not a well-formed XML document");
    ErrorOr<Value> result = fail("no plist element");
    xmlNode* root = xmlDocGetRootElement(doc);
    if (root && isElement(root, "plist")) {
        result = fail("empty plist");
        for (xmlNode* c = root->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE) {
                result = convert(c, 0);
                break;
            }
    }
    xmlFreeDoc(doc);
    return result;
}

ErrorOr<Value> readPropertyListFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Error{"PropertyList", 2, "cannot open " + path};
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string bytes = buffer.str();
    if (isBinaryPropertyList(bytes))
        return parseBinaryPropertyList(bytes);
    return parsePropertyList(bytes);
}

}
