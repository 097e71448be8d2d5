// The application's main road without screens: 500 sign-in checks sent as
// tasks through the envelope, the account service, the API service and the
// HTTP service to the local application server, against 500 bare libcurl
// POSTs of the same form body to the same server, each followed by the
// same parse and the same rule for writing the user defaults.

#include "BenchCurlPost.h"

#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRHttpFormBody.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <unistd.h>

namespace {

constexpr int kRequests = 500;

struct Outcome : IKRUplinkTaskDelegate {
    int done = 0;
    int failed = 0;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*) override { ++done; }
    void krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error&, const pf::Protocol*) override
    {
        ++done;
        ++failed;
    }
};

// One sign-in check through the bus; false when it failed or got no answer.
bool checkOnce(ZMRShell& shell, const std::shared_ptr<Outcome>& outcome = std::make_shared<Outcome>())
{
    auto task = std::make_shared<ZMRAuthTask>();
    task->setSource(task);
    task->setDelegate(outcome);
    int before = outcome->done, failedBefore = outcome->failed;
    shell.handle(proto::IZMRAuthTask(), task, 0);
    return pf::RunLoop::main().runUntil([&] { return outcome->done > before; }, pf::Seconds(10)) && outcome->failed == failedBefore;
}

struct Road {
    std::string home;
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::shared_ptr<ZMRShell> shell;
    long long uid = 0;
    std::string token;
};

Road& road()
{
    static Road* r = [] {
        auto* made = new Road;
        registerCoreClasses();
        registerServicesClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-road-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        made->home = pattern;
        pf::setHomeDirectory(made->home);
        pf::UserDefaults::resetStandard();

        std::unique_ptr<zmr::AppStore> opened;
        if (auto error = zmr::AppStore::open(":memory:", opened)) {
            std::fprintf(stderr, "%s\n", error->c_str());
            std::abort();
        }
        made->store = std::move(opened);
        zmr::AppUser user;
        made->store->addUser("bench", "bench-pass", "Bencher", user);
        made->uid = user.uid;
        made->token = made->store->issueToken(user.uid).value_or("");
        made->server = std::make_unique<zmr::AppServer>(made->store);
        if (!made->server->start(0))
            std::abort();

        auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRHttpService"}, {"maxThreadCount", 4}, {"timeout", 10}, {"taskTypes", list({"IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRAPIService"}, {"url", made->server->url()}, {"timeout", 10},
                                    {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
            pf::Dictionary::create({{"class", "ZMRAuthService"}, {"taskTypes", list({"IZMRAuthTask", "IKRAPIResponseTask"})}}),
        });
        made->shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
        pf::UserDefaults::standard().setObject(pf::Value(1), "device-did");
        made->shell->setAuth(pf::Value(made->uid), made->token);
        // One check first, so that both benchmarks rewrite the same file:
        // the stored profile, bind tokens and server time included.
        if (!checkOnce(*made->shell))
            std::abort();
        return made;
    }();
    return *r;
}

void BM_SignInCheck500(benchmark::State& state)
{
    Road& r = road();
    auto outcome = std::make_shared<Outcome>();
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i)
            checkOnce(*r.shell, outcome);
    }
    if (outcome->failed)
        state.SkipWithError("a check failed");
    state.SetItemsProcessed(state.iterations() * kRequests);
}
BENCHMARK(BM_SignInCheck500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RawCurl_Post500(benchmark::State& state)
{
    Road& r = road();
    KRHttpFormBody form;
    form.addItemValue("config_zmr", "config");
    form.addItemValue("ZMRLoginTask", "taskType");
    form.addItemValue("1", "device-did");
    form.addItemValue(std::to_string(r.uid), "auth-uid");
    form.addItemValue(r.token, "auth-token");
    pf::Bytes bytes = form.bytesBody();
    // The application's request target: an empty query keeps its "?".
    BenchCurlPost post(r.server->url() + "?", std::string(bytes.begin(), bytes.end()));
    bool ok = post.ok();
    // Every answer renews the stored server time ("timestamp" with the local
    // clock as "timestamp-local"), and the user-defaults file is rewritten
    // only when the time last written would be off by a second or more, as
    // the application does; the answer is parsed whole, as the application's
    // JSON reader does.
    auto& defaults = pf::UserDefaults::standard();
    std::optional<std::pair<double, double>> written;
    for (auto _ : state) {
        for (int i = 0; ok && i < kRequests; ++i) {
            ok = post.perform();
            rapidjson::Document answer;
            answer.Parse(post.answer().data(), post.answer().size());
            ok = ok && !answer.HasParseError() && answer.IsObject();
            auto code = ok ? answer.FindMember("error-code") : rapidjson::Value::MemberIterator();
            auto time = ok ? answer.FindMember("timestamp") : rapidjson::Value::MemberIterator();
            ok = ok && code != answer.MemberEnd() && code->value.IsNumber() && code->value.GetDouble() == 0 &&
                 time != answer.MemberEnd() && time->value.IsNumber();
            if (!ok)
                break;
            double timestamp = time->value.GetDouble();
            double now = pf::Date::now().seconds;
            defaults.setObject(timestamp, "timestamp");
            defaults.setObject(now, "timestamp-local");
            if (written && std::fabs(written->first + (now - written->second) - timestamp) < 1.0)
                continue;
            ok = defaults.synchronize();
            written = std::make_pair(timestamp, now);
        }
    }
    if (!ok)
        state.SkipWithError("a POST failed");
    state.SetItemsProcessed(state.iterations() * kRequests);
}
BENCHMARK(BM_RawCurl_Post500)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
