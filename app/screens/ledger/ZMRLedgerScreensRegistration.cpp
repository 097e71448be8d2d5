#include "app/screens/ledger/ZMRBooksController.h"
#include "app/screens/ledger/ZMRBooksDataSource.h"
#include "app/screens/ledger/ZMRBooksEditController.h"
#include "app/screens/ledger/ZMRBooksViewController.h"
#include "app/screens/ledger/ZMRLedgerScreensRegistration.h"
#include "app/screens/ledger/ZMRPublishBooksViewController.h"
#include "app/screens/publish/ZMRClassifyController.h"
#include "framework/data/KRDataSource.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Label.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"

void registerLedgerScreens()
{
    pf::ClassBuilder<ZMRBooksDataSource>("ZMRBooksDataSource")
        .superclass<KRDataSource>()
        .property("expendMoney", &ZMRBooksDataSource::expendMoney, &ZMRBooksDataSource::setExpendMoney)
        .commit();
    // Read, the date is always there (the current moment once unset); nil unsets it.
    pf::ClassExtension<ZMRBooksDataSource>()
        .property("date", +[](const ZMRBooksDataSource& s) -> std::optional<pf::Date> { return s.date(); },
                  +[](ZMRBooksDataSource& s, const std::optional<pf::Date>& d) { s.setDate(d); })
        .commit();
    pf::ClassBuilder<ZMRBooksController>("ZMRBooksController")
        .superclass<KRTableDataController>()
        .property("dateLabel", &ZMRBooksController::dateLabel, &ZMRBooksController::setDateLabel)
        .property("prevButton", &ZMRBooksController::prevButton, &ZMRBooksController::setPrevButton)
        .property("nextButton", &ZMRBooksController::nextButton, &ZMRBooksController::setNextButton)
        .property("expendMoneyLabel", &ZMRBooksController::expendMoneyLabel, &ZMRBooksController::setExpendMoneyLabel)
        .action("doNextMonthAction", &ZMRBooksController::doNextMonthAction)
        .action("doPrevMonthAction", &ZMRBooksController::doPrevMonthAction)
        .commit();
    pf::ClassBuilder<ZMRBooksViewController>("ZMRBooksViewController")
        .superclass<ZMRViewController>()
        .property("booksController", &ZMRBooksViewController::booksController,
                  &ZMRBooksViewController::setBooksController)
        .commit();
    pf::ClassBuilder<ZMRBooksEditController>("ZMRBooksEditController")
        .superclass<KRController>()
        .property("moneyField", &ZMRBooksEditController::moneyField, &ZMRBooksEditController::setMoneyField)
        .property("remarkField", &ZMRBooksEditController::remarkField, &ZMRBooksEditController::setRemarkField)
        .property("keyboardView", &ZMRBooksEditController::keyboardView, &ZMRBooksEditController::setKeyboardView)
        .property("classifyController", &ZMRBooksEditController::classifyController,
                  &ZMRBooksEditController::setClassifyController)
        .property("keyboardController", &ZMRBooksEditController::keyboardController,
                  &ZMRBooksEditController::setKeyboardController)
        .property("contentView", &ZMRBooksEditController::contentView, &ZMRBooksEditController::setContentView)
        .property("statusView", &ZMRBooksEditController::statusView, &ZMRBooksEditController::setStatusView)
        .weakProperty("delegate", &ZMRBooksEditController::delegate, &ZMRBooksEditController::setDelegate)
        .action("doSubmitAction", &ZMRBooksEditController::doSubmitAction)
        .commit();
    pf::ClassBuilder<ZMRPublishBooksViewController>("ZMRPublishBooksViewController")
        .superclass<ZMRViewController>()
        .commit();
}
