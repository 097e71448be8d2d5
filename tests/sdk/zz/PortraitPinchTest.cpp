// The set-portrait screen zoomed by two fingers on the picture under the crop frame.

#include "platform/controls/ScrollView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/zz/SetHeadImageViewController.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Uploader : setHeadImageDelegate {
    int didFinishedSetUserLocalPic(SetHeadImageViewController&, const pf::ImageRef&, const std::string&) override
    {
        return -1;
    }
    void didCancelled(int) override {}
};

class PortraitPinch : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
    }
    void TearDown() override
    {
        kit.reset();
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        host.reset();
    }
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::unique_ptr<SetUserHeaderImageUiKit> kit;
    std::shared_ptr<Uploader> uploader = std::make_shared<Uploader>();
};

TEST_F(PortraitPinch, TwoFingersZoomThePictureAboutTheFrameWithinItsLimits)
{
    kit = std::make_unique<SetUserHeaderImageUiKit>("101452831");
    auto bitmap = pf::Bitmap::create(640, 960, 1);
    ASSERT_TRUE(bitmap);
    (*bitmap)->fill(pf::Color::rgb(0.2, 0.5, 0.8));
    ASSERT_TRUE(kit->popSetHeadImageViewWnd(uploader, pf::Image::create(*bitmap), "", std::string("nick")));
    auto screen = kit->screen();
    ASSERT_TRUE(screen);
    // The picture arrives once the screen is up.
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        host->advance(0.02);
        return screen->image() != nullptr;
    }, pf::Seconds(30)));
    auto scroll = screen->scrollView();

    // The middle of the crop frame, which is the middle of the screen.
    pf::Rect box = scroll->bounds();
    pf::Point middle{box.width() / 2, box.height() / 2};
    struct Row {
        double from, to;
        double zoom;
    };
    const Row rows[] = {
        {100, 150, 0.75},
        {100, 300, 1.0}, // asked for 1.5: the largest is the picture's own size
        {100, 50, 0.5},  // asked for 0.25: the smallest fills the frame's width
    };
    for (const Row& row : rows) {
        screen->resetImage();
        ASSERT_DOUBLE_EQ(scroll->zoomScale(), 0.5);
        host->pinch(middle, row.from, row.to);
        host->advance(0.5);
        EXPECT_DOUBLE_EQ(scroll->zoomScale(), row.zoom) << row.to;
        pf::Point offset = scroll->contentOffset(), lo = scroll->minContentOffset(), hi = scroll->maxContentOffset();
        EXPECT_TRUE(offset.x >= lo.x && offset.y >= lo.y && offset.x <= hi.x && offset.y <= hi.y)
            << row.to << ": the picture left the frame";
        EXPECT_EQ(scroll->contentSize(), (pf::Size{640 * row.zoom, 960 * row.zoom})) << row.to;
        if (row.zoom == 0.75) {
            // The picture's middle started under the frame's middle and stays there.
            pf::Point under = offset + middle;
            EXPECT_NEAR(under.x / row.zoom, 320, 2);
            EXPECT_NEAR(under.y / row.zoom, 480, 2);
        }
    }
}

}
