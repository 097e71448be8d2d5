// Links: zmr_screens
// Input: bytes, each one key of the money keypad ("0" to "9", ".", "<-",
// "clear", "ok") tapped into the ledger form's amount field, the form's
// save, or text typed on the desktop keyboard (the next bytes) or its
// backspace, neither of which may change the field. The field always shows
// one amount: digits with at most one decimal point. Whenever an entry is sent, both its amounts are what the whole text
// parses to; a text that reads 0 sends nothing.
#include "FontLeakSuppressions.h"
#include "app/screens/ledger/ZMRBooksEditController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/TextField.h"
#include "platform/ui/Window.h"
#include "tests/framework/data/DataTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Digits with at most one point, or the program stops.
void checkShown(const std::string& text)
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
}

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
    auto money = std::make_shared<pf::TextField>(pf::Rect{10, 10, 200, 30});
    auto status = std::make_shared<KRStatusView>(pf::Rect{10, 50, 200, 40});
    auto keypad = std::make_shared<ZMRKeyboardView>();
    window->addSubview(money);
    window->addSubview(status);
    auto bus = std::make_shared<FakeBus>();
    auto form = std::make_shared<ZMRBooksEditController>();
    form->setMoneyField(money);
    form->setKeyboardView(keypad);
    form->setStatusView(status);
    form->setContext(bus);
    money->setDelegateObject(form);
    keypad->setDelegate(form);
    for (std::size_t i = 0; i < size && i < 4096; ++i) {
        std::size_t pick = data[i] % (std::size(keys) + 3);
        if (pick > std::size(keys)) {
            const std::string before = money->text();
            if (!money->isFirstResponder())
                money->becomeFirstResponder();
            if (pick == std::size(keys) + 1) {
                std::size_t length = i + 1 < size ? data[i + 1] % 8 : 0;
                std::string typed(reinterpret_cast<const char*>(data) + std::min(size, i + 2),
                                  std::min(length, size - std::min(size, i + 2)));
                money->insertText(typed);
                i += 1 + typed.size();
            } else {
                money->deleteBackward();
            }
            if (money->text() != before)
                std::abort();
            continue;
        }
        if (pick == std::size(keys)) {
            const std::string text = money->text();
            const std::size_t sent = bus->tasks.size();
            form->doSubmitAction(nullptr);
            double expected = text.empty() || text == "." ? 0 : std::strtod(text.c_str(), nullptr);
            if (expected == 0) {
                if (bus->tasks.size() != sent)
                    std::abort();
                for (const auto& alert : pf::AlertView::visibleAlerts())
                    alert->dismissWithClickedButtonIndex(0, false);
                continue;
            }
            if (bus->tasks.size() != sent + 1)
                std::abort();
            auto task = std::dynamic_pointer_cast<ZMRBooksCreateTask>(bus->tasks.back());
            if (!task || task->expendMoney() != expected || task->payMoney() != expected)
                std::abort();
            // The server's answer gives the form back.
            form->krUploadTaskDidSuccessResults(task, pf::Value(), proto::IZMRBooksCreateTask());
            continue;
        }
        auto button = std::make_shared<ZMRKeyButton>();
        button->setInputKey(keys[pick]);
        keypad->doKeyAction(button);
        checkShown(money->text());
    }
    form.reset();
    money->removeFromSuperview();
    status->removeFromSuperview();
    return 0;
}
