#include "HttpTestSupport.h"

#include "platform/foundation/FileSystem.h"
#include "platform/net/OperationQueue.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>


namespace fs = std::filesystem;

namespace {

std::string pattern(std::size_t from, std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((from + i) % 251);
    return bytes;
}

class KRHttpTaskResource : public ::testing::Test {
protected:
    std::shared_ptr<KRHttpTask> resourceTask(const std::string& url)
    {
        return makeHttpTask(url, KRHttpResponseType::ResourceFile, recorder);
    }
    bool run(const std::shared_ptr<KRHttpTask>& task)
    {
        bool taken = service->handle(proto::IKRHttpResourceTask(), task, 0);
        return taken && runMainUntil([&] { return recorder->ended(); });
    }

    TempHome home;
    zmr::TestServer server;
    std::shared_ptr<HttpRecorder> recorder = std::make_shared<HttpRecorder>();
    std::shared_ptr<KRHttpService> service = makeHttpService();
};

}

TEST(KRHttpTaskBody, TextAndJsonAreDecodedByCharset)
{
    zmr::TestServer server;
    auto service = makeHttpService();
    struct Row {
        std::string path;
        KRHttpResponseType type;
        std::int32_t encoding;
        std::string expected; // description of the body, "(null)" for nil
        std::string outcome = "loaded 200";
    } rows[] = {
        {"/text", KRHttpResponseType::Text, 0, "plain text"},
        {"/gbk", KRHttpResponseType::Text, 0, "\xE4\xB8\xAD\xE6\x96\x87"},
        {"/json", KRHttpResponseType::JSON, 0, "ok"},
        {"/array", KRHttpResponseType::JSON, 0, "3"},
        {"/bad-utf8", KRHttpResponseType::JSON, 0, "(null)"},
        {"/gbk-forced", KRHttpResponseType::Text, 1, "\xE4\xB8\xAD\xE6\x96\x87"},
        {"/charset-gb", KRHttpResponseType::Text, 0, "(null)"}, // only "charset=gbk" is converted
        // Not held whole in memory; the server may have acted on the request.
        {"/huge", KRHttpResponseType::JSON, 0, "(null)", "failed KRHttpTask -6 answer longer than 16 MiB"},
    };
    server.script("/bad-utf8", zmr::TestServer::Reply::with(200, "application/json", "{\"a\":\"\xC3\x28\"}"));
    server.script("/gbk-forced", zmr::TestServer::Reply::with(200, "text/plain", "\xD6\xD0\xCE\xC4"));
    server.script("/huge", zmr::TestServer::Reply::with(200, "application/json", std::string((16u << 20) + 1, ' ')));
    server.script("/charset-gb", zmr::TestServer::Reply::with(200, "text/plain; CHARSET=GB", "\xD6\xD0\xCE\xC4"));
    for (const auto& row : rows) {
        auto recorder = std::make_shared<HttpRecorder>();
        auto task = makeHttpTask(server.url(row.path), row.type, recorder);
        task->setResponseEncoding(row.encoding);
        ASSERT_TRUE(service->handle(proto::IKRHttpAPITask(), task, 0));
        ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); })) << row.path;
        EXPECT_EQ(recorder->last(), row.outcome) << row.path;
        EXPECT_EQ(task->isAnswerLost(), row.outcome != "loaded 200") << row.path;
        pf::Value body = task->responseBody();
        std::string shown = body.isDictionary() ? body.dictionary()->get("value").description()
                            : body.isArray()    ? std::to_string(body.array()->count())
                                                : body.description();
        EXPECT_EQ(shown, row.expected) << row.path;
    }
}

TEST_F(KRHttpTaskResource, CachedFileAnswersDuringPreparationWithoutSending)
{
    std::string url = server.url("/resource?size=10");
    writeFile(KRHttpTask::localResourcePathForURL(url), "cached");
    auto task = resourceTask(url);
    task->setAllowWillRequest(true);
    ASSERT_TRUE(service->handle(proto::IKRHttpResourceTask(), task, 0));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"willRequest", "loaded 0"}));
    EXPECT_EQ(service->operationQueue()->operationCount(), 0u);
    EXPECT_EQ(server.count("/resource"), 0u);
}

TEST_F(KRHttpTaskResource, MissingFileUrlFailsWithoutSending)
{
    auto task = resourceTask("file://" + home.file("absent.png"));
    ASSERT_TRUE(run(task));
    EXPECT_EQ(recorder->last(), "failed KRHttpTask -4 not found file");
    EXPECT_EQ(server.received().size(), 0u);
}

// A compressed answer skips the length check: its length is the compressed one.
TEST_F(KRHttpTaskResource, DownloadKeepsOnlyCompleteSuccessfulAnswers)
{
    struct Row {
        std::string path;
        bool checkLength;
        std::string outcome;
        bool cached;
    } rows[] = {
        {"/resource?size=1000", true, "loaded 200", true},
        {"/truncated?length=1000&send=999", true, "failed", false},
        {"/status?code=404", false, "failed KRHttpTask -4 not found file", false},
        {"/norange?size=50", true, "loaded 200", true},
        {"/gzip", true, "loaded 200", true},
    };
    for (const auto& row : rows) {
        recorder->events.clear();
        std::string url = server.url(row.path);
        auto task = resourceTask(url);
        pf::HttpRequest request(url);
        request.setValue("gzip, deflate", "Accept-Encoding");
        task->setRequest(request);
        task->setAllowCheckContentLength(row.checkLength);
        ASSERT_TRUE(run(task)) << row.path;
        EXPECT_TRUE(recorder->last().starts_with(row.outcome)) << row.path << ": " << recorder->last();
        EXPECT_EQ(KRHttpTask::hasResourceForURL(url), row.cached) << row.path;
        EXPECT_FALSE(KRHttpTask::isLoadingResourceForURL(url)) << row.path;
    }
    EXPECT_EQ(readFile(KRHttpTask::localResourcePathForURL(server.url("/resource?size=1000"))), pattern(0, 1000));
    EXPECT_EQ(readFile(KRHttpTask::localResourcePathForURL(server.url("/gzip"))).size(), 200u * 16u);
}

TEST_F(KRHttpTaskResource, ResumeAppendsOnlyToA206)
{
    struct Row {
        std::string path;
        bool rangedAnswer;
    } rows[] = {{"/resource?size=1000", true}, {"/norange?size=1000", false}};
    for (const auto& row : rows) {
        recorder->events.clear();
        recorder->progress.clear();
        std::string url = server.url(row.path);
        std::string cache = KRHttpTask::localResourcePathForURL(url);
        writeFile(cache + ".tmp", pattern(0, 300));
        auto task = resourceTask(url);
        task->setAllowResume(true);
        ASSERT_TRUE(run(task)) << row.path;
        EXPECT_EQ(recorder->last(), row.rangedAnswer ? "loaded 206" : "loaded 200");
        auto sent = server.received(row.path.substr(0, row.path.find('?')));
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back().header("Range"), "bytes=300-");
        ASSERT_FALSE(recorder->progress.empty());
        EXPECT_GT(recorder->progress.front(), row.rangedAnswer ? 300u : 0u);
        EXPECT_EQ(readFile(cache), pattern(0, 1000)) << row.path;
        EXPECT_FALSE(KRHttpTask::isLoadingResourceForURL(url));
    }
}

TEST_F(KRHttpTaskResource, ForcedUpdateReplacesOn200AndKeepsOn304)
{
    struct Row {
        std::string path;
        std::string expected;
    } rows[] = {
        {"/resource?size=20&notModified=1", "old"},
        {"/resource?size=20", pattern(0, 20)},
    };
    for (const auto& row : rows) {
        recorder->events.clear();
        std::string url = server.url(row.path);
        std::string cache = KRHttpTask::localResourcePathForURL(url);
        writeFile(cache, "old");
        auto task = resourceTask(url);
        task->setForceUpdateResource(true);
        ASSERT_TRUE(run(task));
        EXPECT_TRUE(recorder->last().starts_with("loaded")) << recorder->last();
        EXPECT_EQ(readFile(cache), row.expected);
        EXPECT_TRUE(server.received("/resource").back().header("If-Modified-Since").has_value());
        EXPECT_FALSE(KRHttpTask::isLoadingResourceForURL(url));
    }
}

TEST_F(KRHttpTaskResource, UnwritableCacheFailsTheTaskAndLeavesNothing)
{
    writeFile(home.file("plain"), "a file, not a folder");
    pf::setHomeDirectory(home.file("plain/home"));
    std::string url = server.url("/resource?size=100");
    auto task = resourceTask(url);
    ASSERT_TRUE(run(task));
    EXPECT_TRUE(recorder->last().starts_with("failed KRHttpTask -5")) << recorder->last();
    EXPECT_FALSE(KRHttpTask::isLoadingResourceForURL(url));
}

TEST_F(KRHttpTaskResource, LinksAtCachePathsAreRemovedNotFollowed)
{
    struct Row {
        const char* name;
        const char* linkSuffix; // appended to the cache path
        bool resume;
    } rows[] = {{"partial file", ".tmp", false}, {"resumed partial file", ".tmp", true}, {"cache file", "", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        recorder->events.clear();
        std::string victim = home.file("victim");
        writeFile(victim, "keep");
        std::string url = server.url("/resource?size=64&n=" + std::string(row.name).substr(0, 3));
        std::string cache = KRHttpTask::localResourcePathForURL(url);
        writeFile(cache + ".seed", "");
        fs::create_symlink(victim, cache + row.linkSuffix);
        auto task = resourceTask(url);
        task->setAllowResume(row.resume);
        ASSERT_TRUE(run(task));
        EXPECT_EQ(recorder->last(), "loaded 200");
        EXPECT_EQ(readFile(victim), "keep");
        EXPECT_FALSE(fs::is_symlink(cache));
        EXPECT_EQ(readFile(cache), pattern(0, 64));
        EXPECT_EQ(fs::status(cache).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    }
}
