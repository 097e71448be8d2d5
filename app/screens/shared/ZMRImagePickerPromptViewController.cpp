#include "app/screens/shared/ZMRImagePickerPromptViewController.h"

#include "app/screens/shared/ZMRKeyboardView.h"
#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/foundation/DispatchQueue.h"

void ZMRImagePickerPromptViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    m_answered = false;
    auto shown = view();
    if (!shown)
        return;
    shown->setAlpha(0);
    std::weak_ptr<pf::View> weakView = shown;
    std::weak_ptr<pf::View> weakPanel = m_contentView;
    pf::View::animate(0.3, [weakView, weakPanel] {
        auto whole = weakView.lock();
        if (!whole)
            return;
        whole->setAlpha(1);
        if (auto panel = weakPanel.lock()) {
            pf::Rect frame = panel->frame();
            panel->setFrame({frame.x(), whole->bounds().height() - frame.height(), frame.width(), frame.height()});
        }
    });
}

void ZMRImagePickerPromptViewController::doKeyAction(const pf::ObjectRef& sender)
{
    auto button = std::dynamic_pointer_cast<ZMRKeyButton>(sender);
    pf::Value key = button && !button->inputKey().empty() ? pf::Value(button->inputKey()) : pf::Value();
    auto self = weak_from_this().lock();
    m_answered = true;
    std::weak_ptr<IKRUIContext> context = this->context();
    // The opener hears the key only after the prompt has gone, so it may open the next screen.
    pf::dispatchMain([self, context, key] {
        if (auto shell = context.lock())
            shell->setResultsData(key);
    });
    if (auto window = KRPopWindow::topPopWindow())
        window->closeAnimated(false);
}

void ZMRImagePickerPromptViewController::viewDidDisappear(bool animated)
{
    ZMRViewController::viewDidDisappear(animated);
    if (m_answered)
        return;
    m_answered = true;
    if (auto context = this->context())
        context->waitResultsData(nullptr);
}
