#include "app/screens/ledger/ZMRPublishBooksViewController.h"

#include "app/services/ZMRMessage.h"
#include "framework/ui/KRAlertView.h"

void ZMRPublishBooksViewController::booksEditControllerDidFailWithError(ZMRBooksEditController&, const pf::Error& error)
{
    showAlert(ZMRMessage(error));
}

void ZMRPublishBooksViewController::booksEditControllerDidSuccessResults(ZMRBooksEditController&, const pf::Value&)
{
    KRAlertView::create("保存成功")->showDuration(1.2);
    goBack(true);
}
