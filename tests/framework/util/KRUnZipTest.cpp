#include "framework/util/ExtractPath.h"
#include "framework/util/KRUnZip.h"

#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <zlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name;
    std::string data;
};

// A fresh folder per test, removed afterwards.
class ZipFolder {
public:
    ZipFolder()
    {
        m_root = fs::temp_directory_path() / ("zmr_unzip_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    ~ZipFolder() { fs::remove_all(m_root); }
    const fs::path& root() const { return m_root; }

    // Writes an archive; `stored` keeps the data uncompressed so that tests
    // can find and damage it.
    std::string write(const std::string& file, const std::vector<Entry>& entries, bool stored = false) const
    {
        std::string path = (m_root / file).string();
        zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
        EXPECT_NE(zip, nullptr);
        for (const auto& entry : entries) {
            zip_fileinfo info{};
            EXPECT_EQ(zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                            stored ? 0 : Z_DEFLATED, stored ? 0 : Z_DEFAULT_COMPRESSION, 0),
                      ZIP_OK);
            if (!entry.data.empty()) {
                EXPECT_EQ(zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())), ZIP_OK);
            }
            EXPECT_EQ(zipCloseFileInZip(zip), ZIP_OK);
        }
        EXPECT_EQ(zipClose(zip, nullptr), ZIP_OK);
        return path;
    }

private:
    fs::path m_root;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// An archive whose first entry's deflate data is whole but ends after the
// first `actual` bytes of `declared` (whose size and CRC the records give),
// then a good entry.
std::string writeCutShortEntry(const fs::path& path, const std::string& declared, std::size_t actual)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string compressed(deflateBound(&stream, actual), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(declared.data()));
    stream.avail_in = static_cast<uInt>(actual);
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    compressed.resize(stream.total_out);
    deflateEnd(&stream);

    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    zip_fileinfo info{};
    EXPECT_EQ(zipOpenNewFileInZip2(zip, "short.txt", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION, 1),
              ZIP_OK);
    EXPECT_EQ(zipWriteInFileInZip(zip, compressed.data(), static_cast<unsigned>(compressed.size())), ZIP_OK);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(declared.data()), static_cast<uInt>(declared.size()));
    EXPECT_EQ(zipCloseFileInZipRaw(zip, declared.size(), crc), ZIP_OK);
    EXPECT_EQ(zipOpenNewFileInZip(zip, "good.txt", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_DEFAULT_COMPRESSION),
              ZIP_OK);
    EXPECT_EQ(zipWriteInFileInZip(zip, "good", 4), ZIP_OK);
    EXPECT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    EXPECT_EQ(zipClose(zip, nullptr), ZIP_OK);
    return path.string();
}

}

TEST(KRUnZip, WalksReadsByExactNameAndExtractsWithMissingParents)
{
    ZipFolder folder;
    std::string big(300000, 'x');
    std::string path = folder.write("a.zip", {{"a.txt", "hello"}, {"empty", ""}, {"dir/big.bin", big}, {"a/", ""},
                                              {"a/b.txt", "B"}, {"c/d/e.txt", "E"}});
    auto zip = KRUnZip::initWithZipFile(path);
    ASSERT_TRUE(zip);
    std::vector<std::string> names;
    while (zip->nextZipEntity()) {
        pf::DictionaryRef attributes = zip->entityAttributes();
        ASSERT_TRUE(attributes);
        names.push_back(attributes->string(KRUnZip::kKRUnZipFileName).value_or(""));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "empty", "dir/big.bin", "a/", "a/b.txt", "c/d/e.txt"}));
    EXPECT_EQ(dataWithZipFile(path, "a.txt"), pf::Bytes({'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(stringWithZipFile(path, "dir/big.bin"), big);
    EXPECT_EQ(dataWithZipFile(path, "empty"), pf::Bytes{});
    EXPECT_FALSE(dataWithZipFile(path, "A.txt"));
    EXPECT_FALSE(dataWithZipFile((folder.root() / "none.zip").string(), "a.txt"));
    EXPECT_FALSE(KRUnZip::initWithZipFile((folder.root() / "none.zip").string()));

    fs::path target = folder.root() / "out" / "deeper";
    auto result = KRUnZip::initWithZipFile(path)->unZipToDirectory(target.string());
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(*result, 5u);
    EXPECT_EQ(readFile(target / "a" / "b.txt"), "B");
    EXPECT_EQ(readFile(target / "c" / "d" / "e.txt"), "E");
    EXPECT_EQ(readFile(target / "dir" / "big.bin"), big);
}

TEST(KRUnZip, RefusesNamesThatLeaveTheFolder)
{
    ZipFolder folder;
    std::string path = folder.write("slip.zip", {{"../evil.txt", "x"},
                                                 {"ok/../../evil2.txt", "x"},
                                                 {"/tmp/zmr_abs_evil.txt", "x"},
                                                 {"..", "x"},
                                                 {"fine.txt", "fine"}});
    fs::path target = folder.root() / "out";
    auto result = KRUnZip::initWithZipFile(path)->unZipToDirectory(target.string());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readFile(target / "fine.txt"), "fine");
    EXPECT_FALSE(fs::exists(folder.root() / "evil.txt"));
    EXPECT_FALSE(fs::exists(folder.root() / "evil2.txt"));
    EXPECT_FALSE(fs::exists("/tmp/zmr_abs_evil.txt"));
    std::vector<fs::path> inside(fs::recursive_directory_iterator(target), {});
    EXPECT_EQ(inside.size(), 1u);
    // A damaged directory can hand over a name holding a NUL, which the file
    // system would end there: "..\0x" must not pass as a plain part.
    std::vector<std::string> parts;
    EXPECT_FALSE(splitEntryName(std::string("ok/..\0x/P", 10), parts));

    // Links planted in the folder lead no entry, and no folder of one, out of it.
    fs::path linked = folder.root() / "linked";
    fs::path outside = folder.root() / "outside";
    fs::create_directories(linked);
    fs::create_directories(outside);
    writeFile(outside / "victim", "keep");
    fs::create_directory_symlink(outside, linked / "up");
    fs::create_symlink(outside / "victim", linked / "victim");
    std::string viaLink = folder.write("link.zip", {{"up/escaped.txt", "x"}, {"up/new/deep.txt", "x"},
                                                    {"up/made/", ""}, {"victim", "overwritten"}, {"ok.txt", "ok"}});
    EXPECT_FALSE(KRUnZip::initWithZipFile(viaLink)->unZipToDirectory(linked.string()).ok());
    EXPECT_EQ(readFile(outside / "victim"), "keep");
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(outside), {}).size(), 1u);
    EXPECT_EQ(readFile(linked / "ok.txt"), "ok");
}

TEST(KRUnZip, ExtractionAndReadingStopAtTheByteLimit)
{
    ZipFolder folder;
    std::string path = folder.write("big.zip", {{"a.txt", std::string(600, 'a')}, {"b.txt", std::string(600, 'b')},
                                                {"c.txt", "c"}});
    fs::path target = folder.root() / "out";
    EXPECT_FALSE(KRUnZip::initWithZipFile(path)->unZipToDirectory(target.string(), 1000).ok());
    EXPECT_EQ(readFile(target / "a.txt"), std::string(600, 'a'));
    EXPECT_FALSE(fs::exists(target / "b.txt"));
    EXPECT_FALSE(fs::exists(target / "c.txt")) << "extraction stops at the limit";
    EXPECT_TRUE(KRUnZip::initWithZipFile(path)->unZipToDirectory((folder.root() / "all").string(), 1201).ok());
    EXPECT_FALSE(dataWithZipFile(path, "a.txt", 599));
    EXPECT_TRUE(dataWithZipFile(path, "a.txt", 600));

    // Long names are cut at 1,023 bytes.
    std::string longName(1500, 'n');
    auto zip = KRUnZip::initWithZipFile(folder.write("long.zip", {{longName, "x"}}));
    ASSERT_TRUE(zip && zip->nextZipEntity());
    EXPECT_EQ(zip->entityFileName(), longName.substr(0, 1023));
}

TEST(KRUnZip, DamagedDataIsNeverLeftBehind)
{
    ZipFolder folder;
    std::string content = "stored-content-to-damage-0123456789";
    std::string path = folder.write("bad.zip", {{"bad.txt", content}, {"good.txt", "good"}}, true);
    std::string bytes = readFile(path);
    std::size_t at = bytes.find(content);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] ^= 0x20;
    writeFile(path, bytes);

    fs::path target = folder.root() / "out";
    auto result = KRUnZip::initWithZipFile(path)->unZipToDirectory(target.string());
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(fs::exists(target / "bad.txt"));
    EXPECT_EQ(readFile(target / "good.txt"), "good");
    EXPECT_FALSE(dataWithZipFile(path, "bad.txt"));
    EXPECT_TRUE(dataWithZipFile(path, "good.txt"));

    // Deflate data that ends cleanly at 100 of 5,000 declared bytes: the
    // short file is deleted and the next entry still written.
    std::string shortPath = writeCutShortEntry(folder.root() / "short.zip", std::string(5000, 's'), 100);
    fs::path shortTarget = folder.root() / "short";
    auto shortResult = KRUnZip::initWithZipFile(shortPath)->unZipToDirectory(shortTarget.string());
    ASSERT_FALSE(shortResult.ok());
    EXPECT_NE(shortResult.error().description.find("short.txt"), std::string::npos) << shortResult.error().description;
    EXPECT_FALSE(fs::exists(shortTarget / "short.txt"));
    EXPECT_EQ(readFile(shortTarget / "good.txt"), "good");
    EXPECT_FALSE(dataWithZipFile(shortPath, "short.txt"));

    // An archive cut short cannot be opened or read.
    std::string whole = readFile(folder.write("whole.zip", {{"x.txt", std::string(5000, 'x')}}));
    fs::path cut = folder.root() / "cut.zip";
    writeFile(cut, whole.substr(0, whole.size() / 2));
    auto zip = KRUnZip::initWithZipFile(cut.string());
    if (zip) {
        EXPECT_FALSE(zip->unZipToDirectory((folder.root() / "cut").string()).ok());
    }
    EXPECT_FALSE(dataWithZipFile(cut.string(), "x.txt"));
}

TEST(KRUnZip, AFalseDeclaredSizeDoesNotDriveTheAllocation)
{
    ZipFolder folder;
    std::string path = folder.write("lie.zip", {{"x.txt", "tiny"}}, true);
    std::string bytes = readFile(path);
    std::size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    // The uncompressed size of the central record claims almost 4 GiB.
    for (int i = 0; i < 4; i++)
        bytes[central + 24 + i] = i == 3 ? '\xF0' : '\xFF';
    writeFile(path, bytes);
    EXPECT_FALSE(dataWithZipFile(path, "x.txt"));
}
