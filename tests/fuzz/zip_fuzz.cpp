// Links: kr_util
// Reads arbitrary bytes as a zip archive: walks and reads every entry and
// extracts it into a scratch folder, which must hold everything written.
#include "ZipScratch.h"
#include "framework/util/KRUnZip.h"

#include "platform/foundation/Collections.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ZipScratch scratch("zmr_zip_fuzz_");
    if (!scratch.write(data, size))
        return 0;
    const fs::path archive = scratch.archive();

    if (auto zip = KRUnZip::initWithZipFile(archive.string())) {
        std::vector<char> chunk(65536);
        std::string firstName;
        int entries = 0;
        for (; zip->nextZipEntity() && entries < 64; entries++) {
            zip->entityAttributes();
            if (auto name = zip->entityFileName(); name && firstName.empty())
                firstName = *name;
            if (!zip->openZipEntity())
                continue;
            std::size_t total = 0;
            int n;
            while (total < (1u << 20) && (n = zip->read(chunk.data(), static_cast<uint32_t>(chunk.size()))) > 0)
                total += static_cast<std::size_t>(n);
            zip->closeZipEntity();
        }
        if (!firstName.empty())
            dataWithZipFile(archive.string(), firstName);
        fs::path out = scratch.folder() / "out";
        // Entries may share their data; a bounded count bounds what is written.
        if (entries < 16)
            if (auto again = KRUnZip::initWithZipFile(archive.string()))
                again->unZipToDirectory(out.string());
        fs::remove_all(out);
    }
    // Nothing may appear beside the archive and the extraction folder.
    scratch.requireOnly();
    return 0;
}
