#include "tests/app/services/AppServerProcess.h"
#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/ZMRFeedDataSource.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRURLDataSource.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

pf::Value names(std::initializer_list<pf::Value> list)
{
    return pf::Value(pf::Array::create(list));
}

// The application's list road against a real server: the API, HTTP, list
// and URL services.
class ZMRListRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning());
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-screens-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        pf::setHomeDirectory(home);
        pf::UserDefaults::resetStandard();
        KRDownlinkService::resetSharedCache();
        base = server.url().substr(0, server.url().size() - 4);
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", names({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRHttpService"},
                                    {"inherit", true},
                                    {"maxThreadCount", 4},
                                    {"timeout", 5.0},
                                    {"taskTypes", names({"IKRHttpTask", "IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRAPIService"},
                                    {"url", server.url()},
                                    {"timeout", 5.0},
                                    {"taskTypes", names({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
            pf::Dictionary::create({{"class", "ZMRDownlinkService"}, {"taskTypes", names({"IZMRDownlinkTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRURLService"},
                                    {"feeds", base + "/lists/ZMRFeedsTask?start={offset}&count={pageSize}"},
                                    {"taskTypes", names({"IKRURLDownlinkTask"})}}),
        });
        shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
    }
    void TearDown() override
    {
        shell.reset();
        KRDownlinkService::resetSharedCache();
        pf::UserDefaults::resetStandard();
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }

    std::shared_ptr<ZMRFeedDataSource> makeFeed()
    {
        auto feed = std::make_shared<ZMRFeedDataSource>();
        feed->setContext(shell);
        feed->setDelegate(recorder);
        feed->setTaskType(std::string("ZMRFeedsTask"));
        feed->setDataKey(std::string("list"));
        feed->setAllowCached(true);
        recorder->events.clear();
        return feed;
    }
    bool settled(KRDataSource& source)
    {
        bool done = pf::RunLoop::main().runUntil([&] { return !source.isLoading(); }, pf::Seconds(15));
        KRDownlinkService::dispatchQueue()->sync([] {});
        return done;
    }
    static long long pid(KRDataSource& source, int index) { return dataForKeyPath(source.dataObjectAtIndex(index), "pid").longLongValue(); }

    AppServerProcess server;
    std::string home;
    std::string base; // the server without "/api"
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<SourceRecorder> recorder = std::make_shared<SourceRecorder>();
};

}

TEST_F(ZMRListRoad, FeedShowsTheNetworkPageThenTheCachedOneFirstAndKeepsItWhenTheServerIsGone)
{
    auto first = makeFeed();
    first->reloadData();
    ASSERT_TRUE(settled(*first));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "loaded"}));
    ASSERT_EQ(first->count(), 20u);
    EXPECT_EQ(pid(*first, 0), 1);
    first->loadMoreData();
    ASSERT_TRUE(settled(*first));
    ASSERT_EQ(first->count(), 40u);
    EXPECT_EQ(pid(*first, 39), 40);
    EXPECT_TRUE(first->hasMoreData());

    auto second = makeFeed();
    second->reloadData();
    ASSERT_TRUE(settled(*second));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "cache", "loaded"}));
    EXPECT_EQ(second->count(), 20u);

    server.kill();
    auto third = makeFeed();
    third->reloadData();
    ASSERT_TRUE(settled(*third));
    ASSERT_EQ(recorder->events.size(), 3u);
    EXPECT_EQ(recorder->events[1], "cache");
    EXPECT_TRUE(recorder->events[2].starts_with("error"));
    EXPECT_EQ(third->count(), 20u);
    EXPECT_TRUE(third->isLoaded());
}

TEST_F(ZMRListRoad, URLListsPageThroughTheSeededItems)
{
    auto list = std::make_shared<KRURLDataSource>();
    list->setUrlKey(std::string("feeds"));
    list->setDataKey(std::string("data.items"));
    list->setErrorCodeKeyPath(std::string("status.code"));
    list->setErrorKeyPath(std::string("status.message"));
    list->setContext(shell);
    list->setDelegate(recorder);
    struct Row {
        const char* step;
        std::size_t count;
        bool hasMore;
    } rows[] = {{"reload", 20, true}, {"more", 40, true}, {"more", 45, true}, {"more", 45, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.count);
        if (std::string(row.step) == "reload")
            list->reloadData();
        else
            list->loadMoreData();
        ASSERT_TRUE(settled(*list));
        EXPECT_EQ(list->count(), row.count);
        EXPECT_EQ(list->hasMoreData(), row.hasMore);
    }
    list->setUrl(base + "/lists/broken");
    recorder->events.clear();
    list->reloadData();
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "error 17"}));
    EXPECT_EQ(list->count(), 45u);
}
