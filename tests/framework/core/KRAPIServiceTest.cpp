#include "HttpTestSupport.h"

#include "framework/core/KRAPIService.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRShell.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Log.h"
#include "tools/testserver/FaultServer.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

namespace {

// What the bus handed to the application side, in order.
struct BusLog {
    std::vector<std::string> events;
    std::vector<std::shared_ptr<KRAPIResponseTask>> responses;
    std::function<void(const std::shared_ptr<KRAPIResponseTask>&)> onResponse;
    std::function<void()> afterHttpLoaded;
    std::string scriptedBody = R"({"value":"ok"})";
    int scriptedStatus = 200;
};
BusLog* g_bus = nullptr;

// Stands in for the envelope service and the application service: adds a
// form item to every request about to be built and owns the answers.
class AppSide : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int) override
    {
        if (taskType == proto::IKRAPIWillRequestTask()) {
            auto request = std::dynamic_pointer_cast<KRAPIRequestTask>(task);
            g_bus->events.push_back("willRequest");
            if (request->body())
                request->body()->setItemValue("1", "added");
            return false;
        }
        auto response = std::dynamic_pointer_cast<KRAPIResponseTask>(task);
        if (!response)
            return false; // listed for a task type it does not serve
        g_bus->events.push_back(response->error() ? "error " + response->error()->domain + " " +
                                                        std::to_string(response->error()->code)
                                                  : "results");
        g_bus->responses.push_back(response);
        if (g_bus->onResponse)
            g_bus->onResponse(response);
        return true;
    }
};

// An HTTP service that answers on the next main-queue turn without a network,
// so that tests can act between the HTTP success and the API delivery.
class ScriptedHttpService : public KRService {
public:
    bool handle(const pf::Protocol*, const pf::ObjectRef& task, int) override
    {
        auto http = std::dynamic_pointer_cast<KRHttpTask>(task);
        pf::dispatchMain([http] {
            auto request = http->doWillRequeset();
            if (!request)
                return;
            http->doBackgroundResponse(pf::HttpResponse(request->url(), g_bus->scriptedStatus, {}));
            const std::string& body = g_bus->scriptedBody;
            http->doBackgroundReceiveData(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
            http->doBackgroundLoaded();
            http->doLoaded();
            if (g_bus->afterHttpLoaded)
                g_bus->afterHttpLoaded();
        });
        return true;
    }
};

class KRAPIServiceBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerHttpClasses();
        static bool registered = false;
        if (!registered) {
            registered = true;
            pf::ClassBuilder<AppSide>("TestAPIAppSide").superclass<KRService>().adopts(proto::IKRService()).commit();
            pf::ClassBuilder<ScriptedHttpService>("TestScriptedHttpService").superclass<KRService>().adopts(proto::IKRService()).commit();
        }
        g_bus = &bus;
    }
    void TearDown() override { g_bus = nullptr; }

    std::shared_ptr<KRShell> makeShell(const char* httpClass, pf::DictionaryRef apiConfig)
    {
        apiConfig->set("class", "KRAPIService");
        apiConfig->set("taskTypes", pf::Array::create({"IKRAPIRequestTask", "IKRAPICancelTask"}));
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "TestAPIAppSide"},
                                    {"taskTypes", pf::Array::create({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            apiConfig,
            pf::Dictionary::create({{"class", httpClass}, {"taskTypes", pf::Array::create({"IKRHttpAPITask"})},
                                    {"maxThreadCount", 2}}),
        });
        return KRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
    }

    std::shared_ptr<KRAPIRequestTask> makeRequest(const std::string& apiKey, bool withBody)
    {
        auto request = std::make_shared<KRAPIRequestTask>();
        auto appTask = std::make_shared<KRTask>();
        request->setTask(appTask);
        request->setTaskType(proto::IKRTask());
        request->setUserInfo("info");
        request->setApiKey(apiKey);
        request->setSource(source);
        if (withBody) {
            auto body = std::make_shared<KRHttpFormBody>();
            body->addItemValue("config_zmr", "config");
            request->setBody(body);
        }
        return request;
    }

    std::shared_ptr<KRAPIService> apiService(const std::shared_ptr<KRShell>& shell)
    {
        return std::dynamic_pointer_cast<KRAPIService>(shell->serviceContainers()[1]->instance());
    }

    BusLog bus;
    pf::ObjectRef source = std::make_shared<KRTask>();
};

}

// Secrets reach the server but never the log.
TEST_F(KRAPIServiceBus, PostRoundTripCarriesTheRequestAndItsAnswerLater)
{
    zmr::TestServer server;
    auto shell = makeShell("KRHttpService", pf::Dictionary::create({{"url", server.url("/json")}, {"timeout", 5}}));
    auto request = makeRequest("url", true);
    request->body()->addItemValue("PASSWORD1", "auth-password");
    request->body()->addItemValue("TOKEN2", "zmr-etoken");
    request->setQueryValues(pf::Value(pf::Dictionary::create({{"q", "a b"}, {"auth-token", "TOKEN3"}})));
    pf::setLogLevel(pf::LogLevel::Debug);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(shell->handle(proto::IKRAPIRequestTask(), request, 0));
    EXPECT_TRUE(bus.events.empty()); // never answered inside handle
    bool answered = runMainUntil([&] { return !bus.responses.empty(); });
    std::string logged = testing::internal::GetCapturedStderr();
    pf::setLogLevel(pf::LogLevel::Info);
    ASSERT_TRUE(answered);
    EXPECT_EQ(bus.events, (std::vector<std::string>{"willRequest", "results"}));
    EXPECT_NE(logged.find("auth-password"), std::string::npos);
    for (const char* secret : {"PASSWORD1", "TOKEN2", "TOKEN3"})
        EXPECT_EQ(logged.find(secret), std::string::npos) << secret;

    auto response = bus.responses[0];
    EXPECT_EQ(response->resultsData().dictionary()->get("value").stringOr(), "ok");
    EXPECT_EQ(response->task(), request->task());
    EXPECT_EQ(response->taskType(), proto::IKRTask());
    EXPECT_EQ(response->userInfo().stringOr(), "info");
    EXPECT_EQ(response->source(), source);
    EXPECT_EQ(response->url(), server.url("/json?q=a+b&auth-token=TOKEN3"));

    auto sent = server.received("/json");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].body, "&config=config_zmr&auth-password=PASSWORD1&zmr-etoken=TOKEN2&added=1");
    EXPECT_EQ(sent[0].query, "q=a+b&auth-token=TOKEN3");
    EXPECT_EQ(sent[0].header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(sent[0].header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(apiService(shell)->httpTaskCount(), 0u);
    EXPECT_EQ(apiService(shell)->pendingResponseCount(), 0u);
}

TEST_F(KRAPIServiceBus, UrlComesFromApiUrlOrTheKeyPathAndWithoutBodyIsAGet)
{
    zmr::TestServer server;
    auto config = pf::Dictionary::create({{"url", server.url("/json")},
                                          {"api", pf::Dictionary::create({{"list", server.url("/array")}})}});
    auto shell = makeShell("KRHttpService", config);
    struct Row {
        std::string apiKey;
        std::optional<std::string> apiUrl;
        std::string path;
        pf::Value query; // query values of the request
        std::string sentQuery;
    } rows[] = {
        {"url", std::nullopt, "/json", {}, ""},
        {"api.list", std::nullopt, "/array", {}, ""},
        {"url", server.url("/array"), "/array", {}, ""},
        // The same address again, then with query values and without them.
        {"url", std::nullopt, "/json", {}, ""},
        {"url", std::nullopt, "/json", pf::Dictionary::create({{"page", 2}}), "page=2"},
        {"url", std::nullopt, "/json", {}, ""},
        {"api.list", std::nullopt, "/array", {}, ""},
    };
    for (const auto& row : rows) {
        bus.responses.clear();
        auto request = makeRequest(row.apiKey, false);
        request->setApiUrl(row.apiUrl);
        request->setQueryValues(row.query);
        shell->handle(proto::IKRAPIRequestTask(), request, 0);
        ASSERT_TRUE(runMainUntil([&] { return !bus.responses.empty(); }));
        EXPECT_FALSE(bus.responses[0]->error().has_value()) << row.apiKey;
        auto sent = server.received(row.path);
        ASSERT_FALSE(sent.empty()) << row.apiKey;
        EXPECT_EQ(sent.back().method, "GET");
        EXPECT_EQ(sent.back().query, row.sentQuery) << row.apiKey;
    }
}

TEST_F(KRAPIServiceBus, EveryUnusableAnswerIsAResponseWithAnError)
{
    zmr::TestServer server;
    // The lenient decoder reads this as {"timestamp":1}: no "error-code".
    server.script("/cut", zmr::TestServer::Reply::with(200, "application/json", R"({"timestamp":1,"error-co)"));
    zmr::FaultServer dropping(zmr::FaultServer::Fault::CloseAfterRequest);
    zmr::FaultServer gateway;
    gateway.setReply(502, "<html><body><h1>502 Bad Gateway</h1></body></html>");
    std::string refusedUrl;
    {
        zmr::FaultServer gone;
        refusedUrl = gone.url("/gone");
    }
    auto config = pf::Dictionary::create({{"status", server.url("/status?code=500")}, {"text", server.url("/text")},
                                          {"stall", server.url("/stall")}, {"cut", server.url("/cut")},
                                          {"dropped", dropping.url("/save")}, {"refused", refusedUrl},
                                          {"gateway", gateway.url("/save")},
                                          {"timeout", 0.3}});
    auto shell = makeShell("KRHttpService", config);
    struct Row {
        std::string apiKey;
        std::string outcome;
        bool resultUnknown = false; // the server had the whole request
    } rows[] = {
        // The server read the request before its fault or its gateway spoke.
        {"status", "error KRAPIService 500", true},
        {"text", "error KRAPIService -2", true},
        {"gateway", "error KRAPIService 502", true},
        {"missing", "error KRAPIService -1"},
        {"stall", "error HttpConnection -1001", true}, // the request time-out from "timeout"
        {"cut", "error KRAPIService -4", true},
        {"dropped", "error HttpConnection 52", true}, // closed without a word
        {"refused", "error HttpConnection 7"},
    };
    for (const auto& row : rows) {
        bus.events.clear();
        bus.responses.clear();
        shell->handle(proto::IKRAPIRequestTask(), makeRequest(row.apiKey, true), 0);
        ASSERT_TRUE(runMainUntil([&] { return !bus.responses.empty(); })) << row.apiKey;
        EXPECT_EQ(bus.events.back(), row.outcome) << row.apiKey;
        EXPECT_TRUE(bus.responses[0]->resultsData().isNil());
        EXPECT_EQ(bus.responses[0]->isResultUnknown(), row.resultUnknown) << row.apiKey;
    }
    EXPECT_EQ(apiService(shell)->httpTaskCount(), 0u);
}

// A failure is delivered at once, so a cancel right after it changes nothing;
// a success waits a turn, and a cancel in between drops it.
TEST_F(KRAPIServiceBus, CancelBetweenSuccessAndDeliveryDropsTheAnswer)
{
    auto shell = makeShell("TestScriptedHttpService", pf::Dictionary::create({{"url", "http://127.0.0.1:9/x"}}));
    struct Row {
        std::string form;
        int status;
        const char* delivered;
    } rows[] = {{"none", 200, "results"},         {"request", 200, nullptr}, {"cancelTask", 200, nullptr},
                {"source", 200, nullptr},         {"otherSource", 200, "results"},
                {"request", 503, "error KRAPIService 503"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form + " " + std::to_string(row.status));
        bus.events.clear();
        bus.scriptedStatus = row.status;
        auto request = makeRequest("url", false);
        bus.afterHttpLoaded = [&] {
            EXPECT_EQ(apiService(shell)->pendingResponseCount(), row.status == 200 ? 1u : 0u);
            if (row.form == "request") {
                bool cancelled = shell->cancelHandle(proto::IKRAPIRequestTask(), request);
                EXPECT_TRUE(cancelled || row.status != 200);
            } else if (row.form == "cancelTask") {
                auto cancel = std::make_shared<KRAPITask>();
                cancel->setTask(request->task());
                cancel->setTaskType(request->taskType());
                EXPECT_TRUE(shell->cancelHandle(proto::IKRAPICancelTask(), cancel));
            } else if (row.form == "source") {
                EXPECT_FALSE(apiService(shell)->cancelHandleForSource(source.get()));
            } else if (row.form == "otherSource") {
                auto other = std::make_shared<KRTask>();
                apiService(shell)->cancelHandleForSource(other.get());
            }
        };
        shell->handle(proto::IKRAPIRequestTask(), request, 0);
        runMainFor(0.05);
        std::vector<std::string> expected{"willRequest"};
        if (row.delivered)
            expected.push_back(row.delivered);
        EXPECT_EQ(bus.events, expected);
        EXPECT_EQ(apiService(shell)->pendingResponseCount(), 0u);
    }
}

TEST_F(KRAPIServiceBus, WithoutAnHttpServiceTheRequesterStillGetsAnErrorLater)
{
    auto shell = makeShell("TestAPIAppSide", pf::Dictionary::create({{"url", "http://127.0.0.1:9/x"}}));
    shell->handle(proto::IKRAPIRequestTask(), makeRequest("url", false), 0);
    EXPECT_TRUE(bus.events.empty());
    ASSERT_TRUE(runMainUntil([&] { return !bus.responses.empty(); }));
    EXPECT_EQ(bus.events, (std::vector<std::string>{"error KRAPIService -3"}));
    EXPECT_EQ(apiService(shell)->httpTaskCount(), 0u);
}

TEST_F(KRAPIServiceBus, CancellingAnExchangeInFlightAnswersNothing)
{
    zmr::TestServer server;
    auto shell = makeShell("KRHttpService", pf::Dictionary::create({{"url", server.url("/stall")}}));
    auto request = makeRequest("url", false);
    shell->handle(proto::IKRAPIRequestTask(), request, 0);
    ASSERT_TRUE(runMainUntil([&] { return server.count("/stall") == 1; }));
    EXPECT_TRUE(shell->cancelHandle(proto::IKRAPIRequestTask(), request));
    runMainFor(0.1);
    EXPECT_EQ(bus.events, (std::vector<std::string>{"willRequest"}));
    EXPECT_EQ(apiService(shell)->httpTaskCount(), 0u);
}
