// The money keypad: keys asked of the delegate, inserted into the bound
// field, and one decimal point at most; also as an interface file wires it.

#include "app/screens/shared/ZMRKeyboardView.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"
#include "platform/foundation/Bundle.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Handles the special keys as the forms do, and refuses "9" to show a refusal.
class FormLikeDelegate : public pf::Object, public ZMRKeyboardViewDelegate {
public:
    bool keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key) override
    {
        asked += key + " ";
        auto input = keypad.keyInput();
        if (key == "<-" && input)
            input->deleteBackward();
        else if (key == "clear")
            if (auto field = std::dynamic_pointer_cast<pf::TextField>(input))
                field->setText("");
        return key != "ok" && key != "<-" && key != "clear" && key != "9";
    }
    std::string asked;
};

std::shared_ptr<ZMRKeyButton> key(const std::string& text)
{
    auto button = std::make_shared<ZMRKeyButton>();
    button->setInputKey(text);
    return button;
}

// Plays blank-separated keys on a keypad bound to `input`.
void play(ZMRKeyboardView& keypad, const std::string& keys)
{
    std::istringstream in(keys);
    for (std::string k; in >> k;)
        keypad.doKeyAction(key(k));
}

}

TEST(ZMRKeypad, KeysGoThroughTheDelegateIntoTheFieldWithOneDecimalPointAtMost)
{
    struct Row {
        const char* keys;
        bool delegate;
        const char* text;
    } rows[] = {
        {"7", false, "7"},
        {"<-", false, "<-"}, // without a delegate every key is text
        {"1 2 <-", true, "1"},
        {"1 . 2 . 3", true, "1.23"},
        {"1 . 2 . 3", false, "1.23"},
        {". .", true, "."},
        {"1 . <- . 5", true, "1.5"},
        {"3 9 clear 4 ok", true, "4"},
        {"0 . 0 5 ok", true, "0.05"},
    };
    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 480});
    window->makeKeyAndVisible();
    for (const Row& row : rows) {
        for (bool textView : {false, true}) {
            pf::ViewRef input;
            if (textView)
                input = std::make_shared<pf::TextView>();
            else
                input = std::make_shared<pf::TextField>();
            if (textView && std::string(row.keys).find("clear") != std::string::npos)
                continue; // the stand-in form clears fields only
            window->addSubview(input); // fields take text while they are first responder
            ASSERT_TRUE(input->becomeFirstResponder());
            auto keypad = std::make_shared<ZMRKeyboardView>();
            auto delegate = std::make_shared<FormLikeDelegate>();
            keypad->setKeyInput(input);
            if (row.delegate)
                keypad->setDelegate(delegate);
            play(*keypad, row.keys);
            EXPECT_EQ(ZMRKeyboardView::textOf(*input), row.text) << row.keys << (textView ? " (text view)" : "");
            input->removeFromSuperview();
        }
    }
    window->setHidden(true);
}

TEST(ZMRKeypad, IgnoresPlainButtonsAndMissingInputs)
{
    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 480});
    window->makeKeyAndVisible();
    auto field = std::make_shared<pf::TextField>();
    window->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    auto delegate = std::make_shared<FormLikeDelegate>();
    auto keypad = std::make_shared<ZMRKeyboardView>();
    keypad->setKeyInput(field);
    keypad->setDelegate(delegate);
    keypad->doKeyAction(std::make_shared<pf::Button>());
    keypad->doKeyAction(nullptr);
    EXPECT_EQ(delegate->asked, "");
    EXPECT_EQ(field->text(), "");

    field->removeFromSuperview();
    field.reset(); // the input is not kept
    EXPECT_FALSE(keypad->keyInput());
    play(*keypad, "1 2");
    EXPECT_EQ(delegate->asked, "1 2 ");
    window->setHidden(true);
}

TEST(ZMRKeypad, AnInterfaceFileWiresItsKeysToTheKeypad)
{
    const char* xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<interface>
  <object id="field" class="TextField"><rect name="frame">{{10, 10}, {200, 30}}</rect></object>
  <object id="pad" class="ZMRKeyboardView"><rect name="frame">{{0, 100}, {320, 60}}</rect>
    <outlet name="keyInput" to="field"/>
    <subviews>
      <object id="k1" class="ZMRKeyButton"><rect name="frame">{{0, 0}, {100, 60}}</rect>
        <string name="inputKey">1</string><string name="title">1</string>
        <action event="touchUpInside" target="pad" name="doKeyAction"/></object>
      <object id="kp" class="ZMRKeyButton"><rect name="frame">{{100, 0}, {100, 60}}</rect>
        <string name="inputKey">.</string><string name="title">.</string>
        <action event="touchUpInside" target="pad" name="doKeyAction"/></object>
    </subviews></object>
</interface>)";
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    pf::Bundle bundle(std::string(source ? source : ".") + "/resources");
    auto file = pf::InterfaceFile::parse(xml, "Keypad", bundle);
    ASSERT_TRUE(file) << file.error().description;
    auto made = file.value()->instantiate(pf::View::create());
    ASSERT_TRUE(made) << made.error().description;
    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 480});
    for (const auto& object : *made)
        window->addSubview(std::dynamic_pointer_cast<pf::View>(object));
    window->makeKeyAndVisible();
    ASSERT_TRUE(std::dynamic_pointer_cast<pf::View>(made->front())->becomeFirstResponder());
    for (pf::Point p : {pf::Point{50, 130}, pf::Point{150, 130}, pf::Point{50, 130}, pf::Point{150, 130}})
        host.tap(p);
    auto field = std::dynamic_pointer_cast<pf::TextField>(made->front());
    ASSERT_TRUE(field);
    EXPECT_EQ(field->text(), "1.1");
    // The shown keyboard would otherwise stay over the next test's window.
    field->resignFirstResponder();
    window->setHidden(true);
}
