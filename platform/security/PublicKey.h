#pragma once

// An RSA public key. Immutable; any thread.

#include "platform/foundation/Forward.h"
#include "platform/security/Forward.h"

#include <optional>

namespace pf {

class PublicKey {
public:
    // From DER: an X.509 SubjectPublicKeyInfo, or a bare PKCS#1 RSAPublicKey.
    // Null for anything else, for trailing bytes and for keys that are not RSA.
    static PublicKeyRef createWithDER(const Bytes& der);
    ~PublicKey();
    PublicKey(const PublicKey&) = delete;
    PublicKey& operator=(const PublicKey&) = delete;

    // True only when `signature` is a PKCS#1 v1.5 signature of this key over
    // the SHA-1 digest `digest` (20 bytes). Every malformed input is false.
    bool verifySHA1Digest(const Bytes& digest, const Bytes& signature) const;

    // The key as a SubjectPublicKeyInfo and as a PKCS#1 RSAPublicKey.
    Bytes subjectPublicKeyInfo() const;
    Bytes rsaPublicKey() const;
    int bits() const;

private:
    friend class Certificate;
    struct Key;
    explicit PublicKey(std::unique_ptr<Key> key);
    std::unique_ptr<Key> m_key;
};

}
