// Paging a server list: a page data source reloads and then loads 99 more
// pages of 20 (one awaited after another) on the task bus, through the list
// service, the API service and the HTTP service, from the local application
// server seeded with 2,000 items; against 100 bare libcurl POSTs of the same
// form bodies whose answers are decoded with KRJSON, with the user-defaults
// file rewritten once per answer (the same atomic write a cached page costs).

#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kPages = 100;
constexpr const char* kList = "ZMRBenchList";

struct Bench {
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::shared_ptr<ZMRShell> shell;
};

Bench& bench()
{
    static Bench* b = [] {
        auto* made = new Bench;
        registerScreensClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-list-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        pf::setHomeDirectory(pattern);
        pf::UserDefaults::resetStandard();
        std::unique_ptr<zmr::AppStore> opened;
        if (auto error = zmr::AppStore::open(":memory:", opened)) {
            std::fprintf(stderr, "%s\n", error->c_str());
            std::abort();
        }
        made->store = std::move(opened);
        for (int i = 1; i <= kPages * 20; ++i)
            made->store->addListItem(kList, "{\"pid\":" + std::to_string(i) + ",\"nick\":\"bench\",\"body\":\"Saved on purchase " +
                                                std::to_string(i) + "\",\"payMoney\":12.5}");
        made->server = std::make_unique<zmr::AppServer>(made->store);
        if (!made->server->start(0))
            std::abort();
        auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRHttpService"}, {"inherit", true}, {"maxThreadCount", 4}, {"timeout", 10},
                                    {"taskTypes", list({"IKRHttpTask", "IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRAPIService"}, {"url", made->server->url()}, {"timeout", 10},
                                    {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
            pf::Dictionary::create({{"class", "ZMRDownlinkService"}, {"taskTypes", list({"IZMRDownlinkTask", "IKRAPIResponseTask"})}}),
        });
        made->shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
        pf::UserDefaults::standard().setObject(pf::Value(1), "device-did");
        return made;
    }();
    return *b;
}

void BM_PageThrough100(benchmark::State& state)
{
    Bench& b = bench();
    bool ok = true;
    for (auto _ : state) {
        auto source = std::make_shared<ZMRPageDataSource>();
        source->setContext(b.shell);
        source->setTaskType(std::string(kList));
        source->setDataKey(std::string("list"));
        source->setAllowCached(true);
        source->setSkipCached(true);
        for (int page = 1; ok && page <= kPages; ++page) {
            page == 1 ? source->refreshData() : source->loadMoreData();
            ok = pf::RunLoop::main().runUntil([&] { return !source->isLoading(); }, pf::Seconds(10));
        }
        ok = ok && source->count() == static_cast<std::size_t>(kPages * 20);
    }
    if (!ok)
        state.SkipWithError("a page did not arrive");
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_PageThrough100)->Unit(benchmark::kMillisecond)->UseRealTime();

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void BM_RawPages100(benchmark::State& state)
{
    Bench& b = bench();
    std::string url = b.server->url();
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    std::string answer;
    bool ok = curl && curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK
              && curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers) == CURLE_OK
              && curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate") == CURLE_OK
              && curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect) == CURLE_OK
              && curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer) == CURLE_OK;
    for (auto _ : state) {
        std::size_t rows = 0;
        for (int page = 1; ok && page <= kPages; ++page) {
            KRHttpFormBody form;
            form.addItemValue("config_zmr", "config");
            form.addItemValue(kList, "taskType");
            form.addItemValue(std::to_string(page), "zmr-pageIndex");
            form.addItemValue("20", "zmr-pageSize");
            form.addItemValue("1", "device-did");
            pf::Bytes bytes = form.bytesBody();
            std::string body(bytes.begin(), bytes.end());
            answer.clear();
            ok = curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str()) == CURLE_OK
                 && curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())) == CURLE_OK
                 && curl_easy_perform(curl) == CURLE_OK;
            pf::Value decoded = KRJSON::decodeText(answer);
            if (auto list = decoded.dictionary() ? decoded.dictionary()->get("list").array() : nullptr)
                rows += list->count();
            pf::UserDefaults::standard().setObject(pf::Value(page), "bench-page");
            ok = ok && pf::UserDefaults::standard().synchronize();
        }
        ok = ok && rows == static_cast<std::size_t>(kPages * 20);
    }
    if (!ok)
        state.SkipWithError("a page failed");
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_RawPages100)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
