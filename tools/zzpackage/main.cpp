// zzpackage keygen KEY.pem CERT.der
//   makes an RSA-2048 signing key and its self-signed certificate.
// zzpackage build OUT.zip KEY.pem CONFIG.json SCRIPT...
//   packages the scripts (in load order) with their signed list.
#include "platform/foundation/FileSystem.h"
#include "tools/zzpackage/ZZPackageBuilder.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::optional<std::string> readText(const std::string& path)
{
    std::optional<pf::Bytes> bytes = pf::readFile(path);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

int usage()
{
    std::fprintf(stderr, "usage: zzpackage keygen KEY.pem CERT.der\n"
                         "       zzpackage build OUT.zip KEY.pem CONFIG.json SCRIPT...\n");
    return 2;
}

}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "keygen") == 0) {
        auto key = zmr::ZZPackageKey::generate();
        if (!key || !key->save(argv[2], argv[3])) {
            std::fprintf(stderr, "zzpackage: cannot make the key\n");
            return 1;
        }
        return 0;
    }
    if (argc >= 6 && std::strcmp(argv[1], "build") == 0) {
        auto key = zmr::ZZPackageKey::load(argv[3]);
        std::optional<std::string> config = readText(argv[4]);
        if (!key || !config) {
            std::fprintf(stderr, "zzpackage: cannot read the key or %s\n", argv[4]);
            return 1;
        }
        std::vector<zmr::ZZScriptFile> files;
        for (int i = 5; i < argc; i++) {
            std::optional<std::string> content = readText(argv[i]);
            if (!content) {
                std::fprintf(stderr, "zzpackage: cannot read %s\n", argv[i]);
                return 1;
            }
            files.push_back({std::filesystem::path(argv[i]).filename().string(), *content});
        }
        if (!zmr::ZZPackageBuilder::writePackage(*key, files, *config, argv[2])) {
            std::fprintf(stderr, "zzpackage: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    return usage();
}
