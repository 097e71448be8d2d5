#pragma once

// Extracts zip archives into a folder and writes new ones, on minizip.
//
// Extraction never leaves the destination and never makes a link: the whole
// archive is examined before anything is written, and an archive with an
// entry name that is empty, absolute, holds a ".." component, a NUL byte or
// invalid UTF-8, an entry that stores a link or any other special file, or
// more entries or bytes than the limits allow is refused whole. Files and
// folders are created through descriptors, never through a link already in
// the destination. Set-id, sticky and group or other write bits of stored
// modes are dropped. A damaged entry (read or CRC error, short write) ends the
// extraction with NO and error -4 naming it; what was written before stays.
//
// Class methods run on the caller's thread and share no state; one instance
// (an archive being written) is used from one thread.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One entry's record, as the archive stores it.
struct CVZipFileInfo {
    unsigned long versionMadeBy = 0;
    unsigned long versionNeeded = 0;
    unsigned long flag = 0;
    unsigned long compressionMethod = 0;
    unsigned long dosDate = 0;
    unsigned long crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    unsigned long sizeFilename = 0;
    unsigned long sizeFileExtra = 0;
    unsigned long sizeFileComment = 0;
    unsigned long diskNumStart = 0;
    unsigned long internalAttributes = 0;
    unsigned long externalAttributes = 0;
};

struct CVZipGlobalInfo {
    std::uint64_t entryCount = 0;
    unsigned long commentSize = 0;
};

// Every callback is optional; each arrives on the extracting thread, inside
// the call.
class ICVZipArchiveDelegate {
public:
    virtual ~ICVZipArchiveDelegate() = default;
    virtual void zipArchiveWillUnzipArchiveAtPath(const std::string&, const CVZipGlobalInfo&) {}
    virtual void zipArchiveWillUnzipFileAtIndex(std::uint64_t, std::uint64_t, const std::string&, const CVZipFileInfo&) {}
    virtual void zipArchiveDidUnzipFileAtIndex(std::uint64_t, std::uint64_t, const std::string&, const CVZipFileInfo&) {}
    virtual void zipArchiveDidUnzipArchiveAtPath(const std::string&, const CVZipGlobalInfo&, const std::string&) {}
};

// What one extraction accepts at most: entries, and bytes written in all;
// and, when `accept` is set, which entries at all (by the components of the
// name below the destination and whether it names a folder). An entry that
// `accept` turns down refuses the archive like an unsafe one.
struct CVZipLimits {
    std::uint64_t maxBytes = 64ull << 20;
    std::uint64_t maxEntries = 10000;
    std::function<bool(const std::vector<std::string>& parts, bool isFolder)> accept;
};

// What an extraction saw of the files it wrote whole, for a caller that
// checks them without reading them back: the SHA-1 of each (40 lower-case
// hexadecimal characters) by its path below the destination, "/" between
// components, and the bytes of those whose paths are in `keep`. A path
// written twice holds what was written last. A file whose stored mode leaves
// it unreadable to its owner is left out, as a reader would fail on it.
struct CVZipWritten {
    std::set<std::string> keep;
    std::map<std::string, std::string> sha1;
    std::map<std::string, pf::Bytes> kept;
};

class CVZipArchive {
public:
    static constexpr const char* errorDomain = "CVZipArchiveErrorDomain";
    // Error codes: -1 the archive cannot be opened, -2 it has no reachable
    // first entry, -3 it was refused (unsafe name or kind of entry, or past a
    // limit) before anything was written, -4 extraction stopped part way: the
    // message names the entry and what failed (CRC mismatch, damaged or
    // truncated data, a file that cannot be written).

    static bool unzipFileAtPath(const std::string& path, const std::string& destination,
                                ICVZipArchiveDelegate* delegate = nullptr);
    static bool unzipFileAtPath(const std::string& path, const std::string& destination, bool overwrite,
                                const std::string& password, pf::Error* error,
                                ICVZipArchiveDelegate* delegate = nullptr, const CVZipLimits& limits = {});
    // The same extraction of an archive already held in memory (files are
    // overwritten, no password, no delegate), reporting what it wrote to
    // `written` when given; on failure `written` holds no more than the files
    // written before it.
    static bool unzipData(const pf::Bytes& archive, const std::string& destination, pf::Error* error,
                          const CVZipLimits& limits, CVZipWritten* written = nullptr);
    // The bytes of the first entry named exactly `name` of an archive held in
    // memory; nothing when there is none, when it declares more than
    // `maxBytes` or cannot be read whole with a matching CRC.
    static std::optional<pf::Bytes> dataOfEntry(const pf::Bytes& archive, const std::string& name,
                                                std::uint64_t maxBytes);
    // The same for several names (with their `maxBytes`) in one walk of the
    // archive, in the order asked.
    static std::vector<std::optional<pf::Bytes>> dataOfEntries(
        const pf::Bytes& archive, const std::vector<std::pair<std::string, std::uint64_t>>& wanted);

    // NO when the archive cannot be created or a file cannot be added whole.
    static bool createZipFileAtPath(const std::string& path, const std::vector<std::string>& filePaths);
    // Adds the regular files below `directory` (links and other kinds are
    // skipped) under their relative paths, in name order.
    static bool createZipFileAtPathWithContentsOfDirectory(const std::string& path, const std::string& directory);

    // MS-DOS date (local time) to seconds since the epoch.
    static long long dateWithMSDOSFormat(unsigned long dosDate);

    explicit CVZipArchive(std::string path);
    ~CVZipArchive(); // closes an archive still open
    CVZipArchive(const CVZipArchive&) = delete;
    CVZipArchive& operator=(const CVZipArchive&) = delete;

    const std::string& path() const { return m_path; }
    // Creates the archive, replacing any file at the path. Misuse (opening
    // twice, writing or closing before open) asserts and answers NO.
    bool open();
    bool writeFile(const std::string& filePath);
    // Adds the file under `fileName`, or its last path component; its date
    // and permissions go with it. NO when it cannot be read or written whole.
    bool writeFileAtPath(const std::string& filePath, const std::optional<std::string>& fileName);
    // One entry dated now; NO when not open or there are no data.
    bool writeData(const std::optional<pf::Bytes>& data, const std::string& fileName);
    // NO when the archive could not be completed.
    bool close();

private:
    bool addEntry(const std::string& name, long long modified, unsigned long externalAttributes);

    std::string m_path;
    void* m_zip = nullptr; // the minizip writing handle, owned
};
