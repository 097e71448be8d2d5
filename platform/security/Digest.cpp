#include "platform/security/Digest.h"

#include <openssl/evp.h>

#include <cstdlib>
#include <vector>

namespace pf {

Bytes sha1(std::string_view bytes)
{
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    // A one-shot digest fails only when the library cannot allocate; no
    // caller can go on with a wrong digest then.
    if (!EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha1(), nullptr) || length != sha1Length)
        std::abort();
    digest.resize(length);
    return digest;
}

Bytes sha1(const Bytes& bytes)
{
    return sha1(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace {

std::string hexOf(const Bytes& digest)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (std::uint8_t byte : digest) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 15]);
    }
    return hex;
}

}

std::string sha1Hex(std::string_view bytes)
{
    return hexOf(sha1(bytes));
}

std::string sha1Hex(const Bytes& bytes)
{
    return sha1Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

struct Sha1Stream::Context {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(context); }
};

Sha1Stream::Sha1Stream() : m_context(std::make_unique<Context>())
{
    // As with the one-shot digest, only a failed allocation stops it.
    if (!m_context->context || !EVP_DigestInit_ex(m_context->context, EVP_sha1(), nullptr))
        std::abort();
}

Sha1Stream::~Sha1Stream() = default;

void Sha1Stream::update(std::string_view bytes)
{
    if (!bytes.empty() && !EVP_DigestUpdate(m_context->context, bytes.data(), bytes.size()))
        std::abort();
}

std::string Sha1Stream::finishHex()
{
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (!EVP_DigestFinal_ex(m_context->context, digest.data(), &length) || length != sha1Length ||
        !EVP_DigestInit_ex(m_context->context, EVP_sha1(), nullptr))
        std::abort();
    digest.resize(length);
    return hexOf(digest);
}

}
