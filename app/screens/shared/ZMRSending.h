#pragma once

// A form's status view while its entry is sent: the status "loading" and no
// touches, so the form cannot be sent twice; after either answer no status
// and touches again. A null view changes nothing. Main queue only.
//
// The same state keeps the form on screen: a screen does not go back while
// one of its forms sends (ZMRViewController::goBack), so the person sees the
// answer, and nothing is left to arrive after the form has gone.

class KRStatusView;

void ZMRSetSending(KRStatusView* statusView, bool sending);
// The view shows the sending state; false for a null view.
bool ZMRIsSending(const KRStatusView* statusView);

// A form a screen hosts as a companion, which may be sending.
class IZMRSendingForm {
public:
    virtual ~IZMRSendingForm() = default;
    virtual bool isSending() const = 0;
};
