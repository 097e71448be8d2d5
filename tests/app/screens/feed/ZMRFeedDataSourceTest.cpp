// The feed source's query switches and the display fields it adds to every
// page, against the application's shell as context (its position set by hand).

#include "app/screens/shared/ZMRDisplayFields.h"
#include "app/screens/feed/ZMRFeedDataSource.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kEarthRadius = 6378137.0;
constexpr double kOwnLongitude = 116.4;

// The latitude `metres` north of the own position (0, kOwnLongitude).
double north(double metres) { return metres / kEarthRadius * 180 / M_PI; }

class FeedFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell = ZMRShell::create(pf::Dictionary::create({}), nullptr);
        ASSERT_TRUE(shell);
        feed->setContext(shell);
        feed->setDataKey(std::string("list"));
    }
    void positionKnown() { shell->didUpdateUserLocation({0, kOwnLongitude, pf::Date::now()}); }
    // Delivers `items` as page `page` of the feed.
    void deliver(int page, pf::ArrayRef items)
    {
        feed->setPageIndex(page);
        feed->krDownlinkTaskDidLoaded(pf::Value(pf::Dictionary::create({{"list", pf::Value(items)}})), nullptr);
    }
    pf::DictionaryRef row(int index) { return feed->dataObjectAtIndex(index).dictionary(); }

    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<ZMRFeedDataSource> feed = std::make_shared<ZMRFeedDataSource>();
};

pf::Value post(pf::Value latitude, pf::Value longitude)
{
    return pf::Value(pf::Dictionary::create({{"latitude", latitude}, {"longitude", longitude}}));
}

}

TEST(ZMRFeedQuery, ClassifyIsTheStatusAndMutualIsAQueryValueOrNone)
{
    auto feed = std::make_shared<ZMRFeedDataSource>();
    feed->setValueForKey("classify", "friends");
    EXPECT_EQ(feed->status(), "friends");
    EXPECT_FALSE(feed->isMutual());
    EXPECT_FALSE(feed->queryValues()->contains("mutual"));
    struct Row {
        pf::Value set;
        bool mutual;
    } rows[] = {{true, true}, {"YES", true}, {false, false}, {1, true}, {0, false}};
    for (const Row& row : rows) {
        feed->setValueForKey("mutual", row.set);
        EXPECT_EQ(feed->isMutual(), row.mutual) << row.set.description();
        EXPECT_EQ(feed->queryValues()->get("mutual"), row.mutual ? pf::Value("1") : pf::Value()) << row.set.description();
        EXPECT_EQ(feed->valueForKey("mutual").boolValue(), row.mutual);
    }
    EXPECT_EQ(feed->queryValues()->get("pageIndex"), pf::Value("1"));
    EXPECT_EQ(feed->queryValues()->get("pageSize"), pf::Value("20"));
}

TEST(ZMRFeedDistances, AreWholeMetresBelowAKilometreElseWholeKilometres)
{
    struct Row {
        double metres;
        const char* text;
    } rows[] = {{1, "1米"}, {999.9, "999米"}, {1000, "1公里"}, {2999, "2公里"}, {1e7, "10000公里"}};
    for (const Row& row : rows)
        EXPECT_EQ(ZMRFormatDistance(row.metres), row.text) << row.metres;
}

TEST_F(FeedFields, DistancesNeedAnOwnPositionAndSoundCoordinates)
{
    struct Row {
        pf::Value item;
        const char* fmtDistance; // nullptr: no distance fields
        double distance;
    } rows[] = {
        {post(north(0.4), kOwnLongitude), "1米", 1},
        {post(north(999.9), kOwnLongitude), "999米", 999.9},
        {post(north(1000.01), kOwnLongitude), "1公里", 1000},
        {post(north(2999), kOwnLongitude), "2公里", 2999},
        {post(std::to_string(north(500)), std::to_string(kOwnLongitude)), "500米", 500},
        {post(0, kOwnLongitude), nullptr, 0},
        {post(north(10), 0), nullptr, 0},
        {post(91, kOwnLongitude), nullptr, 0},
        {post(10, 181), nullptr, 0},
        {post(NAN, kOwnLongitude), nullptr, 0},
        {post(north(10), INFINITY), nullptr, 0},
        {post("north", "east"), nullptr, 0},
        {post(pf::Value(pf::Array::create({1})), kOwnLongitude), nullptr, 0},
        {pf::Value(pf::Dictionary::create({})), nullptr, 0},
    };
    auto items = pf::Array::create();
    for (const Row& row : rows)
        items->add(row.item);
    deliver(1, items); // no own position yet: nobody has a distance
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_FALSE(row(i)->contains("fmtDistance")) << i;
    positionKnown();
    deliver(2, pf::Array::create({post(north(5), kOwnLongitude)}));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        if (!r.fmtDistance) {
            EXPECT_FALSE(row(i)->contains("fmtDistance") || row(i)->contains("distance")) << i;
            continue;
        }
        EXPECT_EQ(row(i)->get("fmtDistance").stringOr(), r.fmtDistance) << i;
        EXPECT_NEAR(row(i)->get("distance").doubleValue(), r.distance, 0.1) << i;
    }
    EXPECT_EQ(row(std::size(rows))->get("fmtDistance").stringOr(), "5米");
    // An item holding one of the two fields keeps it and gains the other.
    pf::Value onlyText = post(north(5), kOwnLongitude), onlyNumber = post(north(5), kOwnLongitude);
    onlyText.dictionary()->set("fmtDistance", "隔壁");
    onlyNumber.dictionary()->set("distance", 7);
    deliver(3, pf::Array::create({onlyText, onlyNumber}));
    EXPECT_EQ(row(std::size(rows) + 1)->get("fmtDistance").stringOr(), "隔壁");
    EXPECT_NEAR(row(std::size(rows) + 1)->get("distance").doubleValue(), 5, 0.1);
    EXPECT_EQ(row(std::size(rows) + 2)->get("distance").doubleValue(), 7);
    EXPECT_EQ(row(std::size(rows) + 2)->get("fmtDistance").stringOr(), "5米");
}

TEST_F(FeedFields, BodiesBecomeEncodedMarkupAndOnlyListedItemsKeepAnHtmlTheyHold)
{
    auto page1 = KRJSON::decodeText(R"([
        {"body":"牛奶  八折"},
        {"body":"<img src=x onerror=1>&amp;"},
        {"body":"原价", "html":"<b>保留</b>"},
        {"html":"<script>"},
        {"body":12},
        "text", 7, null, [1,2]
    ])").array();
    ASSERT_TRUE(page1);
    deliver(1, page1);
    ASSERT_EQ(feed->count(), 9u);
    EXPECT_EQ(row(0)->get("html"), pf::Value("牛奶&nbsp;&nbsp;八折"));
    EXPECT_EQ(row(1)->get("html").stringOr().find('<'), std::string::npos);
    EXPECT_EQ(row(2)->get("html"), pf::Value("原价"));
    EXPECT_FALSE(row(3)->contains("html"));
    EXPECT_FALSE(row(4)->contains("html"));
    for (int i = 5; i < 9; ++i)
        EXPECT_FALSE(row(i)) << i; // kept as rows, without fields

    row(0)->set("html", "<i>listed</i>"); // what the list holds stays
    deliver(2, KRJSON::decodeText(R"([{"body":"b c","html":"<a>"}])").array());
    EXPECT_EQ(row(0)->get("html"), pf::Value("<i>listed</i>"));
    EXPECT_EQ(row(9)->get("html"), pf::Value("b&nbsp;c"));
}

TEST_F(FeedFields, OnlyAFiniteNumberOrNumericTextCreateTimeGetsARelativeTime)
{
    double now = pf::Date::now().seconds;
    struct Row {
        pf::Value createTime;
        bool formatted;
    } rows[] = {
        {now - 30, true}, {now - 400 * 86400.0, true}, {0, true},
        {std::to_string(now), true}, {std::to_string(static_cast<long long>(now)), true}, {"17e8", false}, {"12x", false},
        {" 12", false}, {"inf", false}, {pf::Value::boolean(true), false}, {NAN, false}, {INFINITY, false}, {1e300, false}, {-1e300, false}, {pf::Value(), false},
    };
    auto items = pf::Array::create();
    for (const Row& r : rows)
        items->add(pf::Value(pf::Dictionary::create({{"createTime", r.createTime}})));
    deliver(1, items);
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(row(i)->contains("fmtCreateTime"), rows[i].formatted) << rows[i].createTime.description();
    EXPECT_EQ(row(0)->get("fmtCreateTime").stringOr().find("分钟前") != std::string::npos
                  || row(0)->get("fmtCreateTime").stringOr().find(":") != std::string::npos,
              true);
}
