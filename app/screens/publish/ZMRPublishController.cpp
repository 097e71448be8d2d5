#include "app/screens/publish/ZMRPublishController.h"

#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/shared/ZMRKeyboardFit.h"
#include "app/screens/publish/ZMRTagController.h"
#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Control.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/ViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kNatterTitle = "分享到纳特";

void alert(const std::string& message)
{
    auto view = std::make_shared<pf::AlertView>("", message, nullptr, "确定", std::vector<std::string>{});
    view->show();
}

}

ZMRPublishController::~ZMRPublishController()
{
    if (m_keyboardView) {
        m_keyboardView->setDelegate(nullptr);
        m_keyboardView->setKeyInput(nullptr);
    }
}

void ZMRPublishController::setKeyboardView(std::shared_ptr<ZMRKeyboardView> view)
{
    m_keyboardView = std::move(view);
    if (m_keyboardView)
        m_keyboardView->setDelegate(weak_from_this().lock());
}

void ZMRPublishController::awakeFromNib()
{
    KRController::awakeFromNib();
    pf::ImageRef placeholder = pf::Image::named(kSlotImageName);
    if (!placeholder)
        pf::log("ZMRPublishController: no picture \"%s\" for the photo slots", kSlotImageName);
    for (const auto& slot : slots())
        slot->setDefaultImage(placeholder);
    if (!m_contentView)
        return;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto tap = std::make_shared<pf::TapGestureRecognizer>([weakSelf](pf::GestureRecognizer&) {
        if (auto self = std::dynamic_pointer_cast<ZMRPublishController>(weakSelf.lock()))
            self->doCancelInputAction(nullptr);
    });
    // A touch on a text field or view places its caret and one on a button
    // or toggle is that control's: only a tap beside them ends editing, and
    // the touch still reaches what it began on.
    tap->setCancelsTouchesInView(false);
    tap->setShouldReceiveTouch([](pf::GestureRecognizer&, const pf::Touch& touch) {
        for (pf::ViewRef view = touch.view(); view; view = view->superview())
            if (view->wantsTextInput() || std::dynamic_pointer_cast<pf::Control>(view))
                return false;
        return true;
    });
    m_contentView->addGestureRecognizer(tap);
}

void ZMRPublishController::doCancelInputAction(const pf::ObjectRef&)
{
    const pf::ViewRef inputs[] = {m_bodyTextView, m_payMoneyField, m_expendMoneyField};
    for (const auto& input : inputs)
        if (input)
            input->resignFirstResponder();
}

std::vector<std::shared_ptr<KRImageView>> ZMRPublishController::slots() const
{
    std::vector<std::shared_ptr<KRImageView>> found;
    if (!m_imageViews)
        return found;
    for (const pf::Value& item : *m_imageViews) {
        auto view = std::dynamic_pointer_cast<pf::View>(item.object());
        if (!view)
            continue;
        auto slot = std::dynamic_pointer_cast<KRImageView>(view);
        for (std::size_t i = 0; !slot && i < view->subviews().size(); ++i)
            slot = std::dynamic_pointer_cast<KRImageView>(view->subviews()[i]);
        if (slot)
            found.push_back(std::move(slot));
    }
    return found;
}

bool ZMRPublishController::holdsPicture(const KRImageView& slot)
{
    return slot.image() && slot.image() != slot.defaultImage();
}

pf::ArrayRef ZMRPublishController::slotImages() const
{
    auto images = pf::Array::create();
    for (const auto& slot : slots())
        if (holdsPicture(*slot))
            images->add(pf::Value(slot->image()));
    return images;
}

double ZMRPublishController::amountOf(const std::string& text)
{
    std::string trimmed = pf::trimWhitespaceAndNewlines(text);
    if (trimmed.empty())
        return 0;
    char* end = nullptr;
    double value = std::strtod(trimmed.c_str(), &end);
    // A text that is not wholly a number, or one past what a double holds,
    // must not go out as an amount.
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value))
        return 0;
    return value;
}

pf::ArrayRef ZMRPublishController::selectedClassifyObjects() const
{
    auto categories = pf::Array::create();
    if (m_classifyController)
        for (const auto& category : m_classifyController->selectedClassifyObjects())
            categories->add(pf::Value(category));
    return categories;
}

// Photo slots.

void ZMRPublishController::imageAction(const pf::ObjectRef& sender)
{
    auto view = std::dynamic_pointer_cast<pf::View>(sender);
    if (!view)
        return;
    auto slot = std::dynamic_pointer_cast<KRImageView>(view);
    for (std::size_t i = 0; !slot && i < view->subviews().size(); ++i)
        slot = std::dynamic_pointer_cast<KRImageView>(view->subviews()[i]);
    if (!slot)
        return;
    m_focusImageView = slot;
    std::vector<std::string> buttons;
    if (pf::ImagePickerController::isSourceTypeAvailable(pf::ImagePickerSourceType::Camera))
        buttons.push_back("拍照");
    buttons.push_back("相册");
    if (holdsPicture(*slot))
        buttons.push_back("删除");
    auto delegate = std::dynamic_pointer_cast<pf::ActionSheetDelegate>(weak_from_this().lock());
    auto sheet = std::make_shared<pf::ActionSheet>("", delegate, "取消", "", buttons);
    sheet->showInView(view);
}

void ZMRPublishController::actionSheetClickedButtonAtIndex(pf::ActionSheet& sheet, int buttonIndex)
{
    if (buttonIndex == sheet.cancelButtonIndex())
        return;
    std::string title = sheet.buttonTitleAtIndex(buttonIndex);
    if (sheet.title() == kNatterTitle) {
        if (title != "好友" && title != "好友圈")
            return;
        auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
        if (!context)
            return;
        std::string body = m_bodyTextView ? pf::trimWhitespaceAndNewlines(m_bodyTextView->text()) : std::string();
        pf::ImageRef image;
        for (const auto& slot : slots())
            if (!image && holdsPicture(*slot))
                image = slot->image();
        context->sendNatterWithTitle(std::string("Zomaru"), body, image, title == "好友" ? 0 : 1);
        return;
    }
    if (title == "拍照")
        presentPicker(pf::ImagePickerSourceType::Camera);
    else if (title == "相册")
        presentPicker(pf::ImagePickerSourceType::PhotoLibrary);
    else if (title == "删除" && m_focusImageView)
        m_focusImageView->setImage(nullptr);
}

void ZMRPublishController::presentPicker(pf::ImagePickerSourceType sourceType)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    auto top = context ? context->topPresentViewController() : nullptr;
    if (!top) {
        pf::log("ZMRPublishController: no screen to present the picker from");
        return;
    }
    auto picker = std::make_shared<pf::ImagePickerController>();
    picker->setDelegate(std::dynamic_pointer_cast<pf::ImagePickerControllerDelegate>(weak_from_this().lock()));
    picker->setSourceType(sourceType);
    top->presentModalViewController(picker, true);
}

void ZMRPublishController::imagePickerControllerDidFinishPickingMediaWithInfo(pf::ImagePickerController& picker,
                                                                              const pf::DictionaryRef& info)
{
    auto image = info ? info->get(pf::ImagePickerControllerEditedImage).objectAs<pf::Image>() : nullptr;
    if (!image && info)
        image = info->get(pf::ImagePickerControllerOriginalImage).objectAs<pf::Image>();
    if (image && m_focusImageView)
        m_focusImageView->setImage(image);
    picker.dismissModalViewControllerAnimated(true);
}

void ZMRPublishController::imagePickerControllerDidCancel(pf::ImagePickerController& picker)
{
    picker.dismissModalViewControllerAnimated(true);
}

// Sharing toggles and Natter.

void ZMRPublishController::doVoxlyAction(const pf::ObjectRef&)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (!m_voxlyButton || !context)
        return;
    if (m_voxlyButton->isSelected())
        m_voxlyButton->setSelected(false);
    else if (context->voxlyToken())
        m_voxlyButton->setSelected(true);
    else
        context->voxlyLogin();
}

void ZMRPublishController::doZZAction(const pf::ObjectRef&)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (!m_zzButton || !context)
        return;
    if (m_zzButton->isSelected())
        m_zzButton->setSelected(false);
    else if (context->zzToken())
        m_zzButton->setSelected(true);
    else
        context->zzLogin();
}

void ZMRPublishController::doNatterAction(const pf::ObjectRef& sender)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (!context || !context->canSendNatterWithAlert(true))
        return;
    auto view = std::dynamic_pointer_cast<pf::View>(sender);
    if (!view && m_natappButton)
        view = m_natappButton;
    if (!view)
        view = m_contentView;
    if (!view)
        return;
    auto delegate = std::dynamic_pointer_cast<pf::ActionSheetDelegate>(weak_from_this().lock());
    auto sheet = std::make_shared<pf::ActionSheet>(kNatterTitle, delegate, "取消", "", std::vector<std::string>{"好友", "好友圈"});
    sheet->showInView(view);
}

// Keyboard and typing.

void ZMRPublishController::krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& frame)
{
    ZMRFitContentAboveKeyboard(m_contentView, ZMRKeyboardCover(frame));
}

void ZMRPublishController::krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& frame)
{
    ZMRFitContentAboveKeyboard(m_contentView, ZMRKeyboardCover(frame));
}

void ZMRPublishController::krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect&)
{
    ZMRFitContentAboveKeyboard(m_contentView, 0);
}

bool ZMRPublishController::textViewShouldChangeTextInRange(pf::TextView& view, pf::TextRange, const std::string& text)
{
    if (text != "\n")
        return true;
    view.resignFirstResponder();
    return false;
}

void ZMRPublishController::textViewDidBeginEditing(pf::TextView& view)
{
    if (m_contentView && view.superview())
        m_contentView->scrollRectToVisible(view.superview()->convertRectToView(view.frame(), m_contentView.get()), true);
}

bool ZMRPublishController::textFieldShouldBeginEditing(pf::TextField& field)
{
    if (m_keyboardView && (&field == m_payMoneyField.get() || &field == m_expendMoneyField.get())) {
        m_keyboardView->setKeyInput(std::static_pointer_cast<pf::View>(field.shared_from_this()));
        field.setInputView(m_keyboardView);
        field.reloadInputViews();
    }
    return true;
}

bool ZMRPublishController::textFieldShouldChangeCharactersInRange(pf::TextField& field, pf::TextRange, const std::string&)
{
    if (&field != m_payMoneyField.get() && &field != m_expendMoneyField.get())
        return true;
    return m_keyboardView && m_keyboardView->isChanging(field);
}

bool ZMRPublishController::textFieldShouldReturn(pf::TextField& field)
{
    moveOn(&field);
    return true;
}

void ZMRPublishController::moveOn(const pf::View* from)
{
    if (!from)
        return;
    if (from == m_payMoneyField.get() && m_expendMoneyField)
        m_expendMoneyField->becomeFirstResponder();
    else if (from == m_expendMoneyField.get() && m_bodyTextView)
        m_bodyTextView->becomeFirstResponder();
}

bool ZMRPublishController::keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key)
{
    auto input = keypad.keyInput();
    if (key == "ok") {
        moveOn(input.get());
        return false;
    }
    return !keypad.applyEditingKey(key);
}

// Publishing.

void ZMRPublishController::publishAction(const pf::ObjectRef&)
{
    std::string body = m_bodyTextView ? pf::trimWhitespaceAndNewlines(m_bodyTextView->text()) : std::string();
    if (body.empty()) {
        alert("请输入内容");
        return;
    }
    double payMoney = m_payMoneyField ? amountOf(m_payMoneyField->text()) : 0;
    double expendMoney = m_expendMoneyField ? amountOf(m_expendMoneyField->text()) : 0;
    if (m_payMoneyField) {
        if (payMoney == 0) {
            alert("请输入一般花费");
            return;
        }
        if (expendMoney > payMoney) {
            alert("实际花费应小于一般花费");
            return;
        }
    }
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    auto bus = this->context();
    auto self = weak_from_this().lock();
    if (!context || !bus || !self) {
        pf::log("ZMRPublishController: no context, nothing published");
        return;
    }

    auto task = std::make_shared<ZMRPublishTask>();
    task->setBody(body);
    task->setSource(self);
    task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
    auto tags = pf::Array::create();
    if (m_tagController)
        for (const auto& tag : m_tagController->selectedDataObjects())
            tags->add(pf::Value(tag));
    task->setTagObjects(tags);
    task->setClassifyObjects(selectedClassifyObjects());
    task->setPayMoney(payMoney);
    task->setExpendMoney(expendMoney);
    task->setToZZ(m_zzButton && m_zzButton->isSelected());
    task->setToVoxly(m_voxlyButton && m_voxlyButton->isSelected());
    if (auto location = context->location()) {
        task->setLatitude(location->latitude);
        task->setLongitude(location->longitude);
    }
    task->setImages(slotImages());
    ZMRSetSending(m_statusView.get(), true);
    if (!bus->handle(proto::IZMRPublishTask(), task, 0)) {
        // Nobody takes it, so no answer will come to give the form back.
        pf::log("ZMRPublishController: no service takes the publish task");
        ZMRSetSending(m_statusView.get(), false);
    }
}

bool ZMRPublishController::isSending() const { return ZMRIsSending(m_statusView.get()); }

void ZMRPublishController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value& results,
                                                         const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRPublishTask())
        return;
    auto self = shared_from_this();
    if (auto bus = context())
        bus->handle(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>(), 0);
    ZMRSetSending(m_statusView.get(), false);
    if (auto delegate = std::dynamic_pointer_cast<ZMRPublishControllerDelegate>(this->delegate()))
        delegate->publishControllerDidSuccessResults(*this, results);
}

void ZMRPublishController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                        const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRPublishTask())
        return;
    auto self = shared_from_this();
    ZMRSetSending(m_statusView.get(), false);
    if (auto delegate = std::dynamic_pointer_cast<ZMRPublishControllerDelegate>(this->delegate()))
        delegate->publishControllerDidFailWithError(*this, error);
}
