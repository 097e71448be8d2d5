#include "framework/core/IKRImageTask.h"
#include "framework/ui/GIFView.h"
#include "framework/ui/KRActionView.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRNavigationBar.h"
#include "framework/ui/KRToolbar.h"
#include "framework/ui/KRWebView.h"
#include "framework/ui/KRZoomView.h"
#include "framework/ui/UIViewHidden.h"
#include "framework/ui/UIViewImage.h"
#include "framework/ui/UIViewSearch.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/controls/ControlsTestSupport.h"
#include "tests/platform/graphics/ImageSamples.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class KitTest : public pf::test::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        window->setBackgroundColor(pf::Color::rgb(0, 0, 0));
    }
};

TEST_F(KitTest, ZoomViewGrowsWhilePressed)
{
    for (auto [highlightedZoom, pressedWidth] : {std::pair{0.1, 110.0}, {0.0, 100.0}}) {
        auto neighbour = pf::View::create(pf::Rect(0, 0, 10, 10));
        auto zoom = std::make_shared<KRZoomView>(pf::Rect(100, 100, 100, 50));
        zoom->setHighlightedZoom(highlightedZoom);
        window->addSubview(zoom);
        window->addSubview(neighbour);
        host->touchDown({150, 125});
        EXPECT_EQ(window->subviews().back(), zoom); // brought over its neighbours
        host->advance(0.075);
        double mid = zoom->presentationTransform().a * 100;
        host->advance(0.1);
        EXPECT_NEAR(zoom->frame().width(), pressedWidth, 1e-9);
        if (highlightedZoom > 0) {
            EXPECT_TRUE(mid > 100 && mid < pressedWidth) << mid; // animated, not a jump
        }
        host->touchUp({150, 125});
        host->advance(0.2);
        EXPECT_NEAR(zoom->frame().width(), 100, 1e-9);
        zoom->removeFromSuperview();
        neighbour->removeFromSuperview();
    }
}

TEST_F(KitTest, ActionViewDimsToItsMaskAlphaWhilePressed)
{
    // The red channel over black while pressed: the default mask, or one of half alpha.
    for (auto [mask, pressed] : {std::pair{std::optional<pf::Color>(), 204}, {pf::Color::rgb(0, 0, 0, 0.5), 128}}) {
        auto view = std::make_shared<KRActionView>(pf::Rect(0, 0, 100, 100));
        view->setBackgroundColor(pf::Color::rgb(1, 0, 0));
        view->setMaskColor(mask);
        window->addSubview(view);
        EXPECT_NEAR(probe({50, 50}).r, 255, 2);
        host->touchDown({50, 50});
        EXPECT_NEAR(probe({50, 50}).r, pressed, 3);
        host->touchUp({50, 50});
        EXPECT_NEAR(probe({50, 50}).r, 255, 2);
        // Resized between touches: the mask covers the new bounds.
        view->setFrame(pf::Rect(0, 0, 200, 100));
        host->touchDown({180, 50});
        EXPECT_NEAR(probe({180, 50}).r, pressed, 3);
        host->touchUp({180, 50});
        view->removeFromSuperview();
    }
}

TEST_F(KitTest, SearchWalksDepthFirstFromTheRoot)
{
    auto root = std::make_shared<KRImageView>(pf::Rect(0, 0, 10, 10));
    auto a = pf::View::create();
    auto b = std::make_shared<KRImageView>(), d = std::make_shared<KRImageView>();
    auto c = std::make_shared<pf::ImageView>();
    auto e = std::make_shared<pf::Label>();
    root->addSubview(a);
    a->addSubview(b);
    b->addSubview(d);
    root->addSubview(c);
    root->addSubview(e);
    auto images = searchViewForClass<pf::ImageView>(root);
    EXPECT_EQ(images, (std::vector<std::shared_ptr<pf::ImageView>>{root, b, d, c}));
    auto tasks = searchViewForProtocol<IKRImageTask>(root);
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].get(), static_cast<IKRImageTask*>(root.get()));
    auto byName = searchViewForClass(root, pf::Class::named("KRImageView"));
    EXPECT_EQ(byName, (std::vector<pf::ViewRef>{root, b, d}));
    EXPECT_EQ(searchViewForProtocol(root, proto::IKRLocalImageTask()).size(), 3u);
    EXPECT_TRUE(searchViewForClass<pf::ScrollView>(root).empty());
}

TEST_F(KitTest, FadeEndsAsLastAsked)
{
    struct Row {
        const char* name;
        bool secondHidden, secondAnimated;
        bool hidden;
    };
    const Row rows[] = {
        {"shown at once mid fade-out", false, false, false},
        {"faded back in mid fade-out", false, true, false},
        {"hidden at once mid fade-in", true, false, true},
    };
    for (const Row& row : rows) {
        auto view = pf::View::create(pf::Rect(0, 0, 10, 10));
        window->addSubview(view);
        setHidden(view, !row.secondHidden, true);
        host->advance(0.1);
        setHidden(view, row.secondHidden, row.secondAnimated);
        host->advance(0.5);
        EXPECT_EQ(view->isHidden(), row.hidden) << row.name;
        EXPECT_EQ(view->alpha(), 1) << row.name;
        view->removeFromSuperview();
    }
    auto view = pf::View::create(pf::Rect(0, 0, 10, 10));
    window->addSubview(view);
    setHidden(view, true, true);
    host->advance(0.15);
    EXPECT_FALSE(view->isHidden());
    host->advance(0.3);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->alpha(), 1);
}

TEST_F(KitTest, GifStepsThroughItsFramesOnlyInAWindow)
{
    auto dir = std::filesystem::temp_directory_path() / ("zmr-gif-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto frame = [](std::uint8_t index, int delay) {
        auto f = pf::test::solidGifFrame(0, 0, 4, 4, index);
        f.delayCentiseconds = delay;
        return f;
    };
    auto bytes = pf::test::gifBytes(4, 4, {0xff0000, 0x00ff00, 0x0000ff}, {frame(0, 0), frame(1, 50), frame(2, 0)});
    std::ofstream(dir / "a.gif", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::ofstream(dir / "text.gif") << "not a picture";

    auto gif = std::make_shared<GIFView>(pf::Rect(0, 0, 40, 40));
    gif->setGifURL("file://" + (dir / "a.gif").string());
    EXPECT_EQ(gif->frameCount(), 3u);
    EXPECT_FALSE(gif->isAnimating()); // not in a window
    window->addSubview(gif);
    auto colour = [&] { return probe({20, 20}); };
    struct Step {
        double advance;
        int index;
        pf::Rgba8 shown;
    };
    // Frame 1 at once, for its own 0.5 s; frames without a delay 0.15 s.
    const Step steps[] = {
        {0, 1, {0, 255, 0, 255}}, {0.49, 1, {0, 255, 0, 255}}, {0.02, 2, {0, 0, 255, 255}},
        {0.15, 0, {255, 0, 0, 255}}, {0.15, 1, {0, 255, 0, 255}},
    };
    for (const Step& step : steps) {
        host->advance(step.advance);
        EXPECT_EQ(gif->currentIndex(), step.index) << step.advance;
        EXPECT_TRUE(colour().near(step.shown)) << step.index;
    }
    gif->removeFromSuperview();
    host->advance(2);
    EXPECT_EQ(gif->currentIndex(), 1);
    window->addSubview(gif);
    EXPECT_EQ(gif->currentIndex(), 2); // resumes with the next frame

    for (std::string url : std::vector<std::string>{"file://" + (dir / "text.gif").string(), "http://127.0.0.1/a.gif",
                                                    "file://" + dir.string()}) {
        gif->setGifURL(url);
        EXPECT_EQ(gif->frameCount(), 0u) << url;
        EXPECT_FALSE(gif->isAnimating()) << url;
        EXPECT_TRUE(colour().near({0, 0, 0, 255})) << url;
    }
    std::filesystem::remove_all(dir);
}

TEST_F(KitTest, BarsDrawTheirImageAndWebViewsHideTheirShadows)
{
    auto bitmap = pf::Bitmap::create(2, 2);
    ASSERT_TRUE(bitmap);
    bitmap.value()->fill(pf::Color::rgb(0, 1, 0));
    auto image = pf::Image::create(bitmap.value());
    auto bar = std::make_shared<KRNavigationBar>();
    window->addSubview(bar);
    bar->setBackgroundImage(image);
    EXPECT_TRUE(probe({300, 40}).near({0, 255, 0, 255}));
    bar->setBackgroundImage(image);
    EXPECT_FALSE(bar->needsDisplay()); // the same image asks for no redraw
    bar->removeFromSuperview();
    auto toolbar = std::make_shared<KRToolbar>();
    window->addSubview(toolbar);
    toolbar->setBackgroundImage(image);
    EXPECT_TRUE(probe({300, 40}).near({0, 255, 0, 255}));
    toolbar->removeFromSuperview();

    auto web = std::make_shared<KRWebView>(pf::Rect(0, 100, 320, 300));
    window->addSubview(web);
    host->render();
    for (pf::View* parent : std::vector<pf::View*>{web.get(), web->scrollView().get()})
        for (auto& v : parent->subviews())
            EXPECT_TRUE(!std::dynamic_pointer_cast<pf::ImageView>(v) || v->isHidden());
}

TEST_F(KitTest, SnapshotsAndBlurKeepTheirSizes)
{
    auto view = pf::View::create(pf::Rect(50, 50, 30, 20));
    view->setBackgroundColor(pf::Color::rgb(1, 0, 0));
    auto image = toImage(*view);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (pf::Size{30, 20}));
    EXPECT_EQ(image->bitmap()->pixel(29, 19), (pf::Rgba8{255, 0, 0, 255}));
    EXPECT_FALSE(toImage(*pf::View::create(pf::Rect(0, 0, 0, 20))));

    // A sharp edge, left half white and right half black, blurred or left sharp.
    auto source = pf::Image::create(pf::test::splitBitmap(40, 10, pf::Color::whiteColor(), pf::Color::black()));
    std::vector<std::uint8_t> farLeft; // for radii of 100 and more
    for (auto [radius, blurs] : {std::pair{0.0, false}, {-3.0, false}, {NAN, false}, {4.0, true}, {100.0, true}, {1000.0, true}}) {
        auto blurred = imageByGaussianBlurRadius(*source, radius);
        ASSERT_TRUE(blurred && blurred != source) << radius;
        EXPECT_EQ(blurred->size(), source->size());
        EXPECT_EQ(blurred->bitmap()->pixel(19, 5).r != 255, blurs) << radius;
        if (radius >= 100)
            farLeft.push_back(blurred->bitmap()->pixel(0, 5).r);
    }
    EXPECT_EQ(farLeft[0], farLeft[1]); // clamped to 100
}

}
