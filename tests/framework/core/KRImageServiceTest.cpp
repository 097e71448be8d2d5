#include "HttpTestSupport.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRImageCrashRegistration.h"
#include "framework/core/KRImageService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/ImageSamples.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Stands in for an image view: records what the service tells it. The
// loaded flag is the view's own business; the service never reads it.
class FakeImageView final : public KRTask, public IKRLocalImageTask {
public:
    using IKRImageTask::setImage;
    std::vector<std::string> events;
    pf::ImageRef image, defaultImage;

    void setImage(const pf::ImageRef& picture, bool isLocal) override
    {
        image = picture;
        events.push_back(std::string(picture ? "image" : "nil") + (isLocal ? " local" : " remote"));
    }
    void setDefaultImage(const pf::ImageRef& picture) override { defaultImage = picture; }
    bool isLoaded() const override { return false; }
    void setLoaded(bool) override {}
    std::optional<std::string> defaultSrc() const override { return m_defaultSrc; }
    void setDefaultSrc(std::optional<std::string> src) override { m_defaultSrc = std::move(src); }
    std::optional<std::string> src() const override { return m_src; }
    void setSrc(std::optional<std::string> src) override { m_src = std::move(src); }
    bool isLoading() const override { return m_loading; }
    void setLoading(bool loading) override { m_loading = loading; }

private:
    bool m_loading = false;
    std::optional<std::string> m_src, m_defaultSrc;
};

std::string text(const pf::Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

pf::Bytes png(pf::Color colour, int width = 8, int height = 8)
{
    return pf::test::pngBytes(*pf::test::splitBitmap(width, height, colour, colour));
}

struct Fixture {
    TempHome home; // holds the bundle and the download cache
    zmr::TestServer server;
    std::shared_ptr<HttpOnlyBus> bus = std::make_shared<HttpOnlyBus>();
    std::shared_ptr<KRImageService> service = std::make_shared<KRImageService>();

    explicit Fixture(std::initializer_list<pf::Dictionary::Entry> settings = {})
    {
        registerImageAndCrashClasses();
        writeBundleFile("icon.png", png({0, 1, 0, 1}));
        writeBundleFile("placeholder.png", png({0.5, 0.5, 0.5, 1}));
        service->setConfig(pf::Dictionary::create(settings));
        service->setContext(bus);
        service->setBundle(std::make_shared<pf::Bundle>(home.file("bundle")));
    }
    void writeBundleFile(const std::string& name, const pf::Bytes& bytes) const
    {
        writeFile(home.file("bundle/" + name), text(bytes));
    }
    // Serves a picture at `path`; answers its URL.
    std::string serve(const std::string& path, const pf::Bytes& bytes, std::chrono::milliseconds delay = 0ms,
                      int status = 200)
    {
        auto reply = zmr::TestServer::Reply::with(status, "image/png", text(bytes));
        reply.delay = delay;
        server.script(path, reply);
        return server.url(path);
    }
    std::shared_ptr<FakeImageView> view(std::optional<std::string> src, std::optional<std::string> defaultSrc = {})
    {
        auto v = std::make_shared<FakeImageView>();
        v->setSrc(std::move(src));
        v->setDefaultSrc(std::move(defaultSrc));
        return v;
    }
    bool ask(const std::shared_ptr<FakeImageView>& v, const pf::Protocol* type = proto::IKRImageTask())
    {
        return service->handle(type, v, 0);
    }
    // Waits for a picture asked for now and served after `delay`: any answer
    // due before it has been delivered by then, so its absence can be checked
    // without waiting a fixed time.
    void settle(std::chrono::milliseconds delay)
    {
        auto last = view(serve("/settle" + std::to_string(++settled) + ".png", png({0, 0, 0, 1}), delay));
        ask(last);
        EXPECT_TRUE(runMainUntil([&] { return !last->events.empty(); }));
    }
    int settled = 0;
    // Asks for `src` and waits until the view has heard back.
    std::shared_ptr<FakeImageView> fetch(const std::string& src)
    {
        auto v = view(src);
        ask(v);
        EXPECT_TRUE(runMainUntil([&] { return !v->events.empty(); })) << src;
        return v;
    }
};

using Events = std::vector<std::string>;

}

TEST(KRImageServiceDownload, WaitersOfOneSourceShareOneDownloadThatOutlastsWaitersLeaving)
{
    Fixture f;
    std::string url = f.serve("/a.png", png({1, 0, 0, 1}), 100ms);
    auto first = f.view(url), a = f.view(url), b = f.view(url), c = f.view(url), last = f.view(url);
    for (auto* v : {&first, &a, &b, &c, &last}) {
        EXPECT_TRUE(f.ask(*v));
        EXPECT_TRUE((*v)->isLoading());
    }
    EXPECT_EQ(f.bus->downloads, 1);
    EXPECT_TRUE(f.service->cancelHandle(proto::IKRImageTask(), first));
    EXPECT_TRUE(f.service->cancelHandle(proto::IKRImageTask(), last));
    EXPECT_FALSE(first->isLoading());
    EXPECT_EQ(f.bus->cancels, 0);
    ASSERT_TRUE(runMainUntil([&] { return !c->events.empty(); }));
    for (auto* v : {&a, &b, &c}) {
        EXPECT_EQ((*v)->events, Events{"image remote"});
        EXPECT_FALSE((*v)->isLoading());
        EXPECT_EQ((*v)->image, a->image); // decoded once, shared
    }
    EXPECT_TRUE(first->events.empty() && last->events.empty());
    auto received = f.server.received("/a.png");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].header("Referer"), "http://127.0.0.1/a.png");

    // Later askers are answered from memory, inside the call.
    auto d = f.view(url);
    f.ask(d);
    EXPECT_EQ(d->events, Events{"image local"});
    EXPECT_EQ(d->image, a->image);
    EXPECT_EQ(f.bus->downloads, 1);
    EXPECT_EQ(f.service->downloadCount(), 0u);
}

TEST(KRImageServiceDownload, TheLastWaiterLeavingCancelsTheDownloadAndNobodyHears)
{
    Fixture f;
    std::string url = f.serve("/slow.png", png({0, 0, 1, 1}), 300ms);
    auto d = f.view(url), e = f.view(url);
    f.ask(d), f.ask(e);
    f.service->cancelHandle(proto::IKRImageTask(), d);
    f.service->cancelHandle(proto::IKRImageTask(), e);
    EXPECT_EQ(f.bus->cancels, 1);
    EXPECT_EQ(f.service->downloadCount(), 0u);
    f.settle(500ms);
    EXPECT_TRUE(d->events.empty());
    EXPECT_TRUE(e->events.empty());
    EXPECT_FALSE(e->isLoading());
}

TEST(KRImageServiceDownload, ARecycledViewNeverReceivesItsOldPicture)
{
    Fixture f;
    std::string first = f.serve("/first.png", png({1, 0, 0, 1}), 200ms);
    std::string second = f.serve("/second.png", png({0, 0, 1, 1}), 50ms);
    auto cell = f.view(first), neighbour = f.view(first);
    f.ask(cell), f.ask(neighbour);
    // The cell is reused for another picture and sent again without a cancel.
    cell->setSrc(second);
    f.ask(cell);
    // The neighbour hears in the same delivery that would bring the cell its old picture.
    ASSERT_TRUE(runMainUntil([&] { return !neighbour->events.empty() && !cell->events.empty(); }));
    EXPECT_EQ(cell->events, Events{"image remote"});
    EXPECT_TRUE(pf::test::pixelIs(*cell->image->bitmap(), {1, 1}, {0, 0, 1, 1}, 1));

    // A cancel finds the list the task was put on even after its source changed.
    std::string third = f.serve("/third.png", png({1, 1, 0, 1}), 300ms);
    auto reused = f.view(third);
    f.ask(reused);
    reused->setSrc("icon.png");
    f.service->cancelHandle(proto::IKRImageTask(), reused);
    EXPECT_FALSE(reused->isLoading());
    EXPECT_EQ(f.service->downloadCount(), 0u);
    f.settle(500ms);
    EXPECT_TRUE(reused->events.empty());
}

TEST(KRImageServiceDownload, CancellingASourceTakesOnlyItsTasksOffTheLists)
{
    Fixture f;
    std::string url = f.serve("/shared.png", png({1, 0, 0, 1}), 200ms);
    auto screen = std::make_shared<pf::Object>(), otherScreen = std::make_shared<pf::Object>();
    auto first = f.view(url), mine = f.view(url), theirs = f.view(url);
    first->setSource(screen), mine->setSource(screen), theirs->setSource(otherScreen);
    f.ask(first), f.ask(mine), f.ask(theirs);
    EXPECT_FALSE(f.service->cancelHandleForSource(screen.get()));
    // The bus goes on to the other services, the HTTP one among them; not
    // even withdrawing the first waiter's own tasks stops the shared download.
    f.bus->cancelHandleForSource(screen.get());
    f.bus->cancelHandleForSource(first.get());
    EXPECT_FALSE(first->isLoading());
    EXPECT_FALSE(mine->isLoading());
    EXPECT_TRUE(theirs->isLoading());
    ASSERT_TRUE(runMainUntil([&] { return !theirs->events.empty(); }));
    EXPECT_EQ(theirs->events, Events{"image remote"});
    EXPECT_TRUE(first->events.empty());
    EXPECT_TRUE(mine->events.empty());
}

TEST(KRImageServiceDownload, FailedAndUndecodableDownloadsSettleWithNothingAndAreTriedAgain)
{
    Fixture f;
    std::string missing = f.serve("/missing.png", {}, 0ms, 404);
    std::string garbage = f.serve("/garbage.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    for (const std::string& url : {missing, garbage}) {
        SCOPED_TRACE(url);
        auto v = f.fetch(url);
        EXPECT_EQ(v->events, Events{"nil remote"});
        EXPECT_FALSE(v->isLoading());
        EXPECT_FALSE(pf::fileExists(KRHttpTask::localResourcePathForURL(url)));
        f.fetch(url); // tried again
    }
    EXPECT_EQ(f.server.count("/missing.png"), 2u);
    EXPECT_EQ(f.server.count("/garbage.png"), 2u);

    // A cache file left behind that does not decode is replaced by a download.
    std::string stale = f.serve("/stale.png", png({0, 0, 1, 1}));
    writeFile(KRHttpTask::localResourcePathForURL(stale), "truncated");
    EXPECT_EQ(f.fetch(stale)->events, Events{"image remote"});
    EXPECT_EQ(f.server.count("/stale.png"), 1u);

    // Nobody to download: settled at once rather than left waiting.
    f.bus->refuse = true;
    auto orphan = f.view(f.server.url("/nobody.png"));
    f.ask(orphan);
    EXPECT_EQ(orphan->events, Events{"nil remote"});
    EXPECT_EQ(f.service->downloadCount(), 0u);
}

TEST(KRImageServiceLocal, LocalSourcesAndPlaceholdersFollowTheirRules)
{
    Fixture f;
    std::string remote = f.server.url("/never.png");
    struct Row {
        const char* name;
        std::optional<std::string> src, defaultSrc;
        const pf::Protocol* type;
        Events events;
        bool hasDefault;
        std::size_t cached; // memory-cache entries afterwards
    } rows[] = {
        {"no source", std::nullopt, std::nullopt, proto::IKRImageTask(), {"nil remote"}, false, 0},
        {"@ bundle image", "@icon", std::nullopt, proto::IKRImageTask(), {"image local"}, false, 0},
        {"@ missing", "@nothing", std::nullopt, proto::IKRImageTask(), {"nil local"}, false, 0},
        {"bundle name", "icon.png", std::nullopt, proto::IKRImageTask(), {"image local"}, false, 1},
        {"unknown name", "nothing.png", std::nullopt, proto::IKRImageTask(), {"nil local"}, false, 0},
        {"local remote miss", remote, std::nullopt, proto::IKRLocalImageTask(), {}, false, 0},
        {"@ placeholder", remote, "@placeholder", proto::IKRLocalImageTask(), {}, true, 0},
        {"named placeholder", remote, "placeholder", proto::IKRLocalImageTask(), {}, true, 1},
        {"remote placeholder", remote, remote, proto::IKRLocalImageTask(), {}, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture fresh;
        auto v = fresh.view(row.src, row.defaultSrc);
        EXPECT_TRUE(fresh.ask(v, row.type));
        EXPECT_EQ(v->events, row.events);
        EXPECT_FALSE(v->isLoading());
        EXPECT_EQ(v->defaultImage != nullptr, row.hasDefault);
        EXPECT_EQ(fresh.service->memoryCacheCount(), row.cached);
        EXPECT_EQ(fresh.bus->downloads, 0);
    }
    // A reused view whose new placeholder is missing drops the old one.
    auto reused = f.view(remote, "@placeholder");
    f.ask(reused, proto::IKRLocalImageTask());
    ASSERT_NE(reused->defaultImage, nullptr);
    reused->setDefaultSrc("@nothing");
    f.ask(reused, proto::IKRLocalImageTask());
    EXPECT_EQ(reused->defaultImage, nullptr);
    EXPECT_FALSE(f.service->handle(proto::IKRImageTask(), std::make_shared<KRTask>(), 0));
    EXPECT_EQ(f.server.count("/never.png"), 0u);
}

TEST(KRImageServiceSources, SchemesResolveOnlyThroughStringSettings)
{
    Fixture f({{"img", "http://pics.example/base/"}, {"num", 5}, {"map", pf::Dictionary::create({{"a", "b"}})}});
    struct Row {
        std::optional<std::string> src, absolute;
        bool remote;
    } rows[] = {
        {"img://a/b.png", "http://pics.example/base/a/b.png", true},
        {"num://a/b.png", "num://a/b.png", false},
        {"map://a", "map://a", false},
        {"https://host/x.png", "https://host/x.png", true},
        {"HTTP://host/x.png", "HTTP://host/x.png", true},
        {"@img://a", "@img://a", false},
        {std::nullopt, std::nullopt, false},
    };
    for (const auto& row : rows) {
        auto absolute = f.service->absoluteSrc(row.src);
        EXPECT_EQ(absolute, row.absolute) << row.src.value_or("(nil)");
        if (absolute) {
            EXPECT_EQ(KRImageService::isRemoteSrc(*absolute), row.remote) << *absolute;
        }
    }
}

TEST(KRImageServiceSources, AConfiguredSchemeDownloadsFromItsBase)
{
    Fixture f;
    f.service->setConfig(pf::Dictionary::create({{"img", f.server.url("/pics/")}, {"timeout", 5}}));
    f.serve("/pics/a/b.png", png({1, 0, 0, 1}));
    EXPECT_EQ(f.fetch("img://a/b.png?size=2")->events, Events{"image remote"});
    auto received = f.server.received("/pics/a/b.png");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].query, "size=2");
}

TEST(KRImageServiceMemory, TheCacheIsBoundedAndAWarningKeepsOnlyPicturesInUse)
{
    Fixture f;
    for (const char* name : {"a", "b", "c", "d"})
        f.writeBundleFile(std::string(name) + ".png", png({1, 0, 0, 1}, 16, 16)); // 1 KiB decoded each
    f.service->setMemoryCacheLimits(3, 1u << 20);
    std::vector<std::shared_ptr<FakeImageView>> views;
    for (const char* name : {"a.png", "b.png", "c.png", "a.png", "d.png"}) {
        views.push_back(f.view(name));
        f.ask(views.back());
    }
    EXPECT_EQ(f.service->memoryCacheCount(), 3u);
    EXPECT_EQ(f.service->memoryCacheBytes(), 3u * 1024);
    // "b" was least recently used: asking again decodes a new picture, "a" is still shared.
    auto b = f.view("b.png"), a = f.view("a.png");
    f.ask(b), f.ask(a);
    EXPECT_NE(b->image, views[1]->image);
    EXPECT_EQ(a->image, views[0]->image);

    f.service->setMemoryCacheLimits(10, 2048);
    EXPECT_LE(f.service->memoryCacheBytes(), 2048u);

    f.service->setMemoryCacheLimits(10, 1u << 20);
    for (const char* name : {"c.png", "d.png"}) {
        auto v = f.view(name);
        f.ask(v);
    }
    std::size_t before = f.service->memoryCacheCount();
    views.clear();
    b.reset();
    f.service->didReceiveMemoryWarning();
    EXPECT_EQ(f.service->memoryCacheCount(), 1u) << "of " << before; // only "a" is still shown
    auto again = f.view("a.png");
    f.ask(again);
    EXPECT_EQ(again->image, a->image);
}
