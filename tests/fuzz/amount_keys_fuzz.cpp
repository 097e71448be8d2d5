// Links: zmr_screens
// Input: bytes, each one key of the money keypad ("0" to "9", ".", "<-",
// "clear", "ok") tapped into an amount field, with a delegate doing what the
// forms do with the special keys. Whenever an entry would be sent ("ok"),
// the field shows one amount: digits with at most one decimal point, which
// parses whole to the number the form would send.
#include "FontLeakSuppressions.h"
#include "app/screens/ZMRKeyboardView.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "platform/controls/TextField.h"
#include "platform/ui/Window.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class FormKeys : public pf::Object, public ZMRKeyboardViewDelegate {
public:
    bool keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key) override
    {
        auto field = std::dynamic_pointer_cast<pf::TextField>(keypad.keyInput());
        if (key == "ok" && field)
            check(field->text());
        else if (key == "<-" && field)
            field->deleteBackward();
        else if (key == "clear" && field)
            field->setText("");
        return key != "ok" && key != "<-" && key != "clear";
    }

private:
    static void check(const std::string& text)
    {
        int points = 0;
        for (char c : text) {
            if (c == '.')
                ++points;
            else if (c < '0' || c > '9')
                std::abort();
        }
        if (points > 1)
            std::abort();
        if (text.empty() || text == ".")
            return; // no amount: the form refuses it
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size())
            std::abort();
    }
};

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (registerScreensClasses(), true);
    (void)ready;
    static const char* const keys[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "<-", "clear", "ok"};
    static auto window = [] {
        auto made = pf::Window::create({0, 0, 320, 480});
        made->makeKeyAndVisible();
        return made;
    }();
    auto field = std::make_shared<pf::TextField>(pf::Rect{10, 10, 200, 30});
    window->addSubview(field);
    field->becomeFirstResponder();
    auto keypad = std::make_shared<ZMRKeyboardView>();
    auto delegate = std::make_shared<FormKeys>();
    keypad->setKeyInput(field);
    keypad->setDelegate(delegate);
    for (std::size_t i = 0; i < size && i < 4096; ++i) {
        auto button = std::make_shared<ZMRKeyButton>();
        button->setInputKey(keys[data[i] % std::size(keys)]);
        keypad->doKeyAction(button);
    }
    auto ok = std::make_shared<ZMRKeyButton>();
    ok->setInputKey("ok");
    keypad->doKeyAction(ok);
    field->removeFromSuperview();
    return 0;
}
