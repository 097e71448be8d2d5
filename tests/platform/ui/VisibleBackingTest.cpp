#include "platform/graphics/GraphicsContext.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <cmath>

using namespace pf;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kBlue = Color::rgb(0, 0, 1);

// Bands 100 points high, red then blue, far taller than a bitmap may be at
// scale 2; counts its draws.
class StripedView : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    bool backsVisibleAreaOnly() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        ++draws;
        for (double y = std::floor(rect.y() / 100) * 100; y < rect.maxY(); y += 100)
            context.fillRect({0, y, bounds().width(), 100}, int(y / 100) % 2 ? kBlue : kRed);
    }
    int draws = 0;
};

class VisibleBacking : public pf::test::RenderingTest {};

}

TEST_F(VisibleBacking, TallViewsDrawWhatScrollsIntoViewAndRedrawOnlyPastTheMargin)
{
    auto window = showWindow();
    auto clip = View::create({0, 0, 200, 400});
    clip->setClipsToBounds(true);
    window->addSubview(clip);
    auto tall = std::make_shared<StripedView>(Rect{0, 0, 200, 6000});
    clip->addSubview(tall);
    struct Row { double offset; int draws; Color at49, at51, at390; } rows[] = {
        {0, 1, kRed, kRed, kBlue},
        {100, 1, kBlue, kBlue, kRed},   // within the margin: the kept part serves
        {4550, 2, kBlue, kRed, kBlue},  // past 8192 pixels
        {5600, 3, kRed, kRed, kBlue},   // the far end
        {10, 4, kRed, kRed, kRed},
    };
    for (const auto& row : rows) {
        clip->setBounds({0, row.offset, 200, 400});
        const Bitmap& frame = render();
        EXPECT_EQ(tall->draws, row.draws) << row.offset;
        EXPECT_TRUE(pixelIs(frame, {100, 49}, row.at49)) << row.offset;
        EXPECT_TRUE(pixelIs(frame, {100, 51}, row.at51)) << row.offset;
        EXPECT_TRUE(pixelIs(frame, {100, 390}, row.at390)) << row.offset;
    }
    tall->setNeedsDisplay();
    render();
    EXPECT_EQ(tall->draws, 5) << "marked: drawn again in place";
    EXPECT_EQ(tall->visibleRect(), (Rect{0, 10, 200, 400}));
    clip->setBounds({0, 7000, 200, 400});
    EXPECT_TRUE(tall->visibleRect().isEmpty());
}
