#include "app/screens/prizes/ZMRPrizeBuyViewController.h"

#include "app/screens/shared/ZMRKeyboardFit.h"
#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr int kAlreadyExchanged = 15366;

}

long long ZMRPrizeBuyViewController::pointsLeft(long long balance, long long price)
{
    long long left = 0;
    if (!__builtin_sub_overflow(balance, price, &left))
        return left;
    return price < 0 ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
}

ZMRPrizeBuyViewController::~ZMRPrizeBuyViewController()
{
    for (const auto& field : m_fields)
        if (field)
            pf::cancelPreviousPerformRequests(*this, scrollRequestName(*field));
    pf::cancelPreviousPerformRequests(*this, "goBack");
}

void ZMRPrizeBuyViewController::viewDidLoad()
{
    auto context = this->context();
    auto app = std::dynamic_pointer_cast<ZMRContext>(context);
    if (context)
        context->handle(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>(), 0);
    m_dataItem = context ? context->focusValueForKey("prize") : pf::Value();
    pf::DictionaryRef prize = m_dataItem.dictionary();
    if (!prize || dataForKeyPath(m_dataItem, "pid").isNilOrNull()) {
        // Nothing to exchange: leave on the next turn, once the screen is in place.
        pf::log("%s: no prize to exchange, going back", screenClassName().c_str());
        m_dataItem = pf::Value();
        std::weak_ptr<pf::Object> weak = weak_from_this();
        pf::performAfterDelay(shared_from_this(), "goBack", 0, [weak] {
            if (auto self = std::dynamic_pointer_cast<ZMRPrizeBuyViewController>(weak.lock()))
                self->goBack(true);
        });
    } else {
        long long left = pointsLeft(app ? app->integral() : 0, prize->get("salePrice").longLongValue());
        if (left < 0) {
            auto alert = std::make_shared<pf::AlertView>("", "您的积分不足，无法兑换奖品",
                                                         std::dynamic_pointer_cast<pf::AlertViewDelegate>(shared_from_this()),
                                                         "确定", std::vector<std::string>{});
            alert->setTag(kPointsAlertTag);
            alert->show();
        }
        prize->set("coin", pf::Value(left));
    }
    ZMRViewController::viewDidLoad();
    downloadImagesForView(*view());
}

bool ZMRPrizeBuyViewController::isSending() const { return ZMRIsSending(m_statusView.get()); }

void ZMRPrizeBuyViewController::doCancelInputAction(const pf::ObjectRef&)
{
    for (const auto& field : m_fields)
        if (field)
            field->resignFirstResponder();
}

void ZMRPrizeBuyViewController::doSubmitAction(const pf::ObjectRef&)
{
    doCancelInputAction(nullptr);
    std::string texts[5];
    for (int i = 0; i < 5; ++i)
        texts[i] = m_fields[i] ? pf::trimWhitespaceAndNewlines(m_fields[i]->text()) : std::string();
    static const char* const kMissing[] = {"请输入收货地址", "请输入邮编", "请输入收货人", "请输入电话"};
    for (int i = 0; i < 4; ++i) {
        if (texts[i].empty()) {
            showAlert(kMissing[i]);
            return;
        }
    }
    pf::Value pid = dataForKeyPath(m_dataItem, "pid");
    auto context = this->context();
    auto self = weak_from_this().lock();
    if (pid.isNilOrNull() || !context || !self) {
        pf::log("%s: no prize to exchange, nothing sent", screenClassName().c_str());
        return;
    }
    ZMRSetSending(m_statusView.get(), true);
    auto task = std::make_shared<ZMRPrizeBuyTask>();
    task->setSource(self);
    task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
    task->setProductId(pid.longLongValue());
    task->setAddress(texts[0]);
    task->setPostCode(texts[1]);
    task->setName(texts[2]);
    task->setPhone(texts[3]);
    task->setOther(texts[4]);
    context->handle(proto::IZMRPrizeBuyTask(), task, 0);
}

bool ZMRPrizeBuyViewController::textFieldShouldReturn(pf::TextField& field)
{
    for (int i = 0; i < 5; ++i) {
        if (m_fields[i].get() != &field)
            continue;
        if (i < 4 && m_fields[i + 1])
            m_fields[i + 1]->becomeFirstResponder();
        else
            field.resignFirstResponder();
        break;
    }
    return true;
}

std::string ZMRPrizeBuyViewController::scrollRequestName(const pf::TextField& field)
{
    // Requests are matched by target and name only: one name per field.
    return "delayScrollToTop:" + std::to_string(reinterpret_cast<std::uintptr_t>(&field));
}

void ZMRPrizeBuyViewController::textFieldDidBeginEditing(pf::TextField& field)
{
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    std::weak_ptr<pf::Object> weakField = field.weak_from_this();
    pf::performAfterDelay(shared_from_this(), scrollRequestName(field), 0.1, [weakSelf, weakField] {
        auto self = std::dynamic_pointer_cast<ZMRPrizeBuyViewController>(weakSelf.lock());
        auto target = std::dynamic_pointer_cast<pf::TextField>(weakField.lock());
        if (self && target)
            self->delayScrollToTop(target);
    });
}

void ZMRPrizeBuyViewController::textFieldDidEndEditing(pf::TextField& field)
{
    pf::cancelPreviousPerformRequests(*this, scrollRequestName(field));
}

void ZMRPrizeBuyViewController::delayScrollToTop(const std::shared_ptr<pf::TextField>& field)
{
    auto holder = field->superview();
    if (!m_contentView || !holder)
        return;
    pf::Rect frame = holder->convertRectToView(field->frame(), m_contentView.get());
    double y = std::max(0.0, frame.y() + frame.height() + 60 - m_contentView->bounds().height());
    m_contentView->setContentOffset({0, y}, true);
}

void ZMRPrizeBuyViewController::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRPrizeBuyViewController::krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRPrizeBuyViewController::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect& frame)
{
    hiddenKeyboard(frame);
}

void ZMRPrizeBuyViewController::visableKeyboard(const pf::Rect& keyboard)
{
    ZMRFitContentAboveKeyboard(m_contentView, ZMRKeyboardCover(keyboard));
}

void ZMRPrizeBuyViewController::hiddenKeyboard(const pf::Rect&)
{
    ZMRFitContentAboveKeyboard(m_contentView, 0);
}

void ZMRPrizeBuyViewController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&,
                                                              const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRPrizeBuyTask())
        return;
    auto keep = weak_from_this().lock();
    ZMRSetSending(m_statusView.get(), false);
    KRAlertView::create("成功兑换奖品")->showDuration(1.2);
    goBack(true);
}

void ZMRPrizeBuyViewController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                             const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRPrizeBuyTask())
        return;
    auto keep = weak_from_this().lock();
    ZMRSetSending(m_statusView.get(), false);
    showAlert(ZMRMessage(error));
    if (error.code == kAlreadyExchanged)
        goBack(true);
}

void ZMRPrizeBuyViewController::alertViewClickedButtonAtIndex(pf::AlertView& alert, int)
{
    if (alert.tag() == kPointsAlertTag)
        goBack(true);
}
