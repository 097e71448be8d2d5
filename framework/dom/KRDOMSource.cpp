#include "framework/dom/KRDOMSource.h"

#include "framework/core/KRDataOutlet.h"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// The encoding of each byte; null for bytes kept as they are.
constexpr std::array<const char*, 256> encodings()
{
    std::array<const char*, 256> table{};
    table[' '] = "&nbsp;";
    table['<'] = "&lt;";
    table['>'] = "&gt;";
    table['\n'] = "\\n";
    table['\r'] = "";
    table['\0'] = ""; // the tokenizer refuses a text holding one: the whole document would be lost
    table['\t'] = "\\t";
    table['\\'] = "\\\\";
    table['"'] = "\\\"";
    table['\''] = "\\'";
    table['&'] = "\\&";
    return table;
}

constexpr auto kEncodings = encodings();

// Appends the text with each byte that has an encoding replaced by it.
void appendEncoded(std::string& out, std::string_view text)
{
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); i++) {
        const char* encoded = kEncodings[(unsigned char)text[i]];
        if (!encoded)
            continue;
        out.append(text.substr(run, i - run));
        out.append(encoded);
        run = i + 1;
    }
    out.append(text.substr(run));
}

// A value that is not a string goes in as its description, encoded like a
// string: descriptions keep the text of the strings inside a collection, and
// data describes itself in angle brackets, so an unencoded one could add
// markup from the data.
void appendValue(std::string& out, const pf::Value& value, bool raw)
{
    if (value.isNilOrNull())
        return;
    if (const std::string* text = value.string()) {
        if (raw)
            out += *text;
        else
            appendEncoded(out, *text);
        return;
    }
    if (const pf::Number* n = value.number(); n && !n->isReal()) {
        // A whole number's description is its digits and sign, which need
        // no encoding: written in place, with no text made for it.
        char digits[24];
        auto written = n->type == pf::NumberType::UnsignedLongLong
                           ? std::to_chars(digits, digits + sizeof digits, static_cast<unsigned long long>(n->integer))
                           : std::to_chars(digits, digits + sizeof digits, n->integer);
        out.append(digits, written.ptr);
        return;
    }
    std::string description = value.description();
    if (raw)
        out += description;
    else
        appendEncoded(out, description);
}

}

std::string htmlEncodeString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    appendEncoded(out, text);
    return out;
}

std::string htmlDecodeString(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        std::string_view rest = text.substr(i);
        if (c == '&') {
            if (rest.starts_with("&nbsp;")) {
                out += ' ';
                i += 5;
                continue;
            }
            if (rest.starts_with("&lt;") || rest.starts_with("&gt;")) {
                out += rest[1] == 'l' ? '<' : '>';
                i += 3;
                continue;
            }
        } else if (c == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            if (e == 'n' || e == 't' || e == '\\' || e == '"' || e == '\'' || e == '&') {
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                i++;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string htmlStringByDOMSource(std::string_view templateText, const pf::Value& source)
{
    // Markup: values are encoded unless the key asks for them raw ("$").
    return fillTemplateKeys(templateText, [&source](std::string& out, std::string_view key) {
        const bool raw = !key.empty() && key[0] == '$';
        pf::Value holder;
        if (const pf::Value* value = valueAtKeyPath(source, raw ? key.substr(1) : key, holder))
            appendValue(out, *value, raw);
    });
}
