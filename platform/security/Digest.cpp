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

std::string sha1Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * sha1Length);
    for (std::uint8_t byte : sha1(bytes)) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 15]);
    }
    return hex;
}

std::string sha1Hex(const Bytes& bytes)
{
    return sha1Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}
