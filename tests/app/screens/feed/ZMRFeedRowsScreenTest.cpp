// A user's posts from the local server as feed rows on the application's
// screen: texts, categories, tags and the saving drawn, and a like tapped
// on a row reaching the server while the row shows it at once.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/app/screens/UserFeedTable.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "framework/data/KRTableView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <filesystem>

namespace {

class FeedRowsScreen : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        showUserFeedTable(shell, 10002, feed, rows, table);
    }
    // Where an element of row `row` is on the screen.
    pf::Rect onScreen(int row, std::string_view id)
    {
        auto document = rows->documentByIndexPath({0, row});
        auto element = document->elementById(id);
        pf::Rect inRow = element->convertRect({{0, 0}, element->frame().size}, document->rootElement().get());
        pf::Rect cell = table->rectForRowAtIndexPath({0, row});
        return inRow.offsetBy(cell.x(), cell.y() + table->frame().y() - table->contentOffset().y);
    }
    std::shared_ptr<ZMRUserFeedDataSource> feed = std::make_shared<ZMRUserFeedDataSource>();
    std::shared_ptr<ZMRFeedController> rows = std::make_shared<ZMRFeedController>();
    std::shared_ptr<KRTableView> table = std::make_shared<KRTableView>(pf::Rect{0, 64, 320, 504});
};

}

TEST_F(FeedRowsScreen, RowsShowTheirTextsTagsAndSavingAndALikeReachesTheServer)
{
    ASSERT_TRUE(waitFor([&] { return feed->count() > 0 && table->cellForRowAtIndexPath({0, 0}); }));
    ASSERT_TRUE(settle());
    std::filesystem::create_directories("shots");
    EXPECT_TRUE(writePng("shots/feed_rows.png"));

    auto entry = feed->dataObjectAtIndex(0).dictionary();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->get("uid").longLongValue(), 10002);
    auto shot = render();
    ASSERT_TRUE(shot);
    const double scale = 2;
    auto ink = [&](pf::Rect r) {
        return pf::test::hasInk(*shot, {r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale},
                                pf::Color::whiteColor());
    };
    EXPECT_TRUE(ink(onScreen(0, "money")));
    EXPECT_TRUE(textFrame("省¥"));
    EXPECT_TRUE(ink(onScreen(0, "tags")));
    EXPECT_FALSE(rows->documentByIndexPath({0, 0})->elementById("tags")->childs().empty());

    // A like shows at once, and the server counts it.
    long long pid = entry->get("pid").longLongValue();
    long long before = entry->get("likedCount").longLongValue();
    ASSERT_FALSE(entry->get("liked").boolValue());
    pf::Rect like = onScreen(0, "liked-img");
    tap({like.midX(), like.midY()});
    EXPECT_EQ(entry->get("likedCount").longLongValue(), before + 1);
    EXPECT_EQ(rows->documentByIndexPath({0, 0})->elementById("liked-label")->text(), std::to_string(before + 1));
    EXPECT_EQ(shell->focusValueForKey("feed").dictionary(), entry);
    EXPECT_TRUE(pixelIs({like.midX(), like.midY()}, pf::Color::rgb(0xE8 / 255.0, 0x3A / 255.0, 0x3A / 255.0), 8));
    EXPECT_TRUE(writePng("shots/feed_rows_liked.png"));
    auto stored = [&] {
        auto post = KRJSON::decodeText(store->postJson(pid, 10001, origin()).value_or("{}")).dictionary();
        return post ? post->get("likedCount").longLongValue() : -1;
    };
    EXPECT_TRUE(waitFor([&] { return stored() == before + 1; }));
}
