#include "framework/ui/KRKeyboardController.h"

#include "platform/controls/Keyboard.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/NotificationCenter.h"

KRKeyboardController::KRKeyboardController()
{
    using D = KRKeyboardControllerDelegate;
    listen(pf::KeyboardWillShowNotification, &D::krKeyboardControllerWillShowFrame);
    listen(pf::KeyboardDidShowNotification, &D::krKeyboardControllerDidShowFrame);
    listen(pf::KeyboardWillHideNotification, &D::krKeyboardControllerWillHideFrame);
    listen(pf::KeyboardDidHideNotification, &D::krKeyboardControllerDidHideFrame);
    if (pf::DeviceProfile::current().systemVersionNumber() >= 5.0) {
        listen(pf::KeyboardWillChangeFrameNotification, &D::krKeyboardControllerWillChangedFrame);
        listen(pf::KeyboardDidChangeFrameNotification, &D::krKeyboardControllerDidChangedFrame);
    }
}

KRKeyboardController::~KRKeyboardController()
{
    for (auto token : m_tokens)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
}

void KRKeyboardController::listen(const std::string& name, Callback callback)
{
    m_tokens.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        name, m_observerLife, [this, callback](const pf::Notification& notification) {
            // The delegate may drop the last owner while it moves its views.
            auto self = weak_from_this().lock();
            auto delegate = std::dynamic_pointer_cast<KRKeyboardControllerDelegate>(this->delegate());
            if (self && delegate)
                ((*delegate).*callback)(*this, rectForNotification(notification));
        }));
}

pf::Rect KRKeyboardController::rectForNotification(const pf::Notification& notification)
{
    if (!notification.userInfo)
        return {};
    return pf::Boxed<pf::Rect>::from(notification.userInfo->get(pf::KeyboardFrameEndKey)).value_or(pf::Rect{});
}
