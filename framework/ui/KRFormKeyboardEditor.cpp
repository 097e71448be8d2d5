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
    if (item == m_formItem)
        return;
    if (!item && m_formItem && m_formItem->view())
        m_formItem->view()->resignFirstResponder();
    m_formItem = item;
    if (m_tipLabel)
        m_tipLabel->setText(item ? item->tip() : std::string());
    if (m_view)
        m_view->setHidden(!item);
}

void KRFormKeyboardEditor::doCloseAction(const pf::ObjectRef&)
{
    if (auto item = m_formItem)
        item->focusCancel();
}

void KRFormKeyboardEditor::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& keyboard)
{
    auto window = keyWindow();
    if (!m_view || !window)
        return;
    double height = window->bounds().size.height;
    pf::Rect bar = m_view->frame();
    bar = pf::Rect(0, height - bar.size.height, keyboard.size.width, bar.size.height);
    m_view->setFrame(bar);
    if (m_view->superview() != window)
        window->addSubview(m_view);
    auto view = m_view;
    pf::View::animate(kFollowDuration, [&] {
        view->setFrame(pf::Rect(0, height - keyboard.size.height - bar.size.height, bar.size.width, bar.size.height));
    });
}

void KRFormKeyboardEditor::krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& keyboard)
{
    auto window = keyWindow();
    if (!m_view || !window)
        return;
    double height = window->bounds().size.height;
    double barHeight = m_view->frame().size.height;
    auto view = m_view;
    pf::View::animate(kFollowDuration, [&] {
        view->setFrame(pf::Rect(0, height - keyboard.size.height - barHeight, keyboard.size.width, barHeight));
    });
}

void KRFormKeyboardEditor::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect&)
{
    if (m_view)
        m_view->removeFromSuperview();
}
