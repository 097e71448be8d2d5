#include "app/screens/ledger/ZMRPublishBooksViewController.h"

#include "app/services/ZMRMessage.h"
#include "framework/ui/KRAlertView.h"

void ZMRPublishBooksViewController::booksEditControllerDidFailWithError(ZMRBooksEditController&, const pf::Error& error)
{
    showAlert(ZMRMessage(error));
}

void ZMRPublishBooksViewController::booksEditControllerDidSuccessResults(ZMRBooksEditController&, const pf::Value&)
{
    auto keep = weak_from_this().lock();
    KRAlertView::create("保存成功")->showDuration(1.2);
    if (auto place = stackURL(); auto target = pf::URL::create(".", place ? &*place : nullptr))
        openUrl(*target, true);
}
