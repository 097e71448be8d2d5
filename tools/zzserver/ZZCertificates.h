#pragma once

// The test server's TLS identity, made in memory at start: a throw-away test
// CA and a leaf for "127.0.0.1" and "localhost" signed by it (EC P-256, valid
// from a day ago for thirty days). Nothing here is trusted anywhere unless a
// client is given the CA.

#include <openssl/types.h>

#include <memory>
#include <string>

namespace zmr {

struct ZZCertificates {
    // Owned; freed by the destructor.
    X509* caCertificate = nullptr;
    X509* leafCertificate = nullptr;
    EVP_PKEY* leafKey = nullptr;
    EVP_PKEY* caKey = nullptr;

    ZZCertificates() = default;
    ~ZZCertificates();
    ZZCertificates(const ZZCertificates&) = delete;
    ZZCertificates& operator=(const ZZCertificates&) = delete;

    // Null when OpenSSL fails.
    static std::unique_ptr<ZZCertificates> create();
    // The CA in PEM form.
    std::string caPem() const;
};

}
