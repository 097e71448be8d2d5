#include "app/screens/feed/ZMRPublishCommentViewController.h"

#include "app/screens/shared/ZMRKeyboardFit.h"
#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Label.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"

namespace {

// A query value as a 64-bit id; 0 when absent or not a number.
long long queryId(const pf::DictionaryRef& query, const char* key)
{
    return query ? query->get(key).longLongValue() : 0;
}

}

void ZMRPublishCommentViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (m_titleLabel && url())
        m_titleLabel->setText(queryValues(*url())->get("title").stringOr());
}

void ZMRPublishCommentViewController::viewDidAppear(bool animated)
{
    if (m_textField)
        m_textField->becomeFirstResponder();
    ZMRViewController::viewDidAppear(animated);
}

void ZMRPublishCommentViewController::viewWillDisappear(bool animated)
{
    if (m_keyboardController)
        m_keyboardController->setDelegate(nullptr);
    if (m_textField)
        m_textField->resignFirstResponder();
    ZMRViewController::viewWillDisappear(animated);
}

void ZMRPublishCommentViewController::viewDidDisappear(bool animated)
{
    ZMRViewController::viewDidDisappear(animated);
    if (m_sent)
        return;
    // Whoever waited for this composer's comment will not get one: a later
    // composer's success must not reach it.
    m_sent = true;
    if (auto context = this->context())
        context->waitResultsData(nullptr);
}

void ZMRPublishCommentViewController::onSendAction(const pf::ObjectRef&)
{
    std::string body = m_textField ? pf::trimWhitespaceAndNewlines(m_textField->text()) : std::string();
    if (body.empty()) {
        showAlert("请输入内容");
        return;
    }
    pf::DictionaryRef query = url() ? queryValues(*url()) : nullptr;
    auto task = std::make_shared<ZMRCommentTask>();
    task->setPublishId(queryId(query, "pid"));
    task->setCommentId(queryId(query, "cid"));
    task->setBody(body);
    m_sending = true;
    ZMRSetSending(m_statusView.get(), true);
    if (!sendFormTask(proto::IZMRCommentTask(), task)) {
        m_sending = false;
        ZMRSetSending(m_statusView.get(), false);
    }
}

void ZMRPublishCommentViewController::doAction(const pf::ObjectRef& sender)
{
    auto action = std::dynamic_pointer_cast<IKRAction>(sender);
    if (m_sending && action && (action->actionName() == "popclose" || action->actionName() == "popclosed"))
        return;
    ZMRViewController::doAction(sender);
}

void ZMRPublishCommentViewController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&,
                                                                    const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRCommentTask())
        return;
    auto keep = shared_from_this();
    m_sent = true;
    m_sending = false;
    ZMRSetSending(m_statusView.get(), false);
    KRAlertView::create("发送成功")->showDuration(1);
    if (auto window = KRPopWindow::topPopWindow())
        window->closeAnimated(true);
    if (auto context = this->context())
        context->setResultsData(pf::Value(true));
}

void ZMRPublishCommentViewController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                                   const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRCommentTask())
        return;
    m_sending = false;
    ZMRSetSending(m_statusView.get(), false);
    showAlert(ZMRMessage(error));
}

void ZMRPublishCommentViewController::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRPublishCommentViewController::krKeyboardControllerDidChangedFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRPublishCommentViewController::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect&)
{
    hiddenKeyboard();
}

void ZMRPublishCommentViewController::visableKeyboard(const pf::Rect& keyboard)
{
    auto holder = m_contentView ? m_contentView->superview() : nullptr;
    if (!holder)
        return;
    if (m_contentView->hasAnimations()) {
        // One slide at a time; the latest frame is where the bar goes next.
        m_pendingKeyboard = keyboard;
        return;
    }
    slideBarTo(holder->bounds().height() - m_contentView->frame().height() - ZMRKeyboardCover(keyboard));
}

void ZMRPublishCommentViewController::hiddenKeyboard()
{
    auto holder = m_contentView ? m_contentView->superview() : nullptr;
    if (!holder)
        return;
    // The keyboard is going: no frame that came before applies any more.
    m_pendingKeyboard.reset();
    slideBarTo(holder->bounds().height() - m_contentView->frame().height());
}

void ZMRPublishCommentViewController::slideBarTo(double y)
{
    auto bar = m_contentView;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    pf::View::animate(
        0.3,
        [bar, y] {
            pf::Rect frame = bar->frame();
            bar->setFrame({frame.x(), y, frame.width(), frame.height()});
        },
        [weakSelf](bool) {
            auto self = std::dynamic_pointer_cast<ZMRPublishCommentViewController>(weakSelf.lock());
            if (!self || !self->m_pendingKeyboard)
                return;
            pf::Rect keyboard = *self->m_pendingKeyboard;
            self->m_pendingKeyboard.reset();
            self->visableKeyboard(keyboard);
        });
}
