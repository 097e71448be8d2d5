// The analytics collector against bare baselines: its store-and-send of
// 10,000 events (SQLite store, chunked enciphered uploads to the local
// collector on loopback) against bare bound SQLite inserts plus bare libcurl
// POSTs of the same bodies; its JSON codec against KRJSON on one batch of
// 1,000 events, and on one object of 3,000, 30,000 and 300,000 keys (the
// time grows with the keys, not their square: scripts/bench.sh scale).
#include "BenchJSONDocuments.h"

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

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr int kEvents = 10000;
constexpr int kRuns = 10;

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

// Both sides keep their databases in memory-backed files where the machine
// has them: with every insert its own transaction, a shared disk's syncs
// would otherwise decide the figure and make it swing from run to run.
std::string tempRoot()
{
    std::error_code error;
    bool memory = std::filesystem::is_directory("/dev/shm", error);
    std::string pattern = memory ? "/dev/shm/zmr-analytics-bench-XXXXXX" : "/tmp/zmr-analytics-bench-XXXXXX";
    char* made = mkdtemp(pattern.data());
    if (!made)
        std::abort();
    return made;
}

// Polls without spinning, so that waiting adds no processor time of its own
// to the figure: at 50 microseconds the wake-ups alone were several percent
// of the collector's side; a millisecond is under a thousandth of a run.
void waitUntil(const std::function<bool()>& condition)
{
    while (!condition())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
        // The database is open and its tables made before the clock runs,
        // as on the bare side.
        store->getStoredEventsNum();
        state.ResumeTiming();
        auto args = pf::Array::create({"shareToZZ"});
        for (int i = 0; i < kEvents; ++i)
            MCA4ZC::trackCustomEvent("requireApi", args);
        waitUntil([&] { return store->storedEventCount() >= kEvents + 1; });
        store->sendCachedEvents(-1);
        // Done when the last chunk is uploaded and deleted, not merely handed
        // to the upload; the rows are read only once none waits, when at
        // most one chunk is left.
        waitUntil([&] { return store->storedEventCount() == 0 && store->allEvents().empty(); });
        state.PauseTiming();
        MCA4ZC::resetProcessState();
        std::filesystem::remove_all(root);
        state.ResumeTiming();
    }
    // Uploads per run, to compare with the bare side's chunks of 30: sends
    // made while events still arrive leave with fewer events each.
    state.counters["uploads"] = static_cast<double>(server.requestCount()) / static_cast<double>(state.iterations());
    pf::setReachabilityProvider({});
    server.stop();
}
// The work runs on the collector's own threads and the local server's, so
// the figure to compare is the processor time of the whole process (the CPU
// column), the same for both sides whatever else the machine runs; wall time
// on a shared machine mostly measures the wait for a core. Each figure is
// the mean of several runs; ask for repetitions to get a median.
BENCHMARK(BM_Analytics_StoreSend10k)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->MeasureProcessCPUTime();

std::size_t collectReply(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void BM_Bare_SqliteCurl10k(benchmark::State& state)
{
    zmr::AnalyticsServer server;
    server.start(0);
    std::string url = server.baseURL() + MCA4ZCDispatcher::kPath;
    // Each statement is prepared once per connection and kept, as the
    // collector's store keeps them: bound, stepped and reset per call.
    struct Statements {
        sqlite3* db = nullptr;
        std::vector<std::pair<const char*, sqlite3_stmt*>> kept;
        ~Statements()
        {
            for (auto& entry : kept)
                sqlite3_finalize(entry.second);
            sqlite3_close(db);
        }
        void run(const char* sql, std::initializer_list<long long> numbers, const std::string* text,
                 const std::function<void(sqlite3_stmt*)>& row)
        {
            sqlite3_stmt* statement = nullptr;
            for (auto& entry : kept)
                if (entry.first == sql)
                    statement = entry.second;
            if (!statement) {
                sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
                kept.emplace_back(sql, statement);
            }
            int index = 1;
            if (text)
                sqlite3_bind_text(statement, index++, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
            for (long long number : numbers)
                sqlite3_bind_int64(statement, index++, number);
            while (sqlite3_step(statement) == SQLITE_ROW)
                if (row)
                    row(statement);
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    };
    static const char* const kInsert = "insert into events(content, status, send_count, ts) values(?1, ?2, ?3, ?4)";
    static const char* const kSelect =
        "select event_id, content, status, send_count, ts from events where status = ?1 order by ts, event_id limit ?2";
    static const char* const kMark = "update events set status = ?1 where event_id = ?2";
    static const char* const kDelete = "delete from events where event_id = ?1";
    for (auto _ : state) {
        state.PauseTiming();
        std::string root = tempRoot();
        {
            Statements db;
            sqlite3_open((root + "/bare.db").c_str(), &db.db);
            sqlite3_exec(db.db,
                         "create table events(event_id INTEGER PRIMARY KEY AUTOINCREMENT, content TEXT, status INTEGER, "
                         "send_count INTEGER, ts INTEGER)",
                         nullptr, nullptr, nullptr);
            // The collector's index for its waiting count and oldest-first chunks.
            sqlite3_exec(db.db, "create index events_waiting on events(status, ts, event_id)", nullptr, nullptr, nullptr);
            state.ResumeTiming();
            // The collector encodes each event as it is tracked, and stores it
            // in a transaction of its own.
            for (int i = 0; i < kEvents; ++i) {
                std::string text = *JSONString(eventValue(i));
                db.run(kInsert, {1, 0, 1700000000LL + i}, &text, nullptr);
            }
            // Every post on a connection of its own with the collector's
            // headers, as its writes go (a reused connection that closed
            // unanswered would make the transfer library send it again).
            CURL* curl = curl_easy_init();
            std::string reply;
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
            curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectReply);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
            // Chunks of 30 as the collector sends them: load the waiting
            // events, mark them in one transaction, send, delete them in one
            // transaction, keeping the waiting count in memory as it does.
            long long waiting = kEvents;
            for (;;) {
                std::vector<std::pair<long long, std::string>> events;
                db.run(kSelect, {1, 30}, nullptr, [&](sqlite3_stmt* statement) {
                    const auto* content = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
                    events.emplace_back(sqlite3_column_int64(statement, 0),
                                        std::string(content, static_cast<std::size_t>(sqlite3_column_bytes(statement, 1))));
                });
                if (events.empty())
                    break;
                sqlite3_exec(db.db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr);
                for (const auto& event : events)
                    db.run(kMark, {2, event.first}, nullptr, nullptr);
                sqlite3_exec(db.db, "END TRANSACTION", nullptr, nullptr, nullptr);
                waiting -= static_cast<long long>(events.size());
                std::string body = "[";
                for (std::size_t i = 0; i < events.size(); ++i)
                    body += (i == 0 ? "" : ",") + events[i].second;
                body += "]";
                pf::Bytes payload;
                std::string encoding;
                MCA4ZCDispatcher::makePayload(pf::Bytes(body.begin(), body.end()), &payload, &encoding);
                curl_slist* all = curl_slist_append(
                    curl_slist_append(curl_slist_append(nullptr, "Connection: keep-alive"), "Content-Type: json"),
                    ("Content-Encoding: " + encoding).c_str());
                curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.data());
                curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(payload.size()));
                curl_easy_setopt(curl, CURLOPT_HTTPHEADER, all);
                reply.clear();
                curl_easy_perform(curl);
                curl_slist_free_all(all);
                sqlite3_exec(db.db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr);
                for (const auto& event : events)
                    db.run(kDelete, {event.first}, nullptr, nullptr);
                sqlite3_exec(db.db, "END TRANSACTION", nullptr, nullptr, nullptr);
                benchmark::DoNotOptimize(waiting);
            }
            // The collector's database stays open past its clock too.
            state.PauseTiming();
            curl_easy_cleanup(curl);
        }
        std::filesystem::remove_all(root);
        state.ResumeTiming();
    }
    state.counters["uploads"] = static_cast<double>(server.requestCount()) / static_cast<double>(state.iterations());
    server.stop();
}
BENCHMARK(BM_Bare_SqliteCurl10k)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->MeasureProcessCPUTime();

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

void BM_TXJSON_DecodeKeys(benchmark::State& state)
{
    std::string text = bench_json::manyKeys(int(state.range(0)));
    for (auto _ : state) {
        TXJSONDecoder decoder;
        benchmark::DoNotOptimize(decoder.objectWithUTF8String(text.data(), text.size()));
    }
}
BENCHMARK(BM_TXJSON_DecodeKeys)->Arg(3000)->Arg(30000)->Arg(300000)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
