// The progress view's geometry with fixed text metrics, and as markup dresses it.

#include "app/screens/shared/ZMRProcessView.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Text.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Window.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Every character 10 points wide.
class TenPointText : public pf::TextMeasurer {
public:
    pf::Size measure(std::string_view text, const pf::TextStyle&, double) const override
    {
        return {10.0 * static_cast<double>(text.size()), 14};
    }
};

std::string frames(const ZMRProcessView& view)
{
    auto at = [](const pf::View& v) {
        pf::Rect f = v.frame();
        char text[80];
        std::snprintf(text, sizeof text, "%g,%g %gx%g", f.origin.x, f.origin.y, f.size.width, f.size.height);
        return std::string(text);
    };
    return "track " + at(*view.bgView()) + " | fill " + at(*view.processView()) + " | tip " + at(*view.tipButton());
}

}

TEST(ZMRProcessGeometry, TheFillEndsUnderTheTipsCentre)
{
    TenPointText metrics;
    struct Row {
        const char* title; // nullptr: no title set
        double process;
        const char* frames;
    } rows[] = {
        {nullptr, 0.5, "track 24,35 152x3 | fill 24,33 76x7 | tip 76,13 48x20"},
        {nullptr, 1, "track 24,35 152x3 | fill 24,33 152x7 | tip 152,13 48x20"},
        {"12345", 0.5, "track 31,35 138x3 | fill 31,33 69x7 | tip 69,13 62x20"},
        {"123", 0.5, "track 24,35 152x3 | fill 24,33 76x7 | tip 76,13 48x20"},
        {"", 1.5, "track 24,35 152x3 | fill 24,33 228x7 | tip 228,13 48x20"},
        {"12345", -0.5, "track 31,35 138x3 | fill -38,33 69x7 | tip -69,13 62x20"}, // a negative width turns round
        {"12345", NAN, "track 31,35 138x3 | fill 31,33 0x7 | tip 0,13 62x20"},
        {nullptr, INFINITY, "track 24,35 152x3 | fill 24,33 0x7 | tip 0,13 48x20"},
    };
    for (const Row& row : rows) {
        ZMRProcessView view({0, 0, 200, 40});
        view.setTextMeasurer(&metrics);
        view.setProcess(row.process); // before the title: the tip is still 48 wide
        if (row.title)
            view.setTitle(std::string(row.title));
        EXPECT_EQ(frames(view), row.frames) << (row.title ? row.title : "-") << " " << row.process;
        EXPECT_TRUE(std::isfinite(view.process()));
        if (row.title) {
            EXPECT_EQ(view.tipButton()->currentTitle(), row.title);
        }
    }
}

TEST(ZMRProcessGeometry, MarkupGivesTheFractionAndTheText)
{
    TenPointText metrics;
    struct Row {
        const char* process; // nullptr: no attribute
        const char* title;
        const char* frames;
    } rows[] = {
        {"0.25", "25%", "track 24,35 152x3 | fill 24,33 38x7 | tip 38,13 48x20"},
        {"1", "1234", "track 26,35 148x3 | fill 26,33 148x7 | tip 148,13 52x20"},
        {"abc", "1", "track 24,35 152x3 | fill 24,33 0x7 | tip 0,13 48x20"},
        {"nan", "1", "track 24,35 152x3 | fill 24,33 0x7 | tip 0,13 48x20"},
        {nullptr, nullptr, "track 24,35 152x3 | fill 24,33 0x7 | tip 0,13 48x20"},
    };
    for (const Row& row : rows) {
        ZMRProcessView view({0, 0, 200, 40});
        view.setTextMeasurer(&metrics);
        auto element = std::make_shared<KRDOMElement>("view", "");
        element->setAttributeValue(row.process ? std::optional<std::string_view>(row.process) : std::nullopt, "process");
        element->setAttributeValue(row.title ? std::optional<std::string_view>(row.title) : std::nullopt, "title");
        element->setAttributeValue("#ffffff", "background-color");
        view.setElement(element);
        EXPECT_EQ(frames(view), row.frames) << (row.process ? row.process : "-");
        EXPECT_TRUE(view.backgroundColor());
        // No element resets the bar and the tip.
        view.setElement(nullptr);
        EXPECT_EQ(frames(view), rows[std::size(rows) - 1].frames) << (row.process ? row.process : "-");
        EXPECT_EQ(view.tipButton()->currentTitle(), std::nullopt);
        // The text centres above the tip's 2-point pointer.
        view.setTitle(std::string("1"));
        EXPECT_EQ(view.tipButton()->titleRect().midY(), 9);
    }
}

// Drawn on a white window: the fill, the track beyond it and the tip with
// its white text, our own tip picture behind it.
TEST(ZMRProcessDrawing, ShowsFillTrackAndTip)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    auto saved = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(std::string(source ? source : ".") + "/resources"));
    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 100});
    window->setBackgroundColor(pf::Color::whiteColor());
    auto view = std::make_shared<ZMRProcessView>(pf::Rect{20, 20, 280, 40});
    window->addSubview(view);
    window->makeKeyAndVisible();
    view->setProcess(0.5);
    view->setTitle(std::string("50%"));
    auto shot = host.render();
    ASSERT_TRUE(shot);
    pf::Rect tip = view->convertRectToView(view->tipButton()->frame(), nullptr);
    const pf::Color fill = pf::Color::rgb(242 / 255.0, 108 / 255.0, 79 / 255.0);
    const pf::Color track = pf::Color::rgb(251 / 255.0, 226 / 255.0, 218 / 255.0);
    bool ok = pf::test::pixelIs(**shot, {50, 56}, fill) && pf::test::pixelIs(**shot, {250, 56.5}, track)
        && pf::test::pixelIs(**shot, {tip.minX() + 3, tip.minY() + 9}, fill)
        && pf::test::pixelIs(**shot, {160, 80}, pf::Color::whiteColor());
    EXPECT_TRUE(ok);
    if (!ok)
        pf::test::writeFailurePng(**shot);
    window->setHidden(true);
    pf::Bundle::setMain(saved);
}
