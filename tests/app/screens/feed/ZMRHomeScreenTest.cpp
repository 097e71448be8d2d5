// The home screen on the fixture: the first page of everyone's posts with
// their pictures, the feed menu switching to near, followed and friends'
// posts, pull-to-refresh and the second page, a tapped picture opening the
// viewer, a status-bar tap scrolling the list up, and a post published
// through the publish service leading the refreshed feed, its picture
// drawn in the row and in the viewer, its text opening its details; a
// first page whose answer never comes fails at its first time-out.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/feed/ZMRFeedImageView.h"
#include "app/screens/feed/ZMRHomeViewController.h"
#include "app/screens/shared/ZMRImageView.h"
#include "app/screens/feed/ZMRImageViewController.h"
#include "app/screens/shared/ZMRPublishView.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRTask.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRStatusGatherDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Button.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Image.h"
#include "tools/appserver/AppSeed.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// The colours a seeded photo is painted with: ground, horizon, shape, mark.
std::vector<pf::Color> photoPalette(long long seed)
{
    auto hsv = [](double hue, double s, double v) {
        hue = std::fmod(hue, 360.0);
        double c = v * s, x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1)), m = v - c;
        double rgb[6][3] = {{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}};
        const double* p = rgb[std::min(5, static_cast<int>(hue / 60.0))];
        return pf::Color::rgb(p[0] + m, p[1] + m, p[2] + m);
    };
    double hue = std::fmod(static_cast<double>(seed) * 137.508, 360.0);
    return {hsv(hue, 0.45, 0.95), hsv(hue, 0.55, 0.75), hsv(hue + 180, 0.8, 0.8), hsv(hue + 90, 0.9, 0.6)};
}

// What an uplink task's sender hears.
struct Outcome : IKRUplinkTaskDelegate {
    bool heard = false;
    std::optional<pf::Error> error;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*) override { heard = true; }
    void krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& failure, const pf::Protocol*) override
    {
        heard = true;
        error = failure;
    }
};

class HomeScreen : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        ASSERT_TRUE(waitFor([&] { return home() && source() && source()->count() > 0; }));
        ASSERT_TRUE(settle());
    }
    std::shared_ptr<ZMRHomeViewController> home() const
    {
        auto root = shell->rootViewController();
        auto top = root ? root->topController() : nullptr;
        if (auto screen = std::dynamic_pointer_cast<ZMRHomeViewController>(top))
            return screen;
        return m_home.lock();
    }
    std::shared_ptr<KRDataSource> source() const
    {
        auto screen = home();
        if (screen && !m_home.lock())
            m_home = screen;
        return screen && screen->feedController() ? screen->feedController()->dataSource() : nullptr;
    }
    std::shared_ptr<pf::TableView> table() const { return home()->feedController()->tableView(); }
    std::vector<pf::DictionaryRef> entries() const
    {
        std::vector<pf::DictionaryRef> out;
        auto list = source()->dataObjects();
        for (std::size_t i = 0; list && i < list->count(); ++i)
            out.push_back(list->at(i).dictionary());
        return out;
    }
    // The uids of the listed posts' authors.
    std::set<long long> authors() const
    {
        std::set<long long> out;
        for (const auto& entry : entries())
            out.insert(entry ? entry->get("uid").longLongValue() : 0);
        return out;
    }
    // Picks a feed through the menu, as a person does, and waits for its first page.
    void choose(const char* title)
    {
        tap({160, 42});
        ASSERT_TRUE(waitFor([&] { return !home()->isClassifyViewAnimating(); }));
        ASSERT_TRUE(tapText(title)) << title;
        ASSERT_TRUE(waitFor([&] { return !source()->isLoading() && source()->count() > 0; }));
        ASSERT_TRUE(settle());
    }
    // The strip of row `row`, scrolled into view; null when the row has none.
    std::shared_ptr<ZMRFeedImageView> stripOfRow(int row)
    {
        table()->scrollToRowAtIndexPath({0, row}, pf::TableViewScrollPosition::Top, false);
        EXPECT_TRUE(settle());
        auto document = home()->feedController()->documentByIndexPath({0, row});
        auto element = std::dynamic_pointer_cast<KRDOMViewElement>(document ? document->elementById("images") : nullptr);
        return std::dynamic_pointer_cast<ZMRFeedImageView>(element && element->isViewLoaded() ? element->view() : nullptr);
    }
    int firstRowWithPictures() const
    {
        auto list = entries();
        for (std::size_t i = 0; i < list.size(); ++i) {
            auto images = list[i] ? list[i]->array("images") : nullptr;
            if (images && images->count() > 1)
                return static_cast<int>(i);
        }
        return -1;
    }
    mutable std::weak_ptr<ZMRHomeViewController> m_home;
};

}

TEST_F(HomeScreen, FirstPageShowsEveryonesPostsWithTheirPictures)
{
    EXPECT_EQ(home()->url()->absoluteString(), "root:///root/fold/center/home");
    EXPECT_EQ(home()->classifyButton()->titleForState(pf::ControlStates::Normal), std::optional<std::string>("Zomaru"));
    EXPECT_EQ(source()->count(), 20u);
    EXPECT_GT(authors().size(), 6u) << "everyone's posts";
    int row = firstRowWithPictures();
    ASSERT_GE(row, 0);
    auto strip = stripOfRow(row);
    ASSERT_TRUE(strip);
    auto images = entries()[static_cast<std::size_t>(row)]->array("images");
    auto pages = strip->pageViews();
    ASSERT_EQ(pages.size(), images->count());
    EXPECT_EQ(strip->pageControl()->numberOfPages(), static_cast<int>(images->count()));
    ASSERT_TRUE(waitFor([&] { return pages[0]->isLoaded() && pages[0]->image() && pages[0]->image() != pages[0]->defaultImage(); }));
    ASSERT_TRUE(settle());
    pf::Rect shown = pages[0]->convertRectToView(pages[0]->bounds(), nullptr);
    auto shot = render();
    ASSERT_TRUE(shot);
    pf::Point probe{shown.midX(), shown.y() + shown.height() * 0.1};
    auto pixel = shot->pixelAtPoint(probe);
    long long seed = entries()[static_cast<std::size_t>(row)]->get("pid").longLongValue() * 10;
    double nearest = 1e9;
    for (const pf::Color& colour : photoPalette(seed)) {
        nearest = std::min(nearest, std::fabs(pixel.r - colour.red * 255) + std::fabs(pixel.g - colour.green * 255) +
                                        std::fabs(pixel.b - colour.blue * 255));
    }
    EXPECT_LT(nearest, 24) << "the seeded photo is drawn in the row's strip";
}

TEST_F(HomeScreen, TheMenuSwitchesBetweenNearFollowedFriendsAndEveryone)
{
    auto screen = home();
    // Two taps within the menu's flight only open it.
    screen->doClassifyChangeAction(nullptr);
    screen->doClassifyChangeAction(nullptr);
    EXPECT_TRUE(screen->isClassifyViewAnimating());
    ASSERT_TRUE(waitFor([&] { return !screen->isClassifyViewAnimating(); }));
    EXPECT_FALSE(screen->classifyView()->isHidden());
    EXPECT_TRUE(screen->classifyButton()->isSelected());
    EXPECT_EQ(screen->classifyContentView()->frame().height(), 176) << "four rows of 44";
    EXPECT_FALSE(std::dynamic_pointer_cast<pf::Control>(screen->publishView()->actionControl())->isEnabled());
    screen->doClassifyHiddenAction(nullptr);
    ASSERT_TRUE(waitFor([&] { return screen->classifyView()->isHidden(); }));
    EXPECT_TRUE(std::dynamic_pointer_cast<pf::Control>(screen->publishView()->actionControl())->isEnabled());

    std::set<long long> followed(std::begin(zmr::kSeedFollowed), std::end(zmr::kSeedFollowed));
    std::set<long long> friends(std::begin(zmr::kSeedFollowingBack), std::end(zmr::kSeedFollowingBack));
    auto gather = std::dynamic_pointer_cast<KRStatusGatherDataSource>(source());
    ASSERT_TRUE(gather);

    choose("关注的妈妈");
    EXPECT_EQ(screen->classify(), std::optional<std::string>("follow"));
    EXPECT_EQ(screen->classifyButton()->titleForState(pf::ControlStates::Normal), std::optional<std::string>("关注的妈妈"));
    EXPECT_FALSE(screen->classifyButton()->isSelected());
    auto shown = authors();
    EXPECT_TRUE(std::includes(followed.begin(), followed.end(), shown.begin(), shown.end()));
    EXPECT_GT(shown.size(), friends.size()) << "followed people who do not follow back are in";

    choose("好友妈妈");
    EXPECT_EQ(gather->dataSource()->status(), std::optional<std::string>("friends"));
    EXPECT_EQ(authors(), friends);
    for (const auto& entry : entries()) {
        EXPECT_TRUE(entry->get("nick").isString());
        EXPECT_TRUE(entry->get("logo").isString());
    }

    // Near: rows nearest first from where the phone is.
    shell->didUpdateUserLocation({zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, pf::Date::now()});
    choose("附近的");
    EXPECT_EQ(screen->classifyButton()->titleForState(pf::ControlStates::Normal), std::optional<std::string>("附近的"));
    double last = -1;
    for (const auto& entry : entries()) {
        ASSERT_TRUE(entry->get("distance").isNumber());
        double distance = entry->get("distance").doubleValue();
        EXPECT_GE(distance + 1, last) << "nearest first";
        last = distance;
    }
    // The row shows its distance.
    auto nearest = entries()[0]->get("fmtDistance").stringValue();
    ASSERT_TRUE(nearest);
    table()->scrollToRowAtIndexPath({0, 0}, pf::TableViewScrollPosition::Top, false);
    ASSERT_TRUE(settle());
    auto distanceShown = textFrame(*nearest);
    ASSERT_TRUE(distanceShown) << *nearest;
    EXPECT_GT(distanceShown->maxX(), 160) << "on the right of the row's head";
    EXPECT_LT(distanceShown->maxY(), 568);

    // Any other word is everyone's feed.
    choose("全部");
    EXPECT_EQ(screen->classify(), std::optional<std::string>("all"));
    EXPECT_EQ(screen->classifyButton()->titleForState(pf::ControlStates::Normal), std::optional<std::string>("Zomaru"));
    EXPECT_EQ(gather->status(), std::optional<std::string>("all"));
    EXPECT_GT(authors().size(), followed.size());
}

TEST_F(HomeScreen, PullingRefreshesAndTheEndLoadsTheSecondPage)
{
    zmr::AppPost post;
    post.uid = 10003;
    post.body = "刚刚买到的新鲜草莓";
    ASSERT_TRUE(store->addPost(post, 0));
    EXPECT_FALSE(textFrame("刚刚买到的新鲜草莓"));
    drag({160, 120}, {160, 420}, 0.6);
    ASSERT_TRUE(waitFor([&] { return !entries().empty() && entries()[0]->get("body") == pf::Value(post.body); }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(textFrame("刚刚买到的新鲜草莓"));

    ASSERT_EQ(source()->count(), 20u);
    auto rows = table()->numberOfRowsInSection(0);
    table()->scrollToRowAtIndexPath({0, rows - 1}, pf::TableViewScrollPosition::Bottom, false);
    table()->setContentOffset({0, table()->contentOffset().y + 1});
    ASSERT_TRUE(waitFor([&] { return source()->count() == 40u; }));
    auto list = entries();
    std::set<long long> pids;
    for (const auto& entry : list)
        pids.insert(entry->get("pid").longLongValue());
    EXPECT_EQ(pids.size(), 40u) << "page 2 follows page 1 without repeats";
}

TEST_F(HomeScreen, ATappedPictureStoresTheFocusAndOpensTheViewer)
{
    int row = firstRowWithPictures();
    ASSERT_GE(row, 0);
    auto strip = stripOfRow(row);
    ASSERT_TRUE(strip);
    pf::Rect frame = strip->convertRectToView(strip->bounds(), nullptr);
    tap({frame.midX(), frame.midY()});
    auto focus = shell->focusValueForKey("image").dictionary();
    ASSERT_TRUE(focus);
    EXPECT_EQ(focus->get("pageIndex"), pf::Value("0"));
    EXPECT_EQ(focus->array("images"), entries()[static_cast<std::size_t>(row)]->array("images"));
    EXPECT_EQ(shell->focusValueForKey("feed").dictionary(), entries()[static_cast<std::size_t>(row)]);
    ASSERT_TRUE(settle());
    auto viewer = topController<ZMRImageViewController>();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->url()->absoluteString(), "root:///root/fold/center/home/image");
    EXPECT_TRUE(findView([](const pf::View& v) { return dynamic_cast<const ZMRImageView*>(&v) != nullptr; }));
}

TEST_F(HomeScreen, TheWheelOverAPictureStripTurnsItsPicturesOrScrollsTheFeed)
{
    int row = firstRowWithPictures();
    ASSERT_GE(row, 0);
    auto strip = stripOfRow(row);
    ASSERT_TRUE(strip);
    pf::Rect frame = strip->convertRectToView(strip->bounds(), nullptr);
    double feedY = table()->contentOffset().y;
    wheel({frame.midX(), frame.midY()}, {60, 0});
    EXPECT_GT(strip->contentView()->contentOffset().x, 0) << "sideways turns the pictures";
    EXPECT_EQ(table()->contentOffset().y, feedY);
    wheel({frame.midX(), frame.midY()}, {0, 60});
    EXPECT_EQ(table()->contentOffset().y, feedY + 60) << "down over the pictures scrolls the feed";
}

TEST_F(HomeScreen, AStatusBarTapScrollsTheFeedUp)
{
    table()->setContentOffset({0, 900});
    ASSERT_TRUE(settle());
    tap({160, 8});
    EXPECT_TRUE(waitFor([&] { return table()->contentOffset().y == 0; }));
}

TEST_F(HomeScreen, ThePublishFlyOutOpensItsItemsOnScreenBesideItsButton)
{
    auto menu = home()->publishView();
    auto plus = menu->actionControl();
    pf::Rect button = plus->convertRectToView(plus->bounds(), nullptr);
    // At the feed's end the last row's "评论 N" (the bottom 44 of the row,
    // over the 8 between rows) scrolls clear above the button.
    table()->setContentOffset(table()->maxContentOffset());
    auto last = table()->numberOfRowsInSection(0) - 1;
    pf::Rect lastRow = table()->convertRectToView(table()->rectForRowAtIndexPath({0, last}), nullptr);
    EXPECT_LE(lastRow.maxY() - 8, button.minY()) << "the button covers the last row's comment count";
    table()->setContentOffset({0, 0});
    tap({button.midX(), button.midY()});
    ASSERT_TRUE(settle());
    ASSERT_FALSE(menu->isHidden());
    // The first frame lays the screen out below the status bar (the drawer
    // settles its centre again); places are read after it, as a person sees them.
    render();
    ASSERT_TRUE(settle());
    button = plus->convertRectToView(plus->bounds(), nullptr);
    struct Row {
        const char* title;
        double dx, dy; // of the item's centre from the button's
    } rows[] = {{"记账", 0, -90}, {"晒单", -64, -64}, {"特价", -90, 0}};
    for (const Row& row : rows) {
        auto item = viewWithText(row.title);
        ASSERT_TRUE(item) << row.title;
        pf::Rect frame = item->convertRectToView(item->bounds(), nullptr);
        EXPECT_NEAR(frame.midX() - button.midX(), row.dx, 0.5) << row.title;
        EXPECT_NEAR(frame.midY() - button.midY(), row.dy, 0.5) << row.title;
        EXPECT_LE(frame.maxY(), 568) << row.title << " lies on the screen";
    }
    tap({160, 200}); // the overlay closes it
    EXPECT_TRUE(waitFor([&] { return menu->isHidden(); }));
}

// The publish service's road into the home feed: the uploaded picture is
// what the row and the viewer draw, and the row's text leads to the post.
TEST_F(HomeScreen, APublishedPostLeadsTheRefreshedFeedWithItsPictureAndOpensItsDetailsAndTheViewer)
{
    const pf::Color green = pf::Color::rgb(0.15, 0.65, 0.25);
    const std::string body = "刚出炉的抹茶蛋糕半价";
    auto picture = pf::Bitmap::create(400, 300);
    ASSERT_TRUE(picture);
    picture.value()->fill(green);
    auto post = std::make_shared<ZMRPublishTask>();
    post->setBody(body);
    post->setImages(pf::Array::create({pf::Value(pf::Image::create(*picture))}));
    post->setPayMoney(40);
    post->setExpendMoney(20);
    auto outcome = std::make_shared<Outcome>();
    post->setDelegate(outcome);
    post->setSource(post);
    ASSERT_TRUE(shell->handle(proto::IZMRPublishTask(), post, 0));
    ASSERT_TRUE(waitFor([&] { return outcome->heard; }));
    ASSERT_FALSE(outcome->error) << outcome->error->description;
    EXPECT_FALSE(textFrame(body)) << "the list shown is not reloaded behind the person's back";

    drag({160, 120}, {160, 420}, 0.6);
    ASSERT_TRUE(waitFor([&] { return !entries().empty() && entries()[0]->get("body") == pf::Value(body); }));
    ASSERT_TRUE(settle());
    auto lead = entries()[0];
    EXPECT_EQ(lead->get("uid").longLongValue(), shell->uid().longLongValue());
    long long pid = lead->get("pid").longLongValue();
    ASSERT_GT(pid, 0);

    // The uploaded picture, as the server keeps it, is drawn in the row's strip.
    auto strip = stripOfRow(0);
    ASSERT_TRUE(strip);
    auto pages = strip->pageViews();
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_TRUE(waitFor([&] { return pages[0]->isLoaded() && pages[0]->image() && pages[0]->image() != pages[0]->defaultImage(); }));
    ASSERT_TRUE(settle());
    pf::Rect shown = pages[0]->convertRectToView(pages[0]->bounds(), nullptr);
    EXPECT_TRUE(pixelIs({shown.midX(), shown.midY()}, green, 12)) << "the row draws the published picture";

    // The row's text opens the post's details.
    ASSERT_TRUE(tapText(body));
    auto root = shell->rootViewController();
    ASSERT_TRUE(root);
    auto details = std::dynamic_pointer_cast<ZMRFeedDetailsViewController>(root->topController());
    ASSERT_TRUE(details) << "the details are on top";
    EXPECT_EQ(details->url()->absoluteString(), "root:///root/fold/center/home/feed-details?pid=" + std::to_string(pid));
    EXPECT_EQ(shell->focusValueForKey("feed").dictionary(), lead);
    ASSERT_TRUE(waitFor([&] { return details->detailsTableViewCell()->frame().height() > 0; }));
    ASSERT_TRUE(settle());
    auto head = textFrame(body);
    ASSERT_TRUE(head) << "the details' head shows the post";
    EXPECT_GE(head->y(), 64) << "below the details' bar";

    // Back on the list, the picture opens the viewer, which draws it too.
    auto navigation = std::dynamic_pointer_cast<pf::NavigationController>(root);
    ASSERT_TRUE(navigation);
    navigation->popViewControllerAnimated(false);
    details.reset();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(std::dynamic_pointer_cast<ZMRHomeViewController>(root->topController())) << "the list is on top again";
    strip = stripOfRow(0);
    ASSERT_TRUE(strip);
    pf::Rect frame = strip->convertRectToView(strip->bounds(), nullptr);
    tap({frame.midX(), frame.midY()});
    auto viewer = std::dynamic_pointer_cast<ZMRImageViewController>(root->topController());
    ASSERT_TRUE(viewer) << "the viewer is on top";
    auto page = viewer->pageView(0);
    auto image = page ? std::dynamic_pointer_cast<KRImageView>(page->viewWithTag(100)) : nullptr;
    ASSERT_TRUE(image);
    ASSERT_TRUE(waitFor([&] { return image->isLoaded() && image->image() && image->image() != image->defaultImage(); }));
    ASSERT_TRUE(settle());
    pf::Rect drawn = image->convertRectToView(image->bounds(), nullptr);
    EXPECT_TRUE(pixelIs({drawn.midX(), drawn.midY()}, green, 12)) << "the viewer draws the published picture";
}

TEST_F(HomeScreen, AFailedLoadOverAnEmptyListSaysWhatFailedAndPullingDownLoadsAgain)
{
    std::string url = server->url();
    int port = std::stoi(url.substr(url.rfind(':') + 1));
    server->stop();
    tap({160, 42});
    ASSERT_TRUE(waitFor([&] { return !home()->isClassifyViewAnimating(); }));
    ASSERT_TRUE(tapText("关注的妈妈"));
    ASSERT_TRUE(waitFor([&] { return !source()->isLoading(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(source()->count(), 0u);
    auto message = textFrame("网络连接失败，请稍后重试");
    auto hint = textFrame("下拉可重新加载");
    ASSERT_TRUE(message && hint);
    EXPECT_NEAR(message->midX(), 160, 1);
    EXPECT_NEAR(hint->midX(), 160, 1);
    EXPECT_LT(message->maxY(), hint->minY());

    ASSERT_TRUE(server->start(port));
    drag({160, 120}, {160, 420}, 0.6);
    ASSERT_TRUE(waitFor([&] { return source()->count() > 0; }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(textFrame("下拉可重新加载"));
    EXPECT_FALSE(textFrame("网络连接失败，请稍后重试"));
}

namespace {

// The gateway holds every answer to the home's first page from the launch
// on; the request's time-out (the API service's "timeout") is short.
class HomeWithHeldFeeds : public HomeScreen {
protected:
    HomeWithHeldFeeds() { setRoute(Route::Gateway); }
    void SetUp() override { AppScreenTest::SetUp(); } // no rows to wait for
    void beforeLaunch() override
    {
        auto services = shell->config()->array("services");
        for (std::size_t i = 0; services && i < services->count(); ++i) {
            auto entry = services->at(i).dictionary();
            if (entry && entry->get("class").stringValue() == std::optional<std::string>("KRAPIService"))
                entry->set("timeout", 1.0);
        }
        gateway->setFault(zmr::FaultServer::Fault::Silent);
        gateway->setTarget("taskType=ZMRFeedsTask");
    }
};

}

TEST_F(HomeWithHeldFeeds, TheFirstTimeOutShowsTheFailureAndAPullAsksAgain)
{
    auto asked = [&] { return gateway->count("/api", "taskType=ZMRFeedsTask"); };
    ASSERT_TRUE(waitFor([&] { return textFrame("下拉可重新加载").has_value(); }));
    EXPECT_TRUE(textFrame("网络连接失败，请稍后重试"));
    EXPECT_EQ(asked(), 1u) << "the failure shows at the first request's time-out, which sends nothing again";

    gateway->setTarget("");
    drag({160, 120}, {160, 420}, 0.6);
    ASSERT_TRUE(waitFor([&] { return source() && source()->count() > 0; }));
    EXPECT_EQ(asked(), 2u);
    EXPECT_FALSE(textFrame("下拉可重新加载"));
}
