#include "tools/zzpackage/ZZPackageKey.h"

#include "platform/foundation/FileSystem.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <sys/stat.h>

namespace zmr {

std::unique_ptr<ZZPackageKey> ZZPackageKey::generate(int bits)
{
    EVP_PKEY* key = EVP_RSA_gen(static_cast<unsigned>(bits));
    if (!key)
        return nullptr;
    return std::unique_ptr<ZZPackageKey>(new ZZPackageKey(key));
}

std::unique_ptr<ZZPackageKey> ZZPackageKey::load(const std::string& privateKeyPemPath)
{
    std::optional<pf::Bytes> pem = pf::readFile(privateKeyPemPath);
    if (!pem)
        return nullptr;
    BIO* bio = BIO_new_mem_buf(pem->data(), static_cast<int>(pem->size()));
    EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!key)
        return nullptr;
    return std::unique_ptr<ZZPackageKey>(new ZZPackageKey(key));
}

ZZPackageKey::~ZZPackageKey()
{
    EVP_PKEY_free(m_key);
}

pf::Bytes ZZPackageKey::certificateDER() const
{
    pf::Bytes der;
    X509* certificate = X509_new();
    if (!certificate)
        return der;
    X509_NAME* name = X509_get_subject_name(certificate);
    bool ok = X509_set_version(certificate, 2) == 1 && ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1) == 1;
    ok = ok && X509_gmtime_adj(X509_getm_notBefore(certificate), -24L * 3600) != nullptr;
    ok = ok && X509_gmtime_adj(X509_getm_notAfter(certificate), 3650L * 24 * 3600) != nullptr;
    ok = ok && X509_set_pubkey(certificate, m_key) == 1;
    ok = ok && X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                          reinterpret_cast<const unsigned char*>("Zomaru script packages"), -1, -1, 0) == 1;
    ok = ok && X509_set_issuer_name(certificate, name) == 1;
    ok = ok && X509_sign(certificate, m_key, EVP_sha256()) > 0;
    unsigned char* bytes = nullptr;
    int length = ok ? i2d_X509(certificate, &bytes) : -1;
    if (length > 0)
        der.assign(bytes, bytes + length);
    OPENSSL_free(bytes);
    X509_free(certificate);
    return der;
}

pf::Bytes ZZPackageKey::sign(const pf::Bytes& data) const
{
    pf::Bytes signature;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_PKEY_CTX* keyContext = nullptr;
    std::size_t length = 0;
    bool ok = context && EVP_DigestSignInit(context, &keyContext, EVP_sha1(), nullptr, m_key) == 1 &&
        EVP_PKEY_CTX_set_rsa_padding(keyContext, RSA_PKCS1_PADDING) == 1 &&
        EVP_DigestSign(context, nullptr, &length, data.data(), data.size()) == 1;
    if (ok) {
        signature.resize(length);
        if (EVP_DigestSign(context, signature.data(), &length, data.data(), data.size()) == 1)
            signature.resize(length);
        else
            signature.clear();
    }
    EVP_MD_CTX_free(context);
    return signature;
}

std::string ZZPackageKey::privateKeyPem() const
{
    std::string pem;
    BIO* bio = BIO_new(BIO_s_mem());
    if (bio && PEM_write_bio_PrivateKey(bio, m_key, nullptr, nullptr, 0, nullptr, nullptr) == 1) {
        char* bytes = nullptr;
        long length = BIO_get_mem_data(bio, &bytes);
        pem.assign(bytes, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    return pem;
}

bool ZZPackageKey::save(const std::string& privateKeyPemPath, const std::string& certificatePath) const
{
    std::string pem = privateKeyPem();
    pf::Bytes der = certificateDER();
    if (pem.empty() || der.empty())
        return false;
    if (pf::writeFileAtomically(privateKeyPemPath, pem) || ::chmod(privateKeyPemPath.c_str(), 0600) != 0)
        return false;
    return !pf::writeFileAtomically(certificatePath, std::string_view(reinterpret_cast<const char*>(der.data()), der.size()));
}

}
