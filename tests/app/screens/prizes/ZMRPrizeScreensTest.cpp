// The prize grid, the prize list and the two prize screens on the fixture,
// against the seeded world's prizes and one the server gains meanwhile.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/prizes/ZMRPrizeDetailsController.h"
#include "app/screens/prizes/ZMRPrizeListViewController.h"
#include "app/screens/prizes/ZMRPrizeSearchController.h"
#include "app/screens/prizes/ZMRPrizeSearchDataSource.h"
#include "app/screens/prizes/ZMRPrizeViewController.h"
#include "app/screens/shared/ZMRProcessView.h"
#include "framework/core/KRController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRContainerView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/Button.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/ImageCodec.h"

#include <algorithm>
#include <ctime>

namespace {

class PrizeScreens : public AppScreenTest {
protected:
    std::shared_ptr<ZMRPrizeListViewController> openList()
    {
        EXPECT_TRUE(open("root:///root/fold/center/prizelist"));
        auto list = topController<ZMRPrizeListViewController>();
        EXPECT_TRUE(list && list->dataController());
        if (!list || !list->dataController())
            return nullptr;
        auto source = list->dataController()->dataSource();
        EXPECT_TRUE(waitFor([&] { return source->count() >= 12 && !source->isLoading(); }));
        EXPECT_TRUE(settle());
        return list;
    }
    static std::shared_ptr<KRAction> action(const std::string& name)
    {
        auto made = std::make_shared<KRAction>();
        made->setActionName(name);
        return made;
    }
};

TEST_F(PrizeScreens, TheGridShowsTheFirstPrizeWideAndTheOthersTwoARow)
{
    auto list = openList();
    ASSERT_TRUE(list);
    auto grid = std::dynamic_pointer_cast<ZMRPrizeSearchController>(list->dataController());
    ASSERT_TRUE(grid);
    auto container = grid->containerView();
    auto layout = container->containerLayout();
    ASSERT_TRUE(layout && layout->itemRects().size() >= 5);
    const double w = container->bounds().width();
    struct Row {
        int index;
        pf::Rect rect;
        const char* nib;
    } rows[] = {
        {0, {0, 0, w, 214}, "ZMRPrizeItemViewController"},
        {1, {0, 214, w / 2, 120}, "ZMRPrizeItemViewController2"},
        {2, {w / 2, 214, w / 2, 120}, "ZMRPrizeItemViewController2"},
        {3, {0, 334, w / 2, 120}, "ZMRPrizeItemViewController2"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(layout->itemRectAtIndex(row.index), row.rect) << "item " << row.index;
        auto item = grid->krContainerViewItemViewAtIndex(*container, row.index, row.rect);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->reuseIdentifier().value_or(""), row.nib) << "item " << row.index;
        EXPECT_EQ(dataForKeyPath(item->dataItem(), "pid").longLongValue(), row.index + 1);
        // The progress keeps a margin on both sides, so its bubble never
        // touches the item's edges at 0 or at 100 %.
        const auto& parts = item->view()->subviews();
        auto bar = std::find_if(parts.begin(), parts.end(), [](const pf::ViewRef& v) { return dynamic_cast<ZMRProcessView*>(v.get()); });
        ASSERT_NE(bar, parts.end()) << "item " << row.index;
        pf::Rect barFrame = (*bar)->frame();
        EXPECT_GE(barFrame.x(), 6) << "item " << row.index;
        EXPECT_EQ(barFrame.x(), row.rect.width() - barFrame.maxX()) << "item " << row.index;
    }
    // The seeded first prize has all 30 pieces left, the second 23. The
    // first's bubble at 0 (20 points high, 7 below the top of the progress)
    // starts clear of the screen's edge.
    pf::Rect first = container->convertRectToView(layout->itemRectAtIndex(0), nullptr);
    double bubble = first.y() + 178 + 7 + 10;
    EXPECT_TRUE(pixelIs({first.x() + 3, bubble}, pf::Color::whiteColor())) << "the screen's edge";
    EXPECT_TRUE(pixelIs({first.x() + 14, bubble}, pf::Color::fromRgbHex(0xf26c4f), 24)) << "the bubble";
    EXPECT_TRUE(textFrame("0/30"));
    EXPECT_TRUE(textFrame("7/30"));
    EXPECT_TRUE(textFrame("保温杯"));
    EXPECT_TRUE(textFrame("帆布袋"));
}

// As a person gets there: the menu's "奖品" closes the drawer onto the list;
// an item opens its details one level below the drawer, and they lead to the
// exchange.
TEST_F(PrizeScreens, TheMenuLeadsToTheListWhoseItemsOpenDetailsAndTheExchange)
{
    auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
    auto drawer = std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    ASSERT_TRUE(drawer) << "the signed-in start page is the drawer";
    drawer->focusLeft(false);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText("奖品"));
    ASSERT_TRUE(topController<ZMRPrizeListViewController>());
    EXPECT_EQ(topURL(), "fold:///center/prizelist");
    EXPECT_EQ(drawer->centerViewController()->view()->frame().x(), 0) << "the drawer closed onto the list";
    ASSERT_TRUE(waitFor([&] { return textFrame("帆布袋").has_value(); }));
    ASSERT_TRUE(settle());

    ASSERT_TRUE(tapText("帆布袋"));
    EXPECT_EQ(topURL(), "root:///root/fold/center/prizelist/prize-details?pid=2");
    auto details = topController<ZMRPrizeDetailsViewController>();
    ASSERT_TRUE(details && details->detailsController());
    auto controller = details->detailsController();
    ASSERT_TRUE(waitFor([&] { return dataForKeyPath(controller->dataItem(), "pid").longLongValue() == 2; }));
    ASSERT_TRUE(settle());
    // The bar's title is bound to the prize: applied again once it loaded.
    auto title = viewWithText("帆布袋");
    EXPECT_TRUE(title && title->frame().y() < 44) << "the bar names the prize";
    EXPECT_TRUE(textFrame("兑奖中"));

    ASSERT_TRUE(tapText("立即兑换"));
    EXPECT_EQ(dataForKeyPath(shell->focusValueForKey("prize"), "pid").longLongValue(), 2);
    EXPECT_EQ(topURL().rfind("root:///root/fold/center/prizelist/prize-details/prize-buy", 0), 0u) << topURL();
}

TEST_F(PrizeScreens, OnlyAPrizeActionWithAPidOpensDetails)
{
    auto list = openList();
    ASSERT_TRUE(list);
    struct Row {
        const char* action;
        pf::Value pid;
        const char* opens;
    } rows[] = {
        {"prize", "7", "root:///root/fold/center/prizelist/prize-details?pid=7"},
        {"prize", pf::Value(), nullptr},
        {"prize", pf::Value::null(), nullptr},
        {"prize", pf::Value(pf::Array::create({1})), nullptr},
        {"like", 5, nullptr},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(open("root:///root/fold/center/prizelist"));
        auto shown = topController<ZMRPrizeListViewController>();
        ASSERT_TRUE(shown);
        KRItemViewController item;
        auto prize = pf::Dictionary::create({{"title", "x"}});
        if (!row.pid.isNil())
            prize->set("pid", row.pid);
        item.setDataItem(pf::Value(prize));
        shown->krContainerDataControllerItemViewControllerDoAction(*shown->dataController(), item, action(row.action));
        EXPECT_TRUE(settle());
        EXPECT_EQ(topURL(), row.opens ? row.opens : "root:///root/fold/center/prizelist")
            << row.action << " " << row.pid.description();
    }
}

TEST_F(PrizeScreens, ThePrizeScreenShowsItsProductAndBuysOnlyALoadedPrize)
{
    ASSERT_TRUE(open("root:///root/fold/center/prize"));
    auto screen = topController<ZMRPrizeViewController>();
    ASSERT_TRUE(screen && screen->detailsController());
    auto controller = screen->detailsController();
    ASSERT_TRUE(waitFor([&] { return dataForKeyPath(controller->dataItem(), "pid").longLongValue() == 1; }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(textFrame("保温杯"));

    // An element of another action, and a buy while no prize is loaded, do nothing.
    auto other = KRDOMElement::create("action");
    other->setAttributeValue("like", "action-name");
    screen->krDocumentControllerDoActionElement(*controller, *other);
    auto buy = KRDOMElement::create("action");
    buy->setAttributeValue("buy", "action-name");
    ZMRPrizeDetailsController empty;
    screen->krDocumentControllerDoActionElement(empty, *buy);
    EXPECT_TRUE(settle());
    EXPECT_EQ(topURL(), "root:///root/fold/center/prize");
    EXPECT_TRUE(shell->focusValueForKey("prize").isNil());

    screen->krDocumentControllerDoActionElement(*controller, *buy);
    EXPECT_TRUE(settle());
    EXPECT_EQ(dataForKeyPath(shell->focusValueForKey("prize"), "pid").longLongValue(), 1);
    EXPECT_EQ(topURL().rfind("root:///root/fold/center/prize/prize-buy", 0), 0u) << topURL();
}

// A prize the server gains while the application runs, on sale a few
// seconds from now: its details count down to the sale, and once the
// server's time passes it, the page shows the sale and counts to its end.
TEST_F(PrizeScreens, APrizeAddedSecondsBeforeItsSaleCountsDownIntoTheSale)
{
    const pf::Color teal = pf::Color::rgb(0.1, 0.55, 0.6);
    auto bitmap = pf::Bitmap::create(320, 240);
    ASSERT_TRUE(bitmap);
    bitmap.value()->fill(teal);
    auto jpeg = pf::encodeJpeg(**bitmap, 0.9);
    ASSERT_TRUE(jpeg);
    auto picture = store->addImage(std::string(jpeg->begin(), jpeg->end()), "image/jpeg");
    ASSERT_TRUE(picture);
    const long long lead = 3;
    long long now = std::time(nullptr);
    zmr::AppPrize prize;
    prize.title = "限时折叠伞";
    prize.body = "开售前几秒加入的奖品。";
    prize.price = 100;
    prize.count = prize.publishCount = 5;
    prize.saleTime = now + lead;
    prize.endTime = now + 3600;
    prize.picture = "/images/" + *picture;
    auto pid = store->addPrize(prize);
    ASSERT_TRUE(pid);

    ASSERT_TRUE(open("root:///root/fold/center/prizelist"));
    ASSERT_TRUE(open("root:///root/fold/center/prizelist/prize-details?pid=" + std::to_string(*pid)));
    auto details = topController<ZMRPrizeDetailsViewController>();
    ASSERT_TRUE(details && details->detailsController());
    auto controller = details->detailsController();
    ASSERT_TRUE(waitFor([&] { return dataForKeyPath(controller->dataItem(), "pid").longLongValue() == *pid; }));
    ASSERT_TRUE(settle());
    // The countdown's labels, one text.
    auto countdown = [&] {
        std::string out;
        auto page = controller->document();
        if (auto time = page ? page->elementById("time") : nullptr)
            for (const auto& label : time->childs())
                out += label->text();
        return out;
    };
    // Seconds left on a countdown that starts "0天0时<minutes>分"; -1 for another text.
    auto secondsOf = [](const std::string& shown, int minutes) -> long long {
        std::string head = "0天0时" + std::to_string(minutes) + "分";
        if (shown.rfind(head, 0) != 0 || shown.size() < head.size() + 4 || shown.substr(shown.size() - 3) != "秒")
            return -1;
        return std::atoll(shown.substr(head.size(), shown.size() - head.size() - 3).c_str());
    };
    // The page's status button, as drawn.
    auto button = [&]() -> std::string {
        auto element = std::dynamic_pointer_cast<KRDOMViewElement>(controller->document()->elementById("statusView"));
        auto shown = element && element->isViewLoaded() ? std::dynamic_pointer_cast<pf::Button>(element->view()) : nullptr;
        return shown && !shown->isHidden() && shown->window() ? shown->title().value_or("") : "(not shown)";
    };
    EXPECT_TRUE(viewWithText("限时折叠伞"));
    ASSERT_EQ(button(), "未开始") << "before the sale, the button says so";
    EXPECT_FALSE(viewWithText("兑奖中"));
    long long left = secondsOf(countdown(), 0);
    EXPECT_GE(left, 0) << countdown();
    EXPECT_LE(left, lead) << countdown();

    // The page ticks on its own across the start of the sale.
    ASSERT_TRUE(waitFor([&] { return button() == "兑奖中"; }, lead + 10)) << countdown();
    EXPECT_TRUE(viewWithText("兑奖中"));
    EXPECT_EQ(controller->dataItem().dictionary()->get("status").stringOr(), "兑奖中");
    left = secondsOf(countdown(), 59);
    EXPECT_GE(left, 40) << "now counting to the end: " << countdown();

    auto images = std::dynamic_pointer_cast<KRDOMViewElement>(controller->document()->elementById("images"));
    ASSERT_TRUE(images && images->isViewLoaded());
    auto view = images->view();
    ASSERT_TRUE(waitFor([&] {
        auto shot = render();
        pf::Rect r = view->convertRectToView(view->bounds(), nullptr);
        return shot && pf::test::pixelIs(*shot, {r.midX(), r.midY()}, teal, 12);
    })) << "the prize's own picture is drawn";
}

// The page is as tall as its document and scrolls; a prize as the demo world
// has them fits the screen whole: both buttons and the padding below them
// show at once, not cut by the bottom edge.
TEST_F(PrizeScreens, ThePageShowsItsTwoButtonsWhole)
{
    struct Row {
        const char* url;
        long long pid;
    } rows[] = {{"root:///root/fold/center/prizelist/prize-details?pid=2", 2}, {"root:///root/fold/center/prize", 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        ASSERT_TRUE(open(row.url));
        auto screen = topController<ZMRPrizeViewController>();
        ASSERT_TRUE(screen && screen->detailsController());
        auto controller = screen->detailsController();
        ASSERT_TRUE(waitFor([&] { return dataForKeyPath(controller->dataItem(), "pid").longLongValue() == row.pid; }));
        ASSERT_TRUE(settle());
        const pf::ViewRef& page = controller->documentView();
        auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(page ? page->superview() : nullptr);
        ASSERT_TRUE(scroll);
        EXPECT_EQ(page->frame().height(), controller->contentSize().height);
        EXPECT_EQ(scroll->contentSize().height, page->frame().height());
        EXPECT_LE(scroll->contentSize().height, scroll->bounds().height()) << "nothing to scroll to";

        const double bottom = scroll->convertRectToView(scroll->bounds(), nullptr).maxY();
        auto buy = textFrame("立即兑换");
        ASSERT_TRUE(buy);
        // The buttons are 40 points high about their titles' middle.
        const double buttons = buy->midY();
        EXPECT_LE(buttons + 20, bottom);
        EXPECT_TRUE(pixelIs({274, buttons}, pf::Color::fromRgbHex(0xf26c4f))) << "the exchange button";
        EXPECT_TRUE(pixelIs({24, buttons}, pf::Color::fromRgbHex(0x999999))) << "the status button";
        EXPECT_TRUE(pixelIs({274, buttons + 28}, pf::Color::fromRgbHex(0xf4f4f4))) << "the padding below them";
    }
}

}
