// The start screen of the shipped application, through the shared screen fixture.

#include "AppScreenTest.h"

#include "framework/dom/KRDOMView.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Color.h"

namespace {

class StartScreen : public AppScreenTest {};

class AnonymousStartScreen : public AppScreenTest {
protected:
    AnonymousStartScreen() : AppScreenTest(Start::Anonymous) {}
};

// The title's colour in the shipped style sheet.
const pf::Color kTitleColour = pf::Color::rgb(0xf2 / 255.0, 0x6c / 255.0, 0x4f / 255.0);

// The first point of `frame` drawn in `colour`.
std::optional<pf::Point> inkOf(const pf::Bitmap& shot, const pf::Rect& frame, const pf::Color& colour)
{
    pf::Rgba8 want = pf::toRgba8(colour);
    for (double y = frame.minY(); y < frame.maxY(); y += 0.5)
        for (double x = frame.minX(); x < frame.maxX(); x += 0.5)
            if (shot.pixelAtPoint({x, y}).near(want, 3))
                return pf::Point{x, y};
    return std::nullopt;
}

}

TEST_F(StartScreen, ShowsTheTitleInItsColourAndTheDemoNickname)
{
    ASSERT_TRUE(open("root:///root/start"));
    auto title = textFrame("欢迎来到Zomaru");
    ASSERT_TRUE(title);
    auto shot = render();
    ASSERT_TRUE(shot);
    auto ink = inkOf(*shot, *title, kTitleColour);
    ASSERT_TRUE(ink) << "no pixel of the title colour inside the title";
    EXPECT_TRUE(pixelIs(*ink, kTitleColour));
    EXPECT_TRUE(pixelIs({title->minX() - 10, title->midY()}, pf::Color::whiteColor())); // the page around it
    EXPECT_TRUE(textFrame("演示用户"));
    EXPECT_TRUE(viewOfClass<KRDOMView>());
}

TEST_F(AnonymousStartScreen, ShowsTheTitleWithoutANickname)
{
    ASSERT_TRUE(open("root:///root/start"));
    EXPECT_TRUE(textFrame("欢迎来到Zomaru"));
    EXPECT_FALSE(textFrame("演示用户"));
    EXPECT_FALSE(shell->uid().isNumber());
}

// The shipped main window is the application's: a tap on the status bar
// scrolls the page back to its top.
TEST_F(StartScreen, AStatusBarTapScrollsThePageUp)
{
    ASSERT_TRUE(open("root:///root/start"));
    auto page = viewOfClass<pf::ScrollView>();
    ASSERT_TRUE(page);
    page->setContentSize({page->bounds().width(), 2000});
    page->setContentOffset({0, 300});
    tap({160, 300});
    EXPECT_EQ(page->contentOffset().y, 300);
    tap({160, 10});
    EXPECT_TRUE(waitFor([&] { return page->contentOffset().y == 0 && !page->hasAnimations(); }));
}
