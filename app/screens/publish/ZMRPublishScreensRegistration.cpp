#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/publish/ZMRClassifyItemControl.h"
#include "app/screens/publish/ZMRPublishCheapViewController.h"
#include "app/screens/publish/ZMRPublishController.h"
#include "app/screens/publish/ZMRPublishFeedViewController.h"
#include "app/screens/publish/ZMRPublishScreensRegistration.h"
#include "app/screens/publish/ZMRTagController.h"
#include "app/screens/publish/ZMRTagItemControl.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/PageControl.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsPropertyTraits.h"

void registerPublishScreens()
{
    pf::ClassBuilder<ZMRTagController>("ZMRTagController")
        .superclass<KRController>()
        .property("contentView", &ZMRTagController::contentView, &ZMRTagController::setContentView)
        .commit();
    pf::ClassBuilder<ZMRTagItemControl>("ZMRTagItemControl")
        .superclass<pf::Button>()
        .property("dataObject", &ZMRTagItemControl::dataObject, &ZMRTagItemControl::setDataObject)
        .commit();
    pf::ClassBuilder<ZMRClassifyItemControl>("ZMRClassifyItemControl")
        .superclass<pf::Button>()
        .property("dataObject", &ZMRClassifyItemControl::dataObject, &ZMRClassifyItemControl::setDataObject)
        .commit();
    pf::ClassBuilder<ZMRClassifyController>("ZMRClassifyController")
        .superclass<KRController>()
        .property("contentView", &ZMRClassifyController::contentView, &ZMRClassifyController::setContentView)
        .property("pageControl", &ZMRClassifyController::pageControl, &ZMRClassifyController::setPageControl)
        .property("itemSize", &ZMRClassifyController::itemSize, &ZMRClassifyController::setItemSize)
        .property("padding", &ZMRClassifyController::padding, &ZMRClassifyController::setPadding)
        .property("itemPadding", &ZMRClassifyController::itemPadding, &ZMRClassifyController::setItemPadding)
        .action("doPageChangedAction", &ZMRClassifyController::doPageChangedAction)
        .commit();
    using Form = ZMRPublishController;
    pf::ClassBuilder<Form>("ZMRPublishController")
        .superclass<KRController>()
        .weakProperty("delegate", &Form::delegate, &Form::setDelegate)
        .property("contentView", &Form::contentView, &Form::setContentView)
        .property("statusView", &Form::statusView, &Form::setStatusView)
        .property("keyboardController", &Form::keyboardController, &Form::setKeyboardController)
        .property("bodyTextView", &Form::bodyTextView, &Form::setBodyTextView)
        .property("imageViews", &Form::imageViews, &Form::setImageViews)
        .property("classifyController", &Form::classifyController, &Form::setClassifyController)
        .property("payMoneyField", &Form::payMoneyField, &Form::setPayMoneyField)
        .property("expendMoneyField", &Form::expendMoneyField, &Form::setExpendMoneyField)
        .property("keyboardView", &Form::keyboardView, &Form::setKeyboardView)
        .property("tagController", &Form::tagController, &Form::setTagController)
        .property("voxlyButton", &Form::voxlyButton, &Form::setVoxlyButton)
        .property("zzButton", &Form::zzButton, &Form::setZzButton)
        .property("natappButton", &Form::natappButton, &Form::setNatappButton)
        .action("imageAction", &Form::imageAction)
        .action("publishAction", &Form::publishAction)
        .action("doVoxlyAction", &Form::doVoxlyAction)
        .action("doZZAction", &Form::doZZAction)
        .action("doNatterAction", &Form::doNatterAction)
        .commit();
    pf::ClassBuilder<ZMRPublishFeedViewController>("ZMRPublishFeedViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRPublishCheapViewController>("ZMRPublishCheapViewController").superclass<ZMRPublishFeedViewController>().commit();
}
