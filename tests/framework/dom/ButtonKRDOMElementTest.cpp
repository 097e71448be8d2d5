#include "DOMTestSupport.h"

#include "framework/dom/ViewKRDOMElement.h"
#include "platform/controls/Button.h"

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
