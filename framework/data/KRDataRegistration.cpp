#include "framework/data/KRDataRegistration.h"

#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/data/KRDataController.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRStatusGatherDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/data/KRListControllerRegistration.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/data/KRURLDataSource.h"
#include "framework/data/KRURLService.h"
#include "framework/db/KRDBRegistration.h"
#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

// The data sources, the URL service and the data controller base.
void registerDataSourceClasses()
{
    proto::IKRURLDownlinkTask();
    pf::ClassBuilder<KRDataSource>("KRDataSource")
        .superclass<KRTask>()
        .adopts(proto::IKRDownlinkTask())
        .adopts(proto::IKRController())
        .property("dataKey", &KRDataSource::dataKey, &KRDataSource::setDataKey)
        .commit();
    pf::ClassBuilder<KRPageDataSource>("KRPageDataSource")
        .superclass<KRDataSource>()
        .adopts(proto::IKRDownlinkPageTask())
        .property("pageIndex", &KRPageDataSource::pageIndex, &KRPageDataSource::setPageIndex)
        .property("pageSize", &KRPageDataSource::pageSize, &KRPageDataSource::setPageSize)
        .commit();
    pf::ClassBuilder<KRStatusDataSource>("KRStatusDataSource")
        .superclass<KRPageDataSource>()
        .property("status", &KRStatusDataSource::status, &KRStatusDataSource::setStatus)
        .commit();
    pf::ClassBuilder<KRStatusGatherDataSource>("KRStatusGatherDataSource").superclass<KRStatusDataSource>().commit();
    pf::ClassBuilder<KRURLDataSource>("KRURLDataSource")
        .superclass<KRPageDataSource>()
        .adopts(proto::IKRURLDownlinkTask())
        .property("url", &KRURLDataSource::url, &KRURLDataSource::setUrl)
        .property("urlKey", &KRURLDataSource::urlKey, &KRURLDataSource::setUrlKey)
        .property("errorCodeKeyPath", &KRURLDataSource::errorCodeKeyPath, &KRURLDataSource::setErrorCodeKeyPath)
        .property("errorKeyPath", &KRURLDataSource::errorKeyPath, &KRURLDataSource::setErrorKeyPath)
        .commit();
    pf::ClassBuilder<KRURLService>("KRURLService").superclass<KRDownlinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRDataController>("KRDataController").adopts(proto::IKRController()).commit();
}

// The pull-to-refresh indicator; its parts are outlets of its interface file.
void registerDragLoadingClasses()
{
    pf::ClassBuilder<KRDragLoadingView>("KRDragLoadingView")
        .superclass<pf::Button>()
        .property("direct", &KRDragLoadingView::direct, &KRDragLoadingView::setDirect)
        .property("offsetValue", &KRDragLoadingView::offsetValue, &KRDragLoadingView::setOffsetValue)
        .readonlyProperty("animating", &KRDragLoadingView::isAnimating)
        .property("directImageView", &KRDragLoadingView::directImageView, &KRDragLoadingView::setDirectImageView)
        .property("downTitleLabel", &KRDragLoadingView::downTitleLabel, &KRDragLoadingView::setDownTitleLabel)
        .property("upTitleLabel", &KRDragLoadingView::upTitleLabel, &KRDragLoadingView::setUpTitleLabel)
        .property("leftTitleLabel", &KRDragLoadingView::leftTitleLabel, &KRDragLoadingView::setLeftTitleLabel)
        .property("rightTitleLabel", &KRDragLoadingView::rightTitleLabel, &KRDragLoadingView::setRightTitleLabel)
        .property("loadingView", &KRDragLoadingView::loadingView, &KRDragLoadingView::setLoadingView)
        .property("loadingTitleLabel", &KRDragLoadingView::loadingTitleLabel,
                  &KRDragLoadingView::setLoadingTitleLabel)
        .property("timeLabel", &KRDragLoadingView::timeLabel, &KRDragLoadingView::setTimeLabel)
        .commit();
}

// The file-made table cell; its outlets and buttons are connected in its file.
void registerTableCellClasses()
{
    pf::ClassBuilder<KRTableViewCell>("KRTableViewCell")
        .superclass<pf::TableViewCell>()
        .property("dataItem", &KRTableViewCell::dataItem, &KRTableViewCell::setDataItem)
        .property("dataOutletContainer", &KRTableViewCell::dataOutletContainer,
                  &KRTableViewCell::setDataOutletContainer)
        .property("dataSource", &KRTableViewCell::dataSource, &KRTableViewCell::setDataSource)
        .weakProperty("delegate", &KRTableViewCell::delegate, &KRTableViewCell::setDelegate)
        .weakProperty("controller", &KRTableViewCell::controller, &KRTableViewCell::setController)
        .property("index", &KRTableViewCell::index, &KRTableViewCell::setIndex)
        .property("userInfo", &KRTableViewCell::userInfo, &KRTableViewCell::setUserInfo)
        .action("doAction", &KRTableViewCell::doAction)
        .commit();
}

void registerContainerLayoutClasses()
{
    pf::ClassBuilder<KRContainerLayout>("KRContainerLayout").commit();
    pf::ClassBuilder<KRFlowContainerLayout>("KRFlowContainerLayout").superclass<KRContainerLayout>().commit();
    pf::ClassBuilder<KRPageContainerLayout>("KRPageContainerLayout").superclass<KRContainerLayout>().commit();
    pf::ClassBuilder<KRFallsContainerLayout>("KRFallsContainerLayout")
        .superclass<KRContainerLayout>()
        .property("numberOfColumn", &KRFallsContainerLayout::numberOfColumn, &KRFallsContainerLayout::setNumberOfColumn)
        .property("columnSplitWidth", &KRFallsContainerLayout::columnSplitWidth,
                  &KRFallsContainerLayout::setColumnSplitWidth)
        .property("columnTopHeight", &KRFallsContainerLayout::columnTopHeight,
                  &KRFallsContainerLayout::setColumnTopHeight)
        .commit();
}

}

void registerDataClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUIClasses();
    registerHttpClasses();
    registerDBClasses();
    registerDataSourceClasses();
    registerContainerLayoutClasses();
    registerDragLoadingClasses();
    registerTableCellClasses();
    registerListControllerClasses();
}
