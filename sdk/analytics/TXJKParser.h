#pragma once

// One parse of one text for TXJSONDecoder: recursive descent over the
// bytes, escaped strings answered from the decoder's token cache. The
// structure (values, arrays, objects, whitespace and comments) is read in
// TXJKParser.cpp, strings in TXJKParserStrings.cpp and numbers in
// TXJKParserNumbers.cpp. Arrays and objects collect their members on the
// platform's object stack and are made when they close.
//
// Lives for one parse on the decoder's thread.

#include "platform/foundation/JsonObjectStack.h"
#include "platform/foundation/Value.h"
#include "sdk/analytics/TXJKError.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TXJSONDecoder;

// Nil on failure, with the first error in `error` when given.
pf::Value txjkParse(TXJSONDecoder& decoder, const char* text, std::size_t length, TXJKError* error);

class TXJKParser {
public:
    TXJKParser(TXJSONDecoder& decoder, const char* text, std::size_t length);
    pf::Value run(TXJKError* error);

private:
    using Key = pf::JsonObjectStack::Key;

    bool atEnd() const { return m_index >= m_length; }
    std::uint8_t peek(std::size_t ahead = 0) const { return m_index + ahead < m_length ? m_p[m_index + ahead] : 0; }
    bool loose() const;

    void fail(std::string message);
    void failAtEnd() { fail("Reached the end of the buffer."); }
    void newLine(std::size_t width)
    {
        m_index += width;
        ++m_line;
    }
    // Compact text has nothing to skip between most tokens: one test says so.
    void skipSpace()
    {
        if (m_index < m_length) {
            std::uint8_t c = m_p[m_index];
            if (c > ' ' && c != '/' && c < 0x80)
                return;
        }
        skipSpaceAndComments();
    }
    void skipSpaceAndComments();
    std::string tokenText() const;

    // Structure.
    pf::Value parseValue(int depth);
    bool matchLiteral(const char* word);
    bool enter(int depth);
    pf::Value parseArray(int depth);
    pf::Value parseObject(int depth);

    // Strings.
    bool readHex4(std::uint32_t& out);
    bool readEscape(std::string& out);
    bool readUTF8(std::string& out);
    std::size_t plainRunEnd(std::size_t i) const;
    bool scanString(std::size_t& start, std::size_t& end, bool& plain, std::string& out);
    bool unescapeRest(std::string& out);
    bool parseKey(Key& key);
    std::size_t closingQuote(std::size_t i) const;
    pf::Value parseStringValue();

    // Numbers.
    pf::Value parseNumber();
    pf::Value convertNumber(const std::string& token, bool real);

    TXJSONDecoder& m_decoder;
    unsigned m_options;
    const char* m_text;
    const std::uint8_t* m_p;
    std::size_t m_length;
    std::size_t m_index = 0;
    long m_line = 1;
    bool m_failed = false;
    TXJKError m_error;
    pf::JsonObjectStack m_stack;
    std::string m_scratch;
};
