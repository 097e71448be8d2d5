// The analytics collector against bare baselines: its store-and-send of
// 10,000 events (SQLite store, chunked enciphered uploads to the local
// collector on loopback) against bare bound SQLite inserts plus bare libcurl
// POSTs of the same bodies; its JSON codec against KRJSON on one batch of
// 1,000 events.
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZC.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCStore.h"
#include "sdk/analytics/TXJKSerializer.h"
#include "sdk/analytics/TXJSONDecoder.h"
#include "tools/analyticsserver/AnalyticsServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

constexpr int kEvents = 10000;
constexpr int kRuns = 3;

pf::Value eventValue(int i)
{
    return pf::Value(pf::Dictionary::create({{"ts", 1700000000LL + i},
                                             {"si", 123456789LL},
                                             {"mc", "if_nametoindex failure"},
                                             {"ui", "0123456789abcdef0123456789abcdef01234567"},
                                             {"et", 1000LL},
                                             {"ky", "ZZC100200300"},
                                             {"ei", "requireApi"},
                                             {"ar", pf::Value(pf::Array::create({"shareToZZ", i}))}}));
}

const pf::Value& batch()
{
    static pf::Value value = [] {
        auto array = pf::Array::create();
        for (int i = 0; i < 1000; ++i)
            array->add(eventValue(i));
        return pf::Value(array);
    }();
    return value;
}

std::string tempRoot()
{
    char pattern[] = "/tmp/zmr-analytics-bench-XXXXXX";
    return mkdtemp(pattern);
}

void waitUntil(const std::function<bool()>& condition)
{
    while (!condition())
        std::this_thread::yield();
}

void BM_Analytics_StoreSend10k(benchmark::State& state)
{
    zmr::AnalyticsServer server;
    server.start(0);
    MCA4ZCDispatcher::getInstance()->setBaseURL(server.baseURL());
    pf::setReachabilityProvider([] { return std::uint32_t(pf::kReachabilityReachable); });
    for (auto _ : state) {
        state.PauseTiming();
        std::string root = tempRoot();
        pf::setHomeDirectory(root + "/home");
        setenv("ZMR_DEVICE_DIR", (root + "/device").c_str(), 1);
        pf::UserDefaults::resetStandard();
        MCA4ZC::resetProcessState();
        MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
        config.smartReporting = false;
        config.reportStrategy = 3;
        config.maxStoreEventCount = kEvents + 10;
        MCA4ZC::startWithAppkey("ZZC100200300");
        auto store = MCA4ZCStore::getInstance();
        state.ResumeTiming();
        auto args = pf::Array::create({"shareToZZ"});
        for (int i = 0; i < kEvents; ++i)
            MCA4ZC::trackCustomEvent("requireApi", args);
        waitUntil([&] { return store->storedEventCount() >= kEvents + 1; });
        store->sendCachedEvents(-1);
        waitUntil([&] { return store->storedEventCount() == 0 && store->getStoredEventsNum() == 0; });
        state.PauseTiming();
        MCA4ZC::resetProcessState();
        std::filesystem::remove_all(root);
        state.ResumeTiming();
    }
    pf::setReachabilityProvider({});
    server.stop();
}
// One run is seconds of file syncs, whose cost swings from run to run: each
// figure is the mean of three runs, in wall time since the work is done on
// the collector's own threads; ask for repetitions to get a median.
BENCHMARK(BM_Analytics_StoreSend10k)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseRealTime();

void BM_Bare_SqliteCurl10k(benchmark::State& state)
{
    zmr::AnalyticsServer server;
    server.start(0);
    std::string url = server.baseURL() + MCA4ZCDispatcher::kPath;
    std::vector<std::string> texts;
    for (int i = 0; i < kEvents; ++i)
        texts.push_back(*JSONString(eventValue(i)));
    for (auto _ : state) {
        state.PauseTiming();
        std::string root = tempRoot();
        state.ResumeTiming();
        sqlite3* db = nullptr;
        sqlite3_open((root + "/bare.db").c_str(), &db);
        sqlite3_exec(db, "create table events(event_id INTEGER PRIMARY KEY AUTOINCREMENT, content TEXT, status INTEGER, "
                         "send_count INTEGER, ts INTEGER)",
                     nullptr, nullptr, nullptr);
        for (const auto& text : texts) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, "insert into events(content, status, send_count, ts) values(?1, 1, 0, 0)", -1,
                               &statement, nullptr);
            sqlite3_bind_text(statement, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            sqlite3_step(statement);
            sqlite3_finalize(statement);
        }
        CURL* curl = curl_easy_init();
        for (std::size_t start = 0; start < texts.size(); start += 30) {
            std::string body = "[";
            for (std::size_t i = start; i < std::min(texts.size(), start + 30); ++i)
                body += (i == start ? "" : ",") + texts[i];
            body += "]";
            pf::Bytes payload;
            std::string encoding;
            MCA4ZCDispatcher::makePayload(pf::Bytes(body.begin(), body.end()), &payload, &encoding);
            curl_slist* all = curl_slist_append(curl_slist_append(nullptr, "Content-Type: json"),
                                                ("Content-Encoding: " + encoding).c_str());
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(payload.size()));
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, all);
            curl_easy_perform(curl);
            curl_slist_free_all(all);
        }
        curl_easy_cleanup(curl);
        sqlite3_exec(db, "delete from events", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        state.PauseTiming();
        std::filesystem::remove_all(root);
        state.ResumeTiming();
    }
    server.stop();
}
BENCHMARK(BM_Bare_SqliteCurl10k)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseRealTime();

void BM_TXJK_EncodeBatch(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(JSONString(batch()));
}
BENCHMARK(BM_TXJK_EncodeBatch);

void BM_KRJSON_EncodeBatch(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(KRJSON::encodeObject(batch()));
}
BENCHMARK(BM_KRJSON_EncodeBatch);

void BM_TXJSON_DecodeBatch(benchmark::State& state)
{
    std::string text = *JSONString(batch());
    for (auto _ : state) {
        TXJSONDecoder decoder;
        benchmark::DoNotOptimize(decoder.objectWithUTF8String(text.data(), text.size()));
    }
}
BENCHMARK(BM_TXJSON_DecodeBatch);

void BM_KRJSON_DecodeBatch(benchmark::State& state)
{
    std::string text = *JSONString(batch());
    for (auto _ : state)
        benchmark::DoNotOptimize(KRJSON::decodeText(text));
}
BENCHMARK(BM_KRJSON_DecodeBatch);

}

BENCHMARK_MAIN();
