#include "framework/ui/KRFormKeyboardEditor.h"

#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kFollowDuration = 0.3;

pf::WindowRef keyWindow()
{
    return pf::Screen::main().keyWindow();
}

}

void KRFormKeyboardEditor::setFormItem(const std::shared_ptr<KRFormItem>& item)
{
    auto old = formItem();
    if (item == old)
        return;
    if (!item && old && old->view())
        old->view()->resignFirstResponder();
    if (m_tipLabel)
        m_tipLabel->setText(item ? item->tip() : std::string());
    storeFormItem(item);
}

void KRFormKeyboardEditor::doCloseAction(const pf::ObjectRef&)
{
    cancelFocus();
}

void KRFormKeyboardEditor::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& keyboard)
{
    auto window = keyWindow();
    auto view = this->view();
    if (!view || !window)
        return;
    double height = window->bounds().size.height;
    pf::Rect bar = view->frame();
    bar = pf::Rect(0, height - bar.size.height, keyboard.size.width, bar.size.height);
    view->setFrame(bar);
    if (view->superview() != window)
        window->addSubview(view);
    pf::View::animate(kFollowDuration, [&] {
        view->setFrame(pf::Rect(0, height - keyboard.size.height - bar.size.height, bar.size.width, bar.size.height));
    });
}

void KRFormKeyboardEditor::krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& keyboard)
{
    auto window = keyWindow();
    auto view = this->view();
    if (!view || !window)
        return;
    double height = window->bounds().size.height;
    double barHeight = view->frame().size.height;
    pf::View::animate(kFollowDuration, [&] {
        view->setFrame(pf::Rect(0, height - keyboard.size.height - barHeight, keyboard.size.width, barHeight));
    });
}

void KRFormKeyboardEditor::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect&)
{
    if (auto view = this->view())
        view->removeFromSuperview();
}
