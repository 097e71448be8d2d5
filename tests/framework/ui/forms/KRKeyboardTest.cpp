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

// A screen avoiding the keyboard: it logs each call and keeps its content
// bottom at the keyboard's top.
class AvoidingScreen : public pf::Object, public KRKeyboardControllerDelegate {
public:
    void krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& k) override { note("willShow", k); }
    void krKeyboardControllerDidShowFrame(KRKeyboardController&, const pf::Rect& k) override { note("didShow", k); }
    void krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect& k) override { note("willHide", k); }
    void krKeyboardControllerDidChangedFrame(KRKeyboardController&, const pf::Rect& k) override { note("didChanged", k); }
    std::string log;
    double contentBottom = 568;

private:
    void note(const char* name, const pf::Rect& k)
    {
        log += std::string(name) + "(" + std::to_string(int(k.size.height)) + ") ";
        contentBottom = k.size.height > 0 ? k.origin.y : 568;
    }
};

void postKeyboard(const std::string& name, const pf::Value& frame)
{
    auto info = pf::Dictionary::create();
    info->set(pf::KeyboardFrameEndKey, frame);
    pf::NotificationCenter::defaultCenter().post(name, {}, info);
}

TEST(KRKeyboardController, ReportsEndFramesToItsDelegate)
{
    pf::Value keyboard = pf::Boxed<pf::Rect>::make(pf::Rect(0, 352, 320, 216));
    struct Row {
        const char* version;
        std::string name;
        pf::Value frame;
        std::string log;
        double bottom;
    } rows[] = {
        {"7.0", pf::KeyboardWillShowNotification, keyboard, "willShow(216) ", 352},
        {"7.0", pf::KeyboardDidShowNotification, keyboard, "didShow(216) ", 352},
        {"7.0", pf::KeyboardDidHideNotification, keyboard, "", 568}, // not implemented: not called
        {"7.0", pf::KeyboardDidChangeFrameNotification, keyboard, "didChanged(216) ", 352},
        {"4.3", pf::KeyboardDidChangeFrameNotification, keyboard, "", 568},
        {"4.3", pf::KeyboardWillHideNotification, keyboard, "willHide(216) ", 352},
        {"7.0", pf::KeyboardWillShowNotification, {}, "willShow(0) ", 568},
        {"7.0", pf::KeyboardWillShowNotification, pf::Value("{{0, 352}, {320, 216}}"), "willShow(0) ", 568},
    };
    auto saved = pf::DeviceProfile::current();
    for (auto& row : rows) {
        auto profile = saved;
        profile.systemVersion = row.version;
        pf::DeviceProfile::setCurrent(profile);
        auto screen = std::make_shared<AvoidingScreen>();
        auto controller = std::make_shared<KRKeyboardController>();
        controller->setDelegate(screen);
        postKeyboard(row.name, row.frame);
        EXPECT_EQ(screen->log, row.log) << row.version << " " << row.name;
        EXPECT_EQ(screen->contentBottom, row.bottom) << row.name;
        controller.reset(); // a released controller is never called
        postKeyboard(row.name, row.frame);
        EXPECT_EQ(screen->log, row.log) << "after release " << row.name;
    }
    pf::DeviceProfile::setCurrent(saved);
}

// A field typed on the keyboard: touching it focuses its item, the bar
// rides above the 216-point keyboard, follows a frame change and leaves
// with the keyboard.
TEST(KRFormKeyboardEditor, BarRidesAboveTheKeyboard)
{
    pf::Screen::main().removeAllWindows();
    pf::HeadlessHost host;
    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    window->makeKeyAndVisible();
    auto field = std::make_shared<pf::TextField>(pf::Rect(10, 100, 300, 30));
    window->addSubview(field);

    auto item = std::make_shared<KRFormItem>();
    item->setView(field);
    item->setEditorType("keys");
    item->setTip("请输入金额");
    field->setDelegateObject(item);
    auto editor = std::make_shared<KRFormKeyboardEditor>();
    editor->setEditorType("keys");
    auto bar = std::make_shared<pf::View>(pf::Rect(0, 0, 320, 44));
    bar->setBackgroundColor(pf::Color::rgb(1, 0, 0));
    editor->setView(bar);
    editor->setTipLabel(std::make_shared<pf::Label>());
    auto form = std::make_shared<KRFormController>();
    form->setFormItems(pf::Array::create({item}));
    form->setEditors(pf::Array::create({editor}));
    item->setDelegate(form);
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
    EXPECT_EQ(bar->frame(), pf::Rect(0, 568 - 216 - 44, 320, 44));
    EXPECT_TRUE(pixel(568 - 216 - 22).near(red));
    EXPECT_FALSE(pixel(568 - 216 - 50).near(red));

    postKeyboard(pf::KeyboardWillChangeFrameNotification, pf::Boxed<pf::Rect>::make(pf::Rect(0, 308, 320, 260)));
    host.advance(0.35);
    EXPECT_TRUE(pixel(568 - 260 - 22).near(red));

    editor->doCloseAction(nullptr);
    host.advance(0.35);
    EXPECT_FALSE(bar->superview());
    EXPECT_FALSE(form->focusFormItem());
    EXPECT_FALSE(editor->formItem());
    EXPECT_FALSE(pixel(568 - 260 - 22).near(red));
    if (HasFailure())
        host.writePng("keyboard-bar.png");
    window->setHidden(true);
    pf::Screen::main().removeAllWindows();
}

}
