#pragma once

// Shared between the key and the certificate of this library.

#include "platform/security/PublicKey.h"

#include <openssl/evp.h>

namespace pf {

struct PublicKey::Key {
    EVP_PKEY* pkey = nullptr; // owned
    ~Key() { EVP_PKEY_free(pkey); }
};

}
