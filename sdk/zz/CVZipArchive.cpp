#include "sdk/zz/CVZipArchive.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kWriteBlock = 16384;
// Made on a Unix host, so readers take the high attribute bits as a mode.
constexpr uLong kVersionMadeBy = (3u << 8) | 20u;

struct File {
    std::FILE* handle = nullptr;
    ~File()
    {
        if (handle)
            std::fclose(handle);
    }
};

zip_fileinfo entryRecord(long long modified, unsigned long externalAttributes)
{
    zip_fileinfo record{};
    time_t seconds = static_cast<time_t>(modified);
    std::tm local{};
    localtime_r(&seconds, &local);
    record.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    record.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    record.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    record.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    record.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    record.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    record.external_fa = externalAttributes;
    return record;
}

}

long long CVZipArchive::dateWithMSDOSFormat(unsigned long dosDate)
{
    std::tm parts{};
    parts.tm_year = static_cast<int>(((dosDate >> 25) & 0x7F) + 1980 - 1900);
    parts.tm_mon = static_cast<int>((dosDate >> 21) & 0x0F) - 1;
    parts.tm_mday = static_cast<int>((dosDate >> 16) & 0x1F);
    parts.tm_hour = static_cast<int>((dosDate >> 11) & 0x1F);
    parts.tm_min = static_cast<int>((dosDate >> 5) & 0x3F);
    parts.tm_sec = static_cast<int>(2 * (dosDate & 0x1F));
    parts.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&parts));
}

CVZipArchive::CVZipArchive(std::string path) : m_path(std::move(path)) {}

CVZipArchive::~CVZipArchive()
{
    if (m_zip)
        zipClose(m_zip, nullptr);
}

bool CVZipArchive::open()
{
    assert(!m_zip && "Attempting open an archive which is already open");
    if (m_zip)
        return false;
    m_zip = zipOpen64(m_path.c_str(), APPEND_STATUS_CREATE);
    return m_zip != nullptr;
}

bool CVZipArchive::addEntry(const std::string& name, long long modified, unsigned long externalAttributes)
{
    zip_fileinfo record = entryRecord(modified, externalAttributes);
    return zipOpenNewFileInZip4(m_zip, name.c_str(), &record, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                kVersionMadeBy, 0) == ZIP_OK;
}

bool CVZipArchive::writeFile(const std::string& filePath)
{
    return writeFileAtPath(filePath, std::nullopt);
}

bool CVZipArchive::writeFileAtPath(const std::string& filePath, const std::optional<std::string>& fileName)
{
    assert(m_zip && "Attempting to write to an archive which was never opened");
    if (!m_zip)
        return false;
    File input;
    input.handle = std::fopen(filePath.c_str(), "rb");
    if (!input.handle)
        return false;
    struct stat attributes;
    if (::fstat(::fileno(input.handle), &attributes) != 0 || !S_ISREG(attributes.st_mode))
        return false;
    std::string name = fileName ? *fileName : fs::path(filePath).filename().string();
    unsigned long external = (static_cast<unsigned long>(attributes.st_mode & 07777) | 0x8000ul) << 16;
    if (!addEntry(name, static_cast<long long>(attributes.st_mtime), external))
        return false;
    std::vector<char> block(kWriteBlock);
    bool ok = true;
    std::size_t count;
    while (ok && (count = std::fread(block.data(), 1, block.size(), input.handle)) > 0)
        ok = zipWriteInFileInZip(m_zip, block.data(), static_cast<unsigned>(count)) == ZIP_OK;
    if (std::ferror(input.handle))
        ok = false;
    return zipCloseFileInZip(m_zip) == ZIP_OK && ok;
}

bool CVZipArchive::writeData(const std::optional<pf::Bytes>& data, const std::string& fileName)
{
    if (!m_zip || !data)
        return false;
    if (!addEntry(fileName, static_cast<long long>(std::time(nullptr)), 0))
        return false;
    bool ok = data->empty() || zipWriteInFileInZip(m_zip, data->data(), static_cast<unsigned>(data->size())) == ZIP_OK;
    return zipCloseFileInZip(m_zip) == ZIP_OK && ok;
}

bool CVZipArchive::close()
{
    assert(m_zip && "[CVZipArchive] Attempting to close an archive which was never opened");
    if (!m_zip)
        return false;
    bool ok = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return ok;
}

bool CVZipArchive::createZipFileAtPath(const std::string& path, const std::vector<std::string>& filePaths)
{
    CVZipArchive archive(path);
    if (!archive.open())
        return false;
    bool ok = true;
    for (const std::string& file : filePaths)
        ok = archive.writeFile(file) && ok;
    return archive.close() && ok;
}

bool CVZipArchive::createZipFileAtPathWithContentsOfDirectory(const std::string& path, const std::string& directory)
{
    std::vector<std::string> relative;
    std::error_code error;
    for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error))
            relative.push_back(fs::path(it->path()).lexically_relative(directory).generic_string());
    }
    if (error)
        return false;
    std::sort(relative.begin(), relative.end());
    CVZipArchive archive(path);
    if (!archive.open())
        return false;
    bool ok = true;
    for (const std::string& name : relative)
        ok = archive.writeFileAtPath((fs::path(directory) / name).string(), name) && ok;
    return archive.close() && ok;
}
