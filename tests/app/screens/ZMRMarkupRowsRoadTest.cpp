#include "ScreensRoadSupport.h"
#include "tests/framework/data/TableRig.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/feed/ZMRFeedDataSource.h"
#include "app/screens/shared/ZMRPageDataSource.h"
#include "framework/data/KRContainerDataController.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRFallsContainerLayout.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "platform/controls/Label.h"
#include "platform/ui/Compositor.h"

#include <httplib.h>

#include <set>

namespace {

const char* kRowTemplate = R"(<div width="100%" height="auto" layout="flow" padding="8">
<label id="nick" width="100%" height="auto" font-size="16" color="#202080 1">{dataItem.nick}</label>
<label id="body" width="100%" height="auto" font-size="14">{dataItem.body}&nbsp;省钱</label>
<label id="shop" width="90" height="auto" font-size="14">{dataItem.shopTitle}</label>
<img id="pic" width="40" height="40" src="{dataItem.pic}"/></div>)";

// The feed with one display field more: the picture the test uploaded.
struct PictureFeed : ZMRFeedDataSource {
    std::string pic;
    void loadResultsData(const pf::Value& results) override
    {
        ZMRFeedDataSource::loadResultsData(results);
        for (const auto& item : *dataObjects())
            if (item.isDictionary())
                item.dictionary()->set("pic", pf::Value(pic));
    }
};

class ZMRMarkupRowsRoad : public ScreensRoad {
protected:
    void SetUp() override
    {
        ScreensRoad::SetUp();
        pf::writeFileAtomically(home + "/row.html", kRowTemplate);
    }
    // Uploads a 40-point red square; answers its URL on the server.
    std::string uploadRedSquare()
    {
        std::vector<std::uint8_t> rgba(40 * 40 * 4, 0);
        for (size_t i = 0; i < rgba.size(); i += 4)
            rgba[i] = rgba[i + 3] = 255;
        std::string path = home + "/red.png";
        EXPECT_FALSE(pf::Bitmap::fromRgba(40, 40, rgba.data(), 40 * 4).value()->writePng(path));
        auto bytes = pf::readFile(path).value_or(pf::Bytes{});
        httplib::Client client("127.0.0.1", std::atoi(server.url().substr(17).c_str()));
        auto answer = client.Post("/upload", {{"uri", std::string(bytes.begin(), bytes.end()), "red.png", "image/png"}});
        auto at = answer ? answer->body.find("http://") : std::string::npos;
        return at == std::string::npos ? std::string() : answer->body.substr(at, answer->body.find('"', at) - at);
    }
    // Shows the view in a window, runs the loop until `ready`, settles animations, renders and keeps the picture in
    // "shots": the view's own area, not the rest of the (taller) window.
    pf::BitmapRef shoot(const pf::ViewRef& view, const std::function<bool()>& ready, const char* name)
    {
        view->setBackgroundColor(pf::Color::whiteColor());
        auto window = pf::Window::create();
        window->addSubview(view);
        window->makeKeyAndVisible();
        if (!pf::RunLoop::main().runUntil(ready, pf::Seconds(15)))
            return nullptr;
        host.advance(1); // lets a list spring back over its loading view
        if (!host.render())
            return nullptr;
        auto shot = pf::Compositor::renderView(*view, pf::Screen::main().scale());
        std::filesystem::create_directories("shots");
        if (shot)
            (*shot)->writePng(std::string("shots/") + name + ".png");
        return shot ? *shot : nullptr;
    }

    // The seeded prizes, `pageSize` a page, as item views in a two-column falls grid `height` high, loading.
    struct PrizeGrid {
        std::shared_ptr<ZMRPageDataSource> prizes = std::make_shared<ZMRPageDataSource>();
        std::shared_ptr<KRContainerView> grid;
        std::shared_ptr<KRContainerDataController> controller = std::make_shared<KRContainerDataController>();
    };
    PrizeGrid prizeGrid(int pageSize, double height)
    {
        PrizeGrid g;
        g.prizes->setTaskType(std::string("ZMRPrizeListTask"));
        g.prizes->setDataKey(std::string("list"));
        g.prizes->setPageSize(pageSize);
        g.prizes->setContext(shell);
        auto layout = std::make_shared<KRFallsContainerLayout>();
        layout->setNumberOfColumn(2);
        layout->setColumnSplitWidth(10);
        layout->setColumnTopHeight(10);
        g.grid = std::make_shared<KRContainerView>(pf::Rect{0, 0, 320, height});
        g.grid->setContainerLayout(layout);
        g.controller->setItemSize({145, 90});
        g.controller->setItemViewNib(std::string("PrizeItem"));
        g.controller->setItemViewBundle(std::make_shared<pf::Bundle>(testBundle().resourcePath()));
        g.controller->setBottomLoadingView(TableRig::dragView());
        g.controller->setContext(shell);
        g.controller->setDataSource(g.prizes);
        g.controller->setContainerView(g.grid);
        g.controller->reloadData();
        return g;
    }
    pf::HeadlessHost host;
};

}

// The seeded feed as markup rows with the uploaded picture: the picture
// loaded over the network, the texts drawn, rows as tall as their texts.
TEST_F(ZMRMarkupRowsRoad, SeededFeedShowsAsMarkupRowsWithTheirPictures)
{
    auto feed = std::make_shared<PictureFeed>();
    feed->pic = uploadRedSquare();
    ASSERT_FALSE(feed->pic.empty());
    feed->setTaskType(std::string("ZMRFeedsTask"));
    feed->setDataKey(std::string("list"));
    auto table = std::make_shared<KRTableView>(pf::Rect{0, 0, 320, 480});
    auto rows = std::make_shared<KRDocumentDataController>();
    rows->setHtml("row.html");
    rows->setBundle(std::make_shared<pf::Bundle>(home));
    rows->setDataSource(feed);
    rows->setContext(shell);
    rows->setTableView(table);
    rows->reloadData();
    KRDOMDocumentRef first;
    auto shot = shoot(table, [&] {
        first = feed->count() == 20 ? rows->documentByIndexPath({0, 0}) : nullptr;
        auto image = first ? std::dynamic_pointer_cast<KRDOMImageElement>(first->elementById("pic")) : nullptr;
        return image && image->isLoaded();
    }, "feed_rows");
    ASSERT_TRUE(shot);

    const pf::Rect rowRect = table->rectForRowAtIndexPath({0, 0});
    auto pic = first->elementById("pic")->frame();
    EXPECT_TRUE(pf::test::pixelIs(*shot, {pic.midX(), rowRect.y() + pic.midY()}, pf::Color::rgb(1, 0, 0)));
    for (const char* text : {"nick", "body"})
        EXPECT_TRUE(pf::test::hasInk(*shot, first->elementById(text)->frame().offsetBy(0, rowRect.y()), pf::Color::whiteColor()));
    EXPECT_LE(first->elementById("body")->frame().maxY(), pic.minY());
    // Shop names that wrap make some rows taller than others.
    std::set<double> heights;
    for (int row = 0; row < 5; ++row)
        heights.insert(table->rectForRowAtIndexPath({0, row}).height());
    EXPECT_GT(heights.size(), 1u);
}

// Four prizes a page in a grid shorter than them: a drag past the end loads the other four.
TEST_F(ZMRMarkupRowsRoad, SeededPrizesShowAsItemViewsInAFallsGridAndLoadMoreAtItsEnd)
{
    PrizeGrid made = prizeGrid(4, 150);
    auto prizes = made.prizes;
    auto grid = made.grid;
    auto controller = made.controller;
    auto shot = shoot(grid, [&] { return prizes->count() == 4 && !prizes->isLoading(); }, "prize_grid");
    ASSERT_TRUE(shot);
    auto title = [&](int index) {
        auto item = grid->itemViewControllerAtIndex(index);
        return item ? std::dynamic_pointer_cast<pf::Label>(item->view()->subviews().at(0))->text() : std::string("(none)");
    };
    ASSERT_TRUE(grid->itemViewControllerAtIndex(3));
    EXPECT_EQ(grid->itemViewControllerAtIndex(3)->view()->frame(), pf::Rect(165, 110, 145, 90));
    EXPECT_EQ(title(3), "电影票两张");
    EXPECT_TRUE(pf::test::hasInk(*shot, {173, 118, 129, 24}, pf::Color::whiteColor()));
    ASSERT_EQ(controller->bottomLoadingView()->superview(), grid);

    grid->setContentOffset({0, grid->contentSize().height - grid->bounds().height()});
    host.drag({160, 140}, {160, 20});
    ASSERT_TRUE(waitFor([&] { return prizes->count() == 8 && !prizes->isLoading(); }));
    EXPECT_EQ(prizes->pageIndex(), 2);
    grid->setContentOffset({0, 260});
    host.advance(0.5);
    ASSERT_TRUE(grid->itemViewControllerAtIndex(7));
    EXPECT_EQ(grid->itemViewControllerAtIndex(7)->view()->frame(), pf::Rect(165, 310, 145, 90));
    EXPECT_EQ(title(7), "绿植盆栽");
}
