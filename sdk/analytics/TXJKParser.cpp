#include "sdk/analytics/TXJKParser.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cctype>
#include <cstring>

TXJKParser::TXJKParser(TXJSONDecoder& decoder, const char* text, std::size_t length)
    : m_decoder(decoder), m_options(decoder.m_options), m_text(text), m_p(reinterpret_cast<const std::uint8_t*>(text)),
      m_length(length)
{
    m_stack.start(text, 64);
}

bool TXJKParser::loose() const { return m_options & TXJKParseOptionLooseUnicode; }

void TXJKParser::fail(std::string message)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error.description = std::move(message);
    m_error.atIndex = m_index;
    m_error.lineNumber = m_line;
}

pf::Value TXJKParser::run(TXJKError* error)
{
    skipSpace();
    pf::Value result;
    if (m_failed) {
    } else if (atEnd()) {
        fail("Reached the end of the buffer.");
    } else if (peek() != '[' && peek() != '{') {
        fail("Expected either '[' or '{'.");
    } else {
        result = parseValue(0);
        if (!m_failed) {
            skipSpace();
            if (!m_failed && !atEnd() && !(m_options & TXJKParseOptionPermitTextAfterValidJSON))
                fail("A valid JSON object was parsed but there were additional non-white-space characters "
                     "remaining.");
        }
    }
    if (m_failed) {
        if (error)
            *error = m_error;
        return {};
    }
    return result;
}

// Whitespace, line ends and (with the options) comments and Unicode line ends.
void TXJKParser::skipSpaceAndComments()
{
    while (!atEnd()) {
        std::uint8_t c = peek();
        if (c == ' ' || c == '\t') {
            ++m_index;
        } else if (c == '\n') {
            newLine(1);
        } else if (c == '\r') {
            newLine(peek(1) == '\n' ? 2 : 1);
        } else if ((m_options & TXJKParseOptionUnicodeNewlines) && c == 0xC2 && peek(1) == 0x85) {
            newLine(2);
        } else if ((m_options & TXJKParseOptionUnicodeNewlines) && c == 0xE2 && peek(1) == 0x80 &&
                   (peek(2) == 0xA8 || peek(2) == 0xA9)) {
            newLine(3);
        } else if ((m_options & TXJKParseOptionComments) && c == '/' && peek(1) == '/') {
            while (!atEnd() && peek() != '\n' && peek() != '\r')
                ++m_index;
        } else if ((m_options & TXJKParseOptionComments) && c == '/' && peek(1) == '*') {
            m_index += 2;
            while (!atEnd() && !(peek() == '*' && peek(1) == '/')) {
                if (peek() == '\n' || (peek() == '\r' && peek(1) != '\n'))
                    ++m_line;
                ++m_index;
            }
            if (atEnd())
                return failAtEnd();
            m_index += 2;
        } else {
            return;
        }
    }
}

std::string TXJKParser::tokenText() const
{
    if (atEnd())
        return {};
    std::size_t n = 1;
    while (m_index + n < m_length && n < 16 && std::isalnum(m_p[m_index + n]) && std::isalnum(m_p[m_index]))
        ++n;
    return std::string(m_text + m_index, n);
}

pf::Value TXJKParser::parseValue(int depth)
{
    if (atEnd()) {
        failAtEnd();
        return {};
    }
    std::uint8_t c = peek();
    switch (c) {
    case '[': return parseArray(depth + 1);
    case '{': return parseObject(depth + 1);
    case '"': return parseStringValue();
    case ',': fail("Unexpected ','."); return {};
    case ']': fail("Unexpected ']'."); return {};
    case '}': fail("Unexpected '}'."); return {};
    default: break;
    }
    if (c == '-' || (c >= '0' && c <= '9'))
        return parseNumber();
    if (matchLiteral("true"))
        return pf::Value(true);
    if (matchLiteral("false"))
        return pf::Value(false);
    if (matchLiteral("null"))
        return pf::Value::null();
    if (!m_failed)
        fail("Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', "
             "'NUMBER'.");
    return {};
}

bool TXJKParser::matchLiteral(const char* word)
{
    std::size_t n = std::strlen(word);
    if (m_index + n > m_length) {
        if (std::memcmp(m_p + m_index, word, m_length - m_index) == 0) {
            m_index = m_length;
            failAtEnd();
        }
        return false;
    }
    if (std::memcmp(m_p + m_index, word, n) != 0)
        return false;
    m_index += n;
    return true;
}

bool TXJKParser::enter(int depth)
{
    if (depth > TXJSONDecoder::kMaxDepth) {
        fail("Nesting deeper than 512 levels.");
        return false;
    }
    ++m_index;
    skipSpace();
    return !m_failed;
}

pf::Value TXJKParser::parseArray(int depth)
{
    if (!enter(depth))
        return {};
    if (peek() == ']' && !atEnd()) {
        ++m_index;
        return pf::Value(pf::Array::create());
    }
    const std::size_t base = m_stack.openArray();
    for (;;) {
        if (atEnd())
            return failAtEnd(), pf::Value();
        pf::Value member = parseValue(depth);
        if (m_failed)
            return {};
        m_stack.push(std::move(member));
        skipSpace();
        if (m_failed)
            return {};
        if (atEnd())
            return failAtEnd(), pf::Value();
        if (peek() == ']') {
            ++m_index;
            return m_stack.closeArray(base);
        }
        if (peek() != ',')
            return fail("Expected a comma or a ']', not '" + tokenText() + "'"), pf::Value();
        ++m_index;
        skipSpace();
        if (m_failed)
            return {};
        if (peek() == ']' && !atEnd())
            return fail("Expected a value, not ']'"), pf::Value();
    }
}

pf::Value TXJKParser::parseObject(int depth)
{
    if (!enter(depth))
        return {};
    if (peek() == '}' && !atEnd()) {
        ++m_index;
        return pf::Value(pf::Dictionary::create());
    }
    auto object = m_stack.openObject();
    for (;;) {
        if (atEnd())
            return failAtEnd(), pf::Value();
        if (peek() != '"')
            return fail("Expected a \"STRING\" or a '}', not '" + tokenText() + "'"), pf::Value();
        Key key;
        if (!parseKey(key))
            return {};
        skipSpace();
        if (m_failed)
            return {};
        if (atEnd())
            return failAtEnd(), pf::Value();
        if (peek() != ':')
            return fail("Expected ':'."), pf::Value();
        ++m_index;
        skipSpace();
        if (m_failed)
            return {};
        pf::Value value = parseValue(depth);
        if (m_failed)
            return {};
        m_stack.push(std::move(value));
        m_stack.addMember(object, key);
        skipSpace();
        if (m_failed)
            return {};
        if (atEnd())
            return failAtEnd(), pf::Value();
        if (peek() == '}') {
            ++m_index;
            return m_stack.closeObject(object);
        }
        if (peek() != ',')
            return fail("Expected a comma or a '}', not '" + tokenText() + "'"), pf::Value();
        ++m_index;
        skipSpace();
        if (m_failed)
            return {};
    }
}

pf::Value txjkParse(TXJSONDecoder& decoder, const char* text, std::size_t length, TXJKError* error)
{
    return TXJKParser(decoder, text, length).run(error);
}
