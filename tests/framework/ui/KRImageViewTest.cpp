#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRImageService.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/ui/KRImageView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/ImageSamples.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

pf::ImageRef picture(int width, int height)
{
    auto bitmap = pf::Bitmap::create(width, height);
    return bitmap ? pf::Image::create(bitmap.value()) : nullptr;
}

TEST(KRImageViewCrop, ModesKeepTheirPartOfThePicture)
{
    struct Row {
        int w, h;
        pf::Size bounds;
        std::optional<std::string> mode;
        pf::Rect expected;
    };
    const Row rows[] = {
        {200, 100, {100, 100}, "center", {0.25, 0, 0.5, 1}},
        {200, 100, {100, 100}, "left", {0, 0, 0.5, 1}},
        {200, 100, {100, 100}, "right", {0.5, 0, 0.5, 1}},
        {200, 100, {100, 100}, "rightBottom", {0.5, 0, 0.5, 1}},
        {100, 200, {100, 100}, "top", {0, 0, 1, 0.5}},
        {100, 200, {100, 100}, "bottom", {0, 0.5, 1, 0.5}},
        {100, 200, {100, 100}, "leftTop", {0, 0, 1, 0.5}},
        {100, 200, {100, 100}, "center", {0, 0.25, 1, 0.5}},
        {100, 200, {50, 100}, "center", {0, 0, 1, 1}},       // same aspect
        {200, 100, {100, 100}, std::nullopt, {0, 0, 1, 1}},  // no mode
        {200, 100, {100, 100}, "middle", {0, 0, 1, 1}},      // not a mode word
        {200, 100, {0, 100}, "center", {0, 0, 1, 1}},        // empty bounds have no aspect
    };
    for (const Row& row : rows) {
        auto view = std::make_shared<KRImageView>(pf::Rect({}, row.bounds));
        view->setImage(picture(row.w, row.h));
        view->setImageMode(row.mode);
        view->updateContentsRect();
        EXPECT_EQ(view->contentsRect(), row.expected) << row.w << "x" << row.h << " " << row.mode.value_or("nil");
    }
}

TEST(KRImageViewPlaceholder, ShowsThePlaceholderOnlyWithoutAPicture)
{
    auto view = std::make_shared<KRImageView>(pf::Rect(0, 0, 10, 10));
    auto placeholder = picture(2, 2), real = picture(4, 4), other = picture(3, 3);
    view->setDefaultImage(placeholder);
    EXPECT_EQ(view->image(), placeholder); // set on an empty view: shown
    view->setSrc("http://127.0.0.1/a.png");
    view->setImage(nullptr, true);
    EXPECT_FALSE(view->isLoaded()); // a local miss leaves the download to come
    view->setImage(real, false);
    EXPECT_TRUE(view->isLoaded());
    view->setSrc("http://127.0.0.1/a.png");
    EXPECT_TRUE(view->isLoaded()); // the same source keeps its picture
    EXPECT_EQ(view->image(), real);
    view->setDefaultImage(other);
    EXPECT_EQ(view->image(), real); // a real picture stays
    view->setSrc("http://127.0.0.1/b.png");
    EXPECT_FALSE(view->isLoaded());
    EXPECT_EQ(view->image(), other);
    view->setDefaultImage(placeholder);
    EXPECT_EQ(view->image(), placeholder); // the shown placeholder is replaced
    view->setImage(nullptr, false);
    EXPECT_TRUE(view->isLoaded()); // a failed download settles it
    EXPECT_EQ(view->image(), placeholder);
}

// The bus as far as the image service needs it: downloads go to a real HTTP service.
class Bus final : public pf::Object, public IKRServiceContext {
public:
    std::shared_ptr<KRHttpService> http = std::make_shared<KRHttpService>();
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int priority) override
    {
        return type == proto::IKRHttpResourceTask() && http->handle(type, task, priority);
    }
    bool cancelHandle(const pf::Protocol* type, const pf::ObjectRef& task) override { return http->cancelHandle(type, task); }
    bool cancelHandleForSource(const pf::Object* source) override { return http->cancelHandleForSource(source); }
};

TEST(KRImageViewService, FilledByTheImageServiceFromTheServer)
{
    zmr::TestServer server;
    auto bytes = pf::test::pngBytes(*pf::test::splitBitmap(6, 4, {1, 0, 0, 1}, {0, 0, 1, 1}));
    server.script("/pic.png", zmr::TestServer::Reply::with(200, "image/png", std::string(bytes.begin(), bytes.end())));
    std::string url = server.url("/pic.png");
    std::filesystem::remove(KRHttpTask::localResourcePathForURL(url));
    auto bus = std::make_shared<Bus>();
    bus->http->setConfig(pf::Dictionary::create());
    auto service = std::make_shared<KRImageService>();
    service->setConfig(pf::Dictionary::create());
    service->setContext(bus);

    auto view = std::make_shared<KRImageView>(pf::Rect(0, 0, 30, 20));
    view->setDefaultImage(picture(1, 1));
    view->setSrc(url);
    EXPECT_TRUE(service->handle(proto::IKRLocalImageTask(), view, 0));
    EXPECT_FALSE(view->isLoaded());
    EXPECT_TRUE(service->handle(proto::IKRImageTask(), view, 0));
    EXPECT_TRUE(view->isLoading());
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return view->isLoaded(); }, pf::Seconds(20)));
    EXPECT_FALSE(view->isLoading());
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->pixelWidth(), 6);
    EXPECT_EQ(view->image()->bitmap()->pixel(5, 0), (pf::Rgba8{0, 0, 255, 255}));
    std::filesystem::remove(KRHttpTask::localResourcePathForURL(url));
}

}
