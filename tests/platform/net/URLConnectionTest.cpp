#include "platform/net/RandomBytes.h"
#include "platform/net/TrustAnchors.h"
#include "platform/net/URLConnection.h"

#include "platform/foundation/RunLoop.h"
#include "tools/testserver/TestServer.h"
#include "tools/zzserver/ZZServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using pf::RunLoop;
using pf::Seconds;

namespace {

// Records every event of one connection as a word.
struct Recorder {
    std::vector<std::string> events;
    std::size_t bytes = 0;
    std::optional<pf::Error> error;
    bool ended = false;

    pf::URLConnectionCallbacks callbacks(std::function<void(const std::string&)> hook = {})
    {
        auto note = [this, hook](const std::string& event) {
            events.push_back(event);
            if (hook)
                hook(event);
        };
        pf::URLConnectionCallbacks c;
        c.response = [note](const pf::HttpResponse& r) { note("response " + std::to_string(r.statusCode())); };
        c.data = [this, note](const pf::Bytes& chunk) { bytes += chunk.size(); note("data"); };
        c.finished = [this, note] { ended = true; note("finished"); };
        c.failed = [this, note](const pf::Error& e) { ended = true; error = e; note("failed"); };
        return c;
    }
};

// Lets every exchange of the shared queue end and every posted event run.
void drain()
{
    RunLoop::main().runUntil([] { return pf::URLConnection::sharedQueue().operationCount() == 0; }, Seconds(60));
    RunLoop::main().runUntilIdle();
}

pf::HttpRequest fastRequest(const std::string& url)
{
    return pf::HttpRequest(url, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 30s);
}

struct CAFileReset {
    ~CAFileReset() { pf::setExtraCAFile(std::nullopt); }
};

}

TEST(URLConnection, DeliversResponseDataThenFinishOnTheMainLoopInOrder)
{
    zmr::TestServer server;
    Recorder recorder;
    bool onMain = true;
    auto callbacks = recorder.callbacks([&](const std::string&) { onMain = onMain && RunLoop::main().isMainThread(); });
    // Nobody keeps the connection: it keeps itself until it ends.
    pf::URLConnection::start(fastRequest(server.url("/slow?chunks=3&ms=5&size=100")), callbacks);
    EXPECT_TRUE(recorder.events.empty()) << "never synchronous";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return recorder.ended; }, Seconds(60)));
    drain();
    ASSERT_GE(recorder.events.size(), 3u);
    EXPECT_EQ(recorder.events.front(), "response 200");
    EXPECT_EQ(recorder.events.back(), "finished");
    for (std::size_t i = 1; i + 1 < recorder.events.size(); ++i)
        EXPECT_EQ(recorder.events[i], "data");
    EXPECT_EQ(recorder.bytes, 300u);
    EXPECT_TRUE(onMain);
}

TEST(URLConnection, NothingArrivesAfterCancel)
{
    zmr::TestServer server;
    struct Row {
        const char* name;
        const char* cancelAt; // the event whose callback cancels; "" cancels right after start
    };
    for (const Row& row : {Row{"at start", ""}, Row{"in response", "response 200"}, Row{"in data", "data"}}) {
        SCOPED_TRACE(row.name);
        Recorder recorder;
        std::shared_ptr<pf::URLConnection> connection;
        std::size_t seenAtCancel = 0;
        auto callbacks = recorder.callbacks([&](const std::string& event) {
            if (event == row.cancelAt && connection && !connection->isCancelled()) {
                connection->cancel();
                seenAtCancel = recorder.events.size();
            }
        });
        // Many small chunks: several are posted before the cancelling callback runs.
        connection = pf::URLConnection::start(fastRequest(server.url("/slow?chunks=40&ms=1&size=10")), callbacks);
        if (!*row.cancelAt)
            connection->cancel();
        else
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return connection->isCancelled(); }, Seconds(60)));
        drain();
        EXPECT_EQ(recorder.events.size(), seenAtCancel);
        EXPECT_FALSE(recorder.ended);
        EXPECT_FALSE(connection->isLoading());
    }
}

TEST(URLConnection, ErrorCodesOfTheURLDomain)
{
    using E = pf::HttpConnectionError;
    auto connection = [](long long code) { return pf::Error{pf::httpConnectionErrorDomain, code, ""}; };
    struct Row {
        pf::Error error;
        long long code;
    };
    const Row rows[] = {
        {pf::makeHttpConnectionError(E::Cancelled, ""), -999},
        {pf::makeHttpConnectionError(E::TimedOut, ""), -1001},
        {pf::makeHttpConnectionError(E::DeadlineExceeded, ""), -1001},
        // The connection's own set-up failure shares its number with "host not found".
        {pf::makeHttpConnectionError(E::SetupFailed, ""), -1},
        {connection(CURLE_COULDNT_RESOLVE_HOST), -1003},
        {connection(CURLE_NO_CONNECTION_AVAILABLE), -1009},
        {pf::Error{"NSPOSIXErrorDomain", CURLE_COULDNT_CONNECT, ""}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error.domain + " " + std::to_string(row.error.code));
        EXPECT_EQ(pf::urlErrorCode(row.error), row.code);
        EXPECT_EQ(pf::urlError(row.error).domain, pf::urlErrorDomain);
    }
}

TEST(URLConnection, RefusedConnectionFailsAsCannotConnect)
{
    std::string url;
    {
        zmr::TestServer gone;
        url = gone.url("/json");
    }
    Recorder recorder;
    pf::URLConnection::start(fastRequest(url), recorder.callbacks());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return recorder.ended; }, Seconds(60)));
    EXPECT_EQ(recorder.events, std::vector<std::string>{"failed"});
    EXPECT_EQ(pf::urlErrorCode(*recorder.error), -1004);
}

TEST(TrustAnchors, HttpsIsTrustedThroughTheTestCAAloneAndOnlyWithIt)
{
    CAFileReset reset;
    std::string caFile = std::filesystem::temp_directory_path() / ("zmr_ca_" + std::to_string(::getpid()) + ".pem");
    struct Row {
        const char* name;
        std::optional<std::string> caFile; // what the test sets
        long long code;                    // 0: answered
        const char* inDescription;
    };
    const Row rows[] = {
        {"trusted through the test CA", caFile, 0, ""},
        {"no extra anchors", std::string(), -1202, ""},
        {"unreadable CA file", caFile + ".missing", -1200, ".missing"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A server of its own per row, so no open connection is reused.
        zmr::ZZServer server;
        ASSERT_TRUE(server.isRunning());
        ASSERT_TRUE(server.writeCA(caFile));
        pf::setExtraCAFile(row.caFile);
        auto result = pf::HttpConnection::sendSynchronousRequest(fastRequest(server.httpsOrigin() + zmr::ZZServer::reportPath + "?tag=0"));
        if (row.code == 0) {
            ASSERT_TRUE(result.ok()) << result.error().description;
            EXPECT_EQ(result->response.statusCode(), 200);
            ASSERT_EQ(server.received().size(), 1u);
            EXPECT_TRUE(server.received()[0].secure);
        } else {
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(pf::urlErrorCode(result.error()), row.code) << result.error().description;
            EXPECT_NE(result.error().description.find(row.inDescription), std::string::npos) << result.error().description;
        }
    }
    std::remove(caFile.c_str());
}

TEST(RandomBytes, AnswersTheCountAskedAndDiffersBetweenCalls)
{
    auto a = pf::randomBytes(32);
    ASSERT_TRUE(a && a->size() == 32u);
    EXPECT_NE(*a, *pf::randomBytes(32));
}
