// The prize details page and its countdown, on the shipped template, with a
// data source standing in for the prize list's and the manual clock of the
// headless host. Dates are printed in the fixed zone "CST-8".

#include "app/screens/prizes/ZMRPrizeDetailsController.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMView.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/PerformRequest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>

namespace {

constexpr double kNoon20140501 = 1398916800; // 2014-05-01 12:00:00 in CST-8

// A prize source with a server clock the test sets; it answers only when told.
class FakePrizeSource : public KRDataSource {
public:
    double nowTimestamp() const { return now; }
    void reloadData() override { ++reloads; }
    void cancel() override { ++cancels; }
    void answer(const pf::Value& prize)
    {
        dataObjects()->clear();
        if (!prize.isNil())
            dataObjects()->add(prize);
        if (auto delegate = dataSourceDelegate())
            delegate->krDataSourceDidLoaded(*this);
    }
    double now = kNoon20140501;
    int reloads = 0;
    int cancels = 0;
};

struct Recorder : pf::Object, ZMRPrizeDetailsControllerDelegate {
    int changes = 0;
    void prizeDetailsControllerDidContentChanged(ZMRPrizeDetailsController&) override { ++changes; }
};

// The texts of an element's labels, in order.
std::string texts(const KRDOMElementRef& element)
{
    std::string out;
    for (const auto& child : element->childs())
        out += child->text();
    return out;
}

class ZMRPrizeDetails : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        pf::ClassBuilder<FakePrizeSource>("TestPrizeSource")
            .superclass<KRDataSource>()
            .readonlyProperty("nowTimestamp", &FakePrizeSource::nowTimestamp)
            .commit();
    }
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        m_oldZone = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TZ", "CST-8", 1);
        tzset();
        host = std::make_unique<pf::HeadlessHost>();
        view = KRDOMView::create(pf::Rect(0, 0, 320, 568));
        controller = std::make_shared<ZMRPrizeDetailsController>();
        controller->setHtml("templates/prize_details.html");
        controller->setDocumentView(view);
        view->setDelegate(controller);
        controller->setStatusView(std::make_shared<KRStatusView>());
        controller->setDataSource(source);
        source->setDelegate(controller);
        controller->setDelegate(recorder);
    }
    void TearDown() override
    {
        controller.reset();
        host.reset();
        if (m_oldZone)
            setenv("TZ", m_oldZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static pf::Value prize(pf::Value saleTime, pf::Value endTime)
    {
        return pf::Value(pf::Dictionary::create({{"pid", 2},
                                                 {"title", "保温杯"},
                                                 {"saleTime", std::move(saleTime)},
                                                 {"endTime", std::move(endTime)},
                                                 {"images", pf::Value(pf::Array::create({"a.jpg"}))}}));
    }
    KRDOMElementRef element(const char* id) { return controller->document()->elementById(id); }
    std::string status() { return controller->dataItem().dictionary()->get("status").stringOr("(none)"); }
    std::string buttonTitle()
    {
        auto element = std::dynamic_pointer_cast<KRDOMViewElement>(this->element("statusView"));
        auto button = element && element->isViewLoaded() ? std::dynamic_pointer_cast<pf::Button>(element->view()) : nullptr;
        return button ? button->title().value_or("(none)") : "(no button)";
    }
    // Moves the server clock and the animation clock on together.
    void wait(double seconds)
    {
        source->now += seconds;
        // A little past the due time: the manual clock counts in sixtieths.
        host->clock().advance(seconds + 0.001);
    }

    std::unique_ptr<pf::HeadlessHost> host;
    std::shared_ptr<KRDOMView> view;
    std::shared_ptr<ZMRPrizeDetailsController> controller;
    std::shared_ptr<FakePrizeSource> source = std::make_shared<FakePrizeSource>();
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();

private:
    std::optional<std::string> m_oldZone;
};

}

TEST(ZMRPrizeTick, StatusAndRemainderFollowTheServerClock)
{
    constexpr double sale = 1000, end = 2000;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        double now;
        std::optional<double> sale, end;
        const char* status; // nullptr: no tick at all
        long long remaining;
        bool again;
    } rows[] = {
        {900, sale, end, "未开始", 100, true},
        {999.5, sale, end, "未开始", 0, true}, // under a second: the end date shows, ticking goes on
        {1000, sale, end, "兑奖中", 1000, true}, // the sale start belongs to the sale
        {1999.2, sale, end, "兑奖中", 0, true},
        {2000, sale, end, "兑奖中", 0, true}, // and so does the end
        {2000.5, sale, end, "已结束", 0, false},
        {500, 400, 300, "已结束", 0, false}, // a window that ends before it starts
        {-1e300, 1e300, 1e300, "未开始", 4600000000000000000LL, true}, // far off: still a 64-bit count
        {nan, sale, end, nullptr, 0, false},
        {900, std::nullopt, end, nullptr, 0, false},
        {900, sale, std::numeric_limits<double>::infinity(), nullptr, 0, false},
    };
    for (const Row& row : rows) {
        auto tick = ZMRPrizeDetailsController::tickFor(row.now, row.sale, row.end);
        if (!row.status) {
            EXPECT_FALSE(tick) << row.now;
            continue;
        }
        ASSERT_TRUE(tick) << row.now;
        EXPECT_STREQ(tick->status, row.status) << row.now;
        EXPECT_EQ(tick->remaining, row.remaining) << row.now;
        EXPECT_EQ(tick->again, row.again) << row.now;
    }
}

TEST_F(ZMRPrizeDetails, CountdownSplitsDaysHoursMinutesSecondsAndEndsWithTheEndDate)
{
    struct Row {
        long long remaining;
        const char* shows;
    } rows[] = {
        {90061, "1天1时1分1秒"},
        {59, "0天0时0分59秒"},
        {86400 * 400 + 3599, "400天0时59分59秒"},
        {0, "2014年05月01日 12时00分00秒"},
    };
    for (const Row& row : rows) {
        auto box = KRDOMParse().newElement("time", "");
        ASSERT_TRUE(KRDOMParse().parseHTML(controller->countdownMarkup(row.remaining, kNoon20140501), box));
        EXPECT_EQ(texts(box), row.shows);
    }
}

TEST_F(ZMRPrizeDetails, TicksEverySecondThroughTheSaleAndStopsAfterTheEnd)
{
    controller->reloadData();
    EXPECT_EQ(controller->statusView()->status(), "loading");
    EXPECT_EQ(source->reloads, 1);
    std::size_t pendingBefore = pf::pendingPerformRequestCount();
    source->answer(prize(kNoon20140501 + 2, kNoon20140501 + 4));
    EXPECT_FALSE(controller->statusView()->status());
    EXPECT_EQ(recorder->changes, 1);
    EXPECT_EQ(status(), "未开始");
    EXPECT_EQ(texts(element("time")), "0天0时0分2秒");
    EXPECT_EQ(buttonTitle(), "未开始") << "the page's button shows the status";
    EXPECT_EQ(element("images")->valueForKey("images").array()->count(), 1u);
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore + 1);

    struct Step {
        double seconds;
        const char* status;
        const char* time;
    } steps[] = {
        {1, "未开始", "0天0时0分1秒"},
        {1, "兑奖中", "0天0时0分2秒"},
        {1, "兑奖中", "0天0时0分1秒"},
        {1, "兑奖中", "2014年05月01日 12时00分04秒"},
        {1, "已结束", "2014年05月01日 12时00分04秒"},
    };
    for (const Step& step : steps) {
        wait(step.seconds);
        EXPECT_EQ(status(), step.status) << step.time;
        EXPECT_EQ(texts(element("time")), step.time);
        EXPECT_EQ(buttonTitle(), step.status);
        EXPECT_EQ(element("time")->childs().size(), step.time[0] == '2' ? 1u : 8u) << "each tick replaces the labels";
    }
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore) << "an ended prize ticks no more";
    wait(5);
    EXPECT_EQ(recorder->changes, 1) << "ticks change the page in place";
}

TEST_F(ZMRPrizeDetails, CancelAndReleaseStopTheTickAndAnAnswerWithoutAPrizeIsAnError)
{
    std::size_t pendingBefore = pf::pendingPerformRequestCount();
    source->answer(prize(kNoon20140501 + 100, kNoon20140501 + 200));
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore + 1);
    // A second answer rebuilds the page and still leaves one tick.
    source->answer(prize(kNoon20140501 + 100, kNoon20140501 + 200));
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore + 1);
    controller->cancel();
    EXPECT_EQ(source->cancels, 1);
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore);

    source->answer(prize(kNoon20140501 + 100, kNoon20140501 + 200));
    source->answer(pf::Value());
    EXPECT_EQ(controller->statusView()->status(), "error");
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore) << "no prize, no tick";

    // Times that are no numbers: no status, no countdown, no tick; numeric texts count.
    struct Row {
        pf::Value sale, end;
        const char* status;
    } rows[] = {
        {pf::Value("soon"), pf::Value(kNoon20140501 + 10), "(none)"},
        {pf::Value(), pf::Value(kNoon20140501 + 10), "(none)"},
        {pf::Value(true), pf::Value(kNoon20140501 + 10), "(none)"},
        {pf::Value("1398916790"), pf::Value("1398916810"), "兑奖中"},
    };
    for (const Row& row : rows) {
        source->answer(prize(row.sale, row.end));
        EXPECT_EQ(status(), row.status) << row.sale.description();
        bool ticking = std::string(row.status) != "(none)";
        EXPECT_EQ(texts(element("time")).empty(), !ticking);
        EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore + (ticking ? 1 : 0));
    }

    // Released with a tick pending: the tick neither keeps nor reaches it.
    source->answer(prize(kNoon20140501 + 100, kNoon20140501 + 200));
    std::weak_ptr<ZMRPrizeDetailsController> gone = controller;
    view->setDelegate({});
    controller.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(source->cancels, 2);
    EXPECT_EQ(pf::pendingPerformRequestCount(), pendingBefore);
    wait(2);
}
