// Extraction of CVZipArchive: one pass that examines every entry, then one
// that writes them.
#include "sdk/zz/CVZipArchive.h"

#include "framework/util/ExtractPath.h"
#include "platform/foundation/Text.h"

#include <minizip/unzip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kBlock = 4096;
constexpr unsigned long kTypeMask = 0xF000, kTypeFile = 0x8000, kTypeFolder = 0x4000;

struct ZipReader {
    unzFile file = nullptr;
    ~ZipReader()
    {
        if (file)
            unzClose(file);
    }
};

void setError(pf::Error* error, long long code, const std::string& message)
{
    if (error)
        *error = pf::Error{CVZipArchive::errorDomain, code, message};
}

// An entry that could not be extracted whole: which one, and what failed.
void setEntryError(pf::Error* error, const std::string& entryName, const std::string& what)
{
    setError(error, -4, "failed to unzip \"" + entryName + "\": " + what);
}

// What a failed read of an entry's data means, in words.
std::string readFailure(int code)
{
    switch (code) {
    case Z_DATA_ERROR: return "damaged compressed data";
    case UNZ_ERRNO: return "the archive could not be read (truncated?)";
    case UNZ_BADZIPFILE: return "the archive is damaged";
    case UNZ_CRCERROR: return "CRC mismatch";
    default: return "read error " + std::to_string(code);
    }
}

CVZipFileInfo fileInfo(const unz_file_info64& info)
{
    CVZipFileInfo out;
    out.versionMadeBy = info.version;
    out.versionNeeded = info.version_needed;
    out.flag = info.flag;
    out.compressionMethod = info.compression_method;
    out.dosDate = info.dosDate;
    out.crc = info.crc;
    out.compressedSize = info.compressed_size;
    out.uncompressedSize = info.uncompressed_size;
    out.sizeFilename = info.size_filename;
    out.sizeFileExtra = info.size_file_extra;
    out.sizeFileComment = info.size_file_comment;
    out.diskNumStart = info.disk_num_start;
    out.internalAttributes = info.internal_fa;
    out.externalAttributes = info.external_fa;
    return out;
}

// The current entry's record and name; false when either cannot be read.
bool currentEntry(unzFile file, unz_file_info64& info, std::string& name)
{
    if (unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::vector<char> buffer(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(file, &info, buffer.data(), static_cast<uLong>(buffer.size()), nullptr, 0, nullptr,
                                0) != UNZ_OK)
        return false;
    name.assign(buffer.data(), info.size_filename);
    return true;
}

struct Entry {
    std::vector<std::string> parts; // below the destination
    bool isFolder = false;
    unsigned mode = 0; // permissions to set, 0 for none
};

// Decides where an entry goes, or that the archive must be refused.
std::optional<Entry> examine(const unz_file_info64& info, const std::string& name)
{
    if (name.empty() || std::memchr(name.data(), '\0', name.size()) || !pf::isValidUtf8(name))
        return std::nullopt;
    Entry entry;
    entry.isFolder = name.back() == '/' || name.back() == '\\';
    if (!splitEntryName(name, entry.parts))
        return std::nullopt;
    // A stored entry marked as a folder in the low attribute bits but holding
    // data is how links were once archived; no link is ever made.
    if (info.compression_method == 0 && (info.external_fa & kTypeMask) == kTypeFolder && info.compressed_size > 0)
        return std::nullopt;
    unsigned long unixMode = info.external_fa >> 16;
    unsigned long type = unixMode & kTypeMask;
    if (type != 0 && type != kTypeFile && type != kTypeFolder)
        return std::nullopt;
    if (type == kTypeFolder && !entry.isFolder)
        return std::nullopt;
    entry.mode = static_cast<unsigned>(unixMode & 0755);
    return entry;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty())
            path += '/';
        path += part;
    }
    return path;
}

void setDate(int folder, const char* name, long long seconds)
{
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ::utimensat(folder, name, times, AT_SYMLINK_NOFOLLOW);
}

}

bool CVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination,
                                   ICVZipArchiveDelegate* delegate)
{
    return unzipFileAtPath(path, destination, true, std::string(), nullptr, delegate);
}

bool CVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination, bool overwrite,
                                   const std::string& password, pf::Error* error, ICVZipArchiveDelegate* delegate,
                                   const CVZipLimits& limits)
{
    ZipReader zip;
    zip.file = unzOpen64(path.c_str());
    if (!zip.file) {
        setError(error, -1, "failed to open zip file");
        return false;
    }
    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip.file, &global) != UNZ_OK || unzGoToFirstFile(zip.file) != UNZ_OK) {
        setError(error, -2, "failed to open first file in zip file");
        return false;
    }

    // First pass: every name, kind and declared size, before anything is
    // written.
    std::vector<Entry> entries;
    std::uint64_t declared = 0;
    int status = UNZ_OK;
    for (; status == UNZ_OK; status = unzGoToNextFile(zip.file)) {
        unz_file_info64 info{};
        std::string name;
        std::optional<Entry> entry;
        if (currentEntry(zip.file, info, name))
            entry = examine(info, name);
        declared += info.uncompressed_size;
        if (!entry || entries.size() >= limits.maxEntries || declared > limits.maxBytes) {
            setError(error, -3, "refused zip file");
            return false;
        }
        entries.push_back(std::move(*entry));
    }
    if (status != UNZ_END_OF_LIST_OF_FILE || unzGoToFirstFile(zip.file) != UNZ_OK) {
        setError(error, -3, "refused zip file");
        return false;
    }

    std::error_code ignored;
    std::filesystem::create_directories(destination, ignored);
    ScopedFd root(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root) {
        setError(error, -4, "failed to open the destination folder: " + std::string(std::strerror(errno)));
        return false;
    }

    CVZipGlobalInfo globalInfo{global.number_entry, global.size_comment};
    if (delegate)
        delegate->zipArchiveWillUnzipArchiveAtPath(path, globalInfo);

    struct Dated {
        std::string path;
        long long date;
    };
    std::vector<Dated> dated;
    std::vector<char> block(kBlock);
    std::uint64_t written = 0, index = 0;
    bool success = true;
    for (std::size_t position = 0; position < entries.size(); position++) {
        const Entry& entry = entries[position];
        const std::string name = joined(entry.parts);
        if (position > 0 && unzGoToNextFile(zip.file) != UNZ_OK) {
            setEntryError(error, name, "the entry cannot be reached");
            success = false;
            break;
        }
        int opened = password.empty() ? unzOpenCurrentFile(zip.file)
                                      : unzOpenCurrentFilePassword(zip.file, password.c_str());
        unz_file_info64 info;
        if (opened != UNZ_OK) {
            setEntryError(error, name, "the entry cannot be opened (damaged header or wrong password)");
            success = false;
            break;
        }
        if (unzGetCurrentFileInfo64(zip.file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            unzCloseCurrentFile(zip.file);
            setEntryError(error, name, "its record cannot be read");
            success = false;
            break;
        }
        CVZipFileInfo record = fileInfo(info);
        if (delegate)
            delegate->zipArchiveWillUnzipFileAtIndex(index, global.number_entry, path, record);

        std::vector<std::string> folderParts = entry.parts;
        std::string leaf;
        if (!entry.isFolder) {
            leaf = folderParts.back();
            folderParts.pop_back();
        }
        ScopedFd folder = openFoldersBelow(root.get(), folderParts);
        if (!folder) {
            unzCloseCurrentFile(zip.file);
            setEntryError(error, name, "its folder cannot be made (or is a link)");
            success = false;
            break;
        }
        if (info.dosDate != 0)
            dated.push_back({name, dateWithMSDOSFormat(info.dosDate)});
        if (entry.isFolder) {
            unzCloseCurrentFile(zip.file);
        } else {
            struct stat existing;
            if (!overwrite && ::fstatat(folder.get(), leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISDIR(existing.st_mode)) {
                // Kept as it is; the next entry takes this one's index.
                unzCloseCurrentFile(zip.file);
                continue;
            }
            ScopedFd out(::openat(folder.get(), leaf.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                                  0644));
            std::string failure;
            if (!out)
                failure = "the file cannot be created: " + std::string(std::strerror(errno));
            int count = 0;
            std::uint64_t entryBytes = 0;
            while (failure.empty() && (count = unzReadCurrentFile(zip.file, block.data(), kBlock)) > 0) {
                written += static_cast<std::uint64_t>(count);
                entryBytes += static_cast<std::uint64_t>(count);
                if (written > limits.maxBytes)
                    failure = "the archive holds more data than it declares";
                else if (!writeAllBytes(out.get(), block.data(), static_cast<std::size_t>(count)))
                    failure = "short write: " + std::string(std::strerror(errno));
            }
            if (failure.empty() && count < 0)
                failure = readFailure(count);
            // The reader checks the CRC only when the declared size came out
            // whole, so a stream that ends early must be caught here.
            if (failure.empty() && entryBytes != info.uncompressed_size)
                failure = "truncated data: " + std::to_string(entryBytes) + " of " +
                          std::to_string(info.uncompressed_size) + " bytes";
            if (failure.empty() && entry.mode != 0 && ::fchmod(out.get(), entry.mode) != 0)
                failure = "its permissions cannot be set";
            if (out && ::close(out.release()) != 0 && failure.empty())
                failure = "the file cannot be closed: " + std::string(std::strerror(errno));
            // Closing checks the CRC once the whole entry was read.
            int closed = unzCloseCurrentFile(zip.file);
            if (closed != UNZ_OK && failure.empty())
                failure = readFailure(closed);
            if (!failure.empty()) {
                setEntryError(error, name, failure);
                success = false;
                break;
            }
        }
        if (delegate)
            delegate->zipArchiveDidUnzipFileAtIndex(index, global.number_entry, path, record);
        index++;
    }
    // Folders get their dates back after files were written into them.
    for (const Dated& item : dated)
        setDate(root.get(), item.path.c_str(), item.date);
    if (success && delegate)
        delegate->zipArchiveDidUnzipArchiveAtPath(path, globalInfo, destination);
    return success;
}
