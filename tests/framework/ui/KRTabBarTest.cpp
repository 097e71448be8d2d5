#include "framework/ui/KRTabBar.h"
#include "platform/controls/BarItem.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/controls/ControlsTestSupport.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

namespace {

using pf::test::HostTest;

pf::ImageRef solid(pf::Color colour)
{
    pf::BitmapRef bitmap = pf::Bitmap::create(4, 4).value();
    bitmap->fill(colour);
    return pf::Image::create(bitmap);
}

std::shared_ptr<KRTabBar> barWithItems(int count)
{
    auto bar = std::make_shared<KRTabBar>();
    std::vector<std::shared_ptr<pf::TabBarItem>> items;
    for (int i = 0; i < count; i++)
        items.push_back(std::make_shared<pf::TabBarItem>("Tab" + std::to_string(i), nullptr, i));
    bar->setItems(items);
    return bar;
}

}

TEST(KRTabBar, SelectedIndexFollowsTheSelectedItemAndIgnoresIndexesPastTheEnd)
{
    auto bar = barWithItems(3);
    EXPECT_EQ(bar->selectedIndex(), KRTabBar::NotFound);
    struct Row {
        unsigned set, selected;
    };
    for (const Row& row : std::vector<Row>{{2, 2}, {0, 0}, {3, 0}, {KRTabBar::NotFound, 0}, {1, 1}}) {
        bar->setSelectedIndex(row.set);
        EXPECT_EQ(bar->selectedIndex(), row.selected) << row.set;
    }
    bar->setSelectedItem(std::make_shared<pf::TabBarItem>()); // not on the bar
    EXPECT_EQ(bar->selectedIndex(), 1u);
    EXPECT_EQ(barWithItems(0)->selectedIndex(), KRTabBar::NotFound);
}

using KRTabBarDrawing = HostTest;

TEST_F(KRTabBarDrawing, TheBackgroundImageFillsTheBarUnderItsItems)
{
    const pf::Color red = pf::Color::rgb(1, 0, 0), blue = pf::Color::rgb(0, 0, 1);
    for (int items : {0, 2}) {
        auto bar = barWithItems(items);
        bar->setFrame({0, 100, 320, 49});
        window->addSubview(bar);
        pf::ImageRef image = solid(red);
        bar->setBackgroundImage(image);
        auto frame = host->render();
        ASSERT_TRUE(frame);
        // Stretched from corner to corner, whether or not there are items.
        for (pf::Point p : {pf::Point{1, 101}, pf::Point{318, 101}, pf::Point{1, 147}, pf::Point{318, 147}})
            EXPECT_TRUE(pf::test::pixelIs(*frame.value(), p, red)) << items;
        EXPECT_TRUE(pf::test::pixelIs(*frame.value(), {160, 99}, pf::Color::whiteColor())) << "nothing outside";
        if (items) { // the titles are drawn over the image
            EXPECT_TRUE(pf::test::hasInk(*frame.value(), {40, 134, 80, 14}, red));
        }

        // The same image again asks for no redraw; another one does.
        bar->setBackgroundImage(image);
        EXPECT_FALSE(bar->needsDisplay()) << items;
        bar->setBackgroundImage(solid(blue));
        EXPECT_TRUE(bar->needsDisplay()) << items;
        EXPECT_TRUE(pf::test::pixelIs(*host->render().value(), {1, 101}, blue)) << items;
        bar->removeFromSuperview();
    }
}
