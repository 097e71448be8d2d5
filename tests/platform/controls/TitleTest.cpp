#include "ControlsTestSupport.h"

#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <string>

namespace pf::test {
namespace {

class Titles : public HostTest {
protected:
    // Ink in the band of the box `line` lines down (0 for the first), the
    // height of one line at `line height`.
    ::testing::AssertionResult inkOnLine(const Rect& box, double lineHeight, int line)
    {
        auto frame = host->render();
        if (!frame)
            return ::testing::AssertionFailure() << "no frame";
        return hasInk(*frame.value(), Rect(box.x(), box.y() + line * lineHeight, box.width(), lineHeight),
                      Color::whiteColor());
    }
};

TEST_F(Titles, ALabelOfAnyNumberOfLinesWrapsInItsBox)
{
    const std::string text = "邀请好友一起来储蓄，每邀请一位好友注册即可获得积分奖励";
    TextStyle style;
    style.font = Font::system(15);
    const double line = TextMeasurer::system().measure("邀", style, 0).height;
    auto label = std::make_shared<Label>(Rect(10, 10, 150, 3 * line));
    label->setFont(style.font);
    label->setNumberOfLines(0);
    label->setText(text);
    window->addSubview(label);
    EXPECT_EQ(label->sizeThatFits({150, 0}).height, TextMeasurer::system().measure(text, style, 150).height);
    EXPECT_TRUE(inkOnLine(label->frame(), line, 2)) << "the third line shows";
}

TEST_F(Titles, AButtonTitleTakesItsLinesAndShrinksToItsMinimum)
{
    const std::string title = "母婴用品儿童玩具";
    const Font bold = Font::boldSystem(13);
    TextStyle style;
    style.font = bold;
    const double line = TextMeasurer::system().measure(title, style, 0).height;
    const double wide = TextMeasurer::system().measure(title, style, 0).width;
    struct Row {
        const char* name;
        Size box;
        int lines;
        double minimum;
        double titleHeight; // in lines
        bool narrower;      // drawn in a smaller font than asked
    };
    const Row rows[] = {
        {"one line, cut", {wide * 0.6, 2.5 * line}, 1, 0, 1, false},
        {"any number of lines", {wide * 0.6, 2.5 * line}, 0, 9, 2, false},
        {"one line shrinks to the width", {wide * 0.85, 2.5 * line}, 1, 9, 0.85, true},
        {"two lines shrink to the height", {wide * 0.6, 1.6 * line}, 0, 9, 1.6, true},
    };
    for (const Row& row : rows) {
        auto button = std::make_shared<Button>(Rect(10, 10, row.box.width, row.box.height));
        button->setTitleFont(bold);
        button->setTitle(title, ControlStates::Normal);
        button->setTitleColor(Color::black(), ControlStates::Normal);
        button->setTitleNumberOfLines(row.lines);
        button->setTitleMinimumFontSize(row.minimum);
        window->addSubview(button);
        Rect drawn = button->titleRect();
        EXPECT_LE(drawn.width(), row.box.width) << row.name;
        EXPECT_NEAR(drawn.height(), row.titleHeight * line, row.narrower ? line * 0.25 : 1) << row.name;
        if (row.lines != 1)
            EXPECT_TRUE(inkOnLine(button->convertRectToView(drawn, nullptr), drawn.height() / 2, 1)) << row.name;
        button->removeFromSuperview();
    }
}

}
}
