#pragma once

// A package signing key: an RSA key pair with a self-signed certificate whose
// DER form is what the SDK bundle carries as "public_key.der". For tools and
// tests; keys are made per build tree or per test run and never committed.

#include "platform/foundation/Forward.h"

#include <openssl/types.h>

#include <memory>
#include <optional>
#include <string>

namespace zmr {

class ZZPackageKey {
public:
    // Null when OpenSSL fails.
    static std::unique_ptr<ZZPackageKey> generate(int bits = 2048);
    // A key saved by save(); null when it cannot be read.
    static std::unique_ptr<ZZPackageKey> load(const std::string& privateKeyPemPath);
    ~ZZPackageKey();
    ZZPackageKey(const ZZPackageKey&) = delete;
    ZZPackageKey& operator=(const ZZPackageKey&) = delete;

    // A self-signed certificate of the key, made anew on each call.
    pf::Bytes certificateDER() const;
    // PKCS#1 v1.5 over the SHA-1 digest of `data`; empty on failure.
    pf::Bytes sign(const pf::Bytes& data) const;
    std::string privateKeyPem() const;
    // Writes the private key (mode 0600) and the certificate.
    bool save(const std::string& privateKeyPemPath, const std::string& certificatePath) const;

private:
    explicit ZZPackageKey(EVP_PKEY* key) : m_key(key) {}
    EVP_PKEY* m_key = nullptr; // owned
};

}
