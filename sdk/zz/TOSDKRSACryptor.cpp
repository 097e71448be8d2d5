#include "sdk/zz/TOSDKRSACryptor.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Certificate.h"
#include "platform/security/Digest.h"
#include "platform/security/Keychain.h"
#include "platform/security/PublicKey.h"

#include <algorithm>

// A throwaway key made for this SDK; the bundle certificate does the checking.
const char* const TOSDKRSACryptor::builtInPublicKey =
    "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQCzG8T8k/ueP1K5Jj+Adbw7HAhq3oSXNA+DMuHVNbjBAWzXNdmsgtqDqBXDuksQWq0mBaPJwklMEa"
    "IlfKrblowPQ6m06jnlHWqglU/4u3XPUBPS0upX7VqBXGt2CqXaM1ArxufInYOqrLIxC+tNc5ZsEH9MSRdHzgyyaTAVN9ctjQIDAQAB";

namespace {

pf::PublicKeyRef bundleKey()
{
    std::string folder = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName;
    std::optional<pf::Bytes> der = pf::readFile(folder + "/public_key.der");
    return der ? TOSDKRSACryptor::getPublicKey(*der) : nullptr;
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string withoutBlanks(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == ' ' || c == '\r' || c == '\t'; }),
               text.end());
    return text;
}

}

bool TOSDKRSACryptor::verify(const std::optional<pf::Bytes>& data, const std::optional<std::string>& key,
                             const std::optional<pf::Bytes>& signature)
{
    if (!data || !key || !signature)
        return false;
    pf::PublicKeyRef publicKey = bundleKey();
    return publicKey && publicKey->verifySHA1Digest(getHashBytes(*data), *signature);
}

pf::PublicKeyRef TOSDKRSACryptor::getPublicKey(const pf::Bytes& certificate)
{
    pf::CertificateRef parsed = pf::Certificate::createWithDER(certificate);
    return parsed ? parsed->publicKey() : nullptr;
}

pf::Bytes TOSDKRSACryptor::getHashBytes(const pf::Bytes& data)
{
    return pf::sha1(data);
}

std::optional<std::string> TOSDKRSACryptor::hashValueForFile(const std::optional<pf::Bytes>& data)
{
    if (!data)
        return std::nullopt;
    return pf::sha1Hex(*data);
}

pf::Bytes TOSDKRSACryptor::dataWithBase64EncodedString(const std::string& text)
{
    pf::Bytes out;
    unsigned group = 0;
    int count = 0;
    for (char c : text) {
        int value = base64Value(c);
        if (value < 0)
            continue;
        group = (group << 6) | static_cast<unsigned>(value);
        if (++count == 4) {
            out.push_back(static_cast<std::uint8_t>(group >> 16));
            out.push_back(static_cast<std::uint8_t>(group >> 8));
            out.push_back(static_cast<std::uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out.push_back(static_cast<std::uint8_t>(group >> 4));
    } else if (count == 3) {
        out.push_back(static_cast<std::uint8_t>(group >> 10));
        out.push_back(static_cast<std::uint8_t>(group >> 2));
    }
    return out;
}

std::optional<pf::Bytes> TOSDKRSACryptor::strippedPublicKey(const std::string& key)
{
    pf::Bytes b = dataWithBase64EncodedString(withoutBlanks(key));
    std::size_t length = b.size();
    if (length < 2 || b[0] != 0x30)
        return std::nullopt;
    std::size_t i = b[1] < 0x81 ? 2 : static_cast<std::size_t>(b[1] - 0x80) + 2;
    if (i >= length || b[i] != 0x30 || length < 2 || i + 15 >= length - 2 || b[i + 15] != 0x03)
        return std::nullopt;
    std::size_t j = b[i + 16] < 0x81 ? i + 17 : i + 16 + static_cast<std::size_t>(b[i + 16] - 0x80) + 1;
    if (j >= length || b[j] != 0 || j + 1 >= length)
        return std::nullopt;
    return pf::Bytes(b.begin() + static_cast<std::ptrdiff_t>(j + 1), b.end());
}

std::string TOSDKRSACryptor::strippedKey(const std::string& text, const std::string& header, const std::string& footer)
{
    std::string out = text;
    for (const std::string* marker : {&header, &footer}) {
        if (marker->empty())
            continue;
        for (std::size_t at; (at = out.find(*marker)) != std::string::npos;)
            out.erase(at, marker->size());
    }
    return withoutBlanks(out);
}

bool TOSDKRSACryptor::isX509PublicKey(const std::string& text)
{
    return text.find(X509PublicHeader()) != std::string::npos && text.find(X509PublicFooter()) != std::string::npos;
}

bool TOSDKRSACryptor::isPKCS1PublicKey(const std::string& text)
{
    return text.find(PKCS1PublicHeader()) != std::string::npos && text.find(PKCS1PublicFooter()) != std::string::npos;
}

std::string TOSDKRSACryptor::publicKeyIdentifier()
{
    return publicKeyIdentifierWithTag(std::nullopt);
}

std::string TOSDKRSACryptor::publicKeyIdentifierWithTag(const std::optional<std::string>& tag)
{
    pf::DictionaryRef info = pf::Bundle::main()->infoDictionary();
    std::string identifier = info ? info->get("CFBundleIdentifier").stringOr() : std::string();
    identifier += ".publicKey";
    if (tag) {
        identifier += '.';
        identifier += *tag;
    }
    return identifier;
}

pf::DictionaryRef TOSDKRSACryptor::keyQueryDictionary(const std::string& tag)
{
    return pf::Dictionary::create({{"class", "key"},
                                   {"keyType", "RSA"},
                                   {"applicationTag", pf::Value::data(pf::Bytes(tag.begin(), tag.end()))},
                                   {"accessible", "whenUnlocked"},
                                   {"keyClass", "public"}});
}

void TOSDKRSACryptor::setPublicKey(const std::optional<std::string>& key, const std::string& tag)
{
    removeKey(tag);
    if (!key)
        return;
    if (std::optional<pf::Bytes> stripped = strippedPublicKey(*key))
        pf::Keychain::setKeyData(tag, *stripped);
}

void TOSDKRSACryptor::removeKey(const std::string& tag)
{
    pf::Keychain::removeKey(tag);
}

std::optional<pf::Bytes> TOSDKRSACryptor::keyDataWithTag(const std::string& tag)
{
    return pf::Keychain::keyData(tag);
}

pf::PublicKeyRef TOSDKRSACryptor::keyRefWithTag(const std::string& tag)
{
    return pf::Keychain::publicKey(tag);
}
