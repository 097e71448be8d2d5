// The home screen's first page against the same work done bare.
//
// BM_HomeFirstPage: the application's shell over the shipped resources, a
// seeded local application server in this process, a headless 320 x 568
// screen at scale 2, signed in; the home screen is opened once and its first
// page drawn before timing, so the rows' pictures are in the memory cache.
// Each iteration refreshes the feed (a refresh skips the list cache), runs
// frames until the server's page is listed and draws the full 640 x 1136
// frame.
//
// BM_BareFeedPage: the same form POSTed with bare libcurl to the same
// server, the answer decoded with KRJSON, the same 20 rows filled from the
// shipped row template and laid out at 320 points with the markup engine
// alone (the body encoded as the feed source does), and the rows that reach
// into the frame drawn into a 640 x 1136 surface.
//
// Run from the source folder (the shipped resources are read from
// "./resources").

#include "BenchCurlPost.h"

#include "app/screens/ZMRFeedController.h"
#include "app/screens/ZMRHomeViewController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/host/ApplicationMain.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kRows = 20;
constexpr double kUnbounded = 2147483648.0;
constexpr double kFrame = 1.0 / 60;

struct World {
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::unique_ptr<pf::HeadlessHost> host;
    std::shared_ptr<ZMRShell> shell;
    long long uid = 0;
    std::string token;
};

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "home_bench: %s\n", what);
    std::abort();
}

std::shared_ptr<ZMRHomeViewController> home(World& w)
{
    auto root = w.shell->rootViewController();
    return std::dynamic_pointer_cast<ZMRHomeViewController>(root ? root->topController() : nullptr);
}

// Runs the main loop (and a frame now and then) until the source has a
// whole page and nothing more is loading.
bool runUntilListed(World& w, KRDataSource& source)
{
    auto listed = [&] { return !source.isLoading() && source.count() >= static_cast<std::size_t>(kRows); };
    for (int frame = 0; frame < 60 * 30; ++frame) {
        if (pf::RunLoop::main().runUntil(listed, pf::Seconds(kFrame)))
            return true;
        w.host->advance(kFrame);
    }
    return false;
}

World& world()
{
    static World* made = [] {
        auto* w = new World;
        registerScreensClasses();
        registerDOMClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-home-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            fail("no temporary home");
        pf::setHomeDirectory(pattern);
        pf::UserDefaults::resetStandard();
        pf::DeviceProfile::setCurrent(pf::DeviceProfile{}); // 320 x 568 points at scale 2
        pf::Screen::main().updateFromDeviceProfile();

        std::unique_ptr<zmr::AppStore> opened;
        if (zmr::AppStore::open(":memory:", opened) || !opened->seedDemo())
            fail("no seeded store");
        w->store = std::move(opened);
        w->server = std::make_unique<zmr::AppServer>(w->store);
        if (!w->server->start(0))
            fail("the server did not start");
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(std::filesystem::current_path().string() + "/resources"));
        w->host = std::make_unique<pf::HeadlessHost>();
        w->shell = ZMRShell::create(w->server->url());
        if (!w->shell)
            fail("no usable resources/cfg.plist: run from the source folder");
        auto demo = w->store->checkPassword("demo", "demo-password");
        w->uid = demo->uid;
        w->token = w->store->issueToken(demo->uid).value_or("");
        w->shell->setAuth(pf::Value(w->uid), w->token);
        w->shell->setAccount(demo->account);
        w->shell->setNick(demo->nick);
        pf::Application::shared().setDelegate(w->shell);
        if (!pf::Application::shared().launch() || !pf::waitUntilSettled(*w->host, *w->shell, 60))
            fail("the application did not start");
        auto screen = home(*w);
        if (!screen || !screen->feedController() || !runUntilListed(*w, *screen->feedController()->dataSource()))
            fail("the home screen shows no feed");
        // Everything the first page asks for, its pictures included, arrives.
        if (!pf::waitUntilSettled(*w->host, *w->shell, 60) || !w->host->render())
            fail("the first page did not settle");
        return w;
    }();
    return *made;
}

void BM_HomeFirstPage(benchmark::State& state)
{
    World& w = world();
    auto screen = home(w);
    auto source = screen->feedController()->dataSource();
    // Where the time goes: until the page is listed, and drawing the frame.
    double listed = 0, drawn = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto start = Clock::now();
        source->refreshData();
        if (!runUntilListed(w, *source)) {
            state.SkipWithError("the refreshed page did not arrive");
            break;
        }
        auto middle = Clock::now();
        auto frame = w.host->render();
        drawn += std::chrono::duration<double, std::milli>(Clock::now() - middle).count();
        listed += std::chrono::duration<double, std::milli>(middle - start).count();
        if (!frame || frame.value()->pixelWidth() != 640 || frame.value()->pixelHeight() != 1136) {
            state.SkipWithError("no 640 x 1136 frame");
            break;
        }
        benchmark::DoNotOptimize(frame.value());
    }
    state.counters["listed_ms"] = benchmark::Counter(listed, benchmark::Counter::kAvgIterations);
    state.counters["drawn_ms"] = benchmark::Counter(drawn, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_HomeFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string resource(const std::string& name)
{
    auto bytes = pf::readFile("resources/" + name);
    if (!bytes)
        fail("a shipped resource is missing: run from the source folder");
    return std::string(bytes->begin(), bytes->end());
}

void BM_BareFeedPage(benchmark::State& state)
{
    World& w = world();
    KRHttpFormBody form;
    form.addItemValue("config_zmr", "config");
    form.addItemValue("ZMRFeedsTask", "taskType");
    form.addItemValue("1", "device-did");
    form.addItemValue(std::to_string(w.uid), "auth-uid");
    form.addItemValue(w.token, "auth-token");
    form.addItemValue("1", "zmr-pageIndex");
    form.addItemValue(std::to_string(kRows), "zmr-pageSize");
    pf::Bytes bytes = form.bytesBody();
    const std::string text = resource("templates/feed_item.html");
    auto sheet = std::make_shared<KRDOMStyleSheet>();
    KRDOMParse().parseCSS(resource("style.css"), *sheet);
    auto surface = pf::Bitmap::create(640, 1136, 2);
    if (!surface)
        fail("no surface");

    BenchCurlPost post(w.server->url(), std::string(bytes.begin(), bytes.end()));
    bool ok = post.ok();
    double fetched = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto start = Clock::now();
        ok = ok && post.perform();
        auto list = ok ? KRJSON::decodeText(post.answer()).dictionary() : nullptr;
        fetched += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        auto rows = list ? list->get("list").array() : nullptr;
        if (!rows || rows->count() != static_cast<std::size_t>(kRows)) {
            ok = false;
            break;
        }
        auto context = pf::GraphicsContext::create(*surface.value());
        if (!context) {
            ok = false;
            break;
        }
        context.value()->fillRect({0, 0, 320, 568}, pf::Color::white(0.94));
        double y = 64; // under the status bar and the title bar
        for (std::size_t i = 0; i < rows->count(); ++i) {
            // The body as the rows show it, as the feed source prepares it.
            if (auto row = rows->at(i).dictionary(); row && row->get("body").isString())
                row->set("html", pf::Value(htmlEncodeString(row->get("body").stringOr())));
            pf::Value source(pf::Dictionary::create({{"dataItem", rows->at(i)}}));
            auto document = KRDOMDocument::create();
            KRDOMParse().parseHTML(htmlStringByDOMSource(text, source), *document);
            document->setStyleSheet(sheet);
            pf::Size size = document->rootElement()->layout({320, kUnbounded});
            if (y < 568) {
                context.value()->save();
                context.value()->translate(0, y);
                document->rootElement()->render({0, 0, 320, std::min(size.height, 568 - y)}, *context.value());
                context.value()->restore();
            }
            y += size.height;
            benchmark::DoNotOptimize(document);
        }
    }
    // The POST and its decoding, the rest being the rows.
    state.counters["fetched_ms"] = benchmark::Counter(fetched, benchmark::Counter::kAvgIterations);
    if (!ok)
        state.SkipWithError("the bare page failed");
}
BENCHMARK(BM_BareFeedPage)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
