#pragma once

// The collector's own JSON decoder: UTF-8 text to pf::Value. The top value
// must be an array or an object. Repeated strings that hold escapes (or, in
// the loose mode, replaced bytes) are answered from a token cache that lives
// as long as the decoder (or until clearCache()), so they are not unescaped
// again; plain strings and numbers are made straight from the text, which
// costs less than a lookup. Nesting deeper than 512 levels is a parse error.
//
// Collections are pf::Value arrays and dictionaries, which are always
// mutable: the "mutable" entry points exist for callers that ask for them,
// but immutability of the other results is not enforced.
//
// One thread at a time per decoder. Argument errors (options of 16 or more,
// a null input) throw std::invalid_argument; parse errors never throw.

#include "platform/foundation/Value.h"
#include "sdk/analytics/TXJKError.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TXJKParseOption : unsigned {
    TXJKParseOptionStrict = 0,
    TXJKParseOptionComments = 1,
    TXJKParseOptionUnicodeNewlines = 2,
    TXJKParseOptionLooseUnicode = 4,
    TXJKParseOptionPermitTextAfterValidJSON = 8,
};

class TXJSONDecoder {
public:
    static constexpr int kMaxDepth = 512;

    explicit TXJSONDecoder(unsigned parseOptions = 0);
    ~TXJSONDecoder();
    TXJSONDecoder(const TXJSONDecoder&) = delete;
    TXJSONDecoder& operator=(const TXJSONDecoder&) = delete;

    // Nil on failure, with the first error in `error` when given.
    pf::Value objectWithUTF8String(const char* string, std::size_t length, TXJKError* error = nullptr);
    pf::Value objectWithData(const pf::Bytes* data, TXJKError* error = nullptr);
    pf::Value mutableObjectWithUTF8String(const char* string, std::size_t length, TXJKError* error = nullptr);
    pf::Value mutableObjectWithData(const pf::Bytes* data, TXJKError* error = nullptr);
    void clearCache();

    unsigned parseOptions() const { return m_options; }
    // Strings answered from the cache since the decoder was made.
    std::size_t cacheHits() const { return m_cacheHits; }

private:
    friend class TXJKParser;
    struct CacheItem {
        std::uint32_t hash = 0;
        std::uint8_t type = 0;
        std::uint8_t age = 0;
        std::string bytes;
        pf::Value object;
        bool used = false;
    };
    static constexpr std::size_t kCacheSize = 1024;

    const pf::Value* cacheLookup(std::uint32_t hash, std::uint8_t type, const char* bytes, std::size_t length,
                                 std::size_t* slot);
    void cacheStore(std::size_t slot, std::uint32_t hash, std::uint8_t type, const char* bytes, std::size_t length,
                    const pf::Value& object);

    unsigned m_options = 0;
    std::vector<CacheItem> m_cache; // kCacheSize items once one is stored
    std::uint32_t m_prng = 1;
    std::size_t m_cacheHits = 0;
};

// Fresh-decoder conveniences (options 0 unless given).
pf::Value objectFromJSONString(const std::string& text, unsigned parseOptions = 0, TXJKError* error = nullptr);
pf::Value objectFromJSONData(const pf::Bytes& data, unsigned parseOptions = 0, TXJKError* error = nullptr);
