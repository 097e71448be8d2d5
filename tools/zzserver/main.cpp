// The ZZ platform stand-in as a program: prints its two origins, writes the
// test CA where "--cert-out" says, and serves until SIGINT or SIGTERM. Given
// a package key, it offers the scripts of "--package-dir" (init.js,
// config.js, corvana.js, local.js, then the other .js files by name) as
// script package "--package-version", signed with that key.
//
//   zzserver [--policy JSON] [--cert-out FILE]
//            [--package-key KEY.pem --package-dir DIR [--package-version V]]

#include "platform/foundation/FileSystem.h"
#include "tools/zzpackage/ZZPackageBuilder.h"
#include "tools/zzpackage/ZZPackageKey.h"
#include "tools/servermain/ServerMain.h"
#include "tools/zzserver/ZZServer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The package of the scripts in `folder`, signed with the key; "" on failure.
std::string scriptPackage(const std::string& keyPath, const std::string& folder, const std::string& version)
{
    auto key = zmr::ZZPackageKey::load(keyPath);
    if (!key)
        return {};
    std::vector<std::string> names = {"init.js", "config.js", "corvana.js", "local.js"}, others;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        std::string name = item.path().filename().string();
        if (item.path().extension() == ".js" && std::find(names.begin(), names.end(), name) == names.end())
            others.push_back(name);
    }
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    std::vector<zmr::ZZScriptFile> files;
    for (const std::string& name : names) {
        if (auto bytes = pf::readFile(folder + "/" + name))
            files.push_back({name, std::string(bytes->begin(), bytes->end())});
    }
    std::string path = (std::filesystem::temp_directory_path() / ("zzserver-package-" + std::to_string(getpid()) + ".zip")).string();
    std::string config = R"({"version":)" + version + R"(,"frequency":30})";
    if (files.empty() || !zmr::ZZPackageBuilder::writePackage(*key, files, config, path))
        return {};
    auto bytes = pf::readFile(path);
    std::filesystem::remove(path, error);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

}

int main(int argc, char** argv)
{
    std::string packageKey, packageDir, packageVersion = "2";
    std::string policy = R"({"ret":0,"Common_ta_enable":1,"Common_frequency":24})";
    std::string certOut;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--policy") == 0 && hasValue) {
            policy = argv[++i];
        } else if (std::strcmp(argv[i], "--cert-out") == 0 && hasValue) {
            certOut = argv[++i];
        } else if (std::strcmp(argv[i], "--package-key") == 0 && hasValue) {
            packageKey = argv[++i];
        } else if (std::strcmp(argv[i], "--package-dir") == 0 && hasValue) {
            packageDir = argv[++i];
        } else if (std::strcmp(argv[i], "--package-version") == 0 && hasValue) {
            packageVersion = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--policy JSON] [--cert-out FILE] "
                                 "[--package-key KEY.pem --package-dir DIR [--package-version V]]\n", argv[0]);
            return 2;
        }
    }
    return zmr::serveUntilSignalled("zzserver", [&]() -> zmr::ServerStart {
        auto server = std::make_shared<zmr::ZZServer>(policy);
        if (!server->isRunning())
            return std::string("cannot start");
        if (!certOut.empty() && !server->writeCA(certOut))
            return "cannot write " + certOut;
        if (!packageKey.empty() || !packageDir.empty()) {
            bool digits = !packageVersion.empty() && packageVersion.find_first_not_of("0123456789") == std::string::npos;
            std::string package = digits ? scriptPackage(packageKey, packageDir, packageVersion) : std::string();
            if (package.empty())
                return std::string("cannot make the script package");
            server->setScriptPackage(packageVersion, package);
        }
        return zmr::RunningServer{server->httpOrigin() + "\n" + server->httpsOrigin(), [server] {}};
    });
}
