#pragma once

// The editor of items typed on the on-screen keyboard: a bar with the
// item's tip that rides on top of the keyboard in the key window while one
// of its items has the focus, and a close button ending the focus. It
// follows the keyboard as the delegate of a keyboard controller.
//
// Main queue only.

#include "framework/ui/KRFormEditor.h"
#include "framework/ui/KRKeyboardController.h"
#include "platform/controls/Label.h"

class KRFormKeyboardEditor : public KRFormEditor, public KRKeyboardControllerDelegate {
public:
    // A new item shows its tip and the bar; none hides the bar and takes
    // the keyboard away from the item that had it.
    void setFormItem(const std::shared_ptr<KRFormItem>& item) override;
    const std::shared_ptr<pf::Label>& tipLabel() const { return m_tipLabel; }
    void setTipLabel(const std::shared_ptr<pf::Label>& label) { m_tipLabel = label; }
    // Kept for the screen; the editor does not write it.
    const std::shared_ptr<pf::Label>& lengthLabel() const { return m_lengthLabel; }
    void setLengthLabel(const std::shared_ptr<pf::Label>& label) { m_lengthLabel = label; }

    void doCloseAction(const pf::ObjectRef& sender);

    void krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect& frame) override;
    void krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect& frame) override;
    void krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect& frame) override;

private:
    std::shared_ptr<pf::Label> m_tipLabel;
    std::shared_ptr<pf::Label> m_lengthLabel;
};
