#include "HttpTestSupport.h"

#include "platform/net/OperationQueue.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <chrono>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

pf::DictionaryRef settings(std::initializer_list<pf::Dictionary::Entry> entries)
{
    return pf::Dictionary::create(entries);
}

// Waits, with a generous deadline, until no exchange is left on the service's queue.
bool drained(KRHttpService& service)
{
    for (auto end = Clock::now() + 10s; service.operationQueue()->operationCount() > 0 && Clock::now() < end;)
        std::this_thread::sleep_for(1ms);
    return service.operationQueue()->operationCount() == 0;
}

}

TEST(KRHttpServiceQueue, WidthComesFromMaxThreadCountAndIsAtLeastOne)
{
    zmr::TestServer server;
    struct Row {
        pf::Value maxThreadCount;
        bool overlaps;
    } rows[] = {{pf::Value(), false}, {0, false}, {-2, false}, {3, true}};
    for (const auto& row : rows) {
        auto service = makeHttpService(settings({{"maxThreadCount", row.maxThreadCount}}));
        auto first = std::make_shared<HttpRecorder>(), second = std::make_shared<HttpRecorder>();
        auto a = makeHttpTask(server.url("/slow?chunks=3&ms=60&size=4"), KRHttpResponseType::Text, first);
        auto b = makeHttpTask(server.url("/slow?chunks=3&ms=60&size=4"), KRHttpResponseType::Text, second);
        service->handle(proto::IKRHttpAPITask(), a, 0);
        service->handle(proto::IKRHttpAPITask(), b, 0);
        bool overlapped = false;
        ASSERT_TRUE(runMainUntil([&] {
            if (!first->events.empty() && !second->events.empty() && !first->ended() && !second->ended())
                overlapped = true;
            return first->ended() && second->ended();
        }));
        EXPECT_EQ(overlapped, row.overlaps) << row.maxThreadCount.description();
        EXPECT_EQ(first->events, (std::vector<std::string>{"willRequest", "loading", "response", "data", "loaded 200"}));
    }
}

// Preparation runs on a later turn, never inside handle(): what it prepared is
// sent once, a cancel before that turn sends nothing, and one answered during
// preparation ends without an exchange; none leaves work on the queue.
TEST(KRHttpServiceQueue, ARequestIsPreparedOnceOnALaterTurnAndACancelBeforeThatSendsNothing)
{
    zmr::TestServer server;
    TempHome home;
    struct Row {
        std::string url;
        KRHttpResponseType type;
        bool cancelAtOnce;
        std::vector<std::string> events;
        std::size_t sent;
    } rows[] = {
        {server.url("/json"), KRHttpResponseType::JSON, false, {"willRequest", "loading", "response", "data", "loaded 200"}, 1},
        {server.url("/json"), KRHttpResponseType::JSON, true, {}, 0},
        {"file://" + home.file("absent.png"), KRHttpResponseType::ResourceFile, false,
         {"willRequest", "failed KRHttpTask -4 not found file"}, 0},
    };
    for (const auto& row : rows) {
        auto service = makeHttpService();
        auto recorder = std::make_shared<HttpRecorder>();
        auto task = makeHttpTask(row.url, row.type, recorder);
        std::size_t before = server.count("/json");
        ASSERT_TRUE(service->handle(proto::IKRHttpAPITask(), task, 0));
        EXPECT_TRUE(recorder->events.empty()) << row.url;
        if (row.cancelAtOnce)
            service->cancelHandle(proto::IKRHttpAPITask(), task);
        else
            ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); })) << row.url;
        EXPECT_TRUE(drained(*service)) << row.url;
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(recorder->events, row.events) << row.url;
        EXPECT_EQ(server.count("/json") - before, row.sent) << row.url;
    }
}

TEST(KRHttpServiceTimeout, WholeExchangeTimeoutFailsASlowSteadyAnswer)
{
    zmr::TestServer server;
    auto service = makeHttpService(settings({{"timeout", 0.5}}));
    auto recorder = std::make_shared<HttpRecorder>();
    auto task = makeHttpTask(server.url("/slow?chunks=20&ms=100&size=10"), KRHttpResponseType::Text, recorder);
    service->handle(proto::IKRHttpAPITask(), task, 0);
    // The whole answer takes two seconds; only the time-out can fail it.
    ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); }));
    EXPECT_EQ(recorder->last(), "failed KRHttpService -3 http connect timeout");
}

TEST(KRHttpServiceTimeout, WithoutServiceTimeoutTheRequestTimeoutLimitsAnIdleExchange)
{
    zmr::TestServer server;
    auto service = makeHttpService();
    auto recorder = std::make_shared<HttpRecorder>();
    auto task = makeHttpTask(server.url("/stall"), KRHttpResponseType::Text, recorder);
    task->setRequest(pf::HttpRequest(server.url("/stall"), pf::URLRequestCachePolicy::UseProtocolCachePolicy, 0.3s));
    service->handle(proto::IKRHttpAPITask(), task, 0);
    ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); }));
    EXPECT_TRUE(recorder->last().starts_with("failed HttpConnection -1001")) << recorder->last();
}

TEST(KRHttpServiceRedirect, Only302IsFollowedWhenAllowedWithinLimits)
{
    zmr::TestServer server;
    auto service = makeHttpService();
    struct Row {
        std::string path;
        bool allow;
        std::string outcome;
    } rows[] = {
        {"/redirect?to=/json", true, "loaded 200"},
        {"/redirect?to=json", true, "loaded 200"},
        {"/redirect?to=/json", false, "loaded 302"},
        {"/redirect?to=/json&status=301", true, "loaded 301"},
        {"/redirect?to=/json&status=307", true, "loaded 307"},
        {"/loop", true, "failed KRHttpService -4 too many redirects"},
        {"/redirect?to=ftp://127.0.0.1/x", true, "failed KRHttpService -4 redirect to an unsupported location"},
    };
    for (const auto& row : rows) {
        auto recorder = std::make_shared<HttpRecorder>();
        auto task = makeHttpTask(server.url(row.path), KRHttpResponseType::JSON, recorder);
        task->setAllowStatusCode302(row.allow);
        service->handle(proto::IKRHttpAPITask(), task, 0);
        ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); })) << row.path;
        EXPECT_EQ(recorder->last(), row.outcome) << row.path;
    }
    EXPECT_EQ(server.count("/loop"), 11u);
}

TEST(KRHttpServiceCancel, NullTaskCancelsEveryExchangeOfThatTypeOnly)
{
    zmr::TestServer server;
    auto service = makeHttpService(settings({{"maxThreadCount", 4}}));
    std::vector<std::shared_ptr<HttpRecorder>> recorders;
    for (int i = 0; i < 3; ++i) {
        recorders.push_back(std::make_shared<HttpRecorder>());
        auto task = makeHttpTask(server.url(i < 2 ? "/stall" : "/slow?chunks=2&ms=100&size=2"), KRHttpResponseType::Text,
                                 recorders.back());
        service->handle(i < 2 ? proto::IKRHttpAPITask() : proto::IKRHttpUploadTask(), task, 0);
    }
    runMainFor(0.05);
    EXPECT_TRUE(service->cancelHandle(proto::IKRHttpAPITask(), nullptr));
    ASSERT_TRUE(runMainUntil([&] { return recorders[2]->ended(); }));
    EXPECT_EQ(recorders[2]->last(), "loaded 200");
    EXPECT_FALSE(recorders[0]->ended());
    EXPECT_FALSE(recorders[1]->ended());
    EXPECT_TRUE(drained(*service));
}

TEST(KRHttpServiceCancel, AGivenTaskIsWithdrawnUnderAnyTypeItsOwnConformsTo)
{
    zmr::TestServer server;
    using P = const pf::Protocol*;
    for (auto [sentAs, cancelAs, withTask, cancelled] :
         {std::tuple<P, P, bool, bool>{proto::IKRHttpAPITask(), proto::IKRHttpTask(), true, true},
          {proto::IKRHttpAPITask(), proto::IKRHttpTask(), false, false}, {proto::IKRHttpAPITask(), proto::IKRHttpUploadTask(), true, false},
          {proto::IKRHttpTask(), proto::IKRHttpAPITask(), true, false}}) {
        auto service = makeHttpService();
        auto task = makeHttpTask(server.url("/stall"), KRHttpResponseType::Text, std::make_shared<HttpRecorder>());
        task->setAllowWillRequest(true);
        service->handle(sentAs, task, 0);
        service->cancelHandle(cancelAs, withTask ? task : nullptr);
        EXPECT_EQ(cancelled ? drained(*service) : service->operationQueue()->operationCount() == 1, true)
            << sentAs->name() << " as " << cancelAs->name();
        service->cancelHandle(sentAs, task);
    }
}

TEST(KRHttpServiceCancel, CancellingBySourceFreesAStalledExchangesThread)
{
    zmr::TestServer server;
    auto service = makeHttpService();
    auto recorder = std::make_shared<HttpRecorder>();
    auto task = makeHttpTask(server.url("/stall"), KRHttpResponseType::Text, recorder);
    task->setSource(task);
    service->handle(proto::IKRHttpAPITask(), task, 0);
    ASSERT_TRUE(runMainUntil([&] { return !recorder->events.empty() && recorder->last() == "loading"; }));
    EXPECT_FALSE(service->cancelHandleForSource(task.get()));
    EXPECT_TRUE(drained(*service));
    runMainFor(0.05);
    EXPECT_EQ(recorder->last(), "loading");
}

// Round -1 cancels once the exchange has finished and only its events wait on
// the main queue; the others race the cancel against the exchange.
TEST(KRHttpServiceCancel, CancelRacingCompletionEndsAtMostOnceAndNeverAfter)
{
    zmr::TestServer server;
    auto service = makeHttpService(settings({{"maxThreadCount", 2}}));
    for (int i = -1; i < 40; ++i) {
        auto recorder = std::make_shared<HttpRecorder>();
        auto task = makeHttpTask(server.url("/json"), KRHttpResponseType::JSON, recorder);
        task->setAllowWillRequest(i < 0); // prepared now, so the exchange runs without the main loop
        service->handle(proto::IKRHttpAPITask(), task, 0);
        if (i < 0) {
            ASSERT_TRUE(drained(*service));
        } else {
            runMainFor(0.0005 * (i % 10));
        }
        service->cancelHandle(proto::IKRHttpAPITask(), task);
        auto atCancel = recorder->events;
        runMainFor(0.03);
        EXPECT_EQ(recorder->events, atCancel) << i;
        if (i < 0) {
            EXPECT_EQ(recorder->events, (std::vector<std::string>{"willRequest"}));
        }
    }
}

TEST(KRHttpServiceNetworkStatus, IndicatorShowsWhileTheQueueHoldsExchanges)
{
    zmr::TestServer server;
    auto service = makeHttpService(settings({{"allowShowNetworkStatus", true}}));
    auto recorder = std::make_shared<HttpRecorder>();
    auto task = makeHttpTask(server.url("/stall"), KRHttpResponseType::Text, recorder);
    service->handle(proto::IKRHttpAPITask(), task, 0);
    EXPECT_TRUE(runMainUntil([] { return KRHttpService::isNetworkActivityIndicatorVisible(); }, 2));
    service->cancelHandle(proto::IKRHttpAPITask(), task);
    EXPECT_TRUE(runMainUntil([] { return !KRHttpService::isNetworkActivityIndicatorVisible(); }, 2));
}

TEST(KRHttpServiceEvents, UploadReportsProgressThenTheAnswerInOrder)
{
    zmr::TestServer server;
    auto service = makeHttpService();
    struct Row {
        bool wantsProgress;
        std::vector<std::string> events;
    } rows[] = {
        {true, {"willRequest", "loading", "sent", "response", "data", "loaded 200"}},
        {false, {"willRequest", "loading", "loaded 200"}},
    };
    for (const auto& row : rows) {
        auto recorder = std::make_shared<HttpRecorder>();
        recorder->wantsProgress = row.wantsProgress;
        pf::HttpRequest request(server.url("/json"));
        request.setHttpMethod("POST");
        request.setValue("application/octet-stream", "Content-Type");
        request.setHttpBody(pf::Bytes(300 * 1024, 'u'));
        auto task = makeHttpTask(server.url("/json"), KRHttpResponseType::JSON, recorder);
        task->setRequest(request);
        service->handle(proto::IKRHttpUploadTask(), task, 0);
        ASSERT_TRUE(runMainUntil([&] { return recorder->ended(); }));
        EXPECT_EQ(recorder->events, row.events);
        EXPECT_EQ(recorder->sent, row.wantsProgress ? 300 * 1024 : 0);
    }
}
