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
#include <unistd.h>

namespace {

pf::Value names(std::initializer_list<pf::Value> list)
{
    return pf::Value(pf::Array::create(list));
}

class KRURLLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-urllist-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        pf::setHomeDirectory(home);
        KRDownlinkService::resetSharedCache();
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "KRHttpService"},
                                    {"inherit", true},
                                    {"maxThreadCount", 4},
                                    {"taskTypes", names({"IKRHttpTask", "IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRURLService"},
                                    {"feeds", server.url("/feeds?start={offset}&count={pageSize}")},
                                    {"taskTypes", names({"IKRURLDownlinkTask"})}}),
        });
        shell = KRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
        server.script("/feeds", zmr::TestServer::Reply::with(200, "application/json", R"({"code":0,"items":[{"n":1},{"n":2}]})"));
    }
    void TearDown() override
    {
        shell.reset();
        KRDownlinkService::resetSharedCache();
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }

    std::shared_ptr<KRURLDataSource> makeList(const char* url = nullptr)
    {
        auto list = std::make_shared<KRURLDataSource>();
        if (url)
            list->setUrl(server.url(url));
        else
            list->setUrlKey(std::string("feeds"));
        list->setDataKey(std::string("items"));
        list->setErrorCodeKeyPath(std::string("code"));
        list->setErrorKeyPath(std::string("message"));
        list->setContext(shell);
        list->setDelegate(recorder);
        recorder->events.clear();
        return list;
    }
    bool waitFor(const std::function<bool()>& predicate) { return pf::RunLoop::main().runUntil(predicate, pf::Seconds(10)); }
    bool settled(const std::shared_ptr<KRURLDataSource>& list)
    {
        bool done = waitFor([&] { return !list->isLoading(); });
        KRDownlinkService::dispatchQueue()->sync([] {});
        return done;
    }
    std::shared_ptr<KRURLService> service()
    {
        for (const auto& container : shell->serviceContainers()) {
            if (auto found = std::dynamic_pointer_cast<KRURLService>(container->instance()))
                return found;
        }
        return nullptr;
    }

    std::string home;
    zmr::TestServer server;
    std::shared_ptr<KRShell> shell;
    std::shared_ptr<SourceRecorder> recorder = std::make_shared<SourceRecorder>();
};

}

TEST(KRURLTemplate, PagesAndFilledValues)
{
    auto values = [](std::string_view key) -> pf::Value {
        if (key == "word")
            return pf::Value("a b/c?d&e#f%中");
        if (key == "safe")
            return pf::Value("Az09-._~");
        if (key == "n")
            return pf::Value(12);
        return {};
    };
    struct Row {
        const char* text;
        int pageIndex, pageSize;
        const char* expanded;
    } rows[] = {
        {"/l?start={offset}&count={pageSize}&p={pageIndex}", 3, 20, "/l?start=40&count=20&p=3"},
        {"/s/{word}?q={word}", 1, 20, "/s/a%20b%2Fc%3Fd%26e%23f%25%E4%B8%AD?q=a%20b%2Fc%3Fd%26e%23f%25%E4%B8%AD"},
        {"/{safe}/{n}/{missing}/", 1, 20, "/Az09-._~/12//"},
        {"/o={offset}", 2147483647, 2147483647, "/o=4611686011984936962"},
        {"/unclosed{word", 1, 1, "/unclosed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(KRURLExpandTemplate(row.text, row.pageIndex, row.pageSize, values), row.expanded);
    }
}

TEST(KRURLService, ServerErrorsAreReadByKeyPath)
{
    struct Row {
        const char* body;
        long long code; // 0: success
        const char* message;
    } rows[] = {
        {R"({"code":0})", 0, ""},
        {R"({})", 0, ""},
        {R"({"code":null})", 0, ""},
        {R"({"code":1})", 1, ""},
        {R"({"code":5,"message":"bad"})", 5, "bad"},
        {R"({"code":"17","message":3})", 17, "3"},
        {R"({"code":9000000000})", 9000000000LL, ""},
        {R"({"code":"12ab"})", -1, "the list's error code is no number"},
        {R"({"code":[1]})", -1, "the list's error code is no number"},
        {R"({"code":{"a":1}})", -1, "the list's error code is no number"},
    };
    auto list = std::make_shared<KRURLDataSource>();
    list->setErrorCodeKeyPath(std::string("code"));
    list->setErrorKeyPath(std::string("message"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        auto error = KRURLService::errorByResponseBody(KRJSON::decodeText(row.body), *list);
        EXPECT_EQ(error.has_value(), row.code != 0);
        if (error) {
            EXPECT_EQ(error->domain, "KRURLService");
            EXPECT_EQ(error->code, row.code);
            EXPECT_EQ(error->description, row.message);
        }
    }
    list->setErrorCodeKeyPath(std::nullopt);
    EXPECT_FALSE(KRURLService::errorByResponseBody(KRJSON::decodeText(R"({"code":1})"), *list));
}

TEST_F(KRURLLists, FirstPagesAreCachedPerURLAndLaterPagesNever)
{
    auto first = makeList();
    first->reloadData();
    ASSERT_TRUE(settled(first));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "loaded"}));
    EXPECT_EQ(first->count(), 2u);
    ASSERT_EQ(server.received("/feeds").size(), 1u);
    EXPECT_EQ(server.received("/feeds")[0].query, "start=0&count=20");

    server.script("/feeds", zmr::TestServer::Reply::with(200, "application/json", R"({"items":[{"n":3}]})"));
    first->loadMoreData();
    ASSERT_TRUE(settled(first));
    EXPECT_EQ(first->count(), 3u);
    EXPECT_EQ(server.received("/feeds").back().query, "start=20&count=20");

    // The same URL shows the stored first page first; page 2 was not stored.
    auto second = makeList();
    second->reloadData();
    ASSERT_TRUE(settled(second));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "cache", "loaded"}));
    // A refresh skips the cache; another URL has no cached copy.
    auto refreshed = makeList();
    refreshed->refreshData();
    ASSERT_TRUE(settled(refreshed));
    auto other = makeList("/feeds?other=1");
    other->reloadData();
    ASSERT_TRUE(settled(other));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "loaded"}));
}

TEST_F(KRURLLists, FailuresReachTheListAndCacheNothing)
{
    server.script("/server-error", zmr::TestServer::Reply::with(200, "application/json", R"({"code":5,"message":"bad"})"));
    struct Row {
        const char* name;
        std::function<void(KRURLDataSource&)> setUp;
        long long code; // 0: the transport's own error
    } rows[] = {
        {"no template", [](KRURLDataSource& l) { l.setUrlKey(std::string("missing")); }, -1},
        {"no URL", [](KRURLDataSource& l) { l.setUrl(std::string("not a url")); }, -1},
        {"no HTTP class", [](KRURLDataSource& l) { l.setHttpClass(pf::Class::named("KRDataSource")); }, -1},
        {"502 HTML", [&](KRURLDataSource& l) { l.setUrl(server.url("/status?code=502")); }, 502},
        {"not JSON", [&](KRURLDataSource& l) { l.setUrl(server.url("/text")); }, -1},
        {"server error", [&](KRURLDataSource& l) { l.setUrl(server.url("/server-error")); }, 5},
        {"connection refused", [](KRURLDataSource& l) { l.setUrl(std::string("http://127.0.0.1:1/x")); }, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int run = 0; run < 2; ++run) {
            auto list = makeList();
            row.setUp(*list);
            list->reloadData();
            EXPECT_TRUE(list->isLoading()); // failures arrive on a later turn
            ASSERT_TRUE(settled(list));
            ASSERT_EQ(recorder->events.size(), 2u);
            // The second run hears no cached copy: the failure stored nothing.
            EXPECT_EQ(recorder->events[1].substr(0, 5), "error");
            if (row.code != 0) {
                EXPECT_EQ(recorder->events[1], "error " + std::to_string(row.code));
            }
        }
    }
    EXPECT_EQ(service()->itemCount(), 0u);
}

TEST_F(KRURLLists, WithdrawnRequestsAreNeverDelivered)
{
    auto list = makeList();
    // Withdrawn before the hand-over: nothing is sent.
    list->reloadData();
    list->cancel();
    // Two requests in flight, withdrawn after the server answered them.
    auto twice = makeList();
    shell->handle(proto::IKRURLDownlinkTask(), twice, 0);
    twice->setPageIndex(2);
    shell->handle(proto::IKRURLDownlinkTask(), twice, 0);
    ASSERT_TRUE(waitFor([&] { return server.count("/feeds") == 2; }));
    twice->cancel();
    EXPECT_EQ(service()->itemCount(), 0u);
    // A later list's answer shows the main queue has moved well past them.
    auto sentinel = makeList("/json");
    sentinel->reloadData();
    ASSERT_TRUE(settled(sentinel));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "loaded"}));
    EXPECT_EQ(twice->count(), 0u);
    EXPECT_EQ(list->count(), 0u);
    EXPECT_EQ(server.count("/feeds"), 2u);
    EXPECT_EQ(service()->pendingDeliveryCount(), 0u);
}
