#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/controls/Button.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

TEST(ButtonKRDOMElement, ButtonsTakeTitlesColoursFontAndEnabledPerState)
{
    auto element = domtest::parseTree("<view title=Save title-highlighted=Saving color-disabled=#ff0000 "
                                      "font='20 bold' disabled=true background-color=#00ff00/>");
    auto button = std::make_shared<pf::Button>();
    button->setTitle("old", pf::ControlStates::Selected);
    setElement(*button, element);
    EXPECT_EQ(button->titleForState(pf::ControlStates::Normal), "Save");
    EXPECT_EQ(button->titleForState(pf::ControlStates::Highlighted), "Saving");
    EXPECT_EQ(button->titleForState(pf::ControlStates::Selected), "Save"); // its own was cleared
    EXPECT_EQ(button->titleColorForState(pf::ControlStates::Disabled), pf::Color::rgb(1, 0, 0));
    EXPECT_EQ(button->titleFont(), pf::Font::boldSystem(20));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->backgroundColor(), pf::Color::rgb(0, 1, 0)); // the view dressing first
}

TEST(ButtonKRDOMElement, AReusedButtonKeepsNothingOfItsLastElement)
{
    // Counts what a button shows differently from a new one.
    auto changes = [](const pf::Button& button) {
        pf::Button fresh;
        int count = (button.titleFont() != fresh.titleFont()) + (button.isEnabled() != fresh.isEnabled());
        for (pf::ControlState state : {pf::ControlStates::Normal, pf::ControlStates::Highlighted,
                                       pf::ControlStates::Disabled, pf::ControlStates::Selected}) {
            count += (button.titleForState(state) != fresh.titleForState(state)) +
                     (button.titleColorForState(state) != fresh.titleColorForState(state)) +
                     (button.backgroundImageForState(state) != fresh.backgroundImageForState(state));
        }
        return count;
    };
    auto row = domtest::parseTree("<view title=Pay title-highlighted=Paying title-disabled=Paid title-selected=Done "
                                  "color=#ff0000 color-highlighted=#00ff00 color-disabled=#0000ff "
                                  "color-selected=#ffff00 font='20 bold' disabled=true/>");
    for (const KRDOMElementRef& next : {KRDOMElementRef(), domtest::parseTree("<view/>")}) {
        auto button = std::make_shared<pf::Button>();
        setElement(*button, row);
        ASSERT_EQ(changes(*button), 10);
        setElement(*button, next);
        EXPECT_EQ(changes(*button), 0) << (next ? "element without values" : "no element");
    }
}

TEST(ButtonKRDOMElement, BackgroundImagesStretchBetweenTheCapsTheirValuesName)
{
    domtest::PictureFolder pictures{"button"};
    pictures.write("bg.png", domtest::picture(20, 20, [](int, int) { return domtest::kRed; }));
    auto document = KRDOMDocument::create();
    document->setBundle(pictures.bundle());
    auto element = domtest::parseTree("<view background-image='bg.png 5 5' background-image-highlighted='bg.png 5' "
                                      "background-image-selected=bg.png/>");
    document->setRootElement(element);
    auto button = std::make_shared<pf::Button>();
    setElement(*button, element);
    struct Row {
        pf::ControlState state;
        pf::EdgeInsets caps;
    };
    for (const Row& row : std::vector<Row>{
             {pf::ControlStates::Normal, {5, 5, 14, 14}},
             {pf::ControlStates::Highlighted, {0, 5, 0, 14}},
             {pf::ControlStates::Selected, {}},
         }) {
        pf::ImageRef image = button->backgroundImageForState(row.state);
        ASSERT_TRUE(image) << row.state;
        EXPECT_EQ(image->capInsets(), row.caps) << row.state;
    }
}
