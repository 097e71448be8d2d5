// Links: zz_sdk zmr_zzpackage
// Any entries installed as the bundle's script package in a temporary home.
// The input is split at NUL bytes into (name, mode byte + content) pairs
// written as raw archive entries; a "js/verify.json" among them is signed
// with a key made once per run, so installs get past the signature. Nothing
// may appear outside the home's caches and temporary folders, no link may be
// made, and an installed package always verifies.
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/TOSDKUpdateVerify.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <minizip/zip.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Setup {
    std::unique_ptr<zmr::ZZPackageKey> key = zmr::ZZPackageKey::generate(1024);
    fs::path root = fs::temp_directory_path() / ("zmr_package_fuzz_" + std::to_string(getpid()));
    fs::path bundle = root / "bundle";
    fs::path home = root / "home";
    Setup()
    {
        fs::create_directories(bundle / TOSDKRSACryptor::bundleName);
        pf::Bytes der = key->certificateDER();
        if (pf::writeFileAtomically((bundle / TOSDKRSACryptor::bundleName / "public_key.der").string(),
                                    std::string(der.begin(), der.end())))
            std::abort();
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(bundle.string()));
    }
};

void addEntry(zipFile zip, const std::string& name, const std::string& content, unsigned long external)
{
    zip_fileinfo info{};
    info.external_fa = external;
    if (zipOpenNewFileInZip4(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 0, -MAX_WBITS,
                             DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, (3u << 8) | 20u, 0) != ZIP_OK)
        return;
    if (!content.empty())
        zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
    zipCloseFileInZip(zip);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    std::vector<std::string> parts;
    std::string input(reinterpret_cast<const char*>(data), size), current;
    for (char c : input) {
        if (c == '\0') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);

    std::string package = (setup.bundle / TOSDKRSACryptor::bundleName / "js.zip").string();
    zipFile zip = zipOpen64(package.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        std::abort();
    for (std::size_t i = 0; i + 1 < parts.size() && i < 40; i += 2) {
        const std::string& name = parts[i];
        std::string content = parts[i + 1].empty() ? std::string() : parts[i + 1].substr(1);
        unsigned long mode = parts[i + 1].empty() ? 0 : static_cast<unsigned char>(parts[i + 1][0]);
        unsigned long external = (mode & 0x80) ? ((0xA000ul | 0777ul) << 16) : (mode & 0x40) ? 0x4010ul : ((0x8000ul | (mode & 077) << 3) << 16);
        addEntry(zip, name, content, external);
        if (name == "js/verify.json") {
            pf::Bytes signature = setup.key->sign(pf::Bytes(content.begin(), content.end()));
            addEntry(zip, "js/verify.signature", std::string(signature.begin(), signature.end()), 0);
        }
    }
    zipClose(zip, nullptr);

    std::error_code ignored;
    fs::remove_all(setup.home, ignored);
    fs::create_directories(setup.home);
    pf::setHomeDirectory(setup.home.string());
    pf::UserDefaults::resetStandard();
    bool installed = false;
    {
        JsUpdateManager manager;
        installed = manager.loadBundleJsZip();
        if (installed && !TOSDKUpdateVerify::isNativeResourceFileValid(manager.jsFinalFolderPath()))
            std::abort();
    }
    for (auto it = fs::recursive_directory_iterator(setup.home, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        std::string relative = fs::relative(it->path(), setup.home).generic_string();
        bool allowed = relative == "Library" || relative.starts_with("Library/caches") ||
            relative.starts_with("Library/Preferences") || relative.starts_with("tmp");
        if (!allowed || it->is_symlink())
            std::abort();
        if (relative.starts_with("Library/caches/") && !relative.starts_with("Library/caches/finaljs") &&
            relative != "Library/caches/config.json" && relative != "Library/caches/js.lock")
            std::abort();
    }
    return 0;
}
