#include "platform/foundation/FileSystem.h"
#include "platform/security/Certificate.h"
#include "platform/security/Digest.h"
#include "platform/security/Keychain.h"
#include "platform/security/PublicKey.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <filesystem>
#include <tuple>
#include <sys/stat.h>

using namespace pf;

namespace {

// A key pair and a self-signed certificate made for the test.
struct Signer {
    EVP_PKEY* key = nullptr;
    Bytes certificate;

    explicit Signer(const char* kind = "RSA")
    {
        key = std::string_view(kind) == "RSA" ? EVP_RSA_gen(1024) : EVP_EC_gen("P-256");
        X509* x509 = X509_new();
        X509_gmtime_adj(X509_getm_notBefore(x509), 0);
        X509_gmtime_adj(X509_getm_notAfter(x509), 3600);
        X509_set_pubkey(x509, key);
        X509_sign(x509, key, EVP_sha256());
        int length = i2d_X509(x509, nullptr);
        certificate.resize(static_cast<std::size_t>(length));
        unsigned char* cursor = certificate.data();
        i2d_X509(x509, &cursor);
        X509_free(x509);
    }
    ~Signer() { EVP_PKEY_free(key); }

    Bytes sign(const Bytes& digest) const
    {
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key, nullptr);
        EVP_PKEY_sign_init(context);
        EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING);
        EVP_PKEY_CTX_set_signature_md(context, EVP_sha1());
        std::size_t length = 0;
        EVP_PKEY_sign(context, nullptr, &length, digest.data(), digest.size());
        Bytes signature(length);
        EVP_PKEY_sign(context, signature.data(), &length, digest.data(), digest.size());
        signature.resize(length);
        EVP_PKEY_CTX_free(context);
        return signature;
    }
};

Bytes flipped(Bytes b, std::size_t i) { b.at(i) ^= 1; return b; }
Bytes truncated(Bytes b, std::size_t n) { b.resize(b.size() - n); return b; }
Bytes appended(Bytes b) { b.push_back(0); return b; }

}

TEST(SecurityDigest, SHA1OfKnownTexts)
{
    EXPECT_EQ(sha1Hex(std::string_view("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex(std::string_view("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // In pieces, including empty ones, and again after a finish.
    Sha1Stream stream;
    for (std::string_view piece : {"a", "", "bc"})
        stream.update(piece);
    EXPECT_EQ(stream.finishHex(), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(stream.finishHex(), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    std::string large(200000, 'z');
    stream.update(std::string_view(large).substr(0, 65536));
    stream.update(std::string_view(large).substr(65536));
    EXPECT_EQ(stream.finishHex(), sha1Hex(std::string_view(large)));
}

TEST(SecuritySignature, OnlyTheRightKeyAndIntactInputsVerify)
{
    Signer signer, foreign;
    auto key = Certificate::createWithDER(signer.certificate)->publicKey();
    ASSERT_TRUE(key);
    Bytes digest = sha1(std::string_view("{\"init_js\":\"...\"}"));
    Bytes good = signer.sign(digest);
    auto spki = PublicKey::createWithDER(key->subjectPublicKeyInfo());
    auto pkcs1 = PublicKey::createWithDER(key->rsaPublicKey());
    ASSERT_TRUE(spki && pkcs1);
    struct Row {
        const char* name;
        Bytes digest;
        Bytes signature;
        bool expected;
    } rows[] = {
        {"good", digest, good, true},
        {"truncated signature", digest, truncated(good, 1), false},
        {"signature with a byte more", digest, appended(good), false},
        {"bit-flipped signature", digest, flipped(good, 40), false},
        {"bit-flipped digest", flipped(digest, 3), good, false},
        {"foreign signature", digest, foreign.sign(digest), false},
        {"empty signature", digest, {}, false},
        {"short digest", truncated(digest, 1), good, false},
    };
    for (const auto& row : rows)
        for (const auto& candidate : {key, spki, pkcs1})
            EXPECT_EQ(candidate->verifySHA1Digest(row.digest, row.signature), row.expected) << row.name;
    auto foreignKey = Certificate::createWithDER(foreign.certificate)->publicKey();
    EXPECT_FALSE(foreignKey->verifySHA1Digest(digest, good));
    EXPECT_FALSE(PublicKey::createWithDER(appended(foreignKey->subjectPublicKeyInfo())));
}

TEST(SecurityCertificate, RefusesAnythingButOneCertificateAndNonRSAKeys)
{
    Signer signer, elliptic("EC");
    const std::tuple<const char*, Bytes, bool, bool> rows[] = {
        {"good", signer.certificate, true, true},
        {"truncated", truncated(signer.certificate, 10), false, false},
        {"trailing byte", appended(signer.certificate), false, false},
        {"empty", {}, false, false},
        {"not DER", Bytes{'h', 'i'}, false, false},
        {"elliptic curve key", elliptic.certificate, true, false},
    };
    for (const auto& [name, der, isCertificate, hasKey] : rows) {
        auto certificate = Certificate::createWithDER(der);
        EXPECT_EQ(bool(certificate), isCertificate) << name;
        EXPECT_EQ(certificate && certificate->publicKey(), hasKey) << name;
    }
}

TEST(SecurityKeychain, KeepsKeysByTagInAPrivateFile)
{
    auto home = std::filesystem::temp_directory_path() / ("keychain-" + std::to_string(getpid()));
    std::filesystem::remove_all(home);
    setHomeDirectory(home.string());
    Signer signer;
    Bytes key = Certificate::createWithDER(signer.certificate)->publicKey()->rsaPublicKey();
    const std::string tag = "com.example.publicKey", odd = "tag with blank\nand line";
    Bytes other{1, 2, 3};

    EXPECT_FALSE(Keychain::keyData(tag));
    EXPECT_FALSE(Keychain::setKeyData("empty", {}));
    ASSERT_TRUE(Keychain::setKeyData(tag, key) && Keychain::setKeyData(odd, other));
    struct stat info {};
    ASSERT_EQ(stat((home / "Library/Keychain").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Keychain::keyData(tag), key);
    EXPECT_EQ(Keychain::keyData(odd), other);
    Bytes digest = sha1(std::string_view("x"));
    EXPECT_TRUE(Keychain::publicKey(tag)->verifySHA1Digest(digest, signer.sign(digest)));
    EXPECT_FALSE(Keychain::publicKey(odd));

    EXPECT_TRUE(Keychain::removeKey(tag) && Keychain::removeKey("never stored"));
    EXPECT_FALSE(Keychain::keyData(tag));
    EXPECT_EQ(Keychain::keyData(odd), other);
    std::filesystem::remove_all(home);
}
