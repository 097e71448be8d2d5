// Links: zz_sdk zmr_zzpackage
// Any bytes as a script folder's "verify.json", correctly signed, over two
// files: the folder passes only when the list is an object with entries and
// every file it names exists with the listed digest.
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Digest.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/TOSDKUpdateVerify.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::string> kFiles = {{"init.js", "init();"}, {"a_b.js", "ab();"}};

void put(const fs::path& path, const std::string& text)
{
    if (pf::writeFileAtomically(path.string(), text))
        std::abort();
}

struct Setup {
    std::unique_ptr<zmr::ZZPackageKey> key = zmr::ZZPackageKey::generate(1024);
    fs::path root = fs::temp_directory_path() / ("zmr_manifest_fuzz_" + std::to_string(getpid()));
    fs::path folder = root / "js";
    Setup()
    {
        fs::create_directories(root / TOSDKRSACryptor::bundleName);
        fs::create_directories(folder);
        pf::Bytes der = key->certificateDER();
        put(root / TOSDKRSACryptor::bundleName / "public_key.der", std::string(der.begin(), der.end()));
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(root.string()));
        for (const auto& [name, content] : kFiles)
            put(folder / name, content);
    }
};

// What the check may accept: every listed key names one of the files, with
// its digest.
bool listMatches(const std::string& list)
{
    CVOSDKEZJSONParser parser;
    pf::DictionaryRef entries = parser.objectWithString(list).dictionary();
    if (!entries || entries->empty())
        return false;
    for (const auto& [key, digest] : *entries) {
        std::string name = key;
        if (std::size_t at = name.rfind('_'); at != std::string::npos)
            name[at] = '.';
        auto file = kFiles.find(name);
        if (file == kFiles.end() || digest.stringValue() != pf::sha1Hex(file->second))
            return false;
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    std::string list(reinterpret_cast<const char*>(data), size);
    pf::Bytes signature = setup.key->sign(pf::Bytes(data, data + size));
    put(setup.folder / "verify.json", list);
    put(setup.folder / "verify.signature", std::string(signature.begin(), signature.end()));
    if (TOSDKUpdateVerify::isNativeResourceFileValid(setup.folder.string()) && !listMatches(list))
        std::abort();
    for (const auto& [name, content] : kFiles) {
        if (!fs::is_regular_file(setup.folder / name))
            std::abort();
    }
    return 0;
}
