// The user and near feed sources: the query values they send and the
// display fields they give every entry, against the application's shell as
// context (its position set by hand).

#include "app/screens/feed/ZMRNearFeedDataSource.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

namespace {

class FeedSources : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell = ZMRShell::create(pf::Dictionary::create({}), nullptr);
        ASSERT_TRUE(shell);
        for (KRDataSource* source : {static_cast<KRDataSource*>(user.get()), static_cast<KRDataSource*>(near.get())}) {
            source->setContext(shell);
            source->setDataKey(std::string("list"));
        }
    }
    static void deliver(KRPageDataSource& source, int page, const char* json)
    {
        source.setPageIndex(page);
        source.krDownlinkTaskDidLoaded(pf::Value(pf::Dictionary::create({{"list", KRJSON::decodeText(json)}})), nullptr);
    }
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<ZMRUserFeedDataSource> user = std::make_shared<ZMRUserFeedDataSource>();
    std::shared_ptr<ZMRNearFeedDataSource> near = std::make_shared<ZMRNearFeedDataSource>();
};

}

TEST_F(FeedSources, TheUserIdTravelsWholeAsText)
{
    struct Row {
        pf::Value set;
        long long uid;
        const char* query;
    } rows[] = {
        {pf::Value(4294967301LL), 4294967301LL, "4294967301"},
        {"9223372036854775807", 9223372036854775807LL, "9223372036854775807"},
        {pf::Value(-2), -2, "-2"},
        {"10002", 10002, "10002"},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(user->trySetValueForKey("uid", row.set)) << row.query;
        EXPECT_EQ(user->uid(), row.uid);
        EXPECT_EQ(user->queryValues()->get("uid"), pf::Value(row.query));
    }
}

TEST_F(FeedSources, UserEntriesGetDisplayFieldsAndNeverKeepAServerHtml)
{
    shell->didUpdateUserLocation({39.9, 116.4, pf::Date::now()});
    deliver(*user, 1, R"([
        {"body":"a  <b>x</b>", "html":"<script>", "latitude":39.9005, "longitude":116.4, "createTime":0},
        {"body":["not text"], "latitude":0, "longitude":116.4},
        "text", null
    ])");
    ASSERT_EQ(user->count(), 4u);
    auto first = user->dataObjectAtIndex(0).dictionary();
    EXPECT_EQ(first->get("html"), pf::Value("a&nbsp;&nbsp;&lt;b&gt;x&lt;/b&gt;"));
    EXPECT_EQ(first->get("fmtDistance"), pf::Value("55米"));
    EXPECT_TRUE(first->contains("fmtCreateTime"));
    auto second = user->dataObjectAtIndex(1).dictionary();
    EXPECT_FALSE(second->contains("html") || second->contains("distance") || second->contains("fmtCreateTime"));

    first->set("html", "<i>kept</i>"); // a listed entry is prepared once
    deliver(*user, 2, R"([{"body":"c", "html":"<a>"}])");
    EXPECT_EQ(first->get("html"), pf::Value("<i>kept</i>"));
    EXPECT_EQ(user->dataObjectAtIndex(4).dictionary()->get("html"), pf::Value("c"));
}

TEST_F(FeedSources, NearQueryCarriesThePositionHeldAtEachRequest)
{
    near->reloadData(); // no position yet
    EXPECT_EQ(near->queryValues()->get("latitude"), pf::Value("0.000000"));
    EXPECT_EQ(near->queryValues()->get("longitude"), pf::Value("0.000000"));
    shell->didUpdateUserLocation({39.9, 116.4, pf::Date::now()});
    EXPECT_EQ(near->queryValues()->get("latitude"), pf::Value("39.900000"));
    deliver(*near, 1, R"([{"body":"x"}])");
    shell->didUpdateUserLocation({31.25, 121.5, pf::Date::now()}); // moved between pages
    near->loadMoreData();
    EXPECT_EQ(near->queryValues()->get("pageIndex"), pf::Value("2"));
    EXPECT_EQ(near->queryValues()->get("latitude"), pf::Value("31.250000"));
    EXPECT_EQ(near->queryValues()->get("longitude"), pf::Value("121.500000"));
    EXPECT_EQ(near->dataObjectAtIndex(0).dictionary()->get("html"), pf::Value("x"));
}
