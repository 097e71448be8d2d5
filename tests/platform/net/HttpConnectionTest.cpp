#include "platform/net/HttpConnection.h"

#include "tools/testserver/FaultServer.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool waitUntil(const std::function<bool()>& condition)
{
    for (auto deadline = Clock::now() + 60s; Clock::now() < deadline; std::this_thread::yield())
        if (condition())
            return true;
    return condition();
}

std::string text(const pf::Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}

TEST(HttpConnectionSend, AnswersComeAsSentDecodedButRedirectsAreNotFollowed)
{
    zmr::TestServer server;
    ASSERT_TRUE(server.isRunning());
    auto send = [&](const std::string& path, const char* encoding = nullptr) {
        pf::HttpRequest request(server.url(path));
        if (encoding)
            request.setValue(encoding, "Accept-Encoding");
        auto result = pf::HttpConnection::sendSynchronousRequest(request);
        EXPECT_TRUE(result.ok()) << path << ": " << (result.ok() ? "" : result.error().description);
        return result;
    };
    auto json = send("/json");
    EXPECT_EQ(json->response.statusCode(), 200);
    EXPECT_EQ(text(json->body), R"({"error-code":0,"value":"ok"})");
    EXPECT_EQ(json->response.valueForHTTPHeaderField("content-TYPE"), "application/json");
    EXPECT_EQ(json->response.expectedContentLength(), 29u);

    auto gzip = send("/gzip", "gzip, deflate");
    EXPECT_EQ(gzip->response.valueForHTTPHeaderField("Content-Encoding"), "gzip");
    EXPECT_EQ(text(gzip->body).substr(0, 16), "compressed text ");
    EXPECT_EQ(gzip->body.size(), 200u * 16u);

    auto redirect = send("/redirect?to=/elsewhere");
    EXPECT_EQ(redirect->response.statusCode(), 302);
    EXPECT_EQ(redirect->response.valueForHTTPHeaderField("Location"), "/elsewhere");
    EXPECT_EQ(server.count("/elsewhere"), 0u);

    auto status = send("/status?code=503"); // an error status is still an answer
    EXPECT_EQ(status->response.statusCode(), 503);
    EXPECT_NE(text(status->body).find("<html>"), std::string::npos);

    auto truncated = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.url("/truncated?length=1000&send=999")));
    ASSERT_FALSE(truncated.ok());
    EXPECT_EQ(truncated.error().domain, pf::httpConnectionErrorDomain);
    EXPECT_FALSE(pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest("ftp://127.0.0.1/x")).ok());
}

TEST(HttpConnectionSend, CappedBodiesStopAtTheCapButKeepTheStatus)
{
    zmr::TestServer server;
    ASSERT_TRUE(server.isRunning());
    struct Row {
        const char* path;
        std::size_t cap;
        bool tooLarge;
        std::size_t size;
    } rows[] = {
        {"/json", 29, false, 29},
        {"/json", 28, true, 0},
        {"/json", 0, true, 0},
        {"/gzip", 3200, false, 3200}, // the cap counts decoded bytes
        {"/gzip", 3199, true, 0},
        {"/status?code=503", 1, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " cap " + std::to_string(row.cap));
        pf::HttpRequest request(server.url(row.path));
        request.setValue("gzip", "Accept-Encoding");
        auto result = pf::HttpConnection::sendSynchronousRequest(request, row.cap);
        ASSERT_TRUE(result.ok()) << result.error().description;
        EXPECT_EQ(result->bodyTooLarge, row.tooLarge);
        EXPECT_EQ(result->body.size(), row.size);
        EXPECT_EQ(result->response.statusCode(), row.path[1] == 's' ? 503 : 200);
    }
    // A transfer that fails below the cap is still a failure.
    EXPECT_FALSE(pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.url("/truncated?length=1000&send=999")), 5000).ok());
}

TEST(HttpConnectionSend, PostsBodyMethodAndFieldsAsGivenAndReportsUploadProgress)
{
    zmr::TestServer server;
    pf::HttpRequest request(server.url("/json"));
    request.setHttpMethod("POST");
    request.setValue("text/plain", "Content-Type");
    request.setValue("one", "X-Zmr");
    request.addValue("two", "x-zmr");
    // Over a mebibyte: the transfer library would first ask the server
    // whether to send it ("Expect: 100-continue") and wait for the answer.
    constexpr std::int64_t size = 2 * 1024 * 1024;
    request.setHttpBody(pf::Bytes(size, 'x'));
    pf::HttpConnection connection(request);
    std::int64_t sum = 0, total = 0, expected = 0;
    pf::HttpConnectionCallbacks callbacks;
    callbacks.bodySent = [&](std::int64_t written, std::int64_t soFar, std::int64_t all) {
        sum += written;
        total = soFar;
        expected = all;
    };
    ASSERT_FALSE(connection.run(callbacks).has_value());
    EXPECT_EQ(sum, size);
    EXPECT_EQ(total, size);
    EXPECT_EQ(expected, size);
    auto seen = server.received("/json");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].body, std::string(size, 'x'));
    EXPECT_EQ(seen[0].header("Content-Type"), "text/plain");
    EXPECT_EQ(seen[0].header("X-Zmr"), "one, two");
    EXPECT_FALSE(seen[0].header("Expect").has_value());
}

TEST(HttpConnectionSend, ReusesTheThreadsConnection)
{
    zmr::TestServer server(zmr::TestServer::KeepAlive::On);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.url("/json"))).ok());
    auto seen = server.received("/json");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].remotePort, seen[2].remotePort);
}

TEST(HttpConnectionSend, EachExchangeOnTheThreadsHandleSendsOnlyItsOwnOptions)
{
    // The thread's transfer handle keeps its fixed options between exchanges
    // of one kind; nothing of one exchange may reach the next.
    zmr::TestServer server(zmr::TestServer::KeepAlive::On);
    struct Row {
        const char* method;
        std::optional<std::string> body;
        bool gzip;
        std::optional<std::string> probe = std::nullopt; // an "X-Probe" field
        double timeout = 0;
    } rows[] = {
        {"POST", "a=1", true},  {"POST", "b=22", true, "1"}, {"POST", "b=3", true, "1", 5}, {"POST", "b=4", true, "22"},
        {"POST", "b=5", true, "4", 7}, {"POST", "b=6", true}, {"GET", std::nullopt, false, "3"}, {"HEAD", std::nullopt, false},
        {"PUT", "c", false},    {"POST", "", false},    {"GET", std::nullopt, true},  {"GET", std::nullopt, false},
        {"DELETE", std::nullopt, false}, {"POST", "d=4", true}, {"PUT", "e", false}, {"POST", "f", false},
    };
    std::size_t sent = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.method) + " " + row.body.value_or("(none)") + (row.gzip ? " gzip" : "")
                     + " probe " + row.probe.value_or("(none)"));
        pf::HttpRequest request(server.url("/json"));
        request.setHttpMethod(row.method);
        if (row.body)
            request.setHttpBody(pf::Bytes(row.body->begin(), row.body->end()));
        if (row.gzip)
            request.setValue("gzip", "Accept-Encoding");
        if (row.probe)
            request.setValue(*row.probe, "X-Probe");
        if (row.timeout > 0)
            request.setTimeoutInterval(std::chrono::duration<double>(row.timeout));
        auto result = pf::HttpConnection::sendSynchronousRequest(request);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.value().response.statusCode(), 200);
        auto seen = server.received("/json");
        ASSERT_EQ(seen.size(), ++sent);
        EXPECT_EQ(seen.back().method, row.method);
        EXPECT_EQ(seen.back().body, row.body.value_or(""));
        EXPECT_EQ(seen.back().header("Accept-Encoding").has_value(), row.gzip);
        EXPECT_EQ(seen.back().header("X-Probe"), row.probe);
        EXPECT_FALSE(seen.back().header("Expect").has_value());
    }
}

TEST(HttpConnectionSend, SaysWhetherTheRequestWentOutBeforeTheAnswerWasLost)
{
    using Fault = zmr::FaultServer::Fault;
    struct Row {
        const char* name;
        Fault fault;
        std::size_t bodySize;
        bool ok;
        bool written;
        bool resultUnknown; // written, then the answer lost
    } rows[] = {
        {"answered", Fault::None, 16, true, true, false},
        {"closed unanswered", Fault::CloseAfterRequest, 16, false, true, true},
        {"reset after reading", Fault::ResetAfterRequest, 16, false, true, true},
        {"answer cut", Fault::CutAnswer, 16, false, true, true},
        {"never answered", Fault::Silent, 16, false, true, true},
        // The server resets while the body is still being written.
        {"reset unread", Fault::ResetUnread, 4 * 1024 * 1024, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        zmr::FaultServer server(row.fault);
        server.setReply(200, R"({"error-code":0,"value":"the whole answer"})");
        pf::HttpRequest request(server.url("/save"), pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 0.5s);
        request.setHttpMethod("POST");
        request.setHttpBody(pf::Bytes(row.bodySize, 'x'));
        pf::HttpConnection connection(request);
        auto error = connection.run({});
        EXPECT_EQ(!error, row.ok) << (error ? error->description : "");
        EXPECT_EQ(connection.isRequestWritten(), row.written);
        EXPECT_EQ(error && connection.isRequestWritten() && pf::isAnswerLost(*error), row.resultUnknown);
    }

    // Nothing listens: the request never went out.
    std::string closedUrl;
    {
        zmr::FaultServer gone;
        closedUrl = gone.url("/save");
    }
    pf::HttpRequest request(closedUrl);
    request.setHttpMethod("POST");
    request.setHttpBody(pf::Bytes(16, 'x'));
    pf::HttpConnection refused(request);
    auto error = refused.run({});
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(refused.isRequestWritten());
    EXPECT_FALSE(pf::isAnswerLost(*error));
}

TEST(HttpConnectionSend, WritesNeverGoOutOnAReusedConnection)
{
    // The server answers the first request of a connection and drops any
    // later one unanswered, as a keep-alive connection closing at the wrong
    // moment does.
    zmr::FaultServer server(zmr::FaultServer::Fault::DropReused);
    auto send = [&](const std::string& path, const char* method) {
        pf::HttpRequest request(server.url(path));
        request.setHttpMethod(method);
        if (std::string(method) == "POST")
            request.setHttpBody(pf::Bytes(16, 'x'));
        return pf::HttpConnection::sendSynchronousRequest(request).ok();
    };
    EXPECT_TRUE(send("/read", "GET"));
    EXPECT_TRUE(send("/write", "POST"));
    EXPECT_TRUE(send("/write", "POST"));
    EXPECT_EQ(server.count("/write"), 2u);
    // A read still uses the open connection, and is sent again when it drops.
    EXPECT_TRUE(send("/again", "GET"));
    EXPECT_EQ(server.count("/again"), 2u);
}

TEST(HttpConnectionTimeout, ZeroOrNegativeMeansTheDefault)
{
    struct Row {
        double given;
        double effective;
    } rows[] = {{0, 60}, {-1, 60}, {0.25, 0.25}, {90, 90}};
    for (auto row : rows) {
        pf::HttpRequest request("http://127.0.0.1/", pf::URLRequestCachePolicy::UseProtocolCachePolicy,
                                std::chrono::duration<double>(row.given));
        EXPECT_EQ(request.effectiveTimeoutInterval().count(), row.effective) << row.given;
    }
}

TEST(HttpConnectionTimeout, IdleServerFailsAfterTheRequestTimeout)
{
    zmr::TestServer server;
    pf::HttpRequest request(server.url("/stall-body"), pf::URLRequestCachePolicy::UseProtocolCachePolicy, 0.4s);
    pf::HttpConnection connection(request);
    std::size_t received = 0;
    pf::HttpConnectionCallbacks callbacks;
    callbacks.data = [&](const std::uint8_t*, std::size_t length) { received += length; };
    auto start = Clock::now();
    auto error = connection.run(callbacks);
    auto took = Clock::now() - start;
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, static_cast<long long>(pf::HttpConnectionError::TimedOut));
    EXPECT_EQ(received, 10u);
    EXPECT_GE(took, 350ms);
}

TEST(HttpConnectionTimeout, DeadlineBoundsASteadyButSlowAnswer)
{
    zmr::TestServer server;
    pf::HttpConnection connection(pf::HttpRequest(server.url("/slow?chunks=20&ms=100&size=10")));
    auto start = Clock::now();
    auto error = connection.run({}, start + 500ms);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, static_cast<long long>(pf::HttpConnectionError::DeadlineExceeded));
}

TEST(HttpConnectionCancel, WakesAStalledExchangeAtOnce)
{
    zmr::TestServer server;
    pf::HttpConnection connection(pf::HttpRequest(server.url("/stall")));
    std::optional<pf::Error> error;
    std::thread worker([&] { error = connection.run({}); });
    // The server stalls for good: the join below returns only if cancel wakes the exchange.
    ASSERT_TRUE(waitUntil([&] { return server.count("/stall") > 0; }));
    connection.cancel();
    worker.join();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, static_cast<long long>(pf::HttpConnectionError::Cancelled));
}

TEST(HttpConnectionCancel, NoCallbackAfterCancelReturnsWhileRacingCompletion)
{
    zmr::TestServer server;
    for (int i = 0; i < 40; ++i) {
        pf::HttpConnection connection(pf::HttpRequest(server.url("/slow?chunks=3&ms=1&size=100")));
        std::atomic<int> calls = 0;
        pf::HttpConnectionCallbacks callbacks;
        callbacks.response = [&](const pf::HttpResponse&) { ++calls; };
        callbacks.data = [&](const std::uint8_t*, std::size_t) {
            ++calls;
            std::this_thread::sleep_for(100us);
        };
        std::optional<pf::Error> error;
        std::thread worker([&] { error = connection.run(callbacks); });
        std::this_thread::sleep_for(std::chrono::microseconds(100 * (i % 20)));
        connection.cancel();
        int atCancel = calls.load();
        worker.join();
        EXPECT_EQ(calls.load(), atCancel) << "iteration " << i;
        if (error) {
            EXPECT_EQ(error->code, static_cast<long long>(pf::HttpConnectionError::Cancelled));
        }
    }
}

TEST(HttpLocation, ResolvesRelativeAndAllowsOnlyHttp)
{
    struct Row {
        const char* location;
        std::optional<std::string> expected;
    } rows[] = {
        {"/json", "http://127.0.0.1:8080/json"},
        {"next", "http://127.0.0.1:8080/a/next"},
        {"https://example.org/x", "https://example.org/x"},
        {"//other:81/y", "http://other:81/y"},
        {"ftp://example.org/file", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pf::resolveHttpLocation("http://127.0.0.1:8080/a/b", row.location), row.expected) << row.location;
}

TEST(HttpResponseLength, ReadsOnlyPlainNonNegativeNumbers)
{
    struct Row {
        const char* field;
        std::optional<std::uint64_t> expected;
    } rows[] = {{"1000", 1000}, {"5000000000", 5000000000ull}, {"-5", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt}};
    for (const auto& row : rows) {
        pf::HttpResponse response("u", 200, {{"content-length", row.field}});
        EXPECT_EQ(response.expectedContentLength(), row.expected) << row.field;
    }
    EXPECT_EQ(pf::HttpResponse("u", 200, {}).expectedContentLength(), std::nullopt);
}
