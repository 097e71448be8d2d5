#include "StoreTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRClassifyService.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"

namespace {

using ZMRClassify = StoreBus;

const char* const categories = "SELECT cid, title FROM ZMRClassifyObject ORDER BY cid, rowid";
const char* const tags = "SELECT tid, tag, weight FROM ZMRTagObject ORDER BY rowid";

std::shared_ptr<ZMRClassifyObject> lookup(const std::shared_ptr<ZMRShell>& shell, long long cid)
{
    auto task = std::make_shared<ZMRClassifyGetTask>();
    task->setCid(cid);
    EXPECT_TRUE(shell->handle(proto::IZMRClassifyGetTask(), task, 0));
    return std::dynamic_pointer_cast<ZMRClassifyObject>(task->dataObject());
}

}

TEST_F(ZMRClassify, SyncSendsTheTopTenRequestAndNeverCallsTheDelegate)
{
    send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
    ASSERT_NE(lastRequest(), nullptr);
    EXPECT_EQ(ownItems(*lastRequest()->body()), (std::vector<std::string>{"config=config_zmr", "taskType=ZMRClassifyTask", "zmr-top=10"}));

    answer(R"({"error-code":0,"classify-results":[{"cid":1,"title":"Food"}],"tag-results":[{"tid":5,"tag":"cheap"}]})");
    EXPECT_EQ(notifications(ZMRClassifyChangedNotification), 2u);
    send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
    answer(R"({"error-code":7,"error":"no","classify-results":[]})");
    respondWith({}, pf::Error{"KRHttpService", 404, ""});
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_EQ(notifications(ZMRClassifyChangedNotification), 2u);
    EXPECT_EQ(dumpRows(shell->appDBContext(), categories), (std::vector<std::string>{"1|Food"}));
}

TEST_F(ZMRClassify, CategoriesFollowTheServerListById)
{
    auto db = shell->appDBContext();
    ASSERT_NE(db, nullptr);
    // Two stored rows for one id are reduced to the first.
    for (const char* title : {"Old", "Copy"}) {
        auto stored = std::make_shared<ZMRClassifyObject>();
        stored->setCid(4);
        stored->setTitle(title);
        stored->setTimestamp(100);
        ASSERT_TRUE(db->insertObject(stored));
    }
    struct Row {
        const char* answer;
        std::vector<std::string> rows;
    } rows[] = {
        // Entries that are not dictionaries or have no id (nor one that is
        // not all a number) are skipped; an id repeated in one answer updates
        // the object already handled.
        {R"({"classify-results":[{"cid":1,"title":"Food"},"x",7,{"title":"no id"},{"cid":0,"title":"zero"},
            {"cid":4,"title":"Home"},{"cid":3,"title":"Fun"},{"cid":3,"title":"Games"},{"cid":2,"title":null},
            {"cid":"5abc","title":"odd"},{"cid":true,"title":"yes"},{"cid":"6","title":"Six"}]})",
         {"1|Food", "2|-", "3|Games", "4|Home", "6|Six"}},
        {R"({"classify-results":[{"cid":4,"title":"House"},{"cid":1,"title":"Food"}]})", {"1|Food", "4|House"}},
        {R"({"classify-results":"broken"})", {"1|Food", "4|House"}},
        {R"({"classify-results":[]})", {}},
    };
    std::size_t expectedPosts = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
        answer(row.answer);
        expectedPosts += std::string(row.answer).find('[') != std::string::npos;
        EXPECT_EQ(dumpRows(db, categories), row.rows);
        EXPECT_EQ(notifications(ZMRClassifyChangedNotification), expectedPosts);
    }
}

TEST_F(ZMRClassify, RenamedCategoryKeepsItsRowAndLookupsAnswerFromTheCache)
{
    // A row stored by an earlier run is found; equal by id wherever values
    // are compared, titles aside.
    auto db = shell->appDBContext();
    auto stored = std::make_shared<ZMRClassifyObject>();
    stored->setCid(1LL << 40);
    stored->setTitle("Big");
    ASSERT_TRUE(db->insertObject(stored));
    auto big = lookup(shell, 1LL << 40);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->title(), "Big");
    auto renamed = std::make_shared<ZMRClassifyObject>(), other = std::make_shared<ZMRClassifyObject>();
    renamed->setCid(1LL << 40);
    other->setCid(2);
    EXPECT_EQ(pf::Value(big), pf::Value(renamed));
    EXPECT_NE(pf::Value(big), pf::Value(other));

    send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
    answer(R"({"classify-results":[{"cid":9,"title":"Food"}]})");
    auto before = dumpRows(db, "SELECT rowid, timestamp FROM ZMRClassifyObject");
    send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
    answer(R"({"classify-results":[{"cid":9,"title":"Meals"}]})");
    EXPECT_EQ(dumpRows(db, "SELECT rowid, timestamp FROM ZMRClassifyObject"), before);

    // The cache answers without the database: a row changed or removed
    // behind the service's back is not seen.
    ASSERT_TRUE(db->db()->execture("UPDATE ZMRClassifyObject SET title='Changed'"));
    auto found = lookup(shell, 9);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->title(), "Meals");
    ASSERT_TRUE(db->db()->execture("DELETE FROM ZMRClassifyObject"));
    EXPECT_EQ(lookup(shell, 9), found);
    EXPECT_EQ(lookup(shell, 2), nullptr);
}

TEST_F(ZMRClassify, TagsAreMatchedByTextAndNeverRemoved)
{
    auto db = shell->appDBContext();
    auto stored = std::make_shared<ZMRTagObject>();
    stored->setTid(1);
    stored->setTag("old");
    stored->setWeight(5);
    stored->setTimestamp(100);
    ASSERT_TRUE(db->insertObject(stored));
    auto copy = std::make_shared<ZMRTagObject>();
    copy->setTid(2);
    copy->setTag("old");
    ASSERT_TRUE(db->insertObject(copy));
    struct Row {
        const char* answer;
        std::vector<std::string> rows;
    } rows[] = {
        // A new id keeps the row (and its weight); entries without text or
        // that are not dictionaries are skipped; a text repeated in one
        // answer updates the tag already handled.
        {R"({"tag-results":[{"tid":8,"tag":"old"},{"tid":3},{"tid":4,"tag":""},{"tid":6,"tag":12},"x",
            {"tid":10,"tag":"new"},{"tid":11,"tag":"new"}]})",
         {"8|old|5", "11|new|0"}},
        // An id that is not all a number is none: the tag keeps no id.
        {R"({"tag-results":[{"tid":"9x","tag":"old"},{"tid":"12","tag":"new"},{"tid":true,"tag":"yes"}]})",
         {"0|old|5", "12|new|0", "0|yes|0"}},
        {R"({"tag-results":[]})", {"0|old|5", "12|new|0", "0|yes|0"}},
        {R"({"classify-results":[]})", {"0|old|5", "12|new|0", "0|yes|0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        send(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>());
        answer(row.answer);
        EXPECT_EQ(dumpRows(db, tags), row.rows);
    }
    EXPECT_EQ(dumpRows(db, "SELECT timestamp FROM ZMRTagObject WHERE tag='old'"), (std::vector<std::string>{"100.0"}));
    EXPECT_EQ(notifications(ZMRClassifyChangedNotification), 4u);
}
