#include "DataTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRShell.h"
#include "framework/data/KRURLDataSource.h"
#include "framework/data/KRURLService.h"
#include "framework/data/KRURLTemplate.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

using Reply = zmr::TestServer::Reply;

class KRURLLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-urllist-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        pf::setHomeDirectory(home);
        KRDownlinkService::resetSharedCache();
        std::string config = R"({"services": [{"class": "KRHttpService", "inherit": true, "maxThreadCount": 4,
            "taskTypes": ["IKRHttpTask", "IKRHttpAPITask"]}, {"class": "KRURLService", "taskTypes": ["IKRURLDownlinkTask"], "feeds": ")";
        config += server.url("/feeds?start={offset}&count={pageSize}");
        config += R"("}]})";
        shell = KRShell::create(KRJSON::decodeText(config).dictionary(), nullptr);
        server.script("/feeds", Reply::with(200, "application/json", R"({"code":0,"items":[{"n":1},{"n":2}]})"));
        server.script("/server-error", Reply::with(200, "application/json", R"({"code":5,"message":"bad"})"));
    }
    void TearDown() override
    {
        shell.reset();
        KRDownlinkService::resetSharedCache();
        std::filesystem::remove_all(home);
    }
    std::shared_ptr<KRURLDataSource> makeList(std::optional<std::string> path = std::nullopt)
    {
        auto list = std::make_shared<KRURLDataSource>();
        list->setUrl(path ? std::optional(server.url(*path)) : std::nullopt);
        list->setUrlKey(std::string("feeds"));
        list->setDataKey(std::string("items"));
        list->setErrorCodeKeyPath(std::string("code"));
        list->setContext(shell);
        list->setDelegate(heard);
        heard->events.clear();
        return list;
    }
    bool settled(KRDataSource& list)
    {
        bool done = pf::RunLoop::main().runUntil([&] { return !list.isLoading(); }, pf::Seconds(10));
        KRDownlinkService::dispatchQueue()->sync([] {});
        return done;
    }
    std::shared_ptr<KRURLService> service()
    {
        for (const auto& container : shell->serviceContainers())
            if (auto found = std::dynamic_pointer_cast<KRURLService>(container->instance()))
                return found;
        return nullptr;
    }

    std::string home;
    zmr::TestServer server;
    std::shared_ptr<KRShell> shell;
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
};

}

TEST(KRURLTemplate, PagesAndEncodedValues)
{
    auto values = [](std::string_view key) { return key == "w" ? pf::Value("a b/c?d&e#f%中-._~") : key == "n" ? pf::Value(12) : pf::Value(); };
    EXPECT_EQ(KRURLExpandTemplate("/l?start={offset}&count={pageSize}&p={pageIndex}", 3, 20, values), "/l?start=40&count=20&p=3");
    EXPECT_EQ(KRURLExpandTemplate("/s/{w}/{n}/{missing}/{w", 1, 20, values), "/s/a%20b%2Fc%3Fd%26e%23f%25%E4%B8%AD-._~/12//");
    EXPECT_EQ(KRURLExpandTemplate("/o={offset}", 2147483647, 2147483647, values), "/o=4611686011984936962");
}

TEST(KRURLService, ServerErrorCodesAreNumbersOrNumericText)
{
    auto list = std::make_shared<KRURLDataSource>();
    list->setErrorCodeKeyPath(std::string("code"));
    for (auto [body, code] : {std::pair{R"({"code":null})", 0LL}, {R"({"code":"17"})", 17LL}, {R"({"code":9000000000})", 9000000000LL},
                              {R"({"code":"12ab"})", -1LL}, {R"({"code":[1]})", -1LL}}) {
        auto error = KRURLService::errorByResponseBody(KRJSON::decodeText(body), *list);
        EXPECT_EQ(error ? error->code : 0, code) << body;
    }
}

TEST_F(KRURLLists, FirstPagesAreCachedPerURLAndLaterPagesNever)
{
    auto first = makeList();
    first->reloadData();
    ASSERT_TRUE(settled(*first));
    server.script("/feeds", Reply::with(200, "application/json", R"({"items":[{"n":3}]})"));
    first->loadMoreData();
    ASSERT_TRUE(settled(*first));
    EXPECT_EQ(first->count(), 3u);
    EXPECT_EQ(server.received("/feeds").back().query, "start=20&count=20");

    for (auto [path, heardNow] : {std::pair{"", "will cache loaded"}, {"refresh", "will loaded"}, {"/feeds?other=1", "will loaded"}}) {
        auto list = makeList(*path == '/' ? std::optional<std::string>(path) : std::nullopt);
        *path == 'r' ? list->refreshData() : list->reloadData();
        ASSERT_TRUE(settled(*list));
        EXPECT_EQ(heard->events, heardNow);
    }
    EXPECT_EQ(first->count(), 3u); // the cached copy reached only the list that asked
}

TEST_F(KRURLLists, FailuresReachTheListAndCacheNothing)
{
    // (url, heard twice: a failure stores nothing to show first); "" leaves the template key unknown, "-" the HTTP class wrong
    for (auto [url, heardTwice] : {std::pair{"", "will error-1"}, {"not a url", "will error-1"}, {"-", "will error-1"},
                                   {"/status?code=502", "will error502"}, {"/text", "will error-1"}, {"/server-error", "will error5"}}) {
        for (int run = 0; run < 2; ++run) {
            auto list = makeList(url[0] == '/' ? std::optional<std::string>(url) : std::nullopt);
            list->setUrlKey(std::string(*url ? "feeds" : "missing"));
            list->setHttpClass(*url == '-' ? pf::Class::named("KRDataSource") : nullptr);
            if (*url == 'n')
                list->setUrl(std::string(url));
            list->reloadData();
            EXPECT_TRUE(list->isLoading()); // even a failure arrives on a later turn
            ASSERT_TRUE(settled(*list));
            EXPECT_EQ(heard->events, heardTwice) << url;
        }
    }
    EXPECT_EQ(service()->itemCount(), 0u);
}

TEST_F(KRURLLists, WithdrawnRequestsAreNeverDelivered)
{
    auto list = makeList();
    list->reloadData();
    list->cancel(); // before the hand-over: nothing is sent
    Reply held = Reply::with(200, "application/json", R"({"items":[1]})");
    server.script("/held", held);
    auto twice = makeList("/held");
    shell->handle(proto::IKRURLDownlinkTask(), twice, 0);
    twice->setPageIndex(2);
    shell->handle(proto::IKRURLDownlinkTask(), twice, 0);
    bool queued = false; // two turns: the hand-over, then the HTTP service's own
    pf::dispatchMain([&] { pf::dispatchMain([&] { queued = true; }); });
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return queued; }, pf::Seconds(10)));
    // Waits without running the main loop, so that the answers stay queued for it.
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         server.count("/held") < 2 && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(server.count("/held"), 2u);
    twice->cancel();
    auto sentinel = makeList("/held"); // answered after theirs, so the main queue moved past them
    sentinel->reloadData();
    ASSERT_TRUE(settled(*sentinel));
    EXPECT_EQ(heard->events, "will loaded");
    EXPECT_EQ(twice->count() + list->count() + service()->itemCount() + service()->pendingDeliveryCount(), 0u);
    EXPECT_EQ(server.count("/feeds"), 0u);
    EXPECT_EQ(server.count("/held"), 3u);
}
