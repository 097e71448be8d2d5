#include "app/screens/ledger/ZMRBooksEditController.h"

#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/shared/ZMRKeyboardFit.h"
#include "app/screens/shared/ZMRSending.h"
#include "app/screens/shared/ZMRViewController.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/TextView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <charconv>
#include <cmath>

ZMRBooksEditController::~ZMRBooksEditController()
{
    if (m_keyboardView) {
        m_keyboardView->setDelegate(nullptr);
        m_keyboardView->setKeyInput(nullptr);
    }
}

double ZMRBooksEditController::amountOf(const std::string& text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t' || *begin == '\n'))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0;
    auto parsed = std::from_chars(begin, end, value, std::chars_format::general);
    if (parsed.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

double ZMRBooksEditController::scrollTarget(double contentHeight, double boundsHeight, double focusHeight)
{
    double room = contentHeight - boundsHeight;
    if (!std::isfinite(room) || room <= 0)
        return 0;
    double target = room - focusHeight;
    if (!std::isfinite(target))
        return 0;
    return std::clamp(target, 0.0, room);
}

bool ZMRBooksEditController::keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key)
{
    auto money = m_moneyField;
    if (!keypad.keyInput() && money)
        keypad.setKeyInput(money);
    if (money && !money->isFirstResponder())
        money->becomeFirstResponder();
    if (key == "ok") {
        if (money)
            money->resignFirstResponder();
        return false;
    }
    return !keypad.applyEditingKey(key);
}

bool ZMRBooksEditController::textFieldShouldBeginEditing(pf::TextField& field)
{
    if (m_moneyField && &field == m_moneyField.get()) {
        // The amount comes from the keypad alone: an empty input view keeps
        // the system keyboard away.
        field.setInputView(pf::View::create());
        field.reloadInputViews();
        if (m_keyboardView)
            m_keyboardView->setKeyInput(m_moneyField);
    }
    return true;
}

bool ZMRBooksEditController::textFieldShouldChangeCharactersInRange(pf::TextField& field, pf::TextRange, const std::string&)
{
    if (!m_moneyField || &field != m_moneyField.get())
        return true;
    return m_keyboardView && m_keyboardView->isChanging(field);
}

void ZMRBooksEditController::textFieldDidBeginEditing(pf::TextField& field)
{
    if (!m_remarkField || &field != m_remarkField.get() || !m_contentView)
        return;
    if (auto holder = field.superview())
        m_focusRect = holder->convertRectToView(field.frame(), m_contentView.get());
}

void ZMRBooksEditController::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRBooksEditController::krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& frame)
{
    visableKeyboard(frame);
}

void ZMRBooksEditController::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect& frame)
{
    hiddenKeyboard(frame);
}

void ZMRBooksEditController::visableKeyboard(const pf::Rect& keyboard)
{
    auto content = m_contentView;
    std::weak_ptr<pf::Object> weak = weak_from_this();
    ZMRFitContentAboveKeyboard(content, ZMRKeyboardCover(keyboard), [weak, content](bool) {
        auto self = std::dynamic_pointer_cast<ZMRBooksEditController>(weak.lock());
        if (!self || self->m_focusRect == pf::Rect())
            return;
        double y = scrollTarget(content->contentSize().height, content->bounds().height(), self->m_focusRect.height());
        content->setContentOffset({0, y}, true);
        self->m_focusRect = pf::Rect();
    });
}

void ZMRBooksEditController::hiddenKeyboard(const pf::Rect&)
{
    ZMRFitContentAboveKeyboard(m_contentView, 0);
}

bool ZMRBooksEditController::isSending() const { return ZMRIsSending(m_statusView.get()); }

void ZMRBooksEditController::doSubmitAction(const pf::ObjectRef&)
{
    double amount = amountOf(m_moneyField ? m_moneyField->text() : std::string());
    if (amount == 0) {
        ZMRViewController::showAlert("请输入金额");
        return;
    }
    auto context = this->context();
    auto self = std::dynamic_pointer_cast<ZMRBooksEditController>(weak_from_this().lock());
    if (!context || !self) {
        pf::log("ZMRBooksEditController: no context, the entry is not sent");
        return;
    }
    ZMRSetSending(m_statusView.get(), true);
    auto task = std::make_shared<ZMRBooksCreateTask>();
    task->setSource(self);
    task->setDelegate(self);
    task->setPayMoney(amount);
    task->setExpendMoney(amount);
    task->setRemark(m_remarkField ? m_remarkField->text() : std::string());
    auto categories = pf::Array::create();
    if (m_classifyController)
        for (const auto& category : m_classifyController->selectedClassifyObjects())
            categories->add(pf::Value(category));
    task->setClassifyObjects(categories);
    if (auto app = std::dynamic_pointer_cast<ZMRContext>(context)) {
        if (auto location = app->location()) {
            task->setLatitude(location->latitude);
            task->setLongitude(location->longitude);
        }
    }
    if (!context->handle(proto::IZMRBooksCreateTask(), task, 0)) {
        // No answer will come: the form must not stay locked.
        pf::log("ZMRBooksEditController: no service takes %s", proto::IZMRBooksCreateTask()->name().c_str());
        ZMRSetSending(m_statusView.get(), false);
    }
}

void ZMRBooksEditController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value& results,
                                                           const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRBooksCreateTask())
        return;
    auto keep = weak_from_this().lock();
    ZMRSetSending(m_statusView.get(), false);
    if (auto delegate = std::dynamic_pointer_cast<ZMRBooksEditControllerDelegate>(this->delegate()))
        delegate->booksEditControllerDidSuccessResults(*this, results);
}

void ZMRBooksEditController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                          const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRBooksCreateTask())
        return;
    auto keep = weak_from_this().lock();
    ZMRSetSending(m_statusView.get(), false);
    if (auto delegate = std::dynamic_pointer_cast<ZMRBooksEditControllerDelegate>(this->delegate()))
        delegate->booksEditControllerDidFailWithError(*this, error);
}
