#pragma once

// The form of one new ledger entry: an amount typed on the money keypad
// only, a remark typed on the system keyboard, and the categories chosen in
// a category chooser. Submitting sends one ZMRBooksCreateTask (both amounts
// the typed one; the categories switched on; the context's position, or
// 0, 0 without one) while the status view shows "loading" and takes no
// touches; either answer gives the form back and reaches the delegate.
//
// The form, not its screen, is the task's source: a screen that goes away
// never withdraws an entry already sent (its answer then finds no delegate).
//
// An amount is the number the amount text starts with; text that starts
// with none, or a number that is not finite, reads 0 and is refused with
// "请输入金额", nothing sent.
//
// The form body shortens above the system keyboard over 0.3 s (never below
// zero height) and, when the remark field began editing, then scrolls it
// into view once; the scroll offset stays within the body's content.
//
// Main queue only. Outlets are owned; the delegate, like the keypad's link
// back to the form, is not.

#include "app/screens/shared/ZMRKeyboardView.h"
#include "app/screens/shared/ZMRSending.h"
#include "framework/core/IKRTask.h"
#include "framework/core/KRController.h"
#include "framework/ui/KRKeyboardController.h"
#include "platform/controls/TextField.h"

class KRStatusView;
class ZMRBooksEditController;
class ZMRClassifyController;

namespace pf {
class ScrollView;
struct Error;
}

// Both optional.
class ZMRBooksEditControllerDelegate {
public:
    virtual ~ZMRBooksEditControllerDelegate() = default;
    virtual void booksEditControllerDidFailWithError(ZMRBooksEditController&, const pf::Error&) {}
    virtual void booksEditControllerDidSuccessResults(ZMRBooksEditController&, const pf::Value&) {}
};

class ZMRBooksEditController : public KRController,
                               public ZMRKeyboardViewDelegate,
                               public pf::TextFieldDelegate,
                               public KRKeyboardControllerDelegate,
                               public IKRUplinkTaskDelegate,
                               public IZMRSendingForm {
public:
    ~ZMRBooksEditController() override;

    // From the entry's send until its answer.
    bool isSending() const override;

    const std::shared_ptr<pf::TextField>& moneyField() const { return m_moneyField; }
    void setMoneyField(std::shared_ptr<pf::TextField> field) { m_moneyField = std::move(field); }
    const std::shared_ptr<pf::TextField>& remarkField() const { return m_remarkField; }
    void setRemarkField(std::shared_ptr<pf::TextField> field) { m_remarkField = std::move(field); }
    const std::shared_ptr<ZMRKeyboardView>& keyboardView() const { return m_keyboardView; }
    void setKeyboardView(std::shared_ptr<ZMRKeyboardView> view) { m_keyboardView = std::move(view); }
    const std::shared_ptr<ZMRClassifyController>& classifyController() const { return m_classifyController; }
    void setClassifyController(std::shared_ptr<ZMRClassifyController> controller)
    {
        m_classifyController = std::move(controller);
    }
    const std::shared_ptr<KRKeyboardController>& keyboardController() const { return m_keyboardController; }
    void setKeyboardController(std::shared_ptr<KRKeyboardController> controller)
    {
        m_keyboardController = std::move(controller);
    }
    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }
    // The remark field's frame in the body, kept from its editing start
    // until the next keyboard shows; empty when none.
    const pf::Rect& focusRect() const { return m_focusRect; }
    // A ZMRBooksEditControllerDelegate; other objects are never called.
    pf::ObjectRef delegate() const override { return KRController::delegate(); }
    void setDelegate(const pf::ObjectRef& delegate) override { KRController::setDelegate(delegate); }

    // The amount `text` stands for: its leading number, 0 when none or not finite.
    static double amountOf(const std::string& text);
    // Where the body scrolls to show the focused field: content − bounds − focus
    // height, within [0, max(0, content − bounds)].
    static double scrollTarget(double contentHeight, double boundsHeight, double focusHeight);

    void doSubmitAction(const pf::ObjectRef& sender);

    bool keyboardViewInputKey(ZMRKeyboardView& keypad, const std::string& key) override;
    bool textFieldShouldBeginEditing(pf::TextField& field) override;
    bool textFieldShouldChangeCharactersInRange(pf::TextField& field, pf::TextRange range, const std::string& text) override;
    void textFieldDidBeginEditing(pf::TextField& field) override;
    void krKeyboardControllerWillShowFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillChangedFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillHideFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    void visableKeyboard(const pf::Rect& keyboard);
    void hiddenKeyboard(const pf::Rect& keyboard);

    std::shared_ptr<pf::TextField> m_moneyField;
    std::shared_ptr<pf::TextField> m_remarkField;
    std::shared_ptr<ZMRKeyboardView> m_keyboardView;
    std::shared_ptr<ZMRClassifyController> m_classifyController;
    std::shared_ptr<KRKeyboardController> m_keyboardController;
    std::shared_ptr<pf::ScrollView> m_contentView;
    std::shared_ptr<KRStatusView> m_statusView;
    pf::Rect m_focusRect;
};
