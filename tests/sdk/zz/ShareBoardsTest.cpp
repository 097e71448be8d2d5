#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZPasteboard.h"
#include "sdk/zz/ZZPluginMetadata.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using ZZShareBoards = ShareDeviceFixture;

constexpr const char* kSharedList = "com.zz.test.shared-list";

std::shared_ptr<ZZApiAdItem> adItem(const std::string& title)
{
    auto item = std::make_shared<ZZApiAdItem>();
    item->setTitle(title);
    return item;
}

// A message whose object is a message whose object is ... `depth` deep, of
// `size` bytes in all: the innermost object is bytes that are no archive.
pf::Bytes messageChain(int depth, std::size_t size)
{
    constexpr std::size_t kLevel = 512; // more than a level's own bytes
    pf::Bytes inner(size - kLevel * static_cast<std::size_t>(depth), 'x');
    for (int i = 0; i < depth; ++i) {
        auto fields = pf::Dictionary::create({ { ZZArchive::kClassKey, "ZZApiMessage" }, { "ApiVersion", 1 },
                                               { "type", 7 }, { "object", pf::Value::data(std::move(inner)) } });
        inner = pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(fields)).value_or(pf::Bytes());
    }
    return inner;
}

// The archive bytes `read` reads once `prepare` has run.
std::size_t bytesRead(const std::function<void()>& prepare, const std::function<void()>& read)
{
    prepare();
    std::size_t before = pf::KeyedUnarchiver::readBytesForTesting();
    read();
    return pf::KeyedUnarchiver::readBytesForTesting() - before;
}

void addItems(const char* who, int count)
{
    ZZArrayPasteboard board(kSharedList, ZZArchive::kMaxRegistrySize);
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(board.addObject(pf::Value(adItem(std::string(who) + std::to_string(i)))));
}

}

// Runs only as the child of ArrayBoardChangesFromTwoProcessesLoseNothing.
TEST(ZZShareBoardsChild, AddsItsItems)
{
    if (!std::getenv("ZZ_BOARD_CHILD"))
        GTEST_SKIP();
    addItems("child-", 200);
}

TEST_F(ZZShareBoards, ArrayBoardChangesFromTwoProcessesLoseNothing)
{
    std::string filter = "--gtest_filter=ZZShareBoardsChild.AddsItsItems";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.emplace_back("ZZ_BOARD_CHILD=1");
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char self[] = "/proc/self/exe";
    char* argv[] = { self, filter.data(), nullptr };
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()), 0);
    addItems("parent-", 200);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    auto objects = ZZArrayPasteboard(kSharedList, ZZArchive::kMaxRegistrySize).objectArray();
    ASSERT_TRUE(objects);
    std::set<std::string> titles;
    for (const pf::Value& object : *objects)
        if (auto item = object.objectAs<ZZApiAdItem>())
            titles.insert(item->title().value_or(""));
    EXPECT_EQ(objects->size(), 400u);
    EXPECT_EQ(titles.size(), 400u);
}

TEST_F(ZZShareBoards, ManagerKindsAndListEdges)
{
    auto& manager = ZZPasteboardMgr::instance();
    auto list = manager.getArrayPasteboardByName("com.zz.test.kinds");
    ASSERT_TRUE(list);
    std::size_t boards = manager.boardCount();
    EXPECT_FALSE(manager.getObjectPasteboardByName("com.zz.test.kinds"));
    EXPECT_EQ(manager.boardCount(), boards);
    EXPECT_EQ(manager.getArrayPasteboardByName("com.zz.test.kinds"), list);
    EXPECT_FALSE(manager.getObjectPasteboardByName(""));

    EXPECT_FALSE(list->objectArray());
    EXPECT_FALSE(list->removeObjectAtIndex(0));
    EXPECT_TRUE(list->addObject(pf::Value(adItem("a"))));
    EXPECT_TRUE(list->addObject(pf::Value(adItem("b"))));
    EXPECT_FALSE(list->addObject(pf::Value()));
    EXPECT_FALSE(list->removeObjectAtIndex(2));
    EXPECT_FALSE(list->replaceObjectAtIndex(2, pf::Value(adItem("c"))));
    EXPECT_TRUE(list->replaceObjectAtIndex(1, pf::Value(adItem("c"))));
    EXPECT_TRUE(list->removeObjectAtIndex(0));
    auto objects = list->objectArray();
    ASSERT_TRUE(objects);
    ASSERT_EQ(objects->size(), 1u);
    EXPECT_EQ(objects->front().objectAs<ZZApiAdItem>()->title(), "c");
}

TEST_F(ZZShareBoards, AForeignListThatDoesNotDecodeOrIsTooLargeIsLeftAsItIs)
{
    auto list = std::make_shared<ZZArrayPasteboard>("com.zz.test.foreign", 64 * 1024);
    auto raw = pf::Pasteboard::withName("com.zz.test.foreign", true);
    const pf::Bytes rows[] = {
        pf::Bytes{ 'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2, 3 },
        *ZZArchive::archivedData(pf::Value(adItem("not a list"))),
        *ZZArchive::archivedData(pf::Value(ZZDataArray::arrayWithObjectArray(
            { pf::Value::data(pf::Bytes(70 * 1024, 'x')) }))),
    };
    for (const pf::Bytes& stored : rows) {
        raw->setData(stored, "com.zz.test.foreign");
        EXPECT_FALSE(list->addObject(pf::Value(adItem("ours"))));
        EXPECT_FALSE(list->setObjectArray({}));
        EXPECT_EQ(raw->dataForPasteboardType("com.zz.test.foreign"), stored);
    }
}

TEST_F(ZZShareBoards, ObjectBoardsNamedAndGeneral)
{
    auto board = ZZPasteboardMgr::instance().getObjectPasteboardByName("com.zz.test.object");
    ASSERT_TRUE(board);
    auto message = ZZApiMessage::messageWithObject(ZZApiTextObject::objectWithText("hi"));
    EXPECT_TRUE(board->setObject(pf::Value(message)));
    EXPECT_TRUE(board->setObjectByGeneralPastboard(pf::Value(pf::Dictionary::create({ { "k", "v" } }))));
    EXPECT_TRUE(pf::Pasteboard::withName("com.zz.test.object", false)->isPersistent());
    auto back = board->object().objectAs<ZZApiMessage>();
    ASSERT_TRUE(back);
    EXPECT_EQ(std::dynamic_pointer_cast<ZZApiTextObject>(back->object())->text(), "hi");
    EXPECT_EQ(board->objectFromGeneralPastboard().dictionary()->string("k"), "v");
    // A share object alone has no archive.
    EXPECT_FALSE(board->setObject(pf::Value(std::make_shared<ZZApiTextObject>())));

    board->clear();
    EXPECT_TRUE(board->object().isNil());
    EXPECT_TRUE(board->objectFromGeneralPastboard().isNil());

    board->setObject(pf::Value("once"));
    EXPECT_EQ(board->takeObject(), pf::Value("once"));
    EXPECT_TRUE(board->takeObject().isNil());
}

TEST_F(ZZShareBoards, AChainOfMessagesAtABoardsCapCostsNoMoreThanOneMessage)
{
    auto& store = ZZApiDatastore::instance();
    auto message = [](const pf::Value& read) { return read.objectAs<ZZApiMessage>(); };
    struct Row {
        const char* board;
        std::size_t cap;
        int depth;
        bool list; // the chain is an element of the board's list
        std::function<bool()> read;
    } rows[] = {
        { ZZApiDatastore::kApiMessageBoard, ZZArchive::kMaxMessageSize, 24, false,
          [&] { auto m = message(store.getApiMessage()); return m && m->type() == 7 && !m->object(); } },
        { ZZApiDatastore::kLargeDataBoard, ZZArchive::kMaxMessageSize, 24, false,
          [&] { auto m = message(store.getApiLargeData()); return m && m->type() == 7 && !m->object(); } },
        { ZZApiDatastore::kRegistryBoard, ZZArchive::kMaxRegistrySize, 400, true, [&] {
             auto metadata = std::make_shared<ZZPluginMetadata>();
             metadata->setBundleIdentifier(std::string("com.zomaru.app"));
             return store.registerWithMetadata(metadata) == 0;
         } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.board);
        auto onBoard = [&](const pf::Bytes& message) {
            if (!row.list)
                return message;
            auto list = pf::Dictionary::create({ { ZZArchive::kClassKey, "ZZDataArray" },
                                                 { "array", pf::Array::create({ pf::Value::data(message) }) } });
            return pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(list)).value_or(pf::Bytes());
        };
        // Each level copies what it holds, so a chain decoded level by level
        // costs its depth times its size.
        pf::Bytes chain = onBoard(messageChain(row.depth, row.cap - 4096));
        pf::Bytes flat = onBoard(messageChain(1, row.cap - 4096));
        ASSERT_LE(chain.size(), row.cap);
        auto raw = pf::Pasteboard::withName(row.board, true);
        bool read = false;
        std::size_t one = bytesRead([&] { raw->setData(flat, row.board); }, [&] { read = row.read(); });
        EXPECT_TRUE(read);
        EXPECT_GE(one, flat.size()) << "the board was not read on this thread, where reads are counted";
        std::size_t deep = bytesRead([&] { raw->setData(chain, row.board); }, [&] { read = row.read(); });
        EXPECT_TRUE(read) << "read, its object refused";
        EXPECT_LE(deep, 4 * one) << "a flat message reads " << one << " bytes";
    }
}
