#include "framework/dom/KRDOMSource.h"

#include "framework/core/KRDataOutlet.h"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// The encoding of each byte, with its length so that it is appended
// without measuring it; `special` is clear for bytes kept as they are.
struct Encoding {
    bool special = false;
    unsigned char length = 0;
    char text[6] = {};
};

constexpr Encoding encoding(const char* text)
{
    Encoding e;
    e.special = true;
    while (text[e.length]) {
        e.text[e.length] = text[e.length];
        ++e.length;
    }
    return e;
}

constexpr std::array<Encoding, 256> encodings()
{
    std::array<Encoding, 256> table{};
    table[' '] = encoding("&nbsp;");
    table['<'] = encoding("&lt;");
    table['>'] = encoding("&gt;");
    table['\n'] = encoding("\\n");
    table['\r'] = encoding("");
    table['\0'] = encoding(""); // the tokenizer refuses a text holding one: the whole document would be lost
    table['\t'] = encoding("\\t");
    table['\\'] = encoding("\\\\");
    table['"'] = encoding("\\\"");
    table['\''] = encoding("\\'");
    table['&'] = encoding("\\&");
    return table;
}

constexpr auto kEncodings = encodings();

// Appends the text with each byte that has an encoding replaced by it.
void appendEncoded(std::string& out, std::string_view text)
{
    const char* run = text.data();
    const char* end = run + text.size();
    for (const char* p = run; p != end; ++p) {
        const Encoding& e = kEncodings[static_cast<unsigned char>(*p)];
        if (!e.special)
            continue;
        out.append(run, static_cast<std::size_t>(p - run));
        out.append(e.text, e.length);
        run = p + 1;
    }
    out.append(run, static_cast<std::size_t>(end - run));
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
    if (const pf::Number* n = value.number(); n && !n->isReal() && !n->isDecimal()) {
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
