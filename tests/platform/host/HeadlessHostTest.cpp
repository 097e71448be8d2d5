#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/host/ApplicationMain.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Window.h"
#include "tests/platform/host/TouchRecorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>

using namespace pf;

// The headless host's taps, drags, keys and clock drive nearly every screen test.

TEST(HostArguments, AProgramsOwnOptionValueIsTakenOut)
{
    using Args = std::vector<std::string>;
    struct Row {
        const char* name;
        Args arguments;
        bool ok;
        std::string value;
        Args rest;
    };
    const Row rows[] = {
        {"taken from the middle", {"--a", "1", "--data", "d.json", "--b"}, true, "d.json", {"--a", "1", "--b"}},
        {"absent: value untouched", {"--a", "1"}, true, "old", {"--a", "1"}},
        {"last without a value", {"--a", "--data"}, false, "old", {"--a", "--data"}},
        {"the first of two", {"--data", "x", "--data", "y"}, true, "x", {"--data", "y"}},
        {"a value that looks like an option", {"--data", "--b"}, true, "--b", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Args arguments = row.arguments;
        std::string value = "old";
        EXPECT_EQ(takeOptionValue(arguments, "--data", value), row.ok);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(arguments, row.rest);
    }
}

TEST(HostArguments, HostOptionsAreTakenOutAndTheRestIsLeft)
{
    std::vector<std::string> args{"--resources", "res", "--shot", "first.png", "--verbose"};
    auto options = HostOptions::take(args);
    ASSERT_TRUE(options.ok());
    EXPECT_EQ(options->shotPath, "first.png");
    EXPECT_TRUE(options->headless);
    EXPECT_EQ(args, (std::vector<std::string>{"--resources", "res", "--verbose"}));

    std::vector<std::string> bad{"--shot"};
    EXPECT_FALSE(HostOptions::take(bad).ok());

    std::vector<std::string> steps{"--tap", "10,20.5", "--type", "你好", "--drag", "1,2,3,-4", "--pinch", "5,6,0.5"};
    auto scripted = HostOptions::take(steps);
    ASSERT_TRUE(scripted.ok());
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(scripted->headless) << "input steps run on the headless host";
    ASSERT_EQ(scripted->steps.size(), 4u);
    EXPECT_EQ(scripted->steps[0].kind, InputStep::Kind::Tap);
    EXPECT_EQ(scripted->steps[0].from, (Point{10, 20.5}));
    EXPECT_EQ(scripted->steps[1].text, "你好");
    EXPECT_EQ(scripted->steps[2].to, (Point{3, -4}));
    EXPECT_EQ(scripted->steps[3].from, (Point{5, 6}));
    EXPECT_EQ(scripted->steps[3].scale, 0.5);
    for (std::vector<std::string> wrong : std::vector<std::vector<std::string>>{
             {"--tap", "10"}, {"--tap", "1,2,3"}, {"--tap", "a,b"}, {"--tap", "1,"}, {"--tap", "nan,1"},
             {"--tap", "1e999,1"}, {"--drag", "1,2,3"}, {"--tap"}, {"--type"}, {"--pinch", "1,2"},
             {"--pinch", "1,2,0"}, {"--pinch", "1,2,-2"}})
        EXPECT_FALSE(HostOptions::take(wrong).ok()) << wrong[0] << " " << (wrong.size() > 1 ? wrong[1] : "");
}

TEST(HostRunner, InputStepsArriveInOrderBeforeTheShot)
{
    auto recorder = test::TouchRecorder::inNewWindow();
    HostOptions options;
    options.steps = {{InputStep::Kind::Tap, {40, 300}, {40, 300}, {}},
                     {InputStep::Kind::Drag, {100, 400}, {100, 100}, {}},
                     {InputStep::Kind::Pinch, {160, 284}, {160, 284}, {}, 2}};
    EXPECT_EQ(runHost(options, Screen::main()), 0) << "steps without a shot end the run";
    ASSERT_EQ(recorder->began.size(), 4u);
    ASSERT_EQ(recorder->ended.size(), 4u);
    Point origin = recorder->window()->convertPointToView({0, 0}, recorder.get());
    EXPECT_EQ(recorder->began[0], (Point{40 + origin.x, 300 + origin.y}));
    EXPECT_EQ(recorder->ended[1], (Point{100 + origin.x, 100 + origin.y}));
    // Two fingers 100 apart about the centre end twice as far apart.
    EXPECT_EQ(recorder->began[2], (Point{110 + origin.x, 284 + origin.y}));
    EXPECT_EQ(recorder->ended[3], (Point{260 + origin.x, 284 + origin.y}));
    Screen::main().removeAllWindows();
}

namespace {

// Places its only child in the lower half only when laid out, as a page
// places its links.
class LowerHalfLayout : public View {
public:
    void layoutSubviews() override
    {
        for (auto& child : subviews())
            child->setFrame({0, bounds().height() / 2, bounds().width(), bounds().height() / 2});
    }
};

}

TEST(HostRunner, ATapHitsViewsWhereTheirLayoutPutsThem)
{
    auto recorder = test::TouchRecorder::inNewWindow();
    HeadlessHost host;
    auto page = std::make_shared<LowerHalfLayout>();
    page->setFrame(recorder->bounds());
    recorder->window()->addSubview(page);
    auto link = std::make_shared<test::TouchRecorder>();
    page->addSubview(link);
    page->setNeedsLayout();
    host.tap({100, recorder->bounds().height() * 3 / 4});
    EXPECT_EQ(link->began.size(), 1u) << "the tap went where the link stood before layout";
    EXPECT_TRUE(recorder->began.empty());
    Screen::main().removeAllWindows();
}

TEST(HostRunner, ShotWritesTheFirstScreenAsPng)
{
    Screen::main().removeAllWindows();
    HeadlessHost host;
    auto window = Window::create();
    window->setBackgroundColor(Color::whiteColor());
    window->makeKeyAndVisible();
    auto band = View::create({0, 200, 320, 40});
    band->setBackgroundColor(Color::rgb(1, 0, 0));
    window->addSubview(band);
    // Its own name: test programs of other checkouts may run beside this one.
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-first-screen-" + std::to_string(getpid()) + ".png")).string();
    HostOptions options;
    options.shotPath = path;
    EXPECT_EQ(runHost(options, Screen::main()), 0);
    auto shot = Image::contentsOfFile(path);
    ASSERT_TRUE(shot.ok());
    double scale = Screen::main().scale();
    EXPECT_EQ(shot.value()->bitmap()->pixel(int(160 * scale), int(220 * scale)), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(shot.value()->bitmap()->pixel(int(160 * scale), int(100 * scale)), (Rgba8{255, 255, 255, 255}));
    std::filesystem::remove(path);
    options.shotPath = "/nonexistent-folder/x.png";
    EXPECT_EQ(runHost(options, Screen::main()), 1);
    auto error = host.writePng("/nonexistent-folder/shot.png");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "pf::Bitmap");
    // The path and the system's reason, not the picture library's.
    EXPECT_EQ(error->description, "/nonexistent-folder/shot.png: No such file or directory");
    Screen::main().removeAllWindows();
}

// Real seconds the settle wait may take: each frame also renders, which a
// loaded two-core machine under the sanitizers makes slow.
constexpr double kSettleSeconds = 120;

TEST(HostSettling, OnlyAnimationsThatEndHoldTheSettleWait)
{
    Screen::main().removeAllWindows();
    HeadlessHost host;
    auto window = Window::create();
    window->makeKeyAndVisible();
    auto spinner = View::create({0, 0, 20, 20});
    window->addSubview(spinner);
    KeyframeAnimation turn;
    turn.property = AnimatedProperty::Rotation;
    turn.values = {0.0, 2 * M_PI};
    turn.duration = 0.8;
    turn.cumulative = true;
    turn.repeatCount = 3.4e38; // the largest float: until stopped
    ASSERT_TRUE(spinner->addAnimation("loading", turn));
    ApplicationDelegate delegate;
    double start = host.clock().now();
    EXPECT_TRUE(waitUntilSettled(host, delegate, kSettleSeconds));
    EXPECT_LT(host.clock().now() - start, 1) << "the spinner does not hold the wait";

    // A fade of three seconds does.
    KeyframeAnimation fade;
    fade.property = AnimatedProperty::Alpha;
    fade.values = {1.0, 0.0};
    fade.duration = 3;
    ASSERT_TRUE(spinner->addAnimation("fade", fade));
    start = host.clock().now();
    EXPECT_TRUE(waitUntilSettled(host, delegate, kSettleSeconds));
    EXPECT_GE(host.clock().now() - start, 3);
    EXPECT_TRUE(spinner->animationForKey("loading"));
    Screen::main().removeAllWindows();
}
