#pragma once

// The exchange form ("PrizeBuy"): the prize stored as the focus value
// "prize" is exchanged for points and sent to a postal address.
//
// On load it asks for a fresh points balance (without waiting), takes the
// prize, stores the stored balance less the price as the prize's "coin"
// (saturating in 64 bits; negative when short) before the data outlets
// apply, and when the balance is short shows "您的积分不足，无法兑换奖品",
// whose button goes back. Without a prize (no dictionary, or one without a
// "pid") nothing can be sent: the screen logs it and goes back.
//
// Sending checks the trimmed address, post code, name and phone in that
// order (the first empty one is alerted), then sends one ZMRPrizeBuyTask
// with all five texts while the status view shows "loading" and takes no
// touches; going back does nothing until the answer. Success shows
// "成功兑换奖品" for 1.2 s and goes back; a refusal gives the form back with
// ZMRMessage of the error, and for 15366 (already exchanged) also goes back.
//
// The form scrolls clear of the keyboard; a field that begins editing is
// scrolled into view 0.1 s later unless it ended editing first (each field's
// scroll is its own perform request). Going back (goBack, animated) finds
// the prize's details below it as they were left.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"
#include "framework/ui/KRKeyboardController.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/TextField.h"

class KRStatusView;

namespace pf {
class ScrollView;
}

class ZMRPrizeBuyViewController : public ZMRViewController,
                                  public KRKeyboardControllerDelegate,
                                  public pf::TextFieldDelegate,
                                  public IKRUplinkTaskDelegate,
                                  public pf::AlertViewDelegate {
public:
    // The tag of the short-of-points alert.
    static constexpr int kPointsAlertTag = 100;
    // The balance less the price, saturating in 64 bits.
    static long long pointsLeft(long long balance, long long price);

    ~ZMRPrizeBuyViewController() override;

    const pf::Value& dataItem() const { return m_dataItem; }
    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }
    const std::shared_ptr<pf::TextField>& addressField() const { return m_fields[0]; }
    void setAddressField(std::shared_ptr<pf::TextField> field) { m_fields[0] = std::move(field); }
    const std::shared_ptr<pf::TextField>& postCodeField() const { return m_fields[1]; }
    void setPostCodeField(std::shared_ptr<pf::TextField> field) { m_fields[1] = std::move(field); }
    const std::shared_ptr<pf::TextField>& nameField() const { return m_fields[2]; }
    void setNameField(std::shared_ptr<pf::TextField> field) { m_fields[2] = std::move(field); }
    const std::shared_ptr<pf::TextField>& phoneField() const { return m_fields[3]; }
    void setPhoneField(std::shared_ptr<pf::TextField> field) { m_fields[3] = std::move(field); }
    const std::shared_ptr<pf::TextField>& otherField() const { return m_fields[4]; }
    void setOtherField(std::shared_ptr<pf::TextField> field) { m_fields[4] = std::move(field); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }

    void viewDidLoad() override;
    bool isSending() const override;
    void doSubmitAction(const pf::ObjectRef& sender);
    void doCancelInputAction(const pf::ObjectRef& sender);

    bool textFieldShouldReturn(pf::TextField& field) override;
    void textFieldDidBeginEditing(pf::TextField& field) override;
    void textFieldDidEndEditing(pf::TextField& field) override;
    void krKeyboardControllerWillShowFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillChangedFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillHideFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;
    void alertViewClickedButtonAtIndex(pf::AlertView& alert, int buttonIndex) override;

private:
    void visableKeyboard(const pf::Rect& frame);
    void hiddenKeyboard(const pf::Rect& frame);
    void delayScrollToTop(const std::shared_ptr<pf::TextField>& field);
    static std::string scrollRequestName(const pf::TextField& field);

    pf::Value m_dataItem;
    std::shared_ptr<pf::ScrollView> m_contentView;
    // Address, post code, name, phone, note: the order of the form.
    std::shared_ptr<pf::TextField> m_fields[5];
    std::shared_ptr<KRStatusView> m_statusView;
};
