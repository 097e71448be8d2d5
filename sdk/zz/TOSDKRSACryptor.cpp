#include "sdk/zz/TOSDKRSACryptor.h"

#include "framework/util/KRBASE64Decode.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Certificate.h"
#include "platform/security/Digest.h"
#include "platform/security/Keychain.h"
#include "platform/security/PublicKey.h"

#include <algorithm>
#include <iterator>
#include <mutex>

// A throwaway key made for this SDK; the bundle certificate does the checking.
const char* const TOSDKRSACryptor::builtInPublicKey =
    "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQCzG8T8k/ueP1K5Jj+Adbw7HAhq3oSXNA+DMuHVNbjBAWzXNdmsgtqDqBXDuksQWq0mBaPJwklMEa"
    "IlfKrblowPQ6m06jnlHWqglU/4u3XPUBPS0upX7VqBXGt2CqXaM1ArxufInYOqrLIxC+tNc5ZsEH9MSRdHzgyyaTAVN9ctjQIDAQAB";

namespace {

// The certificate is read for every check, so a changed one counts at once;
// the key of the one read last is kept, as parsing it costs more than the
// check itself. Any thread.
pf::PublicKeyRef bundleKey()
{
    static std::mutex mutex;
    static pf::Bytes lastCertificate;
    static pf::PublicKeyRef lastKey;
    std::string folder = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName;
    std::optional<pf::Bytes> der = pf::readFile(folder + "/public_key.der");
    if (!der)
        return nullptr;
    {
        std::lock_guard lock(mutex);
        if (lastKey && *der == lastCertificate)
            return lastKey;
    }
    pf::PublicKeyRef key = TOSDKRSACryptor::getPublicKey(*der);
    if (key) {
        std::lock_guard lock(mutex);
        lastCertificate = std::move(*der);
        lastKey = key;
    }
    return key;
}

bool isBase64Digit(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
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
    // Lenient: whatever is not a digit is skipped and a short last group
    // still gives its bytes, so the digits are made whole padded groups for
    // the framework's decoder (a lone last digit holds no byte).
    std::string digits;
    digits.reserve(text.size() + 3);
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), isBase64Digit);
    if (digits.size() % 4 == 1)
        digits.pop_back();
    digits.append((4 - digits.size() % 4) % 4, '=');
    return krBASE64Decode(digits);
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
