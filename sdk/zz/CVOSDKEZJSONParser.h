#pragma once

// The SDK's JSON parser. Text must be UTF-8; anything else counts as no
// input at all. Objects become dictionaries in the order their keys first
// appear, a repeated key taking the later value in the earlier place (the
// SDK's scripts rely on it); arrays become arrays; strings strings; numbers
// decimals made from their text (platform/foundation/Decimal.h: every digit
// kept up to 38, a number past the double's range refused); true and false
// Booleans; null the null value. Commas between members may be left out; a
// trailing comma may not.
//
// Failures answer nil and leave their errors in the trace (codes 2 to 12 of
// the SDK's JSON error table). One thread at a time; the SDK makes one parser
// per call.

#include "platform/foundation/JsonObjectStack.h"
#include "platform/foundation/Value.h"
#include "sdk/zz/CVOSDKEZJSONBase.h"

#include <optional>
#include <string>
#include <string_view>

class ICVOSDKEZJSONParser {
public:
    virtual ~ICVOSDKEZJSONParser() = default;
    // A dictionary or array, or nil; no text (std::nullopt) is error 12.
    virtual pf::Value objectWithString(std::optional<std::string_view> text) = 0;
};

class CVOSDKEZJSONParser : public CVOSDKEZJSONBase, public ICVOSDKEZJSONParser {
public:
    pf::Value objectWithString(std::optional<std::string_view> text) override;
    // Any value, or nil.
    pf::Value fragmentWithString(std::optional<std::string_view> text);

private:
    using Key = pf::JsonObjectStack::Key;

    bool atEnd() const { return m_c == m_end; }
    void skipWhitespace();
    // Each scan of a value pushes it on the object stack when it succeeds.
    bool scanValue();
    [[gnu::noinline]] bool scanStringValue();
    bool scanLiteral(std::string_view word, pf::Value value, const char* message);
    bool scanArray();
    bool scanObject();
    bool scanNumber();
    bool scanKey(Key& key);
    bool scanRest(std::string& out);
    bool scanEscape(std::string& out);
    bool scanUnicode(std::string& out);
    bool scanHexQuad(unsigned& out);

    const char* m_begin = nullptr;
    const char* m_c = nullptr;
    const char* m_end = nullptr;
    // Members of the open arrays and objects, each made when it closes.
    pf::JsonObjectStack m_stack;
    std::string m_scratch;
};
