// KRJSON against RapidJSON's DOM and nlohmann::json on a feed answer of
// about 60 KB (20 items) and a list of about 2 MB.
#include "BenchJSONDocuments.h"

#include "framework/core/KRJSON.h"
#include "framework/util/json_scan.h"

#include "platform/foundation/Value.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

namespace {

using bench_json::feed;
using bench_json::list;

void krjsonDecode(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(KRJSON::decodeText(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void rapidDecode(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(text.c_str(), text.size());
        benchmark::DoNotOptimize(d.IsObject());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The scanner alone, with callbacks that build nothing.
int g_token;
const json_callbacks kNoOpTable = {
    [](const json_callbacks*, void*) -> void* { return &g_token; },
    [](const json_callbacks*, void*, const char*, uint32_t, void*, void*) {},
    [](const json_callbacks*, void*) -> void* { return &g_token; },
    [](const json_callbacks*, void*, void*, void*) {},
    [](const json_callbacks*, const char*, uint32_t, void*) -> void* { return &g_token; },
    [](const json_callbacks*, const char*, uint32_t, byte_buffer*, void*) -> void* { return &g_token; },
    [](const json_callbacks*, int, void*) -> void* { return &g_token; },
    [](const json_callbacks*, void*) -> void* { return &g_token; },
    [](const json_callbacks*, void*, void*) {},
};

void scanOnly(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(json_scan(&kNoOpTable, text.c_str(), nullptr));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void rapidReader(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        rapidjson::Reader reader;
        rapidjson::BaseReaderHandler<> handler;
        rapidjson::StringStream stream(text.c_str());
        benchmark::DoNotOptimize(reader.Parse(stream, handler).IsError());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void nlohmannDecode(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(nlohmann::json::parse(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void krjsonEncode(benchmark::State& state, const std::string& text)
{
    pf::Value value = KRJSON::decodeText(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(KRJSON::encodeObject(value));
}

void rapidEncode(benchmark::State& state, const std::string& text)
{
    rapidjson::Document d;
    d.Parse(text.c_str(), text.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        d.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
}

void nlohmannEncode(benchmark::State& state, const std::string& text)
{
    nlohmann::json j = nlohmann::json::parse(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(j.dump());
}

// Every key set, then set again to bytes that are not UTF-8 (which removes
// it): under a megabyte that once took half a minute.
const std::string& rekeyed40k()
{
    static const std::string text = [] {
        std::string out = "{";
        // Appended piecewise: GCC's -Wrestrict misreads chained additions.
        for (int i = 0; i < 40000; i++) {
            out += 'k';
            out += std::to_string(i);
            out += ":1,";
        }
        for (int i = 0; i < 40000; i++) {
            out += 'k';
            out += std::to_string(i);
            out += ":\"\xff\",";
        }
        return out + "}";
    }();
    return text;
}

struct Registration {
    Registration()
    {
        struct Doc {
            const char* name;
            const std::string& (*text)();
        } docs[] = {{"feed", feed}, {"list", list}};
        benchmark::RegisterBenchmark("BM_KRJSON_Decode/rekeyed40k", krjsonDecode, rekeyed40k())
            ->Unit(benchmark::kMillisecond);
        for (const auto& doc : docs) {
            const std::string& text = doc.text();
            std::string suffix = std::string("/") + doc.name;
            benchmark::RegisterBenchmark(("BM_KRJSON_Decode" + suffix).c_str(), krjsonDecode, text);
            benchmark::RegisterBenchmark(("BM_RapidJSON_Decode" + suffix).c_str(), rapidDecode, text);
            benchmark::RegisterBenchmark(("BM_Nlohmann_Decode" + suffix).c_str(), nlohmannDecode, text);
            benchmark::RegisterBenchmark(("BM_JsonScan_Only" + suffix).c_str(), scanOnly, text);
            benchmark::RegisterBenchmark(("BM_RapidJSON_Reader" + suffix).c_str(), rapidReader, text);
            benchmark::RegisterBenchmark(("BM_KRJSON_Encode" + suffix).c_str(), krjsonEncode, text);
            benchmark::RegisterBenchmark(("BM_RapidJSON_Encode" + suffix).c_str(), rapidEncode, text);
            benchmark::RegisterBenchmark(("BM_Nlohmann_Encode" + suffix).c_str(), nlohmannEncode, text);
        }
    }
} registration;

}

BENCHMARK_MAIN();
