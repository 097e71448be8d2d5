#include "framework/ui/KRFormController.h"
#include "framework/ui/KRFormKeyboardEditor.h"
#include "platform/controls/Keyboard.h"
#include "platform/foundation/Boxed.h"
#include "platform/graphics/Bitmap.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

void postKeyboard(const std::string& name, const pf::Value& frame)
{
    auto info = pf::Dictionary::create();
    info->set(pf::KeyboardFrameEndKey, frame);
    pf::NotificationCenter::defaultCenter().post(name, {}, info);
}

// A field typed on the keyboard: touching it focuses its item, the bar
// rides above the 216-point keyboard, follows a frame change and leaves
// with the keyboard.
TEST(KRFormKeyboardEditor, BarRidesAboveTheKeyboard)
{
    pf::Screen::main().removeAllWindows();
    pf::HeadlessHost host;
    auto window = pf::Window::create();
    auto field = std::make_shared<pf::TextField>(pf::Rect(10, 100, 300, 30));
    window->setBackgroundColor(pf::Color::whiteColor()), window->makeKeyAndVisible(), window->addSubview(field);

    auto item = std::make_shared<KRFormItem>();
    item->setView(field), item->setEditorType("keys"), item->setTip("请输入金额");
    field->setDelegateObject(item);
    auto editor = std::make_shared<KRFormKeyboardEditor>();
    auto bar = std::make_shared<pf::View>(pf::Rect(0, 0, 320, 44));
    bar->setBackgroundColor(pf::Color::rgb(1, 0, 0));
    editor->setEditorType("keys"), editor->setView(bar), editor->setTipLabel(std::make_shared<pf::Label>());
    auto form = std::make_shared<KRFormController>();
    form->setEditors(pf::Array::create({editor})), item->setDelegate(form);
    auto keyboard = std::make_shared<KRKeyboardController>();
    keyboard->setDelegate(editor);

    const pf::Rgba8 red{255, 0, 0, 255};
    auto pixel = [&](double y) {
        auto frame = host.render();
        return frame ? frame.value()->pixelAtPoint(pf::Point{160, y}) : pf::Rgba8{};
    };
    host.tap(pf::Point{160, 115});
    EXPECT_EQ(editor->formItem(), item);
    EXPECT_EQ(editor->tipLabel()->text(), "请输入金额");
    host.advance(0.35);
    EXPECT_TRUE(pixel(568 - 216 - 22).near(red));

    postKeyboard(pf::KeyboardWillChangeFrameNotification, pf::Boxed<pf::Rect>::make(pf::Rect(0, 308, 320, 260)));
    host.advance(0.35);
    EXPECT_TRUE(pixel(568 - 260 - 22).near(red));

    editor->doCloseAction(nullptr);
    host.advance(0.35);
    EXPECT_FALSE(bar->superview() || form->focusFormItem() || editor->formItem());
    EXPECT_FALSE(pixel(568 - 260 - 22).near(red));

    keyboard.reset(); // a released controller is never called
    postKeyboard(pf::KeyboardWillShowNotification, pf::Boxed<pf::Rect>::make(pf::Rect(0, 352, 320, 216)));
    EXPECT_FALSE(bar->superview());
    auto saved = pf::DeviceProfile::current(), old = saved;
    old.systemVersion = "4.3"; // no frame changes before 5.0
    pf::DeviceProfile::setCurrent(old);
    keyboard = std::make_shared<KRKeyboardController>();
    keyboard->setDelegate(editor), pf::DeviceProfile::setCurrent(saved);
    double y = bar->frame().origin.y;
    postKeyboard(pf::KeyboardWillChangeFrameNotification, pf::Boxed<pf::Rect>::make(pf::Rect(0, 268, 320, 300)));
    host.advance(0.35);
    EXPECT_EQ(bar->frame().origin.y, y);
    postKeyboard(pf::KeyboardWillShowNotification, pf::Value("{{0, 352}, {320, 216}}")); // not a rectangle: zero
    host.advance(0.35);
    EXPECT_EQ(bar->frame(), pf::Rect(0, 568 - 44, 0, 44));
    if (HasFailure())
        host.writePng("keyboard-bar.png");
    window->setHidden(true);
    pf::Screen::main().removeAllWindows();
}

}
