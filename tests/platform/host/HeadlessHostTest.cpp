#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Window.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pf;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kWhite = Color::whiteColor();

class Label : public View {
public:
    Label(std::string text, const Rect& frame)
        : View(frame)
        , m_text(std::move(text))
    {
    }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        TextStyle style;
        style.font = Font::boldSystem(15);
        style.alignment = TextAlignment::Center;
        drawText(context, m_text, rect, style);
    }
    std::string textContent() const override { return m_text; }

private:
    std::string m_text;
};

class HeadlessHosting : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen::main().removeAllWindows();
        window = Window::create();
        window->setBackgroundColor(kWhite);
        window->makeKeyAndVisible();
    }
    void TearDown() override { Screen::main().removeAllWindows(); }

    HeadlessHost host;
    WindowRef window;
};

}

TEST_F(HeadlessHosting, TapsFindViewsByTextAndRedrawWhatTheyChange)
{
    auto button = std::make_shared<Label>("保存 Save", Rect{60, 100, 200, 44});
    button->setBackgroundColor(Color::white(0.9));
    window->addSubview(button);
    int taps = 0;
    button->addGestureRecognizer(std::make_shared<TapGestureRecognizer>([&](GestureRecognizer& r) {
        ++taps;
        r.view()->setBackgroundColor(kRed);
    }));
    ASSERT_TRUE(host.render().ok());
    EXPECT_EQ(host.findViewWithText("Save"), button);
    EXPECT_EQ(host.findViewWithText("Missing"), nullptr);
    EXPECT_TRUE(pf::test::hasInk(*host.render().value(), {60, 100, 200, 44}, Color::white(0.9)));

    EXPECT_TRUE(host.tapViewWithText("保存"));
    EXPECT_EQ(taps, 1);
    auto frame = host.render();
    ASSERT_TRUE(frame.ok());
    EXPECT_TRUE(pixelIs(*frame.value(), {65, 105}, kRed));
    EXPECT_FALSE(host.tapViewWithText("Missing"));
}

TEST_F(HeadlessHosting, DragMovesAViewWithAPan)
{
    auto card = View::create({0, 0, 80, 80});
    card->setBackgroundColor(kRed);
    window->addSubview(card);
    Point start;
    card->addGestureRecognizer(std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& r) {
        auto& pan = static_cast<PanGestureRecognizer&>(r);
        if (pan.state() == GestureState::Began)
            start = card->center();
        Point t = pan.translationInView(window.get());
        card->setCenter({start.x + t.x, start.y + t.y});
    }));
    host.drag({40, 40}, {140, 240});
    EXPECT_EQ(card->center(), (Point{140, 240}));
    auto frame = host.render();
    ASSERT_TRUE(frame.ok());
    EXPECT_TRUE(pixelIs(*frame.value(), {140, 240}, kRed));
    EXPECT_TRUE(pixelIs(*frame.value(), {40, 40}, kWhite));
}

TEST_F(HeadlessHosting, AdvancingTheClockFinishesAnimationsOnScreen)
{
    auto box = View::create({0, 0, 50, 50});
    box->setBackgroundColor(kRed);
    window->addSubview(box);
    bool done = false;
    View::animate(0.3, [&] { box->setCenter({200, 300}); }, [&](bool finished) { done = finished; });
    host.advance(0.15);
    EXPECT_FALSE(done);
    auto halfway = host.render();
    ASSERT_TRUE(halfway.ok());
    EXPECT_TRUE(pixelIs(*halfway.value(), {200, 300}, kWhite)) << "not there yet on screen";
    host.advance(0.2);
    EXPECT_TRUE(done);
    auto frame = host.render();
    ASSERT_TRUE(frame.ok());
    EXPECT_TRUE(pixelIs(*frame.value(), {200, 300}, kRed));
    EXPECT_TRUE(pixelIs(*frame.value(), {25, 25}, kWhite));
}

TEST_F(HeadlessHosting, TypedTextComposedTextAndKeysReachTheFirstResponder)
{
    struct Field : View {
        bool canBecomeFirstResponder() const override { return true; }
        void insertText(const std::string& utf8) override { log += "+" + utf8; }
        void setMarkedText(const std::string& utf8) override { log += "~" + utf8; }
        void deleteBackward() override { log += "<"; }
        std::string log;
    };
    auto field = std::make_shared<Field>();
    window->addSubview(field);
    host.type("lost"); // nobody has focus yet
    ASSERT_TRUE(field->becomeFirstResponder());
    host.compose("ni");
    host.type("你好");
    host.pressKey(KeyEvent::Kind::Backspace);
    host.pressKey(KeyEvent::Kind::Return);
    EXPECT_EQ(field->log, "~ni+你好<+\n");
    EXPECT_TRUE(Screen::main().takeKeyEvents().empty());
}

TEST_F(HeadlessHosting, WritesTheFrameAsPng)
{
    window->addSubview(std::make_shared<Label>("截图", Rect{0, 200, 320, 40}));
    std::string path = (std::filesystem::temp_directory_path() / "zmr-headless-shot.png").string();
    std::filesystem::remove(path);
    EXPECT_FALSE(host.writePng(path));
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
    std::filesystem::remove(path);
    auto error = host.writePng("/nonexistent-folder/shot.png");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "pf::Bitmap");
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
}

TEST(HostArguments, ShotWritesTheFirstScreen)
{
    Screen::main().removeAllWindows();
    auto window = Window::create();
    window->setBackgroundColor(kRed);
    window->makeKeyAndVisible();
    std::string path = (std::filesystem::temp_directory_path() / "zmr-first-screen.png").string();
    HostOptions options;
    options.shotPath = path;
    EXPECT_EQ(runHost(options, Screen::main()), 0);
    EXPECT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);
    options.shotPath = "/nonexistent-folder/x.png";
    EXPECT_EQ(runHost(options, Screen::main()), 1);
    Screen::main().removeAllWindows();
}
