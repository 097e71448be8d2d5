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
// alone (the body encoded, the display fields added and the tags, savings
// and counts filled as the feed screen does), and the same visible content
// drawn into a 640 x 1136 surface: the status and title bars, the refresh
// header, the rows that reach into the frame with their avatars, icons and
// the first picture (or the placeholder) scaled into each picture strip,
// and the round publish button. The pictures are decoded once before
// timing, as the home screen has them in its memory cache.
//
// BM_HomeScrollScale: a long read of the home feed. The store holds 1,000
// posts (the seeded ones, then copies of them, older, with the same seeded
// pictures); the feed is paged on to 1, 10 and 50 pages of 20 rows, the table
// scrolled to the first row of the last page and everything asked for
// arrives; then each iteration moves the table 9 points (back and forth)
// and draws the 640 x 1136 frame. The resident memory of the process after
// each is the counter rss_mb. Targets: the frame at page 50 within 1.2x of
// the frame at page 1, and rss_mb after 50 pages under twice that after 1.
// Run it alone (--benchmark_filter=Scale) so the figures share one history.
//
// Run from the source folder (the shipped resources are read from
// "./resources").

#include "BenchCurlPost.h"
#include "BenchResident.h"

#include "app/screens/shared/ZMRDisplayFields.h"
#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/feed/ZMRHomeViewController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMImageElement.h"
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
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/host/ApplicationMain.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

namespace {

constexpr int kRows = 20;
constexpr int kScalePosts = 1000;
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
bool runUntilListed(World& w, KRDataSource& source, std::size_t rows = kRows)
{
    auto listed = [&] { return !source.isLoading() && source.count() >= rows; };
    for (int frame = 0; frame < 60 * 30; ++frame) {
        if (pf::RunLoop::main().runUntil(listed, pf::Seconds(kFrame)))
            return true;
        w.host->advance(kFrame);
    }
    return false;
}

// Copies of the seeded posts, each older than every post before it, until
// the store holds kScalePosts; their pictures are the seeded ones.
void addOlderPosts(zmr::AppStore& store)
{
    zmr::AppFeedQuery everyone;
    auto seeded = store.feed(everyone, std::nullopt, 0, kScalePosts, "").items;
    if (seeded.empty())
        fail("no seeded posts");
    long long oldest = 0;
    std::vector<zmr::AppPost> posts;
    for (const std::string& text : seeded) {
        auto item = KRJSON::decodeText(text).dictionary();
        if (!item)
            fail("a seeded post is no object");
        zmr::AppPost post;
        post.uid = item->get("uid").longLongValue();
        post.body = item->get("body").stringOr();
        post.shopTitle = item->get("shopTitle").stringOr();
        post.shopAddress = item->get("shopAddress").stringOr();
        post.payMoney = item->get("payMoney").doubleValue();
        post.expendMoney = item->get("expendMoney").doubleValue();
        if (auto cids = item->get("cids").array())
            for (const pf::Value& cid : *cids)
                post.cids.push_back(cid.longLongValue());
        if (auto images = item->get("images").array())
            for (const pf::Value& image : *images)
                if (auto picture = image.dictionary())
                    post.images.push_back({picture->get("uri").stringOr(), picture->get("width").doubleValue(),
                                           picture->get("height").doubleValue()});
        oldest = oldest ? std::min(oldest, item->get("createTime").longLongValue()) : item->get("createTime").longLongValue();
        posts.push_back(std::move(post));
    }
    for (std::size_t n = seeded.size(), i = 0; n < static_cast<std::size_t>(kScalePosts); ++n, ++i) {
        zmr::AppPost post = posts[i % posts.size()];
        post.createTime = oldest - static_cast<long long>(i + 1) * 3600;
        if (!store.addPost(post, 0))
            fail("a copied post was not stored");
    }
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
        addOlderPosts(*w->store);
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

void BM_HomeScrollScale(benchmark::State& state)
{
    World& w = world();
    auto screen = home(w);
    auto controller = screen->feedController();
    auto source = std::dynamic_pointer_cast<KRPageDataSource>(controller->dataSource());
    auto table = controller->tableView();
    if (!source || !table)
        fail("the home feed is no paged table");
    const auto pages = static_cast<std::size_t>(state.range(0));
    // Page on from wherever the previous size left the list.
    while (source->count() < pages * kRows) {
        std::size_t before = source->count();
        source->loadMoreData();
        if (!runUntilListed(w, *source, before + kRows) || source->count() <= before) {
            state.SkipWithError("the next page did not arrive");
            return;
        }
    }
    // Where the reader is: the first row of the last page, its pictures in.
    int headers = 0;
    while (headers < 8 && controller->dataObjectByIndexPath({0, headers}).dictionary() != source->dataObjectAtIndex(0).dictionary())
        ++headers;
    int row = headers + static_cast<int>(pages * kRows - kRows);
    double y = table->rectForRowAtIndexPath({0, row}).y();
    table->setContentOffset(pf::Point{0, y}, false);
    if (!pf::waitUntilSettled(*w.host, *w.shell, 60) || !w.host->render() || !pf::waitUntilSettled(*w.host, *w.shell, 60)) {
        state.SkipWithError("the scrolled page did not settle");
        return;
    }
    bool down = true;
    for (auto _ : state) {
        table->setContentOffset(pf::Point{0, down ? y + 9 : y}, false);
        down = !down;
        auto frame = w.host->render();
        if (!frame) {
            state.SkipWithError("no frame");
            break;
        }
        benchmark::DoNotOptimize(frame.value());
    }
    if (source->count() != pages * kRows)
        state.SkipWithError("the list holds another number of rows");
    state.counters["rows"] = static_cast<double>(source->count());
    state.counters["rss_mb"] = residentMiB();
}
BENCHMARK(BM_HomeScrollScale)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond)->UseRealTime();

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

std::string resource(const std::string& name)
{
    auto bytes = pf::readFile("resources/" + name);
    if (!bytes)
        fail("a shipped resource is missing: run from the source folder");
    return std::string(bytes->begin(), bytes->end());
}

// A picture of the page, fetched and decoded once; null when it cannot be.
pf::ImageRef download(const std::string& url)
{
    CURL* curl = curl_easy_init();
    std::string bytes;
    bool ok = curl && curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes) == CURLE_OK && curl_easy_perform(curl) == CURLE_OK;
    if (curl)
        curl_easy_cleanup(curl);
    auto image = ok ? pf::Image::fromData(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) : pf::ImageRef();
    return image ? image.value() : nullptr;
}

// The pictures the rows name: bundle images by name, the rest by address.
struct Pictures {
    std::map<std::string, pf::ImageRef> byName;

    pf::ImageRef get(const std::string& name)
    {
        auto it = byName.find(name);
        if (it != byName.end())
            return it->second;
        auto image = name.starts_with("http") ? download(name) : pf::Image::named(name);
        byName.emplace(name, image);
        return image;
    }
};

void eachElement(const KRDOMElementRef& element, const std::function<void(const KRDOMElementRef&)>& visit)
{
    visit(element);
    for (const auto& child : element->childs())
        eachElement(child, visit);
}

pf::Point originInDocument(const KRDOMElementRef& element)
{
    pf::Point origin{0, 0};
    for (auto e = element; e; e = e->parentElement()) {
        origin.x += e->frame().x();
        origin.y += e->frame().y();
    }
    return origin;
}

void drawLabel(pf::GraphicsContext& context, const std::string& text, const pf::Rect& rect, pf::Font font,
               pf::Color color)
{
    pf::TextStyle style;
    style.font = std::move(font);
    style.color = color;
    style.alignment = pf::TextAlignment::Center;
    style.numberOfLines = 1;
    pf::drawText(context, text, rect, style);
}

// What the home frame shows around the rows.
void drawChrome(pf::GraphicsContext& context, Pictures& pictures)
{
    const pf::Color bar = pf::Color::fromRgbHex(0xf26c4f);
    context.fillRect({0, 0, 320, 20}, pf::Color::black());
    drawLabel(context, "12:00", {0, 2, 320, 16}, pf::Font::boldSystem(12), pf::Color::whiteColor());
    context.fillRect({0, 20, 320, 44}, bar);
    for (double y : {34.0, 41.0, 48.0})
        context.fillRect({14, y, 20, 2}, pf::Color::whiteColor());
    drawLabel(context, "Zomaru", {70, 30, 166, 24}, pf::Font::boldSystem(18), pf::Color::whiteColor());
    if (auto arrow = pictures.get("ico10"); arrow && arrow->bitmap())
        context.drawImage(*arrow->bitmap(), {200, 36, arrow->size().width, arrow->size().height});
    drawLabel(context, "松开即可刷新", {0, 74, 320, 22}, pf::Font::system(14), pf::Color::white(0.5));
    drawLabel(context, "最后更新: 12:00:00", {0, 96, 320, 20}, pf::Font::system(12), pf::Color::white(0.5));
}

void drawPublishButton(pf::GraphicsContext& context)
{
    context.fillRoundedRect({254, 502, 50, 50}, 25, pf::Color::fromRgbHex(0xf26c4f));
    drawLabel(context, "+", {254, 502, 50, 50}, pf::Font::system(30), pf::Color::whiteColor());
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
    std::string body(bytes.begin(), bytes.end());
    std::string url = w.server->url();
    const std::string text = resource("templates/feed_item.html");
    auto sheet = std::make_shared<KRDOMStyleSheet>();
    KRDOMParse().parseCSS(resource("style.css"), *sheet);
    auto surface = pf::Bitmap::create(640, 1136, 2);
    if (!surface)
        fail("no surface");
    // The tags are the categories' titles, looked up as the feed screen does.
    std::shared_ptr<IKRUIContext> lookups = w.shell;
    Pictures pictures;

    BenchCurlPost post(url, body);
    bool ok = post.ok();
    // Every picture of the page decoded before timing.
    if (ok && post.perform()) {
        auto list = KRJSON::decodeText(post.answer()).dictionary();
        auto rows = list ? list->get("list").array() : nullptr;
        for (std::size_t i = 0; rows && i < rows->count(); ++i) {
            auto row = rows->at(i).dictionary();
            // Texts are read from values held here: get() answers a copy.
            if (pf::Value logo = row ? row->get("logo") : pf::Value(); logo.isString())
                pictures.get(*logo.string());
            auto images = row ? row->get("images").array() : nullptr;
            auto first = images && images->count() ? images->at(0).dictionary() : nullptr;
            if (pf::Value uri = first ? first->get("uri") : pf::Value(); uri.isString())
                pictures.get(*uri.string());
        }
        for (const char* name : {"ico33.png", "ico36.png", "ico40.png", "feed_placeholder.png", "ico10"})
            pictures.get(name);
    }
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
        pf::GraphicsContext& gc = *context.value();
        gc.fillRect({0, 0, 320, 568}, pf::Color::white(0.94));
        double y = 124; // under the status bar, the title bar and the refresh header
        for (std::size_t i = 0; i < rows->count(); ++i) {
            // The body as the rows show it, as the feed source prepares it.
            auto row = rows->at(i).dictionary();
            if (row && row->get("body").isString())
                row->set("html", pf::Value(htmlEncodeString(row->get("body").stringOr())));
            if (row)
                ZMRAddDisplayFields(*row, nullptr);
            pf::Value source(pf::Dictionary::create({{"dataItem", rows->at(i)}}));
            auto document = KRDOMDocument::create();
            KRDOMParse().parseHTML(htmlStringByDOMSource(text, source), *document);
            // Filled before the style sheet is set, so the added tags and savings take it too.
            ZMRFeedDocumentController::documentWillLoadDataObject(*document, rows->at(i), lookups);
            document->setStyleSheet(sheet);
            eachElement(document->rootElement(), [&](const KRDOMElementRef& element) {
                auto image = std::dynamic_pointer_cast<KRDOMImageElement>(element);
                if (auto src = image ? image->attributeValueForKey("src") : std::nullopt)
                    image->setImage(pictures.get(std::string(*src)));
            });
            pf::Size size = document->rootElement()->layout({320, kUnbounded});
            if (y < 568) {
                gc.save();
                gc.translate(0, y);
                document->rootElement()->render({0, 0, 320, std::min(size.height, 568 - y)}, gc);
                // The strip's first page: the first picture, else the placeholder.
                if (auto strip = document->elementById("images")) {
                    pf::Point at = originInDocument(strip);
                    auto images = row ? row->get("images").array() : nullptr;
                    auto first = images && images->count() ? images->at(0).dictionary() : nullptr;
                    pf::Value uri = first ? first->get("uri") : pf::Value();
                    pf::ImageRef picture = pictures.get(uri.isString() ? *uri.string() : std::string("feed_placeholder.png"));
                    pf::Rect page{at.x, at.y, strip->frame().width(), std::max(0.0, strip->frame().height() - 8)};
                    if (picture && picture->bitmap() && y + page.y() < 568) {
                        gc.save();
                        gc.clipToRect(page);
                        pf::ImageDrawOptions fill;
                        fill.gravity = pf::ImageGravity::ResizeAspectFill;
                        gc.drawImage(*picture->bitmap(), page, fill);
                        gc.restore();
                    }
                }
                gc.restore();
            }
            y += size.height;
            benchmark::DoNotOptimize(document);
        }
        drawChrome(gc, pictures);
        drawPublishButton(gc);
    }
    // The POST and its decoding, the rest being the rows.
    state.counters["fetched_ms"] = benchmark::Counter(fetched, benchmark::Counter::kAvgIterations);
    if (!ok)
        state.SkipWithError("the bare page failed");
}
BENCHMARK(BM_BareFeedPage)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
