#include "app/screens/shared/ZMRSending.h"

#include "framework/ui/KRStatusView.h"

void ZMRSetSending(KRStatusView* statusView, bool sending)
{
    if (!statusView)
        return;
    statusView->setUserInteractionEnabled(!sending);
    statusView->setStatus(sending ? std::optional<std::string>("loading") : std::nullopt);
}

bool ZMRIsSending(const KRStatusView* statusView)
{
    return statusView && !statusView->isUserInteractionEnabled() && statusView->status() == "loading";
}
