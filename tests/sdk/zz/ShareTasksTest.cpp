#include "CallLayerTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "sdk/zz/ZZApi.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiMessageAndUrlConverter.h"
#include "sdk/zz/ZZApiScaledImage.h"
#include "sdk/zz/ZZApiTask.h"
#include "sdk/zz/ZZApiTaskGetZZUinOnlineStatues.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZWebViewKit.h"
#include "tests/sdk/zz/ShareTestSupport.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <unistd.h>

namespace {

const pf::Color red = pf::Color::rgb(1, 0, 0), green = pf::Color::rgb(0, 1, 0), blue = pf::Color::rgb(0, 0, 1);

// A picture of three bands along its longer side: red, green in the middle
// `middle` pixels, blue.
pf::ImageRef banded(int width, int height, int middle)
{
    auto bitmap = pf::Bitmap::create(width, height).value();
    auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
    bool across = width >= height;
    double side = across ? width : height, edge = (side - middle) / 2;
    auto band = [&](double from, double to, const pf::Color& color) {
        context->fillRect(across ? pf::Rect(from, 0, to - from, height) : pf::Rect(0, from, width, to - from), color);
    };
    band(0, edge, red);
    band(edge, edge + middle, green);
    band(edge + middle, side, blue);
    context.reset();
    return pf::Image::create(bitmap);
}

bool near(pf::Rgba8 pixel, const pf::Color& color)
{
    auto close = [](int value, double wanted) { return std::abs(value - int(wanted * 255)) <= 40; };
    return close(pixel.r, color.red) && close(pixel.g, color.green) && close(pixel.b, color.blue);
}

pf::Bytes pngOf(const pf::ImageRef& image)
{
    std::string path = "/tmp/zmr-share-picture-" + std::to_string(getpid()) + ".png";
    EXPECT_FALSE(image->bitmap()->writePng(path));
    auto bytes = pf::readFile(path);
    std::filesystem::remove(path);
    return bytes.value_or(pf::Bytes());
}

std::shared_ptr<ZZApiMessage> link(std::optional<pf::Bytes> preview, std::optional<std::string> previewURL = {})
{
    auto object = ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/feed/1"), std::string("t"),
                                                std::string("d"), std::move(preview), 0);
    if (previewURL)
        object->setPreviewImageURL(pf::URL::create(*previewURL));
    return ZZApiMessage::messageWithObject(object);
}

const ZZApiURLObject& linkObject(const std::shared_ptr<ZZApiMessage>& message)
{
    return static_cast<const ZZApiURLObject&>(*message->object());
}

zmr::ZZServer::Answer reply(std::string body, std::string type = "application/json",
                            std::chrono::milliseconds delay = {})
{
    zmr::ZZServer::Answer answer;
    answer.body = std::move(body);
    answer.contentType = std::move(type);
    answer.delay = delay;
    return answer;
}

struct StatusSink : ZZApiInterfaceDelegate {
    std::vector<pf::DictionaryRef> answers;
    void isOnlineResponse(const pf::DictionaryRef& statuses) override { answers.push_back(statuses); }
};

class ZZShareTasks : public ShareDeviceFixture {
protected:
    void TearDown() override
    {
        ZZApiTask::setTimeoutInterval(pf::Seconds(5.0));
        ShareDeviceFixture::TearDown();
    }
    // Posts the task and runs the loop until it has let go of the slot.
    bool runTask(std::shared_ptr<ZZApiTask>&& given)
    {
        std::shared_ptr<ZZApiTask> task = std::move(given);
        std::weak_ptr<ZZApiTask> weak = task;
        task->postOnMainThread();
        task.reset();
        return ZZServerFixture::waitFor([&] { return weak.expired() && !ZZApiTask::isTaskRunning(); });
    }
    ZZServerFixture zz;
};

}

TEST(ZZShareScaledImage, ShorterSideFitsAndTheMiddleIsKept)
{
    struct Row {
        int width, height, middle;
        int outWidth, outHeight;
        bool same;
    } rows[] = {
        {1000, 400, 400, 140, 140, false}, // scaled to 350 x 140, the middle 140 kept
        {100, 300, 140, 100, 140, false},  // not scaled, cropped to its middle 140 rows
        {120, 90, 40, 120, 90, true},      // fits: the picture itself
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
        auto source = banded(row.width, row.height, row.middle);
        auto scaled = ZZApiScaledImage(source, 140, 140);
        ASSERT_TRUE(scaled);
        EXPECT_EQ(scaled == source, row.same);
        EXPECT_EQ(scaled->pixelWidth(), row.outWidth);
        EXPECT_EQ(scaled->pixelHeight(), row.outHeight);
        if (row.same)
            continue;
        const pf::Bitmap& out = *scaled->bitmap();
        for (auto [x, y] : {std::pair(1, 1), std::pair(row.outWidth - 2, row.outHeight - 2),
                            std::pair(row.outWidth / 2, row.outHeight / 2)})
            EXPECT_TRUE(near(out.pixel(x, y), green)) << x << "," << y;
    }
    EXPECT_FALSE(ZZApiScaledImage(nullptr, 140, 140));
    EXPECT_FALSE(ZZApiScaledImage(banded(10, 10, 2), -1, 140));
}

TEST(ZZShareScaledImage, PicturesOverFiftyMegapixelsAreNotDecoded)
{
    // A 1 x 1 frame on a GIF screen of 8000 x 7000: the codec would make a
    // 56-megapixel canvas for it.
    pf::Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x1f, 0x58, 0x1b, 0x80, 0, 0, 0xff, 0xff, 0xff, 0, 0, 0,
                     0x2c, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3b};
    EXPECT_FALSE(ZZApiImageWithData(gif));
    gif[6] = 1, gif[7] = 0, gif[8] = 1, gif[9] = 0;
    EXPECT_TRUE(ZZApiImageWithData(gif));
    EXPECT_FALSE(ZZApiImageWithData(pf::Bytes{'n', 'o'}));
}

TEST(ZZShareWebResult, ResultURLsBecomeTypeSixMessages)
{
    ZZApiDatastore::instance().setAppId(std::string("101452831"));
    const std::string base = "corvana101452831://openmobile.zz.example/share?#action=shareToZZ&";
    struct Row {
        std::string url;
        std::optional<std::string> error, description;
    } rows[] = {
        {base + "result=cancel", "-4", "the user give up the current operation"},
        {base + "result=complete&response=%7B%22ret%22%3A0%2C%22msg%22%3A%22ok%22%7D", "0", "ok"},
        {base + "result=complete&response=%5B1%5D", "-5", "unknown error"},
        {base + "result=complete&response=%7B%22msg%22%3A%22no%20ret%22%7D", "-5", "unknown error"},
        {base + "result=complete&response=%7B%22ret%22%3A%7B%7D%7D", "-5", "unknown error"},
        {base + "result=later", "-5", "unknown error"},
        {base + "result=cancel=1", "-5", "unknown error"}, // not a pair
        {"corvana101452831://openmobile.zz.example/share?#action=share&result=cancel", "-4",
         "the user give up the current operation"},
    };
    for (const Row& row : rows) {
        auto url = pf::URL::create(row.url);
        ASSERT_TRUE(url) << row.url;
        auto message = ZZApiMessageAndUrlConverter::messageWithUrl(&*url);
        ASSERT_TRUE(message) << row.url;
        EXPECT_EQ(message->type(), 6u);
        auto result = std::dynamic_pointer_cast<ZZApiResultObject>(message->object());
        ASSERT_TRUE(result) << row.url;
        EXPECT_EQ(result->error(), row.error) << row.url;
        EXPECT_EQ(result->errorDescription(), row.description) << row.url;
    }
    for (const char* other : {"corvana101452831://openmobile.zz.example/share?#action=login&result=cancel",
                              "corvana101452831://elsewhere.example/share?#action=share&result=cancel",
                              "corvana999://openmobile.zz.example/share?#action=share&result=cancel"}) {
        auto url = pf::URL::create(other);
        ASSERT_TRUE(url) << other;
        EXPECT_FALSE(ZZWebViewKit::messageWithSafariUrl(&*url)) << other;
    }
    EXPECT_FALSE(ZZWebViewKit::canHanleOpenUrlFromSafari(nullptr));
    auto fields = ZZWebViewKit::dictionaryByParseUrlFromSeparator("x?#a=%E4%B8%AD&=v&b&c=%FF&d=1=2&e=", "?#");
    EXPECT_EQ(fields->keys(), (std::vector<std::string>{"a", "e"}));
    EXPECT_EQ(fields->get("a"), pf::Value("中"));
    EXPECT_EQ(ZZWebViewKit::dictionaryByParseUrlFromSeparator("x?a=1", "?#")->count(), 0u);
    ZZApiDatastore::instance().setAppId(std::nullopt);
}

TEST(ZZShareOnline, AnswerPiecesByPosition)
{
    std::vector<std::string> uins = {"10001", "10002", "10003"};
    struct Row {
        const char* answer;
        std::map<std::string, std::string> statuses;
    } rows[] = {
        {"01234567891;01234567890;", {{"10001", "YES"}, {"10002", "NO"}}},
        {"012345678;0123456789x;0123456789;0123456789", {}},    // short, other value, empty, last
        {"0123456789ab1;0123456789;0123456789;x", {}},                      // other values
        {"aaaaaaaaaa1;bbbbbbbbbb1;cccccccccc0;dddddddddd1;", {{"10001", "YES"}, {"10002", "YES"}, {"10003", "NO"}}},
    };
    for (const Row& row : rows) {
        auto statuses = ZZOpenApiUtility::dictionaryWithReturnString(row.answer, uins);
        std::map<std::string, std::string> seen;
        for (const auto& [key, value] : *statuses)
            seen[key] = value.stringOr();
        EXPECT_EQ(seen, row.statuses) << row.answer;
    }
    CVOSDKServers::setHttpOrigin("http://127.0.0.1:9");
    EXPECT_EQ(ZZOpenApiUtility::urlStringWithZZUinsArray({"1", "2&x"}), "http://127.0.0.1:9/getonline?Type=1&1:2%26x:");
    CVOSDKServers::reset();
}

TEST_F(ZZShareTasks, UploadShrinksThePreviewAndSetsTheAnsweredURL)
{
    zz.server.queue(zmr::ZZServer::uploadPath, reply(R"({"ret":0,"result":{"url":"http://127.0.0.1:9/p.jpg"}})"));
    auto message = link(pngOf(banded(1000, 400, 400)));
    ASSERT_TRUE(runTask(ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(message)));
    EXPECT_EQ(linkObject(message).previewImageURL(), pf::URL::create("http://127.0.0.1:9/p.jpg"));
    auto seen = zz.server.received(zmr::ZZServer::uploadPath);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].status, 200);
    ASSERT_EQ(seen[0].parts.size(), 1u);
    EXPECT_EQ(seen[0].parts[0].name, "share_image");
    auto uploaded = pf::Image::fromData(pf::Bytes(seen[0].parts[0].content.begin(), seen[0].parts[0].content.end()));
    ASSERT_TRUE(uploaded);
    EXPECT_EQ(uploaded.value()->pixelWidth(), 140);
    EXPECT_EQ(uploaded.value()->pixelHeight(), 140);

    // An answer without a URL, and a preview that is no picture: the message
    // goes on without a URL, and a preview it cannot use is dropped unsent.
    zz.server.queue(zmr::ZZServer::uploadPath, reply(R"({"ret":0,"result":{}})"));
    auto second = link(pngOf(banded(20, 20, 4)));
    ASSERT_TRUE(runTask(ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(second)));
    EXPECT_FALSE(linkObject(second).previewImageURL());
    EXPECT_TRUE(linkObject(second).previewImageData());
    auto broken = link(pf::Bytes{1, 2, 3});
    ASSERT_TRUE(runTask(ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(broken)));
    EXPECT_FALSE(linkObject(broken).previewImageData());
    EXPECT_EQ(zz.server.received(zmr::ZZServer::uploadPath).size(), 2u);
}

TEST_F(ZZShareTasks, ASecondTaskDoesNotRunWhileTheFirstWaitsForItsUpload)
{
    ZZApiTask::setTimeoutInterval(pf::Seconds(0.2));
    zz.server.queue(zmr::ZZServer::uploadPath, reply(R"({"ret":0,"result":{"url":"http://127.0.0.1:9/late.jpg"}})", "application/json", std::chrono::seconds(30)));
    auto message = link(pngOf(banded(200, 100, 40)));
    auto waiting = link(std::nullopt, "http://127.0.0.1:9/never.png");
    auto upload = ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(message);
    auto download = ZZApiTaskDownloadURLObjectPreviewData::initWithURLMessage(waiting);
    std::weak_ptr<ZZApiTask> first = upload, second = download;
    auto start = std::chrono::steady_clock::now();
    upload->postOnMainThread();
    download->postOnMainThread();
    upload.reset();
    download.reset();
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return first.expired() && second.expired() && !ZZApiTask::isTaskRunning(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(linkObject(message).previewImageURL());
    EXPECT_TRUE(zz.server.received("/never.png").empty());
}

TEST_F(ZZShareTasks, DownloadKeepsOnlyPicturesUpToOneMebibyte)
{
    std::string png;
    for (std::uint8_t byte : pngOf(banded(30, 10, 10)))
        png += char(byte);
    std::string padded = png + std::string(1048576 - png.size(), '\0');
    struct Row {
        const char* name;
        std::string body;
        bool kept;
    } rows[] = {
        {"a picture", png, true},
        {"a picture of exactly 1 MiB", padded, true},
        {"one byte more", padded + '\0', false},
        {"no picture", "<html></html>", false},
    };
    for (const Row& row : rows) {
        zz.server.queue("/preview.png", reply(row.body, "image/png"));
        auto message = link(std::nullopt, zz.server.httpOrigin() + "/preview.png");
        ASSERT_TRUE(runTask(ZZApiTaskDownloadURLObjectPreviewData::initWithURLMessage(message))) << row.name;
        const auto& preview = linkObject(message).previewImageData();
        EXPECT_EQ(preview.has_value(), row.kept) << row.name;
        if (preview)
            EXPECT_EQ(preview->size(), row.body.size()) << row.name;
    }
}

TEST_F(ZZShareTasks, OnlineStatusReachesTheDelegateOnlyForAReadableAnswer)
{
    auto sink = std::make_shared<StatusSink>();
    zz.server.queue(zmr::ZZServer::onlinePath, reply("0123456789 ;xxxxxxxxxx1;yyyyyyyyyy0;", "text/plain"));
    ZZApi::getZZUinOnlineStatues({"10001", "10002"}, sink);
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !sink->answers.empty(); }));
    ASSERT_EQ(sink->answers[0]->count(), 1u);
    EXPECT_EQ(sink->answers[0]->get("10002"), pf::Value("YES"));
    auto seen = zz.server.received(zmr::ZZServer::onlinePath);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].query, (zmr::ZZServer::Pairs{{"Type", "1"}, {"10001:10002:", ""}}));

    zz.server.queue(zmr::ZZServer::onlinePath, reply(std::string(64 * 1024 + 1, '1'), "text/plain"));
    zz.server.queue(zmr::ZZServer::onlinePath, reply("0123456789\xff;x", "text/plain"));
    for (int i = 0; i < 2; i++)
        ASSERT_TRUE(runTask(ZZApiTaskGetZZUinOnlineStatues::initWithZZUins({"1"}, sink)));
    EXPECT_EQ(sink->answers.size(), 1u);
}

TEST(ZZShareWebKit, TheShareAnswerClosesTheWatchedKit)
{
    zmr::TestServer server;
    server.script("/page", zmr::TestServer::Reply::with(200, "text/html", "<html><body>page</body></html>"));
    pf::HeadlessHost host;
    auto appWindow = pf::Window::create();
    appWindow->makeKeyAndVisible();
    pf::useHtmlDocumentsInWebViews();
    ZZApiDatastore::instance().setAppId(std::string("101452831"));
    const auto& watcher = ZZWebViewKit::instance();
    auto openKit = [&] {
        auto kit = std::make_shared<CVWebViewKit>(server.url("/page"), std::string(), watcher);
        watcher->setWebViewKit(kit);
        watcher->setTimer(pf::RunLoop::main().scheduleTimer(pf::Seconds(3600), false, [] {}));
        pf::TimerRef timer = watcher->timer();
        watcher->openWebKit();
        EXPECT_TRUE(kit->window());
        EXPECT_FALSE(timer->isValid());
        EXPECT_FALSE(watcher->timer());
        host.advance(CVWebViewKit::kSlideInSeconds + 0.05);
        return kit;
    };
    struct Row {
        const char* url;
        bool closes;
    } rows[] = {
        {"corvana101452831://openmobile.zz.example/s?#action=shareToZZ&result=complete", true},
        {"http://openmobile.zz.example/101452831/s?#action=shareToZZ", true}, // the app id alone
        {"corvana101452831://openmobile.zz.example/s?#action=share&result=complete", false},
        {"corvana101452831://elsewhere.example/s?#action=shareToZZ", false},
    };
    for (const Row& row : rows) {
        auto kit = openKit();
        EXPECT_TRUE(watcher->webViewKitShouldStartLoadWithRequest(*kit, row.url)) << row.url;
        EXPECT_EQ(kit->isClosing() || !kit->window(), row.closes) << row.url;
        kit->closeWindow();
    }
    watcher->setWebViewKit(nullptr);
    ZZApiDatastore::instance().setAppId(std::nullopt);
    appWindow = nullptr;
    pf::Screen::main().removeAllWindows();
}
