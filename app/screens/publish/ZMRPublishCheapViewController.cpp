#include "app/screens/publish/ZMRPublishCheapViewController.h"

#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "framework/ui/KRAlertView.h"

void ZMRPublishCheapViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (context && context->isNeedsUpdateLocation())
        context->startLocation();
}

void ZMRPublishCheapViewController::publishControllerDidFailWithError(ZMRPublishController&, const pf::Error& error)
{
    showAlert(ZMRMessage(error));
}

void ZMRPublishCheapViewController::publishControllerDidSuccessResults(ZMRPublishController&, const pf::Value&)
{
    auto keep = shared_from_this();
    KRAlertView::create("发布成功")->showDuration(1.2);
    if (auto place = stackURL(); auto back = pf::URL::create(".", place ? &*place : nullptr))
        openUrl(*back, true);
}
