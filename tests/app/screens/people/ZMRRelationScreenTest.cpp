// The relation screen, the recommended people after sign-up and the "More"
// screen on the fixture, against the seeded world: segments and pages in
// step, each page's list loading on its first show, rows opening a person's
// details, and the entries reached from the menu.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/account/ZMRBrowserViewController.h"
#include "app/screens/people/ZMRConcernDataSource.h"
#include "app/screens/account/ZMRMoreViewController.h"
#include "app/screens/people/ZMRRecommendFollowViewController.h"
#include "app/screens/people/ZMRRelationViewController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRTabPageDataController.h"
#include "framework/data/KRTableDataController.h"
#include "framework/dom/KRDOMActionElement.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Location.h"
#include "tools/appserver/AppSeed.h"

#include <algorithm>

namespace {

class RelationScreen : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        // The details screen comes with another part of the application; a
        // plain screen stands in for it.
        auto entry = pf::Dictionary::create();
        entry->set("class", "ZMRViewController");
        shell->config()->dictionary("ui")->set("user-details", pf::Value(entry));
    }
    void TearDown() override
    {
        pf::LocationProvider::shared().stop();
        AppScreenTest::TearDown();
    }

    template <class T> std::shared_ptr<T> top() const
    {
        auto root = shell->rootViewController();
        return std::dynamic_pointer_cast<T>(root ? root->topController() : nullptr);
    }
    std::string topURL() const
    {
        auto root = shell->rootViewController();
        auto controller = root ? root->topController() : nullptr;
        return controller && controller->url() ? controller->url()->absoluteString() : "(none)";
    }
    // Opens the drawer's side and taps one of its entries.
    bool tapMenuEntry(std::string_view title)
    {
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        auto drawer = std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
        if (!drawer)
            return false;
        drawer->focusLeft(false);
        return settle() && tapText(title);
    }
    static std::shared_ptr<KRDataSource> sourceAt(const KRTabPageDataController& tabs, int page)
    {
        auto list = std::dynamic_pointer_cast<KRDataController>(tabs.controllerAtIndex(page));
        return list ? list->dataSource() : nullptr;
    }
    // Taps the middle of a segment.
    void tapSegment(const pf::SegmentedControl& segments, int index)
    {
        pf::Rect frame = segments.convertRectToView(segments.bounds(), nullptr);
        double w = frame.width() / segments.numberOfSegments();
        tap({frame.x() + w * index + w / 2, frame.midY()});
    }
    // The seeded fans of the demo account, latest first.
    std::vector<long long> fans()
    {
        std::vector<long long> uids;
        for (const std::string& json : store->fans(10001, 0, 100, origin()).items)
            uids.push_back(std::stoll(json.substr(json.find("\"uid\":") + 6)));
        return uids;
    }
};

TEST_F(RelationScreen, SegmentsAndPagesStayInStepAndTheFansPageLoadsOnItsFirstShow)
{
    ASSERT_TRUE(tapMenuEntry("好友"));
    auto screen = top<ZMRRelationViewController>();
    ASSERT_TRUE(screen && screen->tabController() && screen->segmentedControl()) << topURL();
    EXPECT_EQ(topURL(), "fold:///center/relation");
    auto tabs = screen->tabController();
    auto segments = screen->segmentedControl();
    auto follows = sourceAt(*tabs, 0), fansSource = sourceAt(*tabs, 1);
    ASSERT_TRUE(follows && fansSource);
    ASSERT_TRUE(waitFor([&] { return follows->isLoaded(); }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(textFrame("安琪")) << "the follow list shows";
    EXPECT_FALSE(fansSource->isLoaded() || fansSource->isLoading()) << "the fans page has not shown yet";
    EXPECT_EQ(segments->selectedSegmentIndex(), 0);

    // The segment pages the tabs; the fans load and show, latest first.
    tapSegment(*segments, 1);
    ASSERT_TRUE(waitFor([&] { return fansSource->isLoaded() && !fansSource->isLoading(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(tabs->pageContentView()->contentOffset().x, 320);
    const auto expected = fans();
    ASSERT_EQ(fansSource->count(), expected.size());
    EXPECT_EQ(dataForKeyPath(fansSource->dataObject(), "uid").longLongValue(), expected[0]);
    auto latest = store->user(expected[0]);
    ASSERT_TRUE(latest);
    ASSERT_TRUE(waitFor([&] { return textFrame(latest->nick).has_value(); })) << latest->nick;

    // Scrolling the pages back selects the follows again; the segment follows.
    tabs->pageContentView()->setContentOffset({0, 0}, true);
    ASSERT_TRUE(waitFor([&] { return tabs->selectedIndex() == 0; }));
    EXPECT_EQ(segments->selectedSegmentIndex(), 0);

    // Coming back keeps the list it holds; the selected segment again, and
    // no segment at all, change nothing.
    tapSegment(*segments, 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(fansSource->count(), expected.size());
    tapSegment(*segments, 1);
    segments->setSelectedSegmentIndex(pf::SegmentedControl::NoSegment);
    screen->segmentedValueChangedAction(segments);
    ASSERT_TRUE(settle());
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(tabs->pageContentView()->contentOffset().x, 320);
}

// The follow list on the real screen: each initial's rows sit under its
// tinted header, drawn above the first row.
TEST_F(RelationScreen, TheFollowListShowsTintedInitialHeaders)
{
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    auto screen = top<ZMRRelationViewController>();
    ASSERT_TRUE(screen && screen->tabController());
    auto list = std::dynamic_pointer_cast<KRTableDataController>(screen->tabController()->controllerAtIndex(0));
    ASSERT_TRUE(list && list->tableView() && list->dataSource());
    ASSERT_TRUE(waitFor([&] { return list->dataSource()->isLoaded(); }));
    ASSERT_TRUE(settle());
    auto table = list->tableView();
    ASSERT_GT(table->numberOfSections(), 1);
    const pf::Rect top = table->convertRectToView(table->bounds(), nullptr);
    const pf::Color tint = pf::Color::rgb(247 / 255.0, 227 / 255.0, 219 / 255.0);
    EXPECT_TRUE(pixelIs({top.maxX() - 20, top.y() + 11}, tint)) << "the first section's header";
    auto first = textFrame("安琪");
    ASSERT_TRUE(first);
    EXPECT_GE(first->y(), top.y() + 22) << "the first row sits below its header";
    // The second section's header sits between the first section's row and its own.
    const pf::Rect second = table->convertRectToView(table->rectForRowAtIndexPath({1, 0}), nullptr);
    EXPECT_TRUE(pixelIs({top.maxX() - 20, second.y() - 11}, tint)) << "the second section's header";
}

TEST_F(RelationScreen, AUserRowOpensTheDetailsOnlyWithAUid)
{
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    struct Row {
        const char* action;
        const char* uid;
        const char* nick;
        const char* opens;
    } rows[] = {
        {"user", "10008", "小张", "root:///root/fold/center/relation/user-details?uid=10008&nick=%E5%B0%8F%E5%BC%A0"},
        {"user", "10008", nullptr, "root:///root/fold/center/relation/user-details?uid=10008"},
        {"user", "10008", "", "root:///root/fold/center/relation/user-details?uid=10008"},
        {"user", nullptr, "小张", nullptr},
        {"user", "", "小张", nullptr},
        {"like", "10008", "小张", nullptr},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(open("root:///root/fold/center/relation"));
        auto screen = top<ZMRRelationViewController>();
        ASSERT_TRUE(screen);
        auto element = KRDOMActionElement::create();
        element->setActionName(row.action);
        if (row.uid)
            element->setAttributeValue(row.uid, "uid");
        if (row.nick)
            element->setAttributeValue(row.nick, "nick");
        KRDocumentDataController list;
        screen->krDocumentDataControllerElementDoAction(list, *element, element);
        EXPECT_TRUE(settle());
        EXPECT_EQ(topURL(), row.opens ? row.opens : "root:///root/fold/center/relation")
            << row.action << " " << (row.uid ? row.uid : "(no uid)");
    }

    // A fan's row, tapped.
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    auto screen = top<ZMRRelationViewController>();
    ASSERT_TRUE(screen);
    tapSegment(*screen->segmentedControl(), 1);
    auto latest = store->user(fans()[0]);
    ASSERT_TRUE(latest);
    ASSERT_TRUE(waitFor([&] { return textFrame(latest->nick).has_value(); }));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText(latest->nick));
    EXPECT_EQ(topURL().rfind("root:///root/fold/center/relation/user-details?uid=" + std::to_string(latest->uid), 0), 0u)
        << topURL();
}

// A followed person's row opens their details when tapped; swiping the same
// kind of row away still unfollows, and opens nothing.
TEST_F(RelationScreen, AFollowRowOpensTheDetailsAndStillSwipesAway)
{
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    ASSERT_TRUE(waitFor([&] { return textFrame("安琪").has_value() && textFrame("白雪").has_value(); }));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText("安琪"));
    EXPECT_EQ(topURL(), "root:///root/fold/center/relation/user-details?uid=10002&nick=%E5%AE%89%E7%90%AA");

    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    ASSERT_TRUE(waitFor([&] { return textFrame("白雪").has_value(); }));
    ASSERT_TRUE(settle());
    auto following = [&](long long uid) {
        auto list = store->follows(10001, 0, 1000);
        return std::any_of(list.begin(), list.end(), [&](const auto& f) { return f.uid == uid; });
    };
    ASSERT_TRUE(following(10003));
    const double y = textFrame("白雪")->midY();
    drag({280, y}, {120, y});
    EXPECT_EQ(topURL(), "root:///root/fold/center/relation") << "the swipe opened nothing";
    ASSERT_TRUE(tapText("删除"));
    EXPECT_EQ(topURL(), "root:///root/fold/center/relation");
    EXPECT_TRUE(waitFor([&] { return !following(10003); })) << "the server unfollowed";
    EXPECT_TRUE(settle());
    EXPECT_FALSE(textFrame("白雪")) << "the row left";
}

TEST_F(RelationScreen, AChangedFollowListIsSyncedWhenTheScreenLoads)
{
    // Someone followed elsewhere: the server's list moved on.
    ASSERT_TRUE(store->setFollowing(10001, 10008, true));
    auto latest = store->user(10008);
    ASSERT_TRUE(latest);
    shell->setHasConcernChanged(true);
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    ASSERT_TRUE(waitFor([&] { return !shell->hasConcernChanged(); })) << "the follow list was asked for";
    ASSERT_TRUE(waitFor([&] { return textFrame(latest->nick).has_value(); })) << latest->nick;
}

TEST_F(RelationScreen, RecommendFollowListsThePeopleNearby)
{
    shell->didUpdateUserLocation({zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, pf::Date::now()});
    ASSERT_TRUE(open("root:///root/start/recommend-follow"));
    auto screen = top<ZMRRecommendFollowViewController>();
    ASSERT_TRUE(screen && screen->dataController()) << topURL();
    auto source = screen->dataController()->dataSource();
    ASSERT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); }));
    ASSERT_GT(source->count(), 0u);
    EXPECT_EQ(dataForKeyPath(source->dataObject(), "uid").longLongValue(), 10002) << "the nearest first";
    ASSERT_TRUE(waitFor([&] { return textFrame("安琪").has_value(); }));
    ASSERT_TRUE(tapText("完成"));
    EXPECT_EQ(topURL(), shell->config()->string("url-auth").value_or("?"));
}

TEST_F(RelationScreen, MoreOpensTheAgreementPage)
{
    ASSERT_TRUE(tapMenuEntry("更多"));
    ASSERT_TRUE(top<ZMRMoreViewController>()) << topURL();
    ASSERT_TRUE(tapText("用户协议"));
    auto browser = top<ZMRBrowserViewController>();
    ASSERT_TRUE(browser) << topURL();
    EXPECT_EQ(topURL().rfind("root:///root/fold/center/more/browser?key=agreement", 0), 0u) << topURL();
    EXPECT_EQ(browser->title(), "用户协议");
    ASSERT_TRUE(waitFor([&] { return !browser->webView()->isLoading() && browser->webView()->url().ends_with("/pages/agreement.html"); }));
}

}
