// 1,000 sequential small API round trips through the bus (KRAPIService over
// KRHttpService) to the loopback server, against 1,000 round trips of the same
// POST on one bare libcurl handle, each on a connection of its own as the
// application's writes are, with the answer parsed whole as the application
// does; and how long a cancelled, stalled exchange keeps its queue thread.

#include "framework/core/KRAPIService.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRShell.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpConnection.h"
#include "platform/net/OperationQueue.h"
#include "tools/testserver/TestServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <rapidjson/document.h>

#include <chrono>
#include <string>

namespace {

constexpr int kRoundTrips = 1000;

zmr::TestServer& server()
{
    static zmr::TestServer instance(zmr::TestServer::KeepAlive::On);
    return instance;
}

int g_answers = 0;

// Owns the answers, as an application service would.
class AnswerSink : public KRService {
public:
    bool handle(const pf::Protocol*, const pf::ObjectRef& task, int) override
    {
        auto response = std::dynamic_pointer_cast<KRAPIResponseTask>(task);
        if (!response || response->error())
            std::abort(); // the benchmark measures successful round trips only
        ++g_answers;
        return true;
    }
};

std::shared_ptr<KRShell> makeShell()
{
    auto services = pf::Array::create({
        pf::Dictionary::create({{"class", "BenchAnswerSink"}, {"taskTypes", pf::Array::create({"IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "KRAPIService"},
                                {"taskTypes", pf::Array::create({"IKRAPIRequestTask", "IKRAPICancelTask"})},
                                {"url", server().url("/json")},
                                {"timeout", 10}}),
        pf::Dictionary::create({{"class", "KRHttpService"}, {"taskTypes", pf::Array::create({"IKRHttpAPITask"})}}),
    });
    return KRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
}

void BM_KRAPI_RoundTrip1k(benchmark::State& state)
{
    auto shell = makeShell();
    auto appTask = std::make_shared<KRTask>();
    for (auto _ : state) {
        for (int i = 0; i < kRoundTrips; ++i) {
            auto request = std::make_shared<KRAPIRequestTask>();
            request->setTask(appTask);
            request->setTaskType(proto::IKRTask());
            request->setApiKey("url");
            auto body = std::make_shared<KRHttpFormBody>();
            body->addItemValue("config_zmr", "config");
            body->addItemValue("ZMRLoginTask", "taskType");
            request->setBody(body);
            int before = g_answers;
            shell->handle(proto::IKRAPIRequestTask(), request, 0);
            if (!pf::RunLoop::main().runUntil([&] { return g_answers > before; }, pf::Seconds(10)))
                state.SkipWithError("no answer");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRoundTrips);
}

size_t collect(char* data, size_t size, size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void BM_RawCurl_RoundTrip1k(benchmark::State& state)
{
    CURL* easy = curl_easy_init();
    std::string url = server().url("/json") + "?"; // the application's target: an empty query keeps its "?"
    std::string body = "&config=config_zmr&taskType=ZMRLoginTask";
    std::string answer;
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    bool ok = easy && headers && curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str()) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate") == CURLE_OK
              // A write goes on a connection of its own, as the application's do.
              && curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect) == CURLE_OK
              && curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer) == CURLE_OK;
    if (!ok)
        state.SkipWithError("curl set-up failed");
    for (auto _ : state) {
        for (int i = 0; ok && i < kRoundTrips; ++i) {
            answer.clear();
            rapidjson::Document parsed;
            if (curl_easy_perform(easy) != CURLE_OK || parsed.Parse(answer.data(), answer.size()).HasParseError()
                || !parsed.IsObject()) {
                state.SkipWithError("curl failed");
                ok = false;
            }
        }
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    state.SetItemsProcessed(state.iterations() * kRoundTrips);
}

struct Done : IKRHttpTaskDelegate {
    int ended = 0;
    void krHttpTaskDidLoaded(KRHttpTask&) override { ++ended; }
    void krHttpTaskDidFailError(KRHttpTask&, const pf::Error&) override { ++ended; }
};

// The HTTP service alone: queue thread and main-queue delivery.
void BM_HttpService_RoundTrip1k(benchmark::State& state)
{
    auto service = std::make_shared<KRHttpService>();
    service->setConfig(pf::Dictionary::create());
    auto done = std::make_shared<Done>();
    for (auto _ : state) {
        for (int i = 0; i < kRoundTrips; ++i) {
            auto task = std::make_shared<KRHttpTask>();
            task->setRequest(pf::HttpRequest(server().url("/json")));
            task->setResponseType(KRHttpResponseType::JSON);
            task->setDelegate(done);
            int before = done->ended;
            service->handle(proto::IKRHttpAPITask(), task, 0);
            pf::RunLoop::main().runUntil([&] { return done->ended > before; }, pf::Seconds(10));
        }
    }
    state.SetItemsProcessed(state.iterations() * kRoundTrips);
}

// The client layer alone, on the calling thread.
void BM_HttpConnection_RoundTrip1k(benchmark::State& state)
{
    pf::HttpRequest request(server().url("/json"));
    request.setHttpMethod("POST");
    request.setValue("application/x-www-form-urlencoded", "Content-Type");
    request.setValue("gzip, deflate", "Accept-Encoding");
    std::string body = "&config=config_zmr&taskType=ZMRLoginTask";
    request.setHttpBody(pf::Bytes(body.begin(), body.end()));
    for (auto _ : state) {
        for (int i = 0; i < kRoundTrips; ++i) {
            if (!pf::HttpConnection::sendSynchronousRequest(request).ok())
                state.SkipWithError("failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRoundTrips);
}

// From the bus's cancel until the queue thread is free again.
void BM_HttpCancelToQuiet(benchmark::State& state)
{
    auto service = std::make_shared<KRHttpService>();
    service->setConfig(pf::Dictionary::create());
    for (auto _ : state) {
        auto task = std::make_shared<KRHttpTask>();
        task->setRequest(pf::HttpRequest(server().url("/stall")));
        task->setResponseType(KRHttpResponseType::Text);
        service->handle(proto::IKRHttpAPITask(), task, 0);
        std::size_t stalled = server().count("/stall") + 1;
        pf::RunLoop::main().runUntil([&] { return server().count("/stall") >= stalled; }, pf::Seconds(5));
        auto start = std::chrono::steady_clock::now();
        service->cancelHandle(proto::IKRHttpAPITask(), task);
        while (service->operationQueue()->operationCount() > 0)
            std::this_thread::yield();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        pf::RunLoop::main().runUntilIdle();
    }
}

}

// Wall time on both sides: the application's side spends part of it on a
// queue thread, which the main thread's processor time leaves out.
BENCHMARK(BM_KRAPI_RoundTrip1k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawCurl_RoundTrip1k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpService_RoundTrip1k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HttpConnection_RoundTrip1k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HttpCancelToQuiet)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    registerHttpClasses();
    pf::ClassBuilder<AnswerSink>("BenchAnswerSink").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::setLogLevel(pf::LogLevel::Error);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
