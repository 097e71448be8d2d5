#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Pasteboard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include <sys/stat.h>

using namespace pf;

namespace {

class PasteboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-device-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_dir);
    }
    std::string m_dir;
};

}

TEST_F(PasteboardTest, NamedBoardsKeepOrderedItemsAndTheirFlag)
{
    EXPECT_FALSE(Pasteboard::withName("com.example/board one", false));
    EXPECT_FALSE(Pasteboard::withName("", true));
    auto board = Pasteboard::withName("com.example/board one", true);
    ASSERT_TRUE(board);
    board->setPersistent(true);
    board->setItems({{{"b", Bytes{1}}, {"a", Bytes{2, 0, 3}}}, {{"c", Bytes{}}}});
    auto again = Pasteboard::withName("com.example/board one", false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isPersistent());
    auto items = again->items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0][0].first, "b");
    EXPECT_EQ(items[0][1].second, (Bytes{2, 0, 3}));
    EXPECT_EQ(again->dataForPasteboardType("c"), Bytes{});
    again->setData(Bytes{9}, "a");
    EXPECT_EQ(board->dataForPasteboardType("a"), Bytes{9});
    EXPECT_FALSE(board->dataForPasteboardType("b"));

    EXPECT_NE(Pasteboard::withUniqueName()->name(), Pasteboard::withUniqueName()->name());
    Pasteboard::removePasteboardWithName(board->name());
    EXPECT_FALSE(Pasteboard::withName(board->name(), false));
}

TEST_F(PasteboardTest, DamagedOrOversizedFilesReadAsEmptyBoards)
{
    auto board = Pasteboard::withName("damaged", true);
    board->setData(Bytes{1}, "t");
    std::string file;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir + "/pasteboards"))
        if (entry.path().extension() == ".board")
            file = entry.path();
    ASSERT_FALSE(file.empty());
    std::ofstream(file, std::ios::trunc) << "bplist00 not really";
    EXPECT_TRUE(board->items().empty());
    std::filesystem::resize_file(file, Pasteboard::kMaxFileSize + 1);
    EXPECT_TRUE(board->items().empty());
    board->setData(Bytes{2}, "t");
    EXPECT_EQ(board->dataForPasteboardType("t"), Bytes{2});
}

TEST_F(PasteboardTest, ReadModifyWritesFromManyWritersLoseNothing)
{
    auto board = Pasteboard::withName("shared list", true);
    ASSERT_TRUE(board);
    constexpr int kWriters = 4, kEach = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([w] {
            // Each writer opens the board itself, as a peer process would.
            auto own = Pasteboard::withName("shared list", false);
            for (int i = 0; i < kEach; ++i)
                EXPECT_TRUE(own->modifyItems([&](std::vector<Pasteboard::Item>& items) {
                    items.push_back({{"w", Bytes{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(i)}}});
                }));
        });
    for (auto& writer : writers)
        writer.join();
    std::set<Bytes> seen;
    for (const auto& item : board->items())
        seen.insert(item.at(0).second);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kEach));

    // Taking a value out clears it in the same step.
    std::optional<Bytes> taken;
    board->modifyItems([&](std::vector<Pasteboard::Item>& items) {
        taken = items.front().front().second;
        items.erase(items.begin());
    });
    ASSERT_TRUE(taken);
    EXPECT_EQ(board->items().size(), static_cast<std::size_t>(kWriters * kEach - 1));
}

TEST_F(PasteboardTest, ABoardThatWouldUnfoldWithoutEndReadsAsEmpty)
{
    // Forty arrays, each naming the next one twice: 2^40 nodes once unfolded.
    std::string list = "bplist00";
    std::vector<std::uint32_t> offsets;
    for (unsigned i = 0; i < 40; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(list.size()));
        if (i + 1 < 40)
            list += {'\xA2', static_cast<char>(i + 1), static_cast<char>(i + 1)};
        else
            list += {'\x10', '\x01'};
    }
    std::size_t table = list.size();
    for (std::uint32_t offset : offsets)
        list += static_cast<char>(offset);
    std::string trailer(32, '\0');
    trailer[6] = trailer[7] = 1;
    trailer[15] = 40;
    trailer[31] = static_cast<char>(table);
    auto board = Pasteboard::withName("laughs", true);
    board->setData(Bytes{1}, "t");
    for (const auto& entry : std::filesystem::directory_iterator(m_dir + "/pasteboards"))
        if (entry.path().extension() == ".board")
            std::ofstream(entry.path(), std::ios::trunc | std::ios::binary) << list + trailer;
    EXPECT_TRUE(board->items().empty());
}

TEST_F(PasteboardTest, TheFlagReadsAsAWholeReadWouldAndItemsReplaceItUnchanged)
{
    auto dictionary = [](std::initializer_list<std::pair<std::string, Value>> members) {
        auto d = Dictionary::create();
        for (const auto& [key, value] : members)
            d->set(key, value);
        return *writeBinaryPropertyList(Value(d));
    };
    auto items = Value(Array::create({Value(Array::create({Value("t"), Value::data(Bytes(300000, 7))}))}));
    auto manyDict = Dictionary::create();
    for (int i = 0; i < 20; ++i)
        manyDict->set("k" + std::to_string(i), Value(i));
    manyDict->set("persistent", Value(true));
    Bytes ours = dictionary({{"persistent", Value(true)}, {"items", items}});
    struct Row {
        const char* name;
        Bytes file;
        bool persistent;
    } rows[] = {
        {"ours, persistent", ours, true},
        {"ours, not persistent", dictionary({{"persistent", Value(false)}, {"items", items}}), false},
        {"flag last", dictionary({{"items", items}, {"persistent", Value(true)}}), true},
        {"flag not a boolean", dictionary({{"persistent", Value(1)}, {"items", items}}), false},
        {"no flag", dictionary({{"items", items}}), false},
        {"twenty-one keys", *writeBinaryPropertyList(Value(manyDict)), true},
        {"cut short", Bytes(ours.begin(), ours.begin() + ours.size() / 2), false},
        {"not a list", Bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2, 3}, false},
    };
    for (const Row& row : rows) {
        auto board = Pasteboard::withName("flag", true);
        ASSERT_TRUE(board);
        std::string file = m_dir + "/pasteboards/flag.board";
        ASSERT_TRUE(std::filesystem::exists(file));
        std::ofstream(file, std::ios::trunc | std::ios::binary)
            .write(reinterpret_cast<const char*>(row.file.data()), static_cast<std::streamsize>(row.file.size()));
        EXPECT_EQ(board->isPersistent(), row.persistent) << row.name;
        // New items replace the old unread; the flag stays as it was read.
        EXPECT_TRUE(board->setItems({{{"n", Bytes{1}}}})) << row.name;
        EXPECT_EQ(board->isPersistent(), row.persistent) << row.name;
        EXPECT_EQ(board->dataForPasteboardType("n"), Bytes{1}) << row.name;
        EXPECT_FALSE(board->dataForPasteboardType("t")) << row.name;
        Pasteboard::removePasteboardWithName("flag");
    }
}

TEST_F(PasteboardTest, WritesThatSetTheFlagKeepItOrReplaceItAsAsked)
{
    auto board = Pasteboard::withName("com.example.flags", true);
    ASSERT_TRUE(board);
    struct Row {
        const char* what;
        std::function<bool()> write;
        bool persistent;
        Bytes content;
    };
    const Row rows[] = {
        {"items and flag together", [&] { return board->setItems({{{"content", Bytes{1, 2}}}}, true); }, true, Bytes{1, 2}},
        {"data keeps the flag", [&] { return board->setData(Bytes{3}, "content"); }, true, Bytes{3}},
        {"items and flag cleared", [&] { return board->setItems({{{"content", Bytes{}}}}, false); }, false, Bytes{}},
        {"data keeps a cleared flag", [&] { return board->setData(Bytes{4, 5}, "content"); }, false, Bytes{4, 5}},
        {"data and flag together", [&] { return board->setData(Bytes{6}, "content", true); }, true, Bytes{6}},
        {"unchanged items still take the flag",
         [&] { return board->modifyItemsIfChanged([](std::vector<Pasteboard::Item>&) { return false; }, false); }, false,
         Bytes{6}},
        {"changed items and the flag",
         [&] {
             return board->modifyItemsIfChanged(
                 [](std::vector<Pasteboard::Item>& items) {
                     items[0][0].second = Bytes{7};
                     return true;
                 },
                 true);
         },
         true, Bytes{7}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(row.write());
        EXPECT_EQ(board->isPersistent(), row.persistent);
        ASSERT_EQ(board->items().size(), 1u);
        EXPECT_EQ(board->dataForPasteboardType("content"), row.content);
    }
}

TEST_F(PasteboardTest, AnUnchangedBoardIsNotRewritten)
{
    auto board = Pasteboard::withName("com.example.unchanged", true);
    ASSERT_TRUE(board);
    board->setItems({{{"content", Bytes{7}}}}, true);
    std::string file = m_dir + "/pasteboards/com.example.unchanged.board";
    // Every write renames a new file over the board: the inode tells.
    auto inode = [&] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    auto before = inode();
    EXPECT_TRUE(board->modifyItemsIfChanged([](std::vector<Pasteboard::Item>& items) {
        items.clear();
        return false;
    }));
    EXPECT_EQ(inode(), before);
    // Nor is one that already has the flag it is asked to end with.
    EXPECT_TRUE(board->modifyItemsIfChanged([](std::vector<Pasteboard::Item>&) { return false; }, true));
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(board->dataForPasteboardType("content"), Bytes{7});
    EXPECT_TRUE(board->modifyItemsIfChanged([](std::vector<Pasteboard::Item>& items) {
        items[0][0].second = Bytes{8};
        return true;
    }));
    EXPECT_EQ(board->dataForPasteboardType("content"), Bytes{8});
    EXPECT_TRUE(board->isPersistent());
}

namespace {

// The board file as libplist reads it whole: the flag and the items.
std::pair<bool, std::vector<Pasteboard::Item>> readWithLibplist(const std::string& file)
{
    auto bytes = readFile(file);
    auto value = bytes ? parseBinaryPropertyList({reinterpret_cast<const char*>(bytes->data()), bytes->size()}) : Value();
    std::pair<bool, std::vector<Pasteboard::Item>> out{false, {}};
    auto root = value ? value->dictionary() : nullptr;
    if (!root)
        return out;
    out.first = root->get("persistent").boolValue();
    auto items = root->get("items").array();
    for (std::size_t i = 0; items && i < items->count(); ++i) {
        auto item = items->at(i).array();
        Pasteboard::Item entry;
        for (std::size_t k = 0; item && k + 1 < item->count(); k += 2)
            entry.emplace_back(*item->at(k).string(), *item->at(k + 1).data());
        out.second.push_back(std::move(entry));
    }
    return out;
}

}

TEST_F(PasteboardTest, BoardsWrittenInPlaceReadAsLibplistReadsThemAndBack)
{
    auto many = [](std::size_t count, std::size_t name) {
        std::vector<Pasteboard::Item> items;
        for (std::size_t i = 0; i < count; ++i)
            items.push_back({{std::string(name, 'a' + i % 26), Bytes(i % 40, static_cast<std::uint8_t>(i))},
                             {"second", Bytes{1}}});
        return items;
    };
    struct Row {
        const char* what;
        std::vector<Pasteboard::Item> items;
    } rows[] = {
        {"no items", {}},
        {"an empty item and empty data", {{}, {{"", Bytes{}}}}},
        {"a picture of megabytes", {{{"content", Bytes(3u << 20, 0xAB)}}}},
        {"big data between small objects", {{{"a", Bytes(70000, 1)}, {"b", Bytes{2}}}, {{"c", Bytes(20000, 3)}}}},
        {"fifteen and more (lengths after the marker)", many(20, 17)},
        {"more than 255 objects (wider references)", many(300, 2)},
        {"names libplist writes as UTF-16", {{{"图片", Bytes{5}}, {"plain", Bytes{6}}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (bool persistent : {false, true}) {
            auto board = Pasteboard::withName("com.example.layout", true);
            ASSERT_TRUE(board->setItems(row.items, persistent));
            std::string file = m_dir + "/pasteboards/com.example.layout.board";
            auto [flag, items] = readWithLibplist(file);
            EXPECT_EQ(flag, persistent);
            EXPECT_EQ(items, row.items);
            EXPECT_EQ(board->items(), row.items);
            EXPECT_EQ(board->isPersistent(), persistent);

            // Written by libplist (shared strings, its own object order),
            // the same board reads the same.
            auto list = Array::create();
            for (const auto& item : row.items) {
                auto entry = Array::create();
                for (const auto& [type, data] : item) {
                    entry->add(Value(type));
                    entry->add(Value::data(data));
                }
                list->add(Value(entry));
            }
            auto root = Dictionary::create();
            root->set("persistent", Value(persistent));
            root->set("items", Value(list));
            auto bytes = writeBinaryPropertyList(Value(root));
            ASSERT_TRUE(bytes);
            ASSERT_FALSE(writeFileAtomically(file, {reinterpret_cast<const char*>(bytes->data()), bytes->size()}));
            EXPECT_EQ(board->items(), row.items);
            EXPECT_EQ(board->isPersistent(), persistent);
        }
    }
}
