// The set-portrait screen zoomed by two fingers on the picture under the crop frame.

#include "platform/controls/ScrollView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "sdk/zz/SetHeadImageViewController.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class PortraitPinch : public ::testing::Test {
protected:
    void SetUp() override { host.emplace(); }
    void TearDown() override
    {
        kit.reset();
        pf::Screen::main().removeAllWindows();
        host.reset();
    }
    std::optional<pf::HeadlessHost> host;
    std::unique_ptr<SetUserHeaderImageUiKit> kit = std::make_unique<SetUserHeaderImageUiKit>("101452831");
};

TEST_F(PortraitPinch, TwoFingersZoomThePictureAboutTheFrameWithinItsLimits)
{
    auto bitmap = pf::Bitmap::create(640, 960, 1);
    ASSERT_TRUE(bitmap);
    ASSERT_TRUE(kit->popSetHeadImageViewWnd({}, pf::Image::create(*bitmap), "", "nick"));
    auto screen = kit->screen();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        host->advance(0.02);
        return screen->image() != nullptr;
    }, pf::Seconds(30)));
    auto scroll = screen->scrollView();
    pf::Point middle = scroll->bounds().center() - scroll->contentOffset(); // the crop frame's
    struct Row {
        double from, to, zoom; // 0.5 fills the frame's width; 1.0 is the picture's own size
    };
    for (const Row& row : {Row{100, 150, 0.75}, Row{100, 300, 1.0}, Row{100, 50, 0.5}}) {
        screen->resetImage();
        host->pinch(middle, row.from, row.to);
        host->advance(0.5);
        EXPECT_DOUBLE_EQ(scroll->zoomScale(), row.zoom) << row.to;
        pf::Point offset = scroll->contentOffset(), lo = scroll->minContentOffset(), hi = scroll->maxContentOffset();
        EXPECT_TRUE(offset.x >= lo.x && offset.y >= lo.y && offset.x <= hi.x && offset.y <= hi.y) << row.to;
        pf::Point under = offset + middle; // the picture's middle, where it began
        if (row.zoom == 0.75)
            EXPECT_TRUE(std::abs(under.x / row.zoom - 320) < 2 && std::abs(under.y / row.zoom - 480) < 2);
    }
}

}
