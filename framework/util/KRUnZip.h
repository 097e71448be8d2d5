#pragma once

// Reads zip archives: walks the entries, reads one into memory or extracts
// the whole archive into a folder. Used by one thread at a time.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class KRUnZip {
public:
    // Keys of entityAttributes().
    static const char* const kKRUnZipFileName; // the entry's name as stored, UTF-8
    static const char* const kKRUnZipFileSize; // its uncompressed size

    // Null when the archive cannot be opened.
    static std::shared_ptr<KRUnZip> initWithZipFile(const std::string& path);
    ~KRUnZip();

    // The first call moves to the first entry, later calls to the next one;
    // false when there is none.
    bool nextZipEntity();
    // Null when the current entry's information cannot be read or its name is
    // not valid UTF-8. Names longer than 1,023 bytes are cut there.
    pf::DictionaryRef entityAttributes();
    std::optional<std::string> entityFileName();
    // 0 on failure.
    std::uint32_t entityFileSize();

    bool openZipEntity();
    // False also when the whole entry was read and its CRC does not match.
    bool closeZipEntity();
    // Bytes read from the open entry: 0 at its end, negative on an error.
    int read(void* buffer, std::uint32_t length);

    // What extraction writes, and what one entry read into memory holds, at
    // most: a small archive can declare or inflate to any size.
    static constexpr std::uint64_t kDefaultMaxBytes = 64ull << 20;

    // Extracts every entry below `directory` (created with its parents),
    // creating the folders each entry needs. Entries whose names are
    // absolute or hold a ".." component are refused, and no folder or file is
    // opened through a link, so nothing is created or written outside the
    // folder whatever it already holds; a file whose data is damaged or cut
    // short is deleted. Goes on past a failed entry and answers the number of
    // files written, or the first failure. Once the files written reach
    // `maxTotalBytes` extraction stops, deletes what it wrote of the entry at
    // hand and fails.
    pf::ErrorOr<std::size_t> unZipToDirectory(const std::string& directory, std::uint64_t maxTotalBytes = kDefaultMaxBytes);

    KRUnZip(const KRUnZip&) = delete;
    KRUnZip& operator=(const KRUnZip&) = delete;

private:
    explicit KRUnZip(void* file) : m_zFile(file) {}
    std::optional<std::string> rawName();

    void* m_zFile = nullptr; // the minizip archive, owned
    bool m_isToFirst = false;
};

// The bytes of the entry named exactly `fileName`; nullopt when there is no
// archive or entry, or the entry cannot be read whole and intact.
// nullopt too for an entry larger than `maxBytes`.
std::optional<pf::Bytes> dataWithZipFile(const std::string& path, const std::string& fileName,
                                         std::uint64_t maxBytes = KRUnZip::kDefaultMaxBytes);
// The same bytes as UTF-8 text; nullopt also when they are not valid UTF-8.
std::optional<std::string> stringWithZipFile(const std::string& path, const std::string& fileName);
