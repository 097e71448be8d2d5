#include "app/screens/feed/ZMRCommentListController.h"
#include "app/screens/feed/ZMRCommentListDataSource.h"
#include "app/screens/feed/ZMRCommentViewController.h"
#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/feed/ZMRFeedDataSource.h"
#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/feed/ZMRFeedImageView.h"
#include "app/screens/feed/ZMRFeedScreensRegistration.h"
#include "app/screens/feed/ZMRHomeViewController.h"
#include "app/screens/feed/ZMRImageViewController.h"
#include "app/screens/feed/ZMRNearFeedDataSource.h"
#include "app/screens/feed/ZMRPublishCommentViewController.h"
#include "app/screens/shared/ZMRListQueryClass.h"
#include "framework/data/KRTableSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Control.h"
#include "platform/controls/Label.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/ClassBuilder.h"

void registerFeedScreens()
{
    pf::ClassBuilder<ZMRFeedDataSource> feed("ZMRFeedDataSource");
    withListQuery(feed.superclass<KRStatusDataSource>())
        .property("classify", &ZMRFeedDataSource::classify, &ZMRFeedDataSource::setClassify)
        .property("mutual", &ZMRFeedDataSource::isMutual, &ZMRFeedDataSource::setMutual)
        .takesAnyKey()
        .commit();
    pf::ClassBuilder<ZMRNearFeedDataSource>("ZMRNearFeedDataSource").superclass<ZMRFeedDataSource>().commit();
    pf::ClassBuilder<ZMRFeedDocumentController>("ZMRFeedDocumentController")
        .superclass<KRDocumentController>()
        .property("topLikeDataSource", &ZMRFeedDocumentController::topLikeDataSource,
                  &ZMRFeedDocumentController::setTopLikeDataSource)
        .commit();
    pf::ClassBuilder<ZMRFeedController>("ZMRFeedController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRCommentListDataSource>("ZMRCommentListDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRImageViewController>("ZMRImageViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRImageViewController::contentView, &ZMRImageViewController::setContentView)
        .property("autoHiddenViews", &ZMRImageViewController::autoHiddenViews,
                  &ZMRImageViewController::setAutoHiddenViews)
        .readonlyProperty("images", &ZMRImageViewController::images)
        .readonlyProperty("pageIndex", &ZMRImageViewController::pageIndex)
        .action("doImageAction", &ZMRImageViewController::doImageAction)
        .commit();
    pf::ClassBuilder<ZMRCommentListController>("ZMRCommentListController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRFeedDetailsViewController>("ZMRFeedDetailsViewController")
        .superclass<ZMRViewController>()
        .property("commentListController", &ZMRFeedDetailsViewController::commentListController,
                  &ZMRFeedDetailsViewController::setCommentListController)
        .property("documentController", &ZMRFeedDetailsViewController::documentController,
                  &ZMRFeedDetailsViewController::setDocumentController)
        .property("detailsTableViewCell", &ZMRFeedDetailsViewController::detailsTableViewCell,
                  &ZMRFeedDetailsViewController::setDetailsTableViewCell)
        .action("doCommentAction", &ZMRFeedDetailsViewController::doCommentAction)
        .commit();
    pf::ClassBuilder<ZMRPublishCommentViewController>("ZMRPublishCommentViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRPublishCommentViewController::contentView,
                  &ZMRPublishCommentViewController::setContentView)
        .property("titleLabel", &ZMRPublishCommentViewController::titleLabel,
                  &ZMRPublishCommentViewController::setTitleLabel)
        .property("sendButton", &ZMRPublishCommentViewController::sendButton,
                  &ZMRPublishCommentViewController::setSendButton)
        .property("textField", &ZMRPublishCommentViewController::textField,
                  &ZMRPublishCommentViewController::setTextField)
        .property("keyboardController", &ZMRPublishCommentViewController::keyboardController,
                  &ZMRPublishCommentViewController::setKeyboardController)
        .property("statusView", &ZMRPublishCommentViewController::statusView,
                  &ZMRPublishCommentViewController::setStatusView)
        .action("onSendAction", &ZMRPublishCommentViewController::onSendAction)
        .commit();
    pf::ClassBuilder<ZMRCommentViewController>("ZMRCommentViewController")
        .superclass<ZMRViewController>()
        .property("listController", &ZMRCommentViewController::listController,
                  &ZMRCommentViewController::setListController)
        .property("statusView", &ZMRCommentViewController::statusView, &ZMRCommentViewController::setStatusView)
        .commit();
    pf::ClassBuilder<ZMRFeedImageView>("ZMRFeedImageView")
        .superclass<pf::Control>()
        .property("defaultSrc", &ZMRFeedImageView::defaultSrc, &ZMRFeedImageView::setDefaultSrc)
        .commit();
    KRDOMViewClass::registerClass("ZMRFeedImageView", [](const pf::Rect& frame) { return std::make_shared<ZMRFeedImageView>(frame); });
    pf::ClassBuilder<ZMRHomeViewController>("ZMRHomeViewController")
        .superclass<ZMRViewController>()
        .property("classify", &ZMRHomeViewController::classify, &ZMRHomeViewController::setClassify)
        .property("classifyView", &ZMRHomeViewController::classifyView, &ZMRHomeViewController::setClassifyView)
        .property("classifyContentView", &ZMRHomeViewController::classifyContentView,
                  &ZMRHomeViewController::setClassifyContentView)
        .property("classifyButton", &ZMRHomeViewController::classifyButton, &ZMRHomeViewController::setClassifyButton)
        .property("classifyEnabledViews", &ZMRHomeViewController::classifyEnabledViews,
                  &ZMRHomeViewController::setClassifyEnabledViews)
        .property("classifyTableSource", &ZMRHomeViewController::classifyTableSource,
                  &ZMRHomeViewController::setClassifyTableSource)
        .property("feedController", &ZMRHomeViewController::feedController, &ZMRHomeViewController::setFeedController)
        .readonlyProperty("classifyViewAnimating", &ZMRHomeViewController::isClassifyViewAnimating)
        .action("doClassifyChangeAction", &ZMRHomeViewController::doClassifyChangeAction)
        .action("doClassifyHiddenAction", &ZMRHomeViewController::doClassifyHiddenAction)
        .commit();
}
