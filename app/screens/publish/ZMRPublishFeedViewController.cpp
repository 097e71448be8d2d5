#include "app/screens/publish/ZMRPublishFeedViewController.h"

#include "app/services/ZMRMessage.h"
#include "framework/ui/KRAlertView.h"

void ZMRPublishFeedViewController::publishControllerDidFailWithError(ZMRPublishController&, const pf::Error& error)
{
    showAlert(ZMRMessage(error));
}

void ZMRPublishFeedViewController::publishControllerDidSuccessResults(ZMRPublishController&, const pf::Value&)
{
    KRAlertView::create("发布成功")->showDuration(1.2);
    goBack(true);
}
