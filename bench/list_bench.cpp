// Paging a server list: a page data source reloads and then loads 99 more
// pages of 20 (one awaited after another) on the task bus, through the list
// service, the API service and the HTTP service, from the local application
// server seeded with 2,000 items; against 100 bare libcurl POSTs of the same
// form bodies whose answers are decoded with KRJSON, with the user-defaults
// file rewritten once per answer (the same atomic write a cached page costs).
//
// Scrolling a table: a table controller over 1,000 local rows of 44, 66 and
// 88 points, cells from an interface file (two labels, a bundle picture,
// data outlets), one 9-point step and the 640 x 1136 frame rendered; against
// the same cell views placed and refilled by hand for the same frame.

#include "app/screens/shared/ZMRPageDataSource.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRShell.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/data/KRTableDataController.h"
#include "framework/data/KRTableViewCell.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Window.h"
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

#include <algorithm>
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

// Tables -------------------------------------------------------------------

constexpr int kRows = 1000;
constexpr double kStep = 9;

double rowHeight(int row)
{
    return 44 + 22 * (row % 3);
}

class BenchTableController : public KRTableDataController {
public:
    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path) override
    {
        return rowHeight(path.row);
    }
};

struct TableBench {
    pf::HeadlessHost host;
    pf::WindowRef window;
    std::shared_ptr<pf::Bundle> resources;
    std::shared_ptr<KRShell> shell;
    pf::ArrayRef rows = pf::Array::create();
    double contentHeight = 0;

    TableBench()
    {
        registerScreensClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        const char* source = std::getenv("ZMR_SOURCE_DIR");
        std::string root = source ? source : std::filesystem::path(__FILE__).parent_path().parent_path().string();
        resources = std::make_shared<pf::Bundle>(root + "/tests/resources");
        pf::Bundle::setMain(resources);
        auto types = pf::Array::create({"IKRImageTask", "IKRLocalImageTask"});
        shell = KRShell::create(pf::Dictionary::create({{"services", pf::Array::create({pf::Dictionary::create(
                                    {{"class", "KRImageService"}, {"taskTypes", types}})})}}),
                                resources);
        for (int i = 0; i < kRows; ++i) {
            rows->add(pf::Value(pf::Dictionary::create({{"body", "Saved on purchase " + std::to_string(i)},
                                                        {"shopTitle", "Riverside Mall"},
                                                        {"payMoney", 10.5 + i}})));
            contentHeight += rowHeight(i);
        }
    }
    void show(const pf::ViewRef& view)
    {
        window = pf::Window::create();
        window->addSubview(view);
        window->makeKeyAndVisible();
    }
    void hide()
    {
        window->setHidden(true);
        pf::Screen::main().removeAllWindows();
        window = nullptr;
        pf::RunLoop::main().runUntilIdle();
    }
    // The next offset, starting again from the top near the end.
    double next(double y) const { return y + kStep + 568 > contentHeight ? 0 : y + kStep; }
};

TableBench& tableBench()
{
    static TableBench* b = new TableBench;
    return *b;
}

void BM_TableScroll1000(benchmark::State& state)
{
    TableBench& b = tableBench();
    auto table = std::make_shared<KRTableView>(pf::Rect{0, 0, 320, 568});
    auto controller = std::make_shared<BenchTableController>();
    auto source = std::make_shared<KRPageDataSource>();
    controller->setItemViewNib("FeedCell");
    controller->setItemViewBundle(b.resources.get());
    controller->setDataSource(source);
    controller->setTableView(table);
    controller->setContext(b.shell);
    b.show(table);
    source->reloadData();
    source->krDownlinkTaskDidLoaded(pf::Value(b.rows), nullptr);
    double y = 0;
    bool ok = true;
    for (auto _ : state) {
        y = b.next(y);
        table->setContentOffset(pf::Point{0, y});
        pf::RunLoop::main().runUntilIdle();
        ok = ok && static_cast<bool>(b.host.render());
    }
    if (!ok || table->numberOfRowsInSection(0) != kRows)
        state.SkipWithError("the table did not render");
    b.hide();
}
BENCHMARK(BM_TableScroll1000);

void BM_DirectCells1000(benchmark::State& state)
{
    TableBench& b = tableBench();
    auto page = pf::View::create(pf::Rect{0, 0, 320, 568});
    page->setBackgroundColor(pf::Color::whiteColor());
    page->setClipsToBounds(true);
    std::vector<double> tops;
    for (int i = 0, top = 0; i < kRows; top += static_cast<int>(rowHeight(i)), ++i)
        tops.push_back(top);
    struct Cell {
        std::shared_ptr<KRTableViewCell> view;
        std::shared_ptr<pf::Label> body, shop;
        int row = -1;
    };
    std::vector<Cell> cells;
    auto photo = pf::Image::named("feed-photo", *b.resources, 2);
    for (int i = 0; i < 16; ++i) {
        Cell cell{KRTableViewCell::tableViewCellWithNibName("FeedCell", b.resources.get()), nullptr, nullptr};
        for (const auto& view : cell.view->subviews()) {
            if (auto image = std::dynamic_pointer_cast<pf::ImageView>(view))
                image->setImage(photo);
            if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
                (cell.body ? cell.shop : cell.body) = label;
        }
        page->addSubview(cell.view);
        cells.push_back(std::move(cell));
    }
    b.show(page);
    double y = 0;
    bool ok = true;
    for (auto _ : state) {
        y = b.next(y);
        int row = static_cast<int>(std::upper_bound(tops.begin(), tops.end(), y) - tops.begin()) - 1;
        for (std::size_t k = 0; k < cells.size(); ++k, ++row) {
            Cell& cell = cells[static_cast<std::size_t>(row) % cells.size()];
            bool shown = row < kRows && tops[row] < y + 568;
            cell.view->setHidden(!shown);
            if (!shown)
                continue;
            cell.view->setFrame(pf::Rect{0, tops[row] - y, 320, rowHeight(row)});
            if (cell.row != row) {
                auto item = b.rows->at(static_cast<std::size_t>(row)).dictionary();
                cell.body->setText(item->get("body").stringValue().value_or(""));
                char price[32];
                std::snprintf(price, sizeof price, "%g", item->get("payMoney").doubleValue());
                cell.shop->setText(item->get("shopTitle").stringValue().value_or("") + " 省了 ¥" + price);
                cell.row = row;
            }
        }
        pf::RunLoop::main().runUntilIdle();
        ok = ok && static_cast<bool>(b.host.render());
    }
    if (!ok)
        state.SkipWithError("the page did not render");
    b.hide();
}
BENCHMARK(BM_DirectCells1000);

}

BENCHMARK_MAIN();
