#include "framework/util/KRUnZip.h"

#include "framework/util/ExtractPath.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

const char* const KRUnZip::kKRUnZipFileName = "kKRUnZipFileName";
const char* const KRUnZip::kKRUnZipFileSize = "kKRUnZipFileSize";

namespace {

constexpr std::size_t kChunk = 102400;
constexpr std::size_t kMaxNameBytes = 1023;

pf::Error zipError(std::string description)
{
    return pf::Error{"KRUnZip", 1, std::move(description)};
}

}

std::shared_ptr<KRUnZip> KRUnZip::initWithZipFile(const std::string& path)
{
    unzFile file = unzOpen64(path.c_str());
    if (!file)
        return nullptr;
    return std::shared_ptr<KRUnZip>(new KRUnZip(file));
}

KRUnZip::~KRUnZip()
{
    if (m_zFile) {
        unzCloseCurrentFile(m_zFile);
        unzClose(m_zFile);
    }
}

bool KRUnZip::nextZipEntity()
{
    int status;
    if (!m_isToFirst) {
        m_isToFirst = true;
        status = unzGoToFirstFile(m_zFile);
    } else {
        status = unzGoToNextFile(m_zFile);
    }
    return status == UNZ_OK;
}

std::optional<std::string> KRUnZip::rawName()
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_zFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return std::nullopt;
    std::vector<char> name(info.size_filename + 1);
    if (unzGetCurrentFileInfo64(m_zFile, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return std::nullopt;
    // Names are cut at 1,023 bytes, as the archive's own readers keep them.
    return std::string(name.data(), std::min<std::size_t>(info.size_filename, kMaxNameBytes));
}

pf::DictionaryRef KRUnZip::entityAttributes()
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_zFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return nullptr;
    std::optional<std::string> name = entityFileName();
    if (!name)
        return nullptr;
    return pf::Dictionary::create({{kKRUnZipFileName, *name},
                                   {kKRUnZipFileSize, pf::Value(static_cast<long long>(info.uncompressed_size))}});
}

std::optional<std::string> KRUnZip::entityFileName()
{
    std::optional<std::string> name = rawName();
    if (!name || !pf::isValidUtf8(*name))
        return std::nullopt;
    return name;
}

std::uint32_t KRUnZip::entityFileSize()
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_zFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return 0;
    return info.uncompressed_size > UINT32_MAX ? 0 : static_cast<std::uint32_t>(info.uncompressed_size);
}

bool KRUnZip::openZipEntity()
{
    return unzOpenCurrentFile(m_zFile) == UNZ_OK;
}

bool KRUnZip::closeZipEntity()
{
    return unzCloseCurrentFile(m_zFile) == UNZ_OK;
}

int KRUnZip::read(void* buffer, std::uint32_t length)
{
    if (length > INT32_MAX)
        length = INT32_MAX;
    return unzReadCurrentFile(m_zFile, buffer, length);
}

pf::ErrorOr<std::size_t> KRUnZip::unZipToDirectory(const std::string& directory, std::uint64_t maxTotalBytes)
{
    std::error_code error;
    fs::create_directories(directory, error);
    if (error)
        return zipError("Cannot create " + directory + ": " + error.message());
    ScopedFd root(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root)
        return zipError("Cannot open " + directory + ": " + std::strerror(errno));

    std::optional<pf::Error> firstFailure;
    auto fail = [&](std::string description) {
        if (!firstFailure)
            firstFailure = zipError(std::move(description));
    };
    std::size_t written = 0;
    std::uint64_t total = 0;
    std::vector<char> chunk(kChunk);
    m_isToFirst = false;
    while (nextZipEntity()) {
        std::optional<std::string> name = rawName();
        if (!name) {
            fail("Cannot read an entry's name");
            continue;
        }
        std::vector<std::string> parts;
        if (!splitEntryName(*name, parts)) {
            fail("Refused entry outside the folder: " + *name);
            continue;
        }
        bool isDirectory = name->back() == '/';
        std::string leaf;
        if (!isDirectory) {
            leaf = parts.back();
            parts.pop_back();
        }
        ScopedFd folder = openFoldersBelow(root.get(), parts);
        if (!folder) {
            fail("Cannot create the folder of " + *name);
            continue;
        }
        if (isDirectory)
            continue;
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(m_zFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK || !openZipEntity()) {
            fail("Cannot open entry " + *name);
            continue;
        }
        // O_NOFOLLOW: a link already in the folder is refused, never written through.
        int fd = ::openat(folder.get(), leaf.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            closeZipEntity();
            fail("Cannot create " + *name + ": " + std::strerror(errno));
            continue;
        }
        ScopedFd out(fd);
        bool ok = true, tooLarge = false;
        std::uint64_t entryBytes = 0;
        int count;
        while ((count = read(chunk.data(), static_cast<std::uint32_t>(chunk.size()))) > 0) {
            total += static_cast<std::uint64_t>(count);
            entryBytes += static_cast<std::uint64_t>(count);
            if (total > maxTotalBytes) {
                tooLarge = true;
                break;
            }
            if (!writeAllBytes(out.get(), chunk.data(), static_cast<std::size_t>(count))) {
                ok = false;
                break;
            }
        }
        // The reader checks the CRC only once the declared size was read: data
        // that ends early reads as a clean end, so the bytes are counted.
        if (count < 0 || (!tooLarge && entryBytes != info.uncompressed_size))
            ok = false;
        if (::close(out.release()) != 0)
            ok = false;
        if (!closeZipEntity())
            ok = false;
        if (!ok || tooLarge) {
            ::unlinkat(folder.get(), leaf.c_str(), 0);
            if (tooLarge)
                return zipError("The archive expands past " + std::to_string(maxTotalBytes) + " bytes at " + *name);
            fail("Damaged or truncated entry " + *name);
            continue;
        }
        written++;
    }
    if (firstFailure)
        return *firstFailure;
    return written;
}

std::optional<pf::Bytes> dataWithZipFile(const std::string& path, const std::string& fileName, std::uint64_t maxBytes)
{
    std::shared_ptr<KRUnZip> zip = KRUnZip::initWithZipFile(path);
    if (!zip)
        return std::nullopt;
    while (zip->nextZipEntity()) {
        if (zip->entityFileName() != fileName)
            continue;
        std::uint64_t declared = 0;
        if (auto attributes = zip->entityAttributes())
            declared = static_cast<std::uint64_t>(attributes->get(KRUnZip::kKRUnZipFileSize).longLongValue());
        if (declared > maxBytes || !zip->openZipEntity())
            return std::nullopt;
        // The declared size is not trusted for the allocation: the buffer
        // grows with the bytes that really arrive.
        pf::Bytes data;
        std::vector<std::uint8_t> chunk(kChunk);
        int count;
        while ((count = zip->read(chunk.data(), static_cast<std::uint32_t>(chunk.size()))) > 0) {
            data.insert(data.end(), chunk.begin(), chunk.begin() + count);
            if (data.size() > declared)
                break;
        }
        bool closed = zip->closeZipEntity();
        if (count < 0 || !closed || data.size() != declared)
            return std::nullopt;
        return data;
    }
    return std::nullopt;
}

std::optional<std::string> stringWithZipFile(const std::string& path, const std::string& fileName)
{
    std::optional<pf::Bytes> data = dataWithZipFile(path, fileName);
    if (!data)
        return std::nullopt;
    std::string text(data->begin(), data->end());
    if (!pf::isValidUtf8(text))
        return std::nullopt;
    return text;
}
