#include "ScriptPackageSupport.h"

#include "platform/security/Digest.h"
#include "platform/security/PublicKey.h"
#include "sdk/zz/TOSDKUpdateVerify.h"
#include "tools/zzpackage/ZZPackageBuilder.h"

#include <gtest/gtest.h>

namespace {

pf::Bytes bytesOf(const std::string& text)
{
    return pf::Bytes(text.begin(), text.end());
}

// A folder with the files and a list signed by the test key; `list`
// replaces the list's text when given.
void writeFolder(const std::string& folder, const std::vector<zmr::ZZScriptFile>& files, std::string list = {})
{
    ASSERT_TRUE(zmr::ZZPackageBuilder::writeScriptFolder(testKey(), files, folder));
    if (!list.empty()) {
        pf::Bytes signature = testKey().sign(bytesOf(list));
        spit(folder + "/verify.json", list);
        spit(folder + "/verify.signature", std::string(signature.begin(), signature.end()));
    }
}

}

TEST(PackageVerify, FolderCheckTable)
{
    ScopedBundle bundle(testKey().certificateDER());
    const std::vector<zmr::ZZScriptFile> files = {{"init.js", "init"}, {"a_b.js", "ab"}, {"corvana.js", "c"}};
    const std::string initDigest = pf::sha1Hex(std::string("init"));
    std::string upper = initDigest;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Row {
        const char* label;
        std::string list; // empty: the builder's own list
        void (*tamper)(const std::string& folder);
        bool valid;
    } rows[] = {
        {"as built, two underscores name a_b.js", "", nullptr, true},
        {"an unlisted extra file", "", [](const std::string& f) { spit(f + "/extra.js", "?"); }, true},
        {"list changed by one byte", "",
         [](const std::string& f) {
             std::string list = slurp(f + "/verify.json");
             list[2] ^= 1;
             spit(f + "/verify.json", list);
         },
         false},
        {"listed file absent", "", [](const std::string& f) { fs::remove(f + "/corvana.js"); }, false},
        {"listed file changed", "", [](const std::string& f) { spit(f + "/init.js", "tampered"); }, false},
        {"no signature", "", [](const std::string& f) { fs::remove(f + "/verify.signature"); }, false},
        {"upper-case digest", "{\"init_js\":\"" + upper + "\"}", nullptr, false},
        {"empty object", "{}", nullptr, false},
        {"an array", "[\"init_js\"]", nullptr, false},
        {"digest not text", "{\"init_js\":\"" + initDigest + "\",\"x_js\":12}", nullptr, false},
        {"key naming the parent", "{\"init_js\":\"" + initDigest + "\",\"_.\":\"" + initDigest + "\"}", nullptr, false},
        {"key with a slash", "{\"init_js\":\"" + initDigest + "\",\"../init_js\":\"" + initDigest + "\"}", nullptr, false},
        {"empty key", "{\"init_js\":\"" + initDigest + "\",\"\":\"" + initDigest + "\"}", nullptr, false},
    };
    for (const Row& row : rows) {
        std::string folder = makeScratch();
        writeFolder(folder, files, row.list);
        if (row.tamper)
            row.tamper(folder);
        EXPECT_EQ(TOSDKUpdateVerify::isNativeResourceFileValid(folder), row.valid) << row.label;
        fs::remove_all(folder);
    }
    EXPECT_FALSE(TOSDKUpdateVerify::isNativeResourceFileValid("/nonexistent/folder"));
}

TEST(PackageVerify, OnlyTheBundleCertificateSignsAndDSStoreGoesAfterItVerifies)
{
    std::string folder = makeScratch();
    writeFolder(folder, {{"init.js", "init"}});
    spit(folder + "/.DS_STORE", "junk");
    {
        auto foreign = zmr::ZZPackageKey::generate(1024);
        ScopedBundle bundle(foreign->certificateDER());
        EXPECT_FALSE(TOSDKUpdateVerify::isNativeResourceFileValid(folder));
        EXPECT_TRUE(fs::exists(folder + "/.DS_STORE"));
    }
    {
        ScopedBundle bundle(bytesOf("not a certificate"));
        EXPECT_FALSE(TOSDKUpdateVerify::isNativeResourceFileValid(folder));
    }
    {
        ScopedBundle bundle(testKey().certificateDER());
        EXPECT_TRUE(TOSDKUpdateVerify::isNativeResourceFileValid(folder));
        EXPECT_FALSE(fs::exists(folder + "/.DS_STORE"));
        // The key text must be present, though it does not check anything.
        pf::Bytes list = bytesOf(slurp(folder + "/verify.json"));
        pf::Bytes signature = bytesOf(slurp(folder + "/verify.signature"));
        EXPECT_TRUE(TOSDKRSACryptor::verify(list, std::string("x"), signature));
        EXPECT_FALSE(TOSDKRSACryptor::verify(list, std::nullopt, signature));
    }
    {
        // The key of a certificate checked before does not outlive it.
        auto other = zmr::ZZPackageKey::generate(1024);
        ScopedBundle bundle(other->certificateDER());
        EXPECT_FALSE(TOSDKUpdateVerify::isNativeResourceFileValid(folder));
    }
    fs::remove_all(folder);
}

TEST(PackageVerify, KeyUtilities)
{
    struct Row {
        const char* text;
        std::string bytes;
    } rows[] = {
        {"aGVsbG8=", "hello"}, {"aGVsbA", "hell"}, {"aGV\nsbG8\r\n= ", "hello"}, {"aG", "h"}, {"a", ""}, {"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TOSDKRSACryptor::dataWithBase64EncodedString(row.text), bytesOf(row.bytes)) << row.text;

    // The built-in text is a 1024-bit SubjectPublicKeyInfo: its bare key is
    // the 140-byte RSAPublicKey after the header.
    EXPECT_EQ(std::string(TOSDKRSACryptor::builtInPublicKey).size(), 216u);
    std::optional<pf::Bytes> bare = TOSDKRSACryptor::strippedPublicKey(TOSDKRSACryptor::builtInPublicKey);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->size(), 140u);
    EXPECT_EQ((*bare)[0], 0x30);
    for (const char* bad : {"", "AAAA", "MIGfMA0GCSqGSIb3", "MAAwAA=="})
        EXPECT_FALSE(TOSDKRSACryptor::strippedPublicKey(bad)) << bad;

    TOSDKRSACryptor::setPublicKey(std::string(TOSDKRSACryptor::builtInPublicKey), "zz.test");
    EXPECT_EQ(TOSDKRSACryptor::keyDataWithTag("zz.test"), bare);
    TOSDKRSACryptor::removeKey("zz.test");
    EXPECT_FALSE(TOSDKRSACryptor::keyDataWithTag("zz.test"));
}
