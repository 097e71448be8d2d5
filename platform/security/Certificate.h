#pragma once

// An X.509 certificate read from DER. Immutable; any thread.
//
// Reading a certificate does not judge trust: a self-signed or expired
// certificate still yields its key. Callers that pin a certificate they ship
// themselves need nothing more.

#include "platform/foundation/Forward.h"
#include "platform/security/Forward.h"

namespace pf {

class Certificate {
public:
    // Null for anything but exactly one DER certificate.
    static CertificateRef createWithDER(const Bytes& der);
    ~Certificate();
    Certificate(const Certificate&) = delete;
    Certificate& operator=(const Certificate&) = delete;

    // The certificate's RSA key; null when it holds another kind.
    PublicKeyRef publicKey() const;

private:
    struct Impl;
    explicit Certificate(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}
