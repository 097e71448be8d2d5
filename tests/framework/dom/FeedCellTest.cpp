// A feed cell end to end: a template filled from a JSON item, parsed with
// the bundle's style sheet, its inline picture loaded from the loopback
// server, shown in a document view with its link held down. The picture is
// written to "feed-cell.png" in the test's working directory for a look.

#include "DOMHostTestSupport.h"

#include "framework/core/KRImageCrashRegistration.h"
#include "framework/core/KRImageService.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMRichElement.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRRich.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/framework/core/HttpTestSupport.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using pf::test::pixelIs;

namespace {

const char* kTemplate = R"(<cell width="100%" height="auto" layout="flow" padding="10">
<label class="nick" id="nick" width="auto" height="auto">{user.nick}</label>
<rich class="content" width="100%" height="auto" margin-top="6">{content}<a id="link" href="{link.href}">{link.title}</a>{tail}<img id="pic" width="40" height="40" src="{pic}"/>{after}</rich>
</cell>)";

std::string readText(const std::string& path)
{
    pf::Bytes bytes = pf::readFile(path).value_or(pf::Bytes{});
    return {bytes.begin(), bytes.end()};
}

class FeedCellTest : public domtest::DocumentViewTest {};

}

TEST_F(FeedCellTest, FilledCellShowsNickWrappedTextHighlightedLinkAndPicture)
{
    registerDOMClasses();
    registerImageAndCrashClasses();
    const pf::Color green = pf::Color::rgb(0, 0.8, 0);
    auto bitmap = pf::Bitmap::create(40, 40, 1).value();
    bitmap->fill(green);
    pf::Bytes jpeg = pf::Image::create(bitmap)->jpegRepresentation(1).value();
    zmr::TestServer server;
    server.script("/pic.jpg", zmr::TestServer::Reply::with(200, "image/jpeg", {jpeg.begin(), jpeg.end()}));
    std::string url = server.url("/pic.jpg");
    std::filesystem::remove(KRHttpTask::localResourcePathForURL(url));

    auto shell = KRShell::create(pf::Dictionary::create(), nullptr);
    shell->loadDOMStyleSheet(readText(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/resources/style.css"));
    auto item = KRJSON::decodeText(R"({"user":{"nick":"小明 Ming"},
        "content":"今天在超市省了 12.5 元, the coupon worked! 明天继续 ",
        "link":{"title":"查看详情 see details","href":"zmr://post/42"},
        "tail":" 加油 keep saving ", "after":" every day 每一天.", "pic":")" + url + R"("})");
    auto document = KRDOMDocument::create();
    ASSERT_TRUE(KRDOMParse().parseHTML(htmlStringByDOMSource(kTemplate, item), *document));
    document->setStyleSheet(shell->domStyleSheet());

    auto pic = std::dynamic_pointer_cast<KRDOMImageElement>(document->elementById("pic"));
    ASSERT_TRUE(pic);
    view->setElement(document->rootElement());
    auto rich = document->elementsByClass<KRDOMRichElement>(KRDOMClassMatch::Exact).at(0);
    pf::Point origin = rich->frame().origin;
    pf::Rect box = pic->frame().offsetBy(origin.x, origin.y); // the picture's placeholder
    EXPECT_TRUE(pixelIs(*render(), {box.midX(), box.midY()}, pf::Color::whiteColor()));

    // The picture arrives after the text was laid out and drawn.
    auto bus = std::make_shared<HttpOnlyBus>();
    auto service = std::make_shared<KRImageService>();
    service->setConfig(pf::Dictionary::create());
    service->setContext(bus);
    ASSERT_TRUE(service->handle(proto::IKRImageTask(), pic, 0));
    ASSERT_TRUE(runMainUntil([&] { return pic->isLoaded(); }, 60));
    pf::RunLoop::main().runUntilIdle();

    KRRich& text = rich->rich();
    std::vector<pf::Rect> rows = text.elementRects(text.elements().at(0).get(), rich->frame().size);
    ASSERT_FALSE(rows.empty());
    pf::Rect first = rows[0].offsetBy(origin.x, origin.y);
    host->touchDown({first.x() + 2, first.midY()});
    pf::BitmapRef frame = render();
    ASSERT_FALSE(host->writePng("feed-cell.png"));

    // The nickname, in the style sheet's bold blue, left of a white gap.
    pf::Rect nick = document->elementById("nick")->frame();
    int blue = 0;
    for (double x = nick.x(); x < nick.maxX(); x += 0.5)
        blue += frame->pixelAtPoint({x, nick.midY()}).b > 150 && frame->pixelAtPoint({x, nick.midY()}).r < 120;
    EXPECT_GT(blue, 0);
    EXPECT_TRUE(pixelIs(*frame, {box.midX(), box.midY()}, green, 12));
    EXPECT_TRUE(pixelIs(*frame, {first.x() + 4, first.y() + 1}, pf::Color::white(0.7), 12)); // highlighted
    host->touchUp({first.x() + 2, first.midY()});
    EXPECT_EQ(recorder->actions, std::vector<std::string>{"link"});
    pf::Point corner{first.x() + 4, first.y() + 1};
    EXPECT_TRUE(pixelIs(*render(), corner, pf::Color::whiteColor()));
    // Off the link nothing acts; a drag off the cell takes the highlight
    // away and does not act either.
    host->tap({first.x() - 8, first.midY()});
    host->touchDown({first.x() + 2, first.midY()});
    host->touchMove({first.x() + 2, 500});
    EXPECT_TRUE(pixelIs(*render(), corner, pf::Color::whiteColor()));
    host->touchUp({first.x() + 2, 500});
    EXPECT_EQ(recorder->actions.size(), 1u);
    std::filesystem::remove(KRHttpTask::localResourcePathForURL(url));
}
