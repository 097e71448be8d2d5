#include "platform/security/PublicKey.h"

#include "platform/security/Digest.h"
#include "platform/security/PublicKeyInternal.h"

#include <openssl/rsa.h>
#include <openssl/x509.h>

namespace pf {

namespace {

// Reads the whole buffer with `read`; a key followed by more bytes is refused.
template <class Read>
EVP_PKEY* readWhole(const Bytes& der, Read read)
{
    const unsigned char* cursor = der.data();
    EVP_PKEY* key = read(&cursor, static_cast<long>(der.size()));
    if (key && cursor != der.data() + der.size()) {
        EVP_PKEY_free(key);
        return nullptr;
    }
    return key;
}

template <class Write>
Bytes writeAll(EVP_PKEY* key, Write write)
{
    int length = write(key, nullptr);
    if (length <= 0)
        return {};
    Bytes der(static_cast<std::size_t>(length));
    unsigned char* cursor = der.data();
    if (write(key, &cursor) != length)
        return {};
    return der;
}

}

PublicKeyRef PublicKey::createWithDER(const Bytes& der)
{
    if (der.empty())
        return nullptr;
    EVP_PKEY* pkey = readWhole(der, [](const unsigned char** p, long n) { return d2i_PUBKEY(nullptr, p, n); });
    if (!pkey)
        pkey = readWhole(der, [](const unsigned char** p, long n) { return d2i_PublicKey(EVP_PKEY_RSA, nullptr, p, n); });
    auto key = std::make_unique<Key>();
    key->pkey = pkey;
    if (!pkey || EVP_PKEY_get_base_id(pkey) != EVP_PKEY_RSA)
        return nullptr;
    return PublicKeyRef(new PublicKey(std::move(key)));
}

PublicKey::PublicKey(std::unique_ptr<Key> key) : m_key(std::move(key)) {}

PublicKey::~PublicKey() = default;

bool PublicKey::verifySHA1Digest(const Bytes& digest, const Bytes& signature) const
{
    if (digest.size() != sha1Length || signature.empty())
        return false;
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(m_key->pkey, nullptr);
    if (!context)
        return false;
    bool valid = EVP_PKEY_verify_init(context) == 1 && EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) == 1
        && EVP_PKEY_CTX_set_signature_md(context, EVP_sha1()) == 1
        && EVP_PKEY_verify(context, signature.data(), signature.size(), digest.data(), digest.size()) == 1;
    EVP_PKEY_CTX_free(context);
    return valid;
}

Bytes PublicKey::subjectPublicKeyInfo() const
{
    return writeAll(m_key->pkey, [](EVP_PKEY* k, unsigned char** p) { return i2d_PUBKEY(k, p); });
}

Bytes PublicKey::rsaPublicKey() const
{
    return writeAll(m_key->pkey, [](EVP_PKEY* k, unsigned char** p) { return i2d_PublicKey(k, p); });
}

int PublicKey::bits() const
{
    return EVP_PKEY_get_bits(m_key->pkey);
}

}
