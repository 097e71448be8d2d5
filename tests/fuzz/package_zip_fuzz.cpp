// Links: zz_sdk
// Reads arbitrary bytes as a script package's archive and extracts it, as an
// update does, into a scratch folder that must hold everything written.
#include "sdk/zz/CVZipArchive.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fs::path scratch = fs::temp_directory_path() / ("zmr_package_zip_fuzz_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    fs::path archive = scratch / "input.zip";
    if (std::FILE* f = std::fopen(archive.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    fs::path out = scratch / "out";
    pf::Error error;
    CVZipLimits limits{1u << 20, 64};
    CVZipArchive::unzipFileAtPath(archive.string(), out.string(), true, std::string(), &error, nullptr, limits);
    // Nothing may land beside the folder it was extracted into.
    for (const auto& item : fs::directory_iterator(scratch)) {
        std::string name = item.path().filename().string();
        if (name != "input.zip" && name != "out")
            std::abort();
    }
    std::error_code ignored;
    fs::remove_all(out, ignored);
    return 0;
}
