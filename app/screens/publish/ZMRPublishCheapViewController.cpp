#include "app/screens/publish/ZMRPublishCheapViewController.h"

#include "app/services/ZMRContext.h"

void ZMRPublishCheapViewController::viewDidLoad()
{
    ZMRPublishFeedViewController::viewDidLoad();
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (context && context->isNeedsUpdateLocation())
        context->startLocation();
}
