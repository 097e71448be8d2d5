#include "app/screens/people/ZMRConcernController.h"
#include "app/screens/people/ZMRConcernDataSource.h"
#include "app/screens/people/ZMRPeopleScreensRegistration.h"
#include "app/screens/people/ZMRRecommendFollowViewController.h"
#include "app/screens/people/ZMRRelationViewController.h"
#include "app/screens/people/ZMRSearchNearUserDataSource.h"
#include "app/screens/people/ZMRUserDetailsController.h"
#include "app/screens/people/ZMRUserDetailsDataSource.h"
#include "app/screens/people/ZMRUserDetailsViewController.h"
#include "app/screens/people/ZMRUserFeedController.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "framework/data/KRTabPageDataController.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/foundation/ClassBuilder.h"

void registerPeopleScreens()
{
    pf::ClassBuilder<ZMRUserFeedDataSource>("ZMRUserFeedDataSource")
        .superclass<ZMRPageDataSource>()
        .property("uid", &ZMRUserFeedDataSource::uid, &ZMRUserFeedDataSource::setUid)
        .commit();
    pf::ClassBuilder<ZMRConcernDataSourceSection>("ZMRConcernDataSourceSection")
        .property("py", &ZMRConcernDataSourceSection::py, &ZMRConcernDataSourceSection::setPy)
        .readonlyProperty("dataObjects", &ZMRConcernDataSourceSection::dataObjects)
        .commit();
    pf::ClassBuilder<ZMRConcernDataSource>("ZMRConcernDataSource")
        .superclass<KRPageDataSource>()
        .property("mutual", &ZMRConcernDataSource::isMutual, &ZMRConcernDataSource::setMutual)
        .commit();
    pf::ClassBuilder<ZMRSearchNearUserDataSource>("ZMRSearchNearUserDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRConcernController>("ZMRConcernController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRUserDetailsDataSource>("ZMRUserDetailsDataSource")
        .superclass<ZMRPageDataSource>()
        .property("uid", &ZMRUserDetailsDataSource::uid, &ZMRUserDetailsDataSource::setUid)
        .commit();
    pf::ClassBuilder<ZMRUserDetailsController>("ZMRUserDetailsController")
        .superclass<KRDocumentController>()
        .property("dataSource", &ZMRUserDetailsController::dataSource, &ZMRUserDetailsController::setDataSource)
        .property("fansCount", &ZMRUserDetailsController::fansCount, &ZMRUserDetailsController::setFansCount)
        .commit();
    pf::ClassBuilder<ZMRUserFeedController>("ZMRUserFeedController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRUserDetailsViewController>("ZMRUserDetailsViewController")
        .superclass<ZMRViewController>()
        .property("feedController", &ZMRUserDetailsViewController::feedController,
                  &ZMRUserDetailsViewController::setFeedController)
        .property("detailsController", &ZMRUserDetailsViewController::detailsController,
                  &ZMRUserDetailsViewController::setDetailsController)
        .property("detailsTableViewCell", &ZMRUserDetailsViewController::detailsTableViewCell,
                  &ZMRUserDetailsViewController::setDetailsTableViewCell)
        .property("followButton", &ZMRUserDetailsViewController::followButton,
                  &ZMRUserDetailsViewController::setFollowButton)
        .property("statusView", &ZMRUserDetailsViewController::statusView, &ZMRUserDetailsViewController::setStatusView)
        .property("failedLabel", &ZMRUserDetailsViewController::failedLabel, &ZMRUserDetailsViewController::setFailedLabel)
        .property("detailsFailedLabel", &ZMRUserDetailsViewController::detailsFailedLabel,
                  &ZMRUserDetailsViewController::setDetailsFailedLabel)
        .property("unconfirmedLabel", &ZMRUserDetailsViewController::unconfirmedLabel,
                  &ZMRUserDetailsViewController::setUnconfirmedLabel)
        .action("onFollowAction", &ZMRUserDetailsViewController::onFollowAction)
        .commit();
    pf::ClassBuilder<ZMRRelationViewController>("ZMRRelationViewController")
        .superclass<ZMRViewController>()
        .property("tabController", &ZMRRelationViewController::tabController,
                  &ZMRRelationViewController::setTabController)
        .property("segmentedControl", &ZMRRelationViewController::segmentedControl,
                  &ZMRRelationViewController::setSegmentedControl)
        .action("segmentedValueChangedAction", &ZMRRelationViewController::segmentedValueChangedAction)
        .commit();
    pf::ClassBuilder<ZMRRecommendFollowViewController>("ZMRRecommendFollowViewController")
        .superclass<ZMRViewController>()
        .property("dataController", &ZMRRecommendFollowViewController::dataController,
                  &ZMRRecommendFollowViewController::setDataController)
        .property("doneButton", &ZMRRecommendFollowViewController::doneButton,
                  &ZMRRecommendFollowViewController::setDoneButton)
        .commit();
}
