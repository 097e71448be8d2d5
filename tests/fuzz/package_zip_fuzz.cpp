// Links: zz_sdk
// Reads arbitrary bytes as a script package's archive and extracts it, as an
// update does, into a scratch folder that must hold everything written; then
// again from memory, where every digest reported must be that of the file
// on disk.
#include "ZipScratch.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Digest.h"
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
    static const ZipScratch scratch("zmr_package_zip_fuzz_");
    if (!scratch.write(data, size))
        return 0;
    fs::path out = scratch.folder() / "out";
    pf::Error error;
    CVZipLimits limits{1u << 20, 64, {}};
    CVZipArchive::unzipFileAtPath(scratch.archive().string(), out.string(), true, std::string(), &error, nullptr, limits);
    // Nothing may land beside the folder it was extracted into.
    scratch.requireOnly("out");
    std::error_code ignored;
    fs::remove_all(out, ignored);

    pf::Bytes archive(data, data + size);
    CVZipWritten written;
    CVZipArchive::unzipData(archive, out.string(), &error, limits, &written);
    scratch.requireOnly("out");
    for (const auto& [path, digest] : written.sha1) {
        std::optional<pf::Bytes> bytes = pf::readFile((out / path).string());
        if (!bytes || pf::sha1Hex(*bytes) != digest)
            std::abort();
    }
    fs::remove_all(out, ignored);
    return 0;
}
