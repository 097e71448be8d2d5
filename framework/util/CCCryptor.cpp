#include "framework/util/CCCryptor.h"

#include "platform/foundation/Value.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <climits>
#include <cstring>
#include <memory>

namespace {

// DES, CAST5 and RC4 live in OpenSSL's legacy provider. They are fetched from
// a library context of our own, so that loading it changes nothing for the
// rest of the process. Null when the provider cannot be loaded.
OSSL_LIB_CTX* legacyContext()
{
    static OSSL_LIB_CTX* context = [] {
        OSSL_LIB_CTX* ctx = OSSL_LIB_CTX_new();
        if (!ctx)
            return static_cast<OSSL_LIB_CTX*>(nullptr);
        if (!OSSL_PROVIDER_load(ctx, "legacy") || !OSSL_PROVIDER_load(ctx, "default")) {
            OSSL_LIB_CTX_free(ctx);
            return static_cast<OSSL_LIB_CTX*>(nullptr);
        }
        return ctx;
    }();
    return context;
}

struct CipherFree {
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
};
struct ContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

pf::Bytes keyBytes(const pf::Value& key)
{
    if (auto data = key.data())
        return *data;
    std::string text = key.isString() ? *key.string() : key.description();
    return pf::Bytes(text.begin(), text.end());
}

std::optional<pf::Bytes> run(const char* name, bool legacy, bool padding, bool variableKey, const pf::Bytes& key,
                             const pf::Bytes& data, bool encrypt)
{
    OSSL_LIB_CTX* library = nullptr;
    if (legacy && !(library = legacyContext()))
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER, CipherFree> cipher(EVP_CIPHER_fetch(library, name, nullptr));
    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx || key.size() > INT_MAX)
        return std::nullopt;
    int block = EVP_CIPHER_get_block_size(cipher.get());
    if (data.size() > static_cast<std::size_t>(INT_MAX - 2 * block))
        return std::nullopt;
    if (EVP_CipherInit_ex2(ctx.get(), cipher.get(), nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1)
        return std::nullopt;
    if (variableKey && EVP_CIPHER_CTX_set_key_length(ctx.get(), static_cast<int>(key.size())) != 1)
        return std::nullopt;
    if (!variableKey && static_cast<int>(key.size()) != EVP_CIPHER_CTX_get_key_length(ctx.get()))
        return std::nullopt;
    if (EVP_CipherInit_ex2(ctx.get(), nullptr, key.data(), nullptr, -1, nullptr) != 1)
        return std::nullopt;
    if (EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0) != 1)
        return std::nullopt;

    pf::Bytes out(data.size() + static_cast<std::size_t>(block) + 1);
    int written = 0;
    int finished = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &written, data.data(), static_cast<int>(data.size())) != 1)
        return std::nullopt;
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + written, &finished) != 1)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(written + finished));
    return out;
}

std::optional<pf::Bytes> crypt(const pf::Bytes& data, int algorithm, const pf::Value& keyValue, bool encrypt)
{
    pf::Bytes key = keyBytes(keyValue);
    switch (algorithm) {
    case 0: {
        std::size_t size = key.size() < 16 ? 16 : key.size() < 24 ? 24 : 32;
        key.resize(size, 0);
        const char* name = size == 16 ? "AES-128-ECB" : size == 24 ? "AES-192-ECB" : "AES-256-ECB";
        return run(name, false, true, false, key, data, encrypt);
    }
    case 1:
        key.resize(8, 0);
        return run("DES-ECB", true, true, false, key, data, encrypt);
    case 2:
        key.resize(24, 0);
        return run("DES-EDE3-ECB", false, true, false, key, data, encrypt);
    case 3:
        if (key.size() < 5)
            key.resize(5, 0);
        if (key.size() > 16)
            key.resize(16);
        return run("CAST5-ECB", true, true, true, key, data, encrypt);
    case 4:
        if (key.size() > 512)
            key.resize(512);
        return run("RC4", true, false, true, key, data, encrypt);
    default:
        return std::nullopt;
    }
}

}

std::optional<pf::Bytes> CCCryptorEncryptedUsingAlgorithm(const pf::Bytes& data, int algorithm, const pf::Value& key)
{
    return crypt(data, algorithm, key, true);
}

std::optional<pf::Bytes> CCCryptorDecryptedUsingAlgorithm(const pf::Bytes& data, int algorithm, const pf::Value& key)
{
    return crypt(data, algorithm, key, false);
}

std::optional<pf::Bytes> AES256EncryptWithKey(const pf::Bytes& data, std::string_view keyText)
{
    // The key text is written into 33 zeroed bytes, of which the first 16 are
    // the key: data enciphered before used a 128-bit key under this name.
    unsigned char buffer[33] = {};
    std::memcpy(buffer, keyText.data(), std::min<std::size_t>(keyText.size(), 32));
    pf::Bytes key(buffer, buffer + 16);
    return run("AES-128-ECB", false, false, false, key, data, true);
}

std::string toHexString(const pf::Bytes& data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size() * 2);
    for (std::uint8_t byte : data) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}
