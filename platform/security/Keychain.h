#pragma once

// Public keys stored by tag in one file that only the user may read or write
// (mode 0600): "Library/Keychain" in the home directory. Only public keys are
// kept; nothing secret goes here.
//
// Any thread: calls are serialised. Every change rewrites the file through a
// temporary file and a rename, so a crash leaves the old store or the new.

#include "platform/foundation/Forward.h"
#include "platform/security/Forward.h"

#include <optional>
#include <string>

namespace pf {

class Keychain {
public:
    static std::string path();

    // Replaces the tag's key with `key` (DER bytes). False, with nothing
    // changed, for an empty key or when the file cannot be written.
    static bool setKeyData(const std::string& tag, const Bytes& key);
    // The tag's bytes; nothing when absent or the store is unreadable.
    static std::optional<Bytes> keyData(const std::string& tag);
    // The tag's bytes as a key; null when absent or not an RSA public key.
    static PublicKeyRef publicKey(const std::string& tag);
    // True when the tag is absent afterwards.
    static bool removeKey(const std::string& tag);
};

}
