#pragma once

// Digests and the RSA signature check of script packages, with a few
// public-key utilities. Class methods only, no state: any thread, at the same
// time.
//
// The key that checks signatures is the one in the certificate
// "public_key.der" of the SDK resource bundle "CorvanaOpenApi_IOS_Bundle.bundle"
// in the main bundle. The key text handed along must be present but does not
// take part in the check.

#include "platform/foundation/Forward.h"
#include "platform/security/Forward.h"

#include <optional>
#include <string>

class TOSDKRSACryptor {
public:
    // The built-in key text: a SubjectPublicKeyInfo in base64 on one line.
    static const char* const builtInPublicKey;
    static constexpr const char* bundleName = "CorvanaOpenApi_IOS_Bundle.bundle";

    // True only when all three are present and `signature` is a PKCS#1 v1.5
    // signature over the SHA-1 digest of `data` made by the bundle
    // certificate's key.
    static bool verify(const std::optional<pf::Bytes>& data, const std::optional<std::string>& key,
                       const std::optional<pf::Bytes>& signature);
    // The key of a DER certificate, trusted or not; null for anything else.
    static pf::PublicKeyRef getPublicKey(const pf::Bytes& certificate);
    static pf::Bytes getHashBytes(const pf::Bytes& data);
    // 40 lower-case hexadecimal characters; nothing for no data.
    static std::optional<std::string> hashValueForFile(const std::optional<pf::Bytes>& data);

    // Base64 of the text's ASCII bytes; characters outside the alphabet are
    // skipped, a trailing group of 2 or 3 characters gives 1 or 2 bytes.
    static pf::Bytes dataWithBase64EncodedString(const std::string& text);
    // The bare RSA key after the SubjectPublicKeyInfo header of base64 text;
    // nothing when the header is not as expected.
    static std::optional<pf::Bytes> strippedPublicKey(const std::string& key);
    static std::string strippedKey(const std::string& text, const std::string& header, const std::string& footer);
    static bool isX509PublicKey(const std::string& text);
    static bool isPKCS1PublicKey(const std::string& text);
    static std::string X509PublicHeader() { return "-----BEGIN PUBLIC KEY-----"; }
    static std::string X509PublicFooter() { return "-----END PUBLIC KEY-----"; }
    static std::string PKCS1PublicHeader() { return "-----BEGIN RSA PUBLIC KEY-----"; }
    static std::string PKCS1PublicFooter() { return "-----END RSA PUBLIC KEY-----"; }

    // Keys kept in the keychain under "<bundle identifier>.publicKey[.tag]".
    static std::string publicKeyIdentifier();
    static std::string publicKeyIdentifierWithTag(const std::optional<std::string>& tag);
    // The item's description: class, key type, tag, accessibility, key class.
    static pf::DictionaryRef keyQueryDictionary(const std::string& tag);
    static void setPublicKey(const std::optional<std::string>& key, const std::string& tag);
    static void removeKey(const std::string& tag);
    static std::optional<pf::Bytes> keyDataWithTag(const std::string& tag);
    static pf::PublicKeyRef keyRefWithTag(const std::string& tag);
};
