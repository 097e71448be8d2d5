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

// The lists against the application server: the API, HTTP, list and URL services.
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
        auto types = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", types({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRHttpService"}, {"inherit", true}, {"timeout", 5.0}, {"taskTypes", types({"IKRHttpTask", "IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRAPIService"}, {"url", server.url()}, {"taskTypes", types({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
            pf::Dictionary::create({{"class", "ZMRDownlinkService"}, {"taskTypes", types({"IZMRDownlinkTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRURLService"},
                                    {"feeds", base + "/lists/ZMRFeedsTask?start={offset}&count={pageSize}"},
                                    {"taskTypes", types({"IKRURLDownlinkTask"})}}),
        });
        shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
    }
    void TearDown() override
    {
        shell.reset();
        KRDownlinkService::resetSharedCache();
        pf::UserDefaults::resetStandard();
        std::filesystem::remove_all(home);
    }
    template <class T> std::shared_ptr<T> attach(std::shared_ptr<T> list)
    {
        list->setContext(shell);
        list->setDelegate(heard);
        heard->events.clear();
        return list;
    }
    std::shared_ptr<ZMRFeedDataSource> makeFeed()
    {
        auto feed = attach(std::make_shared<ZMRFeedDataSource>());
        feed->setTaskType(std::string("ZMRFeedsTask"));
        feed->setDataKey(std::string("list"));
        feed->setAllowCached(true);
        return feed;
    }
    bool settled(KRDataSource& source)
    {
        bool done = pf::RunLoop::main().runUntil([&] { return !source.isLoading(); }, pf::Seconds(15));
        KRDownlinkService::dispatchQueue()->sync([] {});
        return done;
    }

    AppServerProcess server;
    std::string home, base;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
};

}

TEST_F(ZMRListRoad, FeedShowsTheNetworkPageThenTheCachedOneFirstAndKeepsItWhenTheServerIsGone)
{
    auto first = makeFeed();
    first->reloadData();
    ASSERT_TRUE(settled(*first));
    first->loadMoreData();
    ASSERT_TRUE(settled(*first));
    EXPECT_EQ(heard->events, "will loaded will loaded");
    ASSERT_EQ(first->count(), 40u);
    EXPECT_EQ(dataForKeyPath(first->dataObjectAtIndex(39), "pid").longLongValue(), 40);

    auto second = makeFeed();
    second->reloadData();
    ASSERT_TRUE(settled(*second));
    EXPECT_EQ(heard->events, "will cache loaded");

    server.kill();
    auto third = makeFeed();
    third->reloadData();
    ASSERT_TRUE(settled(*third));
    EXPECT_TRUE(heard->events.starts_with("will cache error"));
    EXPECT_TRUE(third->count() == 20 && third->isLoaded());
}

TEST_F(ZMRListRoad, URLListsPageThroughTheSeededItems)
{
    auto list = attach(std::make_shared<KRURLDataSource>());
    list->setUrlKey(std::string("feeds"));
    list->setDataKey(std::string("data.items"));
    list->setErrorCodeKeyPath(std::string("status.code"));
    list->setErrorKeyPath(std::string("status.message"));
    for (auto [count, hasMore] : {std::pair{20u, true}, {40u, true}, {45u, true}, {45u, false}}) {
        list->count() ? list->loadMoreData() : list->reloadData();
        ASSERT_TRUE(settled(*list));
        EXPECT_TRUE(list->count() == count && list->hasMoreData() == hasMore) << count;
    }
    list->setUrl(base + "/lists/broken");
    heard->events.clear();
    list->reloadData();
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(heard->events, "will error17");
    EXPECT_EQ(list->count(), 45u);
}
