#include "ScriptPackageSupport.h"

#include "platform/security/Digest.h"
#include "sdk/zz/CVZipArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

constexpr unsigned long kFile = 0x8000ul << 16, kFolder = 0x4000ul << 16;

struct Recorder : ICVZipArchiveDelegate {
    std::vector<std::string> events;
    void zipArchiveWillUnzipFileAtIndex(std::uint64_t index, std::uint64_t total, const std::string&,
                                        const CVZipFileInfo&) override
    {
        events.push_back("will " + std::to_string(index) + "/" + std::to_string(total));
    }
    void zipArchiveDidUnzipFileAtIndex(std::uint64_t index, std::uint64_t, const std::string&,
                                       const CVZipFileInfo&) override
    {
        events.push_back("did " + std::to_string(index));
    }
    void zipArchiveDidUnzipArchiveAtPath(const std::string&, const CVZipGlobalInfo&, const std::string&) override
    {
        events.push_back("done");
    }
};

class ZipArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = makeScratch();
        m_zip = m_root + "/a.zip";
        m_out = m_root + "/box/out";
    }
    void TearDown() override { fs::remove_all(m_root); }
    // Everything below the scratch root but the archive, as sorted paths.
    std::vector<std::string> tree() const
    {
        std::vector<std::string> paths;
        for (auto& item : fs::recursive_directory_iterator(m_root))
            if (item.path() != m_zip)
                paths.push_back(fs::relative(item.path(), m_root).string() + (item.is_symlink() ? "@" : ""));
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    std::string m_root, m_zip, m_out;
};

}

TEST_F(ZipArchive, ExtractsFoldersFilesAndDatesWithSeparatorsUnified)
{
    ASSERT_TRUE(writeRawZip(m_zip, {{"js/", "", kFolder | 0x10}, {"js/init.js", "init", kFile | (0644u << 16)},
                                    {"js\\a.js", "a"}, {"config.json", "{}"}}));
    Recorder recorder;
    ASSERT_TRUE(CVZipArchive::unzipFileAtPath(m_zip, m_out, &recorder));
    EXPECT_EQ(slurp(m_out + "/js/init.js"), "init");
    EXPECT_EQ(slurp(m_out + "/js/a.js"), "a");
    EXPECT_EQ(slurp(m_out + "/config.json"), "{}");
    // The folder keeps its stored date although files were written into it.
    struct stat folder;
    ASSERT_EQ(::stat((m_out + "/js").c_str(), &folder), 0);
    std::tm local{};
    time_t seconds = folder.st_mtime;
    localtime_r(&seconds, &local);
    EXPECT_EQ(local.tm_year + 1900, 2020);
    EXPECT_EQ(local.tm_mday, 5);
    EXPECT_EQ(recorder.events.back(), "done");
}

TEST_F(ZipArchive, KeptFilesPassTheirIndexOn)
{
    ASSERT_TRUE(writeRawZip(m_zip, {{"a.txt", "new a"}, {"b.txt", "new b"}}));
    spit(m_out + "/a.txt", "old a");
    Recorder recorder;
    ASSERT_TRUE(CVZipArchive::unzipFileAtPath(m_zip, m_out, false, "", nullptr, &recorder));
    EXPECT_EQ(slurp(m_out + "/a.txt"), "old a");
    EXPECT_EQ(slurp(m_out + "/b.txt"), "new b");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"will 0/2", "will 0/2", "did 0", "done"}));
}

TEST_F(ZipArchive, UnreadableArchivesReportTheirErrors)
{
    spit(m_zip, "not a zip at all");
    pf::Error error;
    EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error));
    EXPECT_EQ(error.code, -1);
    EXPECT_EQ(error.description, "failed to open zip file");
    // minizip does not open an archive without entries at all.
    ASSERT_TRUE(writeRawZip(m_zip, {}));
    error = {};
    EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error));
    EXPECT_EQ(error.domain, "CVZipArchiveErrorDomain");
    EXPECT_LT(error.code, 0);
    EXPECT_FALSE(fs::exists(m_out));
}

TEST_F(ZipArchive, HostileArchivesAreRefusedBeforeAnythingIsWritten)
{
    const std::string big(5000, 'x');
    auto onlyBelowJs = [](const std::vector<std::string>& parts, bool isFolder) {
        return parts.front() == "js" && (parts.size() > 1 || isFolder);
    };
    struct Row {
        const char* label;
        std::vector<RawEntry> entries;
        CVZipLimits limits;
    } rows[] = {
        {"slip", {{"ok.txt", "1"}, {"../evil", "x"}}, {}},
        {"deep slip", {{"ok.txt", "1"}, {"a/../../evil", "x"}}, {}},
        {"backslash slip", {{"ok.txt", "1"}, {"a\\..\\..\\evil", "x"}}, {}},
        {"absolute", {{"ok.txt", "1"}, {"/tmp/evil", "x"}}, {}},
        {"dot only", {{"ok.txt", "1"}, {"./", ""}}, {}},
        {"invalid utf-8", {{"ok.txt", "1"}, {"\xff\xfe.js", "x"}}, {}},
        {"unix link", {{"ok.txt", "1"}, {"link", "/etc/passwd", 0xA1FFul << 16}}, {}},
        {"stored folder with data", {{"ok.txt", "1"}, {"link", "/etc", 0x4010, 0}}, {}},
        {"fifo", {{"ok.txt", "1"}, {"pipe", "", 0x11A4ul << 16}}, {}},
        {"folder mode on a file name", {{"ok.txt", "1"}, {"dir", "", kFolder | (0755u << 16)}}, {}},
        {"entry cap", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, {1 << 20, 2, {}}},
        {"byte cap", {{"ok.txt", "1"}, {"big", big}}, {4096, 100, {}}},
        {"turned down by accept", {{"js/a.js", "1"}, {"js.lock", "x"}}, {1 << 20, 100, onlyBelowJs}},
        {"folder where accept wants a file", {{"js/a.js", "1"}, {"js/", ""}, {"x/", ""}}, {1 << 20, 100, onlyBelowJs}},
    };
    for (const Row& row : rows) {
        fs::remove_all(m_root + "/box");
        ASSERT_TRUE(writeRawZip(m_zip, row.entries)) << row.label;
        pf::Error error;
        EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error, nullptr, row.limits)) << row.label;
        EXPECT_EQ(error.code, -3) << row.label;
        EXPECT_EQ(tree(), std::vector<std::string>()) << row.label;
    }
}

TEST_F(ZipArchive, DamagedEntriesAndPlantedLinksFailNamingTheEntry)
{
    // Little-endian 32-bit fields of the first entry's local header and of its
    // central-directory record.
    auto patch32 = [](std::string& bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    auto firstData = [](const std::string& bytes) {
        auto u16 = [&](std::size_t at) { return std::size_t(std::uint8_t(bytes[at])) | std::size_t(std::uint8_t(bytes[at + 1])) << 8; };
        return 30 + u16(26) + u16(28);
    };
    const std::string text(2000, 'z');
    struct Row {
        const char* label;
        std::vector<RawEntry> entries;
        std::function<void(std::string&)> damage;
        std::string message;
    } rows[] = {
        {"stored bytes that no longer match the CRC", {{"bad.txt", "PAYLOAD-PAYLOAD", 0, 0}, {"good.txt", "fine"}},
         [](std::string& bytes) { bytes[bytes.find("PAYLOAD-PAYLOAD")] = 'Q'; },
         "failed to unzip \"bad.txt\": CRC mismatch"},
        {"a deflate stream with an invalid block", {{"js/a.js", text}},
         [&](std::string& bytes) { bytes[firstData(bytes)] = '\xFF'; },
         "failed to unzip \"js/a.js\": damaged compressed data"},
        {"a stream that ends before its declared size", {{"cut.txt", text}},
         [&](std::string& bytes) {
             patch32(bytes, 22, 3000);
             patch32(bytes, bytes.find("PK\x01\x02") + 24, 3000);
         },
         "failed to unzip \"cut.txt\": truncated data: 2000 of 3000 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        fs::remove_all(m_root + "/box");
        ASSERT_TRUE(writeRawZip(m_zip, row.entries));
        std::string bytes = slurp(m_zip);
        row.damage(bytes);
        spit(m_zip, bytes);
        pf::Error error;
        EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error));
        EXPECT_EQ(error.domain, CVZipArchive::errorDomain);
        EXPECT_EQ(error.code, -4);
        EXPECT_EQ(error.description, row.message);
        // From memory: the same failure, and the damaged file is not reported.
        pf::Bytes archive(bytes.begin(), bytes.end());
        CVZipWritten written;
        error = {};
        EXPECT_FALSE(CVZipArchive::unzipData(archive, m_out, &error, {}, &written));
        EXPECT_EQ(error.description, row.message);
        EXPECT_TRUE(written.sha1.empty());
        EXPECT_FALSE(CVZipArchive::dataOfEntry(archive, row.entries[0].name, 1 << 20));
    }

    // An archive cut short inside an entry's data loses its directory.
    const std::string data(3000, 'z');
    ASSERT_TRUE(writeRawZip(m_zip, {{"whole.txt", data, 0, 0}, {"cut.txt", data, 0, 0}}));
    spit(m_zip, slurp(m_zip).substr(0, 4500));
    pf::Error error;
    EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error));
    EXPECT_EQ(error.code, -1);

    // A link already in the destination is never written through.
    fs::remove_all(m_out);
    fs::create_directories(m_out);
    fs::create_directories(m_root + "/outside");
    fs::create_directory_symlink(m_root + "/outside", m_out + "/js");
    ASSERT_TRUE(writeRawZip(m_zip, {{"js/init.js", "x"}}));
    error = {};
    EXPECT_FALSE(CVZipArchive::unzipFileAtPath(m_zip, m_out, true, "", &error));
    EXPECT_EQ(error.description, "failed to unzip \"js/init.js\": its folder cannot be made (or is a link)");
    EXPECT_TRUE(fs::is_empty(m_root + "/outside"));
}

TEST_F(ZipArchive, InMemoryExtractionReportsWhatItWroteAndEntriesReadExactly)
{
    // Longer than a name usually is, in components a file system takes.
    const std::string longName = std::string(200, 'n') + "/" + std::string(200, 'm') + "/" + std::string(150, 'o');
    ASSERT_TRUE(writeRawZip(m_zip, {{"js/a.js", "one"},
                                    {"js\\b.js", "two"},
                                    {"js/a.js", "again"},
                                    {"js/locked.js", "l", kFile | (0300u << 16)},
                                    {"config.json", "{}"},
                                    {longName, "long"}}));
    std::string bytes = slurp(m_zip);
    pf::Bytes archive(bytes.begin(), bytes.end());
    CVZipWritten written;
    written.keep = {"config.json", "js/b.js"};
    ASSERT_TRUE(CVZipArchive::unzipData(archive, m_out, nullptr, {}, &written));
    // The later of two entries is on disk and in the report; an unreadable
    // file is left to whoever reads it.
    EXPECT_EQ(written.sha1, (std::map<std::string, std::string>{{"config.json", pf::sha1Hex(std::string_view("{}"))},
                                                                {longName, pf::sha1Hex(std::string_view("long"))},
                                                                {"js/a.js", pf::sha1Hex(std::string_view("again"))},
                                                                {"js/b.js", pf::sha1Hex(std::string_view("two"))}}));
    for (const auto& [path, digest] : written.sha1)
        EXPECT_EQ(pf::sha1Hex(std::string_view(slurp(m_out + "/" + path))), digest) << path;
    EXPECT_EQ(written.kept.size(), 2u);
    EXPECT_EQ(written.kept["js/b.js"], (pf::Bytes{'t', 'w', 'o'}));

    struct Row {
        const char* name;
        std::uint64_t maxBytes;
        std::optional<std::string> data;
    } rows[] = {
        {"js/a.js", 100, "one"},   {"js\\b.js", 100, "two"}, {"js/b.js", 100, std::nullopt},
        {"js/a.js", 2, std::nullopt}, {"missing", 100, std::nullopt}, {"js/a.js", 3, "one"},
        {"nnn", 100, std::nullopt},
    };
    for (const Row& row : rows) {
        std::optional<pf::Bytes> data = CVZipArchive::dataOfEntry(archive, row.name, row.maxBytes);
        EXPECT_EQ(data ? std::optional(std::string(data->begin(), data->end())) : std::nullopt, row.data)
            << row.name << " " << row.maxBytes;
    }
    EXPECT_FALSE(CVZipArchive::dataOfEntry(pf::Bytes{'P', 'K'}, "js/a.js", 100));
    // Several in one walk, each as asked alone.
    auto several = CVZipArchive::dataOfEntries(archive, {{"js\\b.js", 100}, {"missing", 100}, {longName, 4}, {"js/a.js", 100}});
    ASSERT_EQ(several.size(), 4u);
    EXPECT_EQ(several[0], (pf::Bytes{'t', 'w', 'o'}));
    EXPECT_FALSE(several[1]);
    EXPECT_EQ(several[2], (pf::Bytes{'l', 'o', 'n', 'g'}));
    EXPECT_EQ(several[3], (pf::Bytes{'o', 'n', 'e'}));
}

TEST_F(ZipArchive, StoredModesLoseSetIdStickyAndSharedWrite)
{
    ASSERT_TRUE(writeRawZip(m_zip, {{"tool", "#!", (0x8000ul | 06777ul) << 16}, {"plain", "p", kFile | (0640u << 16)}}));
    ASSERT_TRUE(CVZipArchive::unzipFileAtPath(m_zip, m_out));
    struct stat tool, plain;
    ASSERT_EQ(::stat((m_out + "/tool").c_str(), &tool), 0);
    ASSERT_EQ(::stat((m_out + "/plain").c_str(), &plain), 0);
    EXPECT_EQ(tool.st_mode & 07777, 0755u);
    EXPECT_EQ(plain.st_mode & 07777, 0640u);
}

TEST_F(ZipArchive, WrittenArchivesRoundTripContentsAndModes)
{
    fs::path source = m_root + "/src";
    spit(source / "js/init.js", "init();\n");
    spit(source / "config.json", std::string(70000, 'c'));
    fs::permissions(source / "js/init.js", fs::perms(0750));
    fs::create_symlink("/etc/passwd", source / "link");
    ASSERT_TRUE(CVZipArchive::createZipFileAtPathWithContentsOfDirectory(m_zip, source.string()));
    ASSERT_TRUE(CVZipArchive::unzipFileAtPath(m_zip, m_out));
    EXPECT_EQ(slurp(m_out + "/js/init.js"), "init();\n");
    EXPECT_EQ(slurp(m_out + "/config.json"), std::string(70000, 'c'));
    EXPECT_EQ(fs::status(m_out + "/js/init.js").permissions(), fs::perms(0750));
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_out + "/link")));

    EXPECT_FALSE(CVZipArchive::createZipFileAtPath(m_zip, {(source / "config.json").string(), m_root + "/missing"}));
}
