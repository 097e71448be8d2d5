#include "app/screens/publish/ZMRPublishFeedViewController.h"

#include "app/services/ZMRMessage.h"
#include "framework/ui/KRAlertView.h"

void ZMRPublishFeedViewController::publishControllerDidFailWithError(ZMRPublishController&, const pf::Error& error)
{
    showAlert(ZMRMessage(error));
}

void ZMRPublishFeedViewController::publishControllerDidSuccessResults(ZMRPublishController&, const pf::Value&)
{
    auto keep = shared_from_this();
    KRAlertView::create("发布成功")->showDuration(1.2);
    if (auto place = stackURL(); auto back = pf::URL::create(".", place ? &*place : nullptr))
        openUrl(*back, true);
}
