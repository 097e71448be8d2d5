// Extraction of CVZipArchive: one pass that examines every entry, then one
// that writes them.
#include "sdk/zz/CVZipArchive.h"

#include "framework/util/ExtractPath.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Text.h"
#include "platform/security/Digest.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Entries are copied out in blocks this size: a script file takes one or two
// writes rather than one per page.
constexpr std::size_t kBlock = 64 * 1024;
constexpr unsigned long kTypeMask = 0xF000, kTypeFile = 0x8000, kTypeFolder = 0x4000;

// An archive up to this size is read into memory in one go: the reader
// seeks for every entry's record, which on a file costs a seek and a read
// of the system each time.
constexpr std::uintmax_t kInMemoryArchive = 32u << 20;

// The archive's bytes as a file of the zip reader; `owned` holds them when
// the reader read the file itself.
struct MemoryArchive {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    pf::Bytes owned;

    static voidpf open(voidpf opaque, const void*, int) { return opaque; }
    static uLong read(voidpf, voidpf stream, void* buffer, uLong count)
    {
        auto& self = *static_cast<MemoryArchive*>(stream);
        std::size_t taken = std::min<std::size_t>(count, self.size - self.position);
        if (taken)
            std::memcpy(buffer, self.data + self.position, taken);
        self.position += taken;
        return static_cast<uLong>(taken);
    }
    static uLong write(voidpf, voidpf, const void*, uLong) { return 0; }
    static ZPOS64_T tell(voidpf, voidpf stream) { return static_cast<MemoryArchive*>(stream)->position; }
    static long seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
    {
        auto& self = *static_cast<MemoryArchive*>(stream);
        std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? self.position
                                                                : self.size;
        if (offset > self.size - base)
            return -1;
        self.position = static_cast<std::size_t>(base + offset);
        return 0;
    }
    static int close(voidpf, voidpf) { return 0; }
    static int error(voidpf, voidpf) { return 0; }
};

struct ZipReader {
    unzFile file = nullptr;
    std::unique_ptr<MemoryArchive> memory; // outlives `file`, which reads it

    bool open(const std::string& path)
    {
        std::error_code sizeError;
        std::uintmax_t size = std::filesystem::file_size(path, sizeError);
        std::optional<pf::Bytes> bytes;
        if (!sizeError && size <= kInMemoryArchive)
            bytes = pf::readFile(path);
        if (!bytes || bytes->size() > kInMemoryArchive) {
            file = unzOpen64(path.c_str());
            return file != nullptr;
        }
        memory = std::make_unique<MemoryArchive>();
        memory->owned = std::move(*bytes);
        return openMemory(memory->owned.data(), memory->owned.size());
    }
    // The bytes stay the caller's and must outlive the reader.
    bool openMemory(const std::uint8_t* data, std::size_t size)
    {
        if (!memory)
            memory = std::make_unique<MemoryArchive>();
        memory->data = data;
        memory->size = size;
        zlib_filefunc64_def functions{};
        functions.zopen64_file = &MemoryArchive::open;
        functions.zread_file = &MemoryArchive::read;
        functions.zwrite_file = &MemoryArchive::write;
        functions.ztell64_file = &MemoryArchive::tell;
        functions.zseek64_file = &MemoryArchive::seek;
        functions.zclose_file = &MemoryArchive::close;
        functions.zerror_file = &MemoryArchive::error;
        functions.opaque = memory.get();
        file = unzOpen2_64("memory", &functions);
        return file != nullptr;
    }
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
    // Most names fit the first buffer, so the record is read once.
    char first[512];
    if (unzGetCurrentFileInfo64(file, &info, first, sizeof first, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    if (info.size_filename <= sizeof first) {
        name.assign(first, info.size_filename);
        return true;
    }
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

namespace {

// Both passes over an open archive; `path` is what the delegate is told.
bool extract(ZipReader& zip, const std::string& path, const std::string& destination, bool overwrite,
             const std::string& password, pf::Error* error, ICVZipArchiveDelegate* delegate,
             const CVZipLimits& limits, CVZipWritten* written)
{
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
        if (entry && limits.accept && !limits.accept(entry->parts, entry->isFolder))
            entry.reset();
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
    // The packages seen carry one date for every entry, and converting one
    // consults the time zone's file each time.
    unsigned long lastDosDate = 0;
    long long lastDate = 0;
    if (delegate)
        delegate->zipArchiveWillUnzipArchiveAtPath(path, globalInfo);

    struct Dated {
        std::string path;
        long long date;
    };
    std::vector<Dated> dated;
    std::vector<char> block(kBlock);
    std::uint64_t total = 0, index = 0;
    pf::Sha1Stream digest;
    ScopedFd folder;
    std::vector<std::string> folderOpen;
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
        // Entries of one folder usually follow each other: its descriptor is
        // kept rather than the path walked again for each.
        if (!folder || folderParts != folderOpen) {
            folder = openFoldersBelow(root.get(), folderParts);
            folderOpen = folderParts;
        }
        if (!folder) {
            unzCloseCurrentFile(zip.file);
            setEntryError(error, name, "its folder cannot be made (or is a link)");
            success = false;
            break;
        }
        if (info.dosDate != 0) {
            if (info.dosDate != lastDosDate) {
                lastDosDate = info.dosDate;
                lastDate = CVZipArchive::dateWithMSDOSFormat(info.dosDate);
            }
            dated.push_back({name, lastDate});
        }
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
            bool keep = written && written->keep.count(name);
            pf::Bytes kept;
            while (failure.empty() && (count = unzReadCurrentFile(zip.file, block.data(), kBlock)) > 0) {
                total += static_cast<std::uint64_t>(count);
                entryBytes += static_cast<std::uint64_t>(count);
                if (total > limits.maxBytes) {
                    failure = "the archive holds more data than it declares";
                } else if (!writeAllBytes(out.get(), block.data(), static_cast<std::size_t>(count))) {
                    failure = "short write: " + std::string(std::strerror(errno));
                } else if (written) {
                    digest.update(std::string_view(block.data(), static_cast<std::size_t>(count)));
                    if (keep)
                        kept.insert(kept.end(), block.data(), block.data() + count);
                }
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
                if (written) {
                    written->sha1.erase(name);
                    written->kept.erase(name);
                }
                setEntryError(error, name, failure);
                success = false;
                break;
            }
            if (written) {
                std::string hex = digest.finishHex();
                if (entry.mode != 0 && !(entry.mode & 0400)) {
                    written->sha1.erase(name);
                    written->kept.erase(name);
                } else {
                    written->sha1[name] = std::move(hex);
                    if (keep)
                        written->kept[name] = std::move(kept);
                }
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

}

bool CVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination, bool overwrite,
                                   const std::string& password, pf::Error* error, ICVZipArchiveDelegate* delegate,
                                   const CVZipLimits& limits)
{
    ZipReader zip;
    if (!zip.open(path)) {
        setError(error, -1, "failed to open zip file");
        return false;
    }
    return extract(zip, path, destination, overwrite, password, error, delegate, limits, nullptr);
}

bool CVZipArchive::unzipData(const pf::Bytes& archive, const std::string& destination, pf::Error* error,
                             const CVZipLimits& limits, CVZipWritten* written)
{
    ZipReader zip;
    if (!zip.openMemory(archive.data(), archive.size())) {
        setError(error, -1, "failed to open zip file");
        return false;
    }
    return extract(zip, std::string(), destination, true, std::string(), error, nullptr, limits, written);
}

std::optional<pf::Bytes> CVZipArchive::dataOfEntry(const pf::Bytes& archive, const std::string& name,
                                                   std::uint64_t maxBytes)
{
    return std::move(dataOfEntries(archive, {{name, maxBytes}}).front());
}

std::vector<std::optional<pf::Bytes>> CVZipArchive::dataOfEntries(
    const pf::Bytes& archive, const std::vector<std::pair<std::string, std::uint64_t>>& wanted)
{
    std::vector<std::optional<pf::Bytes>> found(wanted.size());
    std::vector<bool> decided(wanted.size(), false);
    std::size_t left = wanted.size();
    ZipReader zip;
    if (!zip.openMemory(archive.data(), archive.size()))
        return found;
    for (int status = unzGoToFirstFile(zip.file); status == UNZ_OK && left > 0; status = unzGoToNextFile(zip.file)) {
        unz_file_info64 info{};
        std::string entryName;
        if (!currentEntry(zip.file, info, entryName))
            break;
        std::size_t at = 0;
        while (at < wanted.size() && (decided[at] || wanted[at].first != entryName))
            at++;
        if (at == wanted.size())
            continue;
        // The first entry of a name decides, whether it can be read or not.
        decided[at] = true;
        left--;
        if (info.uncompressed_size > wanted[at].second || unzOpenCurrentFile(zip.file) != UNZ_OK)
            continue;
        // The buffer grows with the bytes that arrive, not with the
        // declared size.
        pf::Bytes data;
        std::vector<char> block(kBlock);
        int count;
        while ((count = unzReadCurrentFile(zip.file, block.data(), kBlock)) > 0) {
            data.insert(data.end(), block.data(), block.data() + count);
            if (data.size() > info.uncompressed_size)
                break;
        }
        bool closed = unzCloseCurrentFile(zip.file) == UNZ_OK;
        if (count >= 0 && closed && data.size() == info.uncompressed_size)
            found[at] = std::move(data);
    }
    return found;
}
