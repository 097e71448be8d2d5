#include "tools/zzserver/ZZCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace zmr {

namespace {

bool addExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension)
        return false;
    bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool setName(X509_NAME* name, const char* commonName)
{
    return X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Zomaru tests"), -1, -1, 0) == 1
        && X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0) == 1;
}

// A certificate for `key`, signed by `issuerKey` (itself when no issuer).
X509* makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, bool authority)
{
    X509* certificate = X509_new();
    if (!certificate)
        return nullptr;
    unsigned char serial[16];
    BIGNUM* number = nullptr;
    bool ok = RAND_bytes(serial, sizeof serial) == 1;
    serial[0] &= 0x7F; // a positive serial
    ok = ok && (number = BN_bin2bn(serial, sizeof serial, nullptr)) != nullptr;
    ok = ok && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate)) != nullptr;
    BN_free(number);
    ok = ok && X509_set_version(certificate, 2) == 1;
    ok = ok && X509_gmtime_adj(X509_getm_notBefore(certificate), -24L * 3600) != nullptr;
    ok = ok && X509_gmtime_adj(X509_getm_notAfter(certificate), 30L * 24 * 3600) != nullptr;
    ok = ok && X509_set_pubkey(certificate, key) == 1;
    ok = ok && setName(X509_get_subject_name(certificate), commonName);
    X509* signer = issuer ? issuer : certificate;
    ok = ok && X509_set_issuer_name(certificate, X509_get_subject_name(signer)) == 1;
    ok = ok && addExtension(certificate, signer, NID_subject_key_identifier, "hash");
    if (authority) {
        ok = ok && addExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
        ok = ok && addExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        ok = ok && addExtension(certificate, signer, NID_authority_key_identifier, "keyid:always");
        ok = ok && addExtension(certificate, signer, NID_basic_constraints, "critical,CA:FALSE");
        ok = ok && addExtension(certificate, signer, NID_key_usage, "critical,digitalSignature");
        ok = ok && addExtension(certificate, signer, NID_ext_key_usage, "serverAuth");
        ok = ok && addExtension(certificate, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    }
    ok = ok && X509_sign(certificate, issuerKey ? issuerKey : key, EVP_sha256()) > 0;
    if (!ok) {
        X509_free(certificate);
        return nullptr;
    }
    return certificate;
}

}

ZZCertificates::~ZZCertificates()
{
    X509_free(caCertificate);
    X509_free(leafCertificate);
    EVP_PKEY_free(leafKey);
    EVP_PKEY_free(caKey);
}

std::unique_ptr<ZZCertificates> ZZCertificates::create()
{
    auto made = std::make_unique<ZZCertificates>();
    made->caKey = EVP_EC_gen("P-256");
    made->leafKey = EVP_EC_gen("P-256");
    if (!made->caKey || !made->leafKey)
        return nullptr;
    made->caCertificate = makeCertificate(made->caKey, "Zomaru test CA", nullptr, nullptr, true);
    if (!made->caCertificate)
        return nullptr;
    made->leafCertificate = makeCertificate(made->leafKey, "127.0.0.1", made->caCertificate, made->caKey, false);
    if (!made->leafCertificate)
        return nullptr;
    return made;
}

std::string ZZCertificates::caPem() const
{
    BIO* memory = BIO_new(BIO_s_mem());
    if (!memory)
        return {};
    std::string pem;
    if (PEM_write_bio_X509(memory, caCertificate) == 1) {
        char* bytes = nullptr;
        long length = BIO_get_mem_data(memory, &bytes);
        if (length > 0)
            pem.assign(bytes, static_cast<std::size_t>(length));
    }
    BIO_free(memory);
    return pem;
}

}
