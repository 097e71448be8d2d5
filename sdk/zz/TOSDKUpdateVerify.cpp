#include "sdk/zz/TOSDKUpdateVerify.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Digest.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/TOSDKRSACryptor.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

bool TOSDKUpdateVerify::isNativeResourceFileValid(const std::string& folder)
{
    return isNativeResourceFileValid(folder, Known{});
}

bool TOSDKUpdateVerify::isNativeResourceFileValid(const std::string& folder, const Known& known)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return false;
    auto knownDigest = [&](const std::string& name) -> const std::string* {
        auto found = known.sha1.find(name);
        return found == known.sha1.end() ? nullptr : &found->second;
    };
    const std::string* listDigest = knownDigest("verify.json");
    const std::string* signatureDigest = knownDigest("verify.signature");
    std::optional<pf::Bytes> list;
    if (listDigest && signatureDigest && !known.checkedList.empty() &&
        *listDigest == pf::sha1Hex(known.checkedList) && *signatureDigest == pf::sha1Hex(known.checkedSignature)) {
        list = known.checkedList;
    } else {
        list = pf::readFile(folder + "/verify.json");
        std::optional<pf::Bytes> signature = pf::readFile(folder + "/verify.signature");
        if (!TOSDKRSACryptor::verify(list, std::string(TOSDKRSACryptor::builtInPublicKey), signature))
            return false;
    }
    ::unlink((folder + "/.DS_STORE").c_str());

    // The signed bytes are the ones parsed: the file is not read again.
    CVOSDKEZJSONParser parser;
    pf::Value parsed = parser.objectWithString(std::string_view(reinterpret_cast<const char*>(list->data()), list->size()));
    pf::DictionaryRef entries = parsed.dictionary();
    if (!entries || entries->empty())
        return false;
    for (const auto& [key, digest] : *entries) {
        std::optional<std::string> name = fileNameForKey(key);
        if (!name || !digest.isString())
            return false;
        const std::string* written = knownDigest(*name);
        if (written ? *written != digest.stringValue() : !verifyFile(folder + "/" + *name, digest.stringValue()))
            return false;
    }
    return true;
}

bool TOSDKUpdateVerify::verifyFile(const std::optional<std::string>& path, const std::optional<std::string>& digest)
{
    if (!path || !digest)
        return false;
    std::optional<pf::Bytes> bytes = pf::readFile(*path);
    return bytes && TOSDKRSACryptor::hashValueForFile(bytes) == *digest;
}

std::optional<std::string> TOSDKUpdateVerify::fileNameForKey(const std::string& key)
{
    if (key.empty() || key.find('/') != std::string::npos || key.find('\0') != std::string::npos)
        return std::nullopt;
    std::string name = key;
    std::size_t underscore = name.rfind('_');
    if (underscore != std::string::npos)
        name[underscore] = '.';
    if (name == "." || name == "..")
        return std::nullopt;
    return name;
}
