#include "sdk/analytics/TXJSONDecoder.h"

#include "sdk/analytics/TXJKParser.h"

#include <cstring>
#include <stdexcept>

TXJSONDecoder::TXJSONDecoder(unsigned parseOptions) : m_options(parseOptions)
{
    if (parseOptions >= 16)
        throw std::invalid_argument("Invalid parse options.");
}

TXJSONDecoder::~TXJSONDecoder() = default;

void TXJSONDecoder::clearCache()
{
    m_cache.clear();
    m_prng = 1;
}

const pf::Value* TXJSONDecoder::cacheLookup(std::uint32_t hash, std::uint8_t type, const char* bytes,
                                            std::size_t length, std::size_t* slot)
{
    if (m_cache.empty()) {
        *slot = hash % kCacheSize;
        return nullptr;
    }
    bool placed = false;
    *slot = kCacheSize;
    for (std::size_t probe = 0; probe < 4; ++probe) {
        std::size_t index = (hash + (type + length + 3) * probe) % kCacheSize;
        CacheItem& item = m_cache[index];
        if (item.used && item.hash == hash && item.type == type && item.bytes.size() == length &&
            std::memcmp(item.bytes.data(), bytes, length) == 0) {
            item.age = static_cast<std::uint8_t>((item.age << 1) | 1);
            ++m_cacheHits;
            return &item.object;
        }
        if (!placed && (!item.used || item.age == 0)) {
            *slot = index;
            placed = true;
        } else if (item.age) {
            item.age >>= 1;
        }
    }
    // Two items picked by the shift register age too, so that stale entries
    // eventually make room for new ones.
    for (int i = 0; i < 2; ++i) {
        m_prng = (m_prng >> 1) ^ ((m_prng & 1) ? 0x80200003u : 0u);
        m_cache[m_prng % kCacheSize].age >>= 1;
    }
    return nullptr;
}

void TXJSONDecoder::cacheStore(std::size_t slot, std::uint32_t hash, std::uint8_t type, const char* bytes,
                               std::size_t length, const pf::Value& object)
{
    if (slot >= kCacheSize)
        return;
    // Made on first use: most texts hold no string the cache serves, and
    // the collector makes a decoder for each text.
    if (m_cache.empty())
        m_cache.resize(kCacheSize);
    CacheItem& item = m_cache[slot];
    item.used = true;
    item.hash = hash;
    item.type = type;
    item.age = 0;
    item.bytes.assign(bytes, length);
    item.object = object;
}

pf::Value TXJSONDecoder::objectWithUTF8String(const char* string, std::size_t length, TXJKError* error)
{
    if (!string)
        throw std::invalid_argument("The string argument is NULL.");
    return txjkParse(*this, string, length, error);
}

pf::Value TXJSONDecoder::objectWithData(const pf::Bytes* data, TXJKError* error)
{
    if (!data)
        throw std::invalid_argument("The jsonData argument is NULL.");
    return txjkParse(*this, reinterpret_cast<const char*>(data->data()), data->size(), error);
}

pf::Value TXJSONDecoder::mutableObjectWithUTF8String(const char* string, std::size_t length, TXJKError* error)
{
    return objectWithUTF8String(string, length, error);
}

pf::Value TXJSONDecoder::mutableObjectWithData(const pf::Bytes* data, TXJKError* error)
{
    return objectWithData(data, error);
}

pf::Value objectFromJSONString(const std::string& text, unsigned parseOptions, TXJKError* error)
{
    TXJSONDecoder decoder(parseOptions);
    return decoder.objectWithUTF8String(text.data(), text.size(), error);
}

pf::Value objectFromJSONData(const pf::Bytes& data, unsigned parseOptions, TXJKError* error)
{
    TXJSONDecoder decoder(parseOptions);
    return decoder.objectWithData(&data, error);
}
