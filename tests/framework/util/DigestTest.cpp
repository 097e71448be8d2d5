#include "framework/util/CCCryptor.h"
#include "framework/util/KRMD5String.h"
#include "framework/util/md5.h"

#include "platform/foundation/Value.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

namespace {

pf::Bytes bytes(std::string_view text)
{
    return pf::Bytes(text.begin(), text.end());
}

pf::Bytes fromHex(std::string_view hex)
{
    pf::Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

}

TEST(MD5, TextFormsAreHexOfTheDigest)
{
    char out[33];
    md5_hex("abc", 3, out);
    EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(krMD5String(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(krMD5String(bytes("abc")), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(MD5, PiecewiseUpdatesAgreeWithOpenSSL)
{
    std::string data;
    for (int i = 0; i < 1000; i++)
        data.push_back(static_cast<char>(i * 131 + 7));
    for (std::size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
        unsigned char expected[16];
        unsigned int size = 0;
        ASSERT_EQ(EVP_Digest(data.data(), length, expected, &size, EVP_md5(), nullptr), 1);

        md5_context context;
        md5_init(&context);
        md5_update(&context, data.data(), -5); // ignored
        for (std::size_t at = 0, step = 1; at < length; at += step, step = step * 2 + 1)
            md5_update(&context, data.data() + at, static_cast<int32_t>(std::min(step, length - at)));
        unsigned char digest[16];
        md5_final(&context, digest);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(digest), 16), std::string(reinterpret_cast<char*>(expected), 16))
            << length;
    }
}

TEST(CCCryptor, AESWithATextKeyMatchesTheStandardVector)
{
    std::string key(reinterpret_cast<const char*>(fromHex("2b7e151628aed2a6abf7158809cf4f3c").data()), 16);
    auto out = AES256EncryptWithKey(fromHex("6bc1bee22e409f96e93d7e117393172a"), key);
    ASSERT_TRUE(out);
    EXPECT_EQ(toHexString(*out), "3AD77BB40D7A3660A89ECAF32466EF97");

    // Only the first 16 bytes of the key text count.
    EXPECT_EQ(AES256EncryptWithKey(bytes(std::string(32, 'x')), "0123456789abcdefIGNORED"),
              AES256EncryptWithKey(bytes(std::string(32, 'x')), "0123456789abcdef"));
    EXPECT_EQ(AES256EncryptWithKey(bytes(std::string(32, 'x')), "k")->size(), 32u);
    EXPECT_FALSE(AES256EncryptWithKey(bytes(std::string(15, 'x')), "k"));
}

TEST(CCCryptor, EveryAlgorithmRoundTripsWithPaddingAndSizedKeys)
{
    pf::Bytes plain = bytes("seventeen bytes!!");
    struct Row {
        int algorithm;
        std::size_t cipherSize;
    } rows[] = {{0, 32}, {1, 24}, {2, 24}, {3, 24}, {4, 17}};
    for (const auto& row : rows) {
        auto sealed = CCCryptorEncryptedUsingAlgorithm(plain, row.algorithm, pf::Value("secret key"));
        ASSERT_TRUE(sealed) << row.algorithm;
        EXPECT_EQ(sealed->size(), row.cipherSize) << row.algorithm;
        EXPECT_NE(*sealed, plain);
        auto opened = CCCryptorDecryptedUsingAlgorithm(*sealed, row.algorithm, pf::Value("secret key"));
        ASSERT_TRUE(opened) << row.algorithm;
        EXPECT_EQ(*opened, plain) << row.algorithm;
    }
    EXPECT_FALSE(CCCryptorEncryptedUsingAlgorithm(plain, 9, pf::Value("k")));
    // A block cipher text of the wrong length cannot be opened.
    EXPECT_FALSE(CCCryptorDecryptedUsingAlgorithm(bytes("short"), 0, pf::Value("k")));
}

TEST(CCCryptor, KeysAreSizedForTheAlgorithm)
{
    pf::Bytes plain = bytes("0123456789abcdef");
    auto padded = [](std::string key, std::size_t size) {
        pf::Bytes b = bytes(key);
        b.resize(size, 0);
        return pf::Value::data(b);
    };
    // Each key row encrypts like its sized twin: zero-padded, cut, or a number's text.
    struct Row {
        int algorithm;
        pf::Value key, sized;
    } rows[] = {
        {0, pf::Value("0123456789abcdef"), padded("0123456789abcdef", 17)}, // 16 bytes go up to AES-192
        {0, pf::Value("k"), padded("k", 15)},
        {0, pf::Value(std::string(40, 'k')), pf::Value(std::string(32, 'k'))},
        {1, pf::Value("abcdefghXYZ"), pf::Value("abcdefgh")},
        {3, pf::Value("ab"), padded("ab", 5)},
        {4, pf::Value(std::string(600, 'r')), pf::Value(std::string(512, 'r'))},
        {2, pf::Value(42), pf::Value("42")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CCCryptorEncryptedUsingAlgorithm(plain, row.algorithm, row.key),
                  CCCryptorEncryptedUsingAlgorithm(plain, row.algorithm, row.sized))
            << row.algorithm << " " << row.key.description();
    auto aes192 = CCCryptorEncryptedUsingAlgorithm(plain, 0, pf::Value("0123456789abcdef"));
    EXPECT_NE(pf::Bytes(aes192->begin(), aes192->begin() + 16), *AES256EncryptWithKey(plain, "0123456789abcdef"));
}
