#pragma once

// The SDK's JSON parser. Text must be UTF-8; anything else counts as no
// input at all. Objects become dictionaries in the order their keys first
// appear, a repeated key taking the later value in the earlier place (the
// SDK's scripts rely on it); arrays become arrays; strings strings; numbers
// without a fraction or exponent that fit 64 bits stay integers (signed, or
// unsigned above the signed range), other numbers become doubles; true and
// false Booleans; null the null value. Commas between members may be left
// out; a trailing comma may not.
//
// Failures answer nil and leave their errors in the trace (codes 2 to 12 of
// the SDK's JSON error table). One thread at a time; the SDK makes one parser
// per call.

#include "platform/foundation/Value.h"
#include "sdk/zz/CVOSDKEZJSONBase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // A key of an open object: bytes of the text, or of the arena when it
    // was unescaped.
    struct Key {
        std::size_t offset;
        std::size_t length;
        bool inArena;
    };

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
    std::string_view keyText(const Key& key) const;
    void addMember(const Key& key, std::size_t keyBase, std::size_t valueBase, std::uint64_t& buckets);
    void closeArray(std::size_t base);
    void closeObject(std::size_t valueBase, std::size_t keyBase, std::size_t arenaBase);

    const char* m_begin = nullptr;
    const char* m_c = nullptr;
    const char* m_end = nullptr;
    // The object stack: members of the open arrays and objects, innermost
    // last. Each container is made in one step, with room for exactly its
    // members, when it closes.
    std::vector<pf::Value> m_values;
    std::vector<Key> m_keys;
    std::string m_arena;
    std::string m_scratch;
};
