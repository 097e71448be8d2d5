#include "platform/security/Certificate.h"

#include "platform/security/PublicKeyInternal.h"

#include <openssl/x509.h>

namespace pf {

struct Certificate::Impl {
    X509* certificate = nullptr; // owned
    ~Impl() { X509_free(certificate); }
};

CertificateRef Certificate::createWithDER(const Bytes& der)
{
    if (der.empty())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    const unsigned char* cursor = der.data();
    impl->certificate = d2i_X509(nullptr, &cursor, static_cast<long>(der.size()));
    if (!impl->certificate || cursor != der.data() + der.size())
        return nullptr;
    return CertificateRef(new Certificate(std::move(impl)));
}

Certificate::Certificate(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Certificate::~Certificate() = default;

PublicKeyRef Certificate::publicKey() const
{
    auto key = std::make_unique<PublicKey::Key>();
    key->pkey = X509_get_pubkey(m_impl->certificate);
    if (!key->pkey || EVP_PKEY_get_base_id(key->pkey) != EVP_PKEY_RSA)
        return nullptr;
    return PublicKeyRef(new PublicKey(std::move(key)));
}

}
