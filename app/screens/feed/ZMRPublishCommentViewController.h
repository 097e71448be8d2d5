#pragma once

// The comment composer ("PublishComment"), opened in a pop window by
// "pop:///publish-comment": a title (query "title"), one text field and a
// send button in a bar that rides on the keyboard. Query "pid" makes it a
// comment on that post, "cid" a reply to that comment; each is sent as its
// 64-bit number, 0 when absent.
//
// Sending trims the text (Unicode-wide blanks too); nothing left alerts
// "请输入内容" and sends nothing. Otherwise one ZMRCommentTask goes out while
// the status view, which holds the bar's controls, shows "loading" and
// takes no touches. Success shows "发送成功" for 1 s, closes the pop window
// and hands YES to whoever waits with the context's waitResultsData; a
// refusal gives the bar back with ZMRMessage of the error and keeps the
// text. While the comment is on its way the dimmed area does not close the
// composer: its answer would reach nobody (a released screen's tasks are
// withdrawn), and a comment the server took would be missing from the
// details until they reopen. A composer that goes away without a sent comment clears the
// waiting callback, so a later composer's success never answers it.
//
// The bar slides (0.3 s, y only) to sit on the keyboard when it shows or
// changes, and to the bottom edge when it hides. A keyboard frame that
// arrives while the bar is sliding is kept and applied when the slide ends.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"
#include "framework/ui/KRKeyboardController.h"

#include <optional>

class KRStatusView;

namespace pf {
class Button;
class Label;
class TextField;
}

class ZMRPublishCommentViewController : public ZMRViewController,
                                        public KRKeyboardControllerDelegate,
                                        public IKRUplinkTaskDelegate {
public:
    const pf::ViewRef& contentView() const { return m_contentView; }
    void setContentView(pf::ViewRef view) { m_contentView = std::move(view); }
    const std::shared_ptr<pf::Label>& titleLabel() const { return m_titleLabel; }
    void setTitleLabel(std::shared_ptr<pf::Label> label) { m_titleLabel = std::move(label); }
    const std::shared_ptr<pf::Button>& sendButton() const { return m_sendButton; }
    void setSendButton(std::shared_ptr<pf::Button> button) { m_sendButton = std::move(button); }
    const std::shared_ptr<pf::TextField>& textField() const { return m_textField; }
    void setTextField(std::shared_ptr<pf::TextField> field) { m_textField = std::move(field); }
    const std::shared_ptr<KRKeyboardController>& keyboardController() const { return m_keyboardController; }
    void setKeyboardController(std::shared_ptr<KRKeyboardController> controller)
    {
        m_keyboardController = std::move(controller);
    }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void onSendAction(const pf::ObjectRef& sender);
    bool isSending() const override { return m_sending; }
    // Closing ("popclose") waits for the answer of a comment under way.
    void doAction(const pf::ObjectRef& sender) override;

    void krKeyboardControllerWillShowFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerDidChangedFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krKeyboardControllerWillHideFrame(KRKeyboardController& controller, const pf::Rect& frame) override;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    void visableKeyboard(const pf::Rect& keyboard);
    void hiddenKeyboard();
    void slideBarTo(double y);

    pf::ViewRef m_contentView;
    std::shared_ptr<pf::Label> m_titleLabel;
    std::shared_ptr<pf::Button> m_sendButton;
    std::shared_ptr<pf::TextField> m_textField;
    std::shared_ptr<KRKeyboardController> m_keyboardController;
    std::shared_ptr<KRStatusView> m_statusView;
    // A keyboard frame that came while the bar was sliding.
    std::optional<pf::Rect> m_pendingKeyboard;
    bool m_sent = false;
    bool m_sending = false;
};
