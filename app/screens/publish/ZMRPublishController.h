#pragma once

// The publish form behind the two publish screens: a body text, photos in
// the form's slots, the usual price ("payMoney") and the price paid
// ("expendMoney") typed on the money keypad, categories and tags, toggles
// that also send the post to Voxly or ZZ, and a hand-over of the post to
// Natter. It is a companion of its screen's interface file, whose outlets
// wire its views; the screen is its delegate and decides what follows an
// outcome.
//
// Publishing trims the body (alert "请输入内容" when nothing is left); a form
// with a usual-price field also wants a usual price ("请输入一般花费") and a
// price paid no greater than it ("实际花费应小于一般花费"). Then one
// ZMRPublishTask goes out (the slots' pictures in slot order, placeholders
// skipped) while the status view shows "loading" and takes no touches. A
// success also asks for the new points balance. Either outcome gives the
// form back with all its input and is told to the delegate.
//
// While a field is edited, a tap on the form beside its fields and buttons
// ends the editing: the keyboard (or keypad) goes down and the rows it
// covered, the categories and tags among them, can be tapped again.
//
// A slot's sheet and the Natter sheet are read by their buttons' titles,
// never by position: which buttons a sheet holds depends on the device
// (a camera) and on the slot (a picture to delete). Pictures come from the
// picker, presented from the context's topPresentViewController.
//
// Main queue only. The delegate and context are not retained.

#include "framework/core/IKRTask.h"
#include "framework/core/KRController.h"
#include "framework/ui/KRKeyboardController.h"
#include "app/screens/shared/ZMRKeyboardView.h"
#include "app/screens/shared/ZMRSending.h"
#include "platform/controls/ActionSheet.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"

class KRImageView;
class KRStatusView;
class ZMRClassifyController;
class ZMRPublishController;
class ZMRTagController;

namespace pf {
class Button;
class ScrollView;
}

// Both calls are optional.
class ZMRPublishControllerDelegate {
public:
    virtual ~ZMRPublishControllerDelegate() = default;
    virtual void publishControllerDidFailWithError(ZMRPublishController&, const pf::Error&) {}
    virtual void publishControllerDidSuccessResults(ZMRPublishController&, const pf::Value&) {}
};

class ZMRPublishController : public KRController,
                             public KRKeyboardControllerDelegate,
                             public pf::TextViewDelegate,
                             public pf::TextFieldDelegate,
                             public pf::ActionSheetDelegate,
                             public pf::ImagePickerControllerDelegate,
                             public IKRUplinkTaskDelegate,
                             public ZMRKeyboardViewDelegate,
                             public IZMRSendingForm {
public:
    // The placeholder every photo slot shows while it holds no picture.
    static constexpr const char* kSlotImageName = "btn6";

    ~ZMRPublishController() override;

    // From the post's send until its answer.
    bool isSending() const override;

    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }
    const std::shared_ptr<KRKeyboardController>& keyboardController() const { return m_keyboardController; }
    void setKeyboardController(std::shared_ptr<KRKeyboardController> controller) { m_keyboardController = std::move(controller); }
    const std::shared_ptr<pf::TextView>& bodyTextView() const { return m_bodyTextView; }
    void setBodyTextView(std::shared_ptr<pf::TextView> view) { m_bodyTextView = std::move(view); }
    // KRImageViews (or views holding one), in slot order.
    const pf::ArrayRef& imageViews() const { return m_imageViews; }
    void setImageViews(pf::ArrayRef views) { m_imageViews = std::move(views); }
    const std::shared_ptr<ZMRClassifyController>& classifyController() const { return m_classifyController; }
    void setClassifyController(std::shared_ptr<ZMRClassifyController> c) { m_classifyController = std::move(c); }
    // Optional: the bargain form has none.
    const std::shared_ptr<pf::TextField>& payMoneyField() const { return m_payMoneyField; }
    void setPayMoneyField(std::shared_ptr<pf::TextField> field) { m_payMoneyField = std::move(field); }
    const std::shared_ptr<pf::TextField>& expendMoneyField() const { return m_expendMoneyField; }
    void setExpendMoneyField(std::shared_ptr<pf::TextField> field) { m_expendMoneyField = std::move(field); }
    // The form becomes the keypad's delegate.
    const std::shared_ptr<ZMRKeyboardView>& keyboardView() const { return m_keyboardView; }
    void setKeyboardView(std::shared_ptr<ZMRKeyboardView> view);
    const std::shared_ptr<ZMRTagController>& tagController() const { return m_tagController; }
    void setTagController(std::shared_ptr<ZMRTagController> controller) { m_tagController = std::move(controller); }
    const std::shared_ptr<pf::Button>& voxlyButton() const { return m_voxlyButton; }
    void setVoxlyButton(std::shared_ptr<pf::Button> button) { m_voxlyButton = std::move(button); }
    const std::shared_ptr<pf::Button>& zzButton() const { return m_zzButton; }
    void setZzButton(std::shared_ptr<pf::Button> button) { m_zzButton = std::move(button); }
    const std::shared_ptr<pf::Button>& natappButton() const { return m_natappButton; }
    void setNatappButton(std::shared_ptr<pf::Button> button) { m_natappButton = std::move(button); }
    // The slot whose sheet or picker is open.
    const std::shared_ptr<KRImageView>& focusImageView() const { return m_focusImageView; }

    // The pictures a publish sends now: the slots' own, in slot order.
    pf::ArrayRef slotImages() const;
    // The text of an amount field as a number: 0 when empty, not a number
    // or too large to be finite.
    static double amountOf(const std::string& text);

    // Every slot shows the placeholder, and the content view ends editing
    // on a tap beside the fields.
    void awakeFromNib() override;
    // The body and the amount fields stop editing.
    void doCancelInputAction(const pf::ObjectRef& sender);

    // Actions of the interface file.
    void imageAction(const pf::ObjectRef& sender);
    void publishAction(const pf::ObjectRef& sender);
    void doVoxlyAction(const pf::ObjectRef& sender);
    void doZZAction(const pf::ObjectRef& sender);
    void doNatterAction(const pf::ObjectRef& sender);

    void krKeyboardControllerWillShowFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillChangedFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillHideFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    // The return key ends the body instead of breaking its line.
    bool textViewShouldChangeTextInRange(pf::TextView& view, pf::TextRange range, const std::string& text) override;
    void textViewDidBeginEditing(pf::TextView& view) override;
    // An amount field types on the keypad.
    bool textFieldShouldBeginEditing(pf::TextField& field) override;
    bool textFieldShouldChangeCharactersInRange(pf::TextField& field, pf::TextRange range, const std::string& text) override;
    bool textFieldShouldReturn(pf::TextField& field) override;
    bool keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key) override;
    void actionSheetClickedButtonAtIndex(pf::ActionSheet& sheet, int buttonIndex) override;
    void imagePickerControllerDidFinishPickingMediaWithInfo(pf::ImagePickerController& picker,
                                                            const pf::DictionaryRef& info) override;
    void imagePickerControllerDidCancel(pf::ImagePickerController& picker) override;
    // Both act only for IZMRPublishTask.
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    std::vector<std::shared_ptr<KRImageView>> slots() const;
    static bool holdsPicture(const KRImageView& slot);
    pf::ArrayRef selectedClassifyObjects() const;
    void moveOn(const pf::View* from);
    void presentPicker(pf::ImagePickerSourceType sourceType);

    std::shared_ptr<pf::ScrollView> m_contentView;
    std::shared_ptr<KRStatusView> m_statusView;
    std::shared_ptr<KRKeyboardController> m_keyboardController;
    std::shared_ptr<pf::TextView> m_bodyTextView;
    pf::ArrayRef m_imageViews;
    std::shared_ptr<ZMRClassifyController> m_classifyController;
    std::shared_ptr<pf::TextField> m_payMoneyField;
    std::shared_ptr<pf::TextField> m_expendMoneyField;
    std::shared_ptr<ZMRKeyboardView> m_keyboardView;
    std::shared_ptr<ZMRTagController> m_tagController;
    std::shared_ptr<pf::Button> m_voxlyButton;
    std::shared_ptr<pf::Button> m_zzButton;
    std::shared_ptr<pf::Button> m_natappButton;
    std::shared_ptr<KRImageView> m_focusImageView;
};
