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
#include "framework/data/KRFlowViewLayout.h"
#include "framework/data/KRContainerView.h"
#include "framework/data/KRHtmlDataController.h"
#include "framework/data/KRContainerDataController.h"
#include "framework/data/KRItemViewDataController.h"
#include "framework/data/KRPageDataController.h"
#include "framework/data/KRDocumentController.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRTableDataController.h"
#include "framework/data/KRItemViewController.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/data/KRPageContainerLayout.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsPropertyTraits.h"

namespace {

// Interface files list a gatherer's members as a collection.
pf::ArrayRef gatheredSources(const KRStatusGatherDataSource& gatherer)
{
    auto array = pf::Array::create();
    for (auto& source : gatherer.dataSources())
        array->add(pf::Value(pf::ObjectRef(source)));
    return array;
}

void setGatheredSources(KRStatusGatherDataSource& gatherer, pf::ArrayRef array)
{
    std::vector<std::shared_ptr<KRStatusDataSource>> sources;
    for (std::size_t i = 0; array && i < array->count(); ++i) {
        const pf::Value& entry = array->at(i);
        if (auto source = entry.objectAs<KRStatusDataSource>())
            sources.push_back(std::move(source));
        else
            pf::logLevel(pf::LogLevel::Error, "KRStatusGatherDataSource: a member that is no status source is left out");
    }
    gatherer.setDataSources(std::move(sources));
}

// The data sources, the URL service and the data controller base.
void registerDataSourceClasses()
{
    proto::IKRURLDownlinkTask();
    pf::ClassBuilder<KRDataSource>("KRDataSource")
        .superclass<KRTask>()
        .adopts(proto::IKRDownlinkTask())
        .adopts(proto::IKRController())
        .property("dataKey", &KRDataSource::dataKey, &KRDataSource::setDataKey)
        .weakProperty("delegate", &KRDataSource::delegate, &KRDataSource::setDelegate)
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
    pf::ClassExtension<KRStatusGatherDataSource>().property("dataSources", &gatheredSources, &setGatheredSources).commit();
    pf::ClassBuilder<KRURLDataSource>("KRURLDataSource")
        .superclass<KRPageDataSource>()
        .adopts(proto::IKRURLDownlinkTask())
        .property("url", &KRURLDataSource::url, &KRURLDataSource::setUrl)
        .property("urlKey", &KRURLDataSource::urlKey, &KRURLDataSource::setUrlKey)
        .property("errorCodeKeyPath", &KRURLDataSource::errorCodeKeyPath, &KRURLDataSource::setErrorCodeKeyPath)
        .property("errorKeyPath", &KRURLDataSource::errorKeyPath, &KRURLDataSource::setErrorKeyPath)
        .property("queryValues", &KRURLDataSource::queryValues, &KRURLDataSource::setQueryValues)
        .property("httpClass", &KRURLDataSource::httpClass, &KRURLDataSource::setHttpClass)
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
        .property("layoutContainer", &KRTableViewCell::layoutContainer, &KRTableViewCell::setLayoutContainer)
        .property("styleContainers", &KRTableViewCell::styleContainers, &KRTableViewCell::setStyleContainers)
        .property("styleContainer", &KRTableViewCell::styleContainer, &KRTableViewCell::setStyleContainer)
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
    pf::ClassBuilder<KRContainerLayout>("KRContainerLayout")
        .property("itemSize", &KRContainerLayout::itemSize, &KRContainerLayout::setItemSize)
        .commit();
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

// The container and document views, their controllers and the flowing view layout.
void registerContainerAndDocumentClasses()
{
    pf::ClassBuilder<KRFlowViewLayout>("KRFlowViewLayout").superclass<KRViewLayout>().commit();
    pf::ClassBuilder<KRItemViewController>("KRItemViewController")
        .superclass<pf::ViewController>()
        .property("styleContainer", &KRItemViewController::styleContainer, &KRItemViewController::setStyleContainer)
        .property("dataOutletContainer", &KRItemViewController::dataOutletContainer,
                  &KRItemViewController::setDataOutletContainer)
        .property("layoutContainer", &KRItemViewController::layoutContainer, &KRItemViewController::setLayoutContainer)
        .property("dataSource", &KRItemViewController::dataSource, &KRItemViewController::setDataSource)
        .weakProperty("delegate", &KRItemViewController::delegate, &KRItemViewController::setDelegate)
        .property("dataItem", &KRItemViewController::dataItem, &KRItemViewController::setDataItem)
        .property("index", &KRItemViewController::index, &KRItemViewController::setIndex)
        .property("userInfo", &KRItemViewController::userInfo, &KRItemViewController::setUserInfo)
        .property("reuseIdentifier", &KRItemViewController::reuseIdentifier, &KRItemViewController::setReuseIdentifier)
        .property("itemSize", &KRItemViewController::itemSize, &KRItemViewController::setItemSize)
        .action("doAction", &KRItemViewController::doAction)
        .commit();
    pf::ClassBuilder<KRContainerView>("KRContainerView")
        .superclass<pf::ScrollView>()
        .property("containerLayout", &KRContainerView::containerLayout, &KRContainerView::setContainerLayout)
        .property("headerView", &KRContainerView::headerView, &KRContainerView::setHeaderView)
        .property("footerView", &KRContainerView::footerView, &KRContainerView::setFooterView)
        .property("backgroundView", &KRContainerView::backgroundView, &KRContainerView::setBackgroundView)
        .property("focusIndex", &KRContainerView::focusIndex,
                  static_cast<void (KRContainerView::*)(int)>(&KRContainerView::setFocusIndex))
        .commit();
    pf::ClassBuilder<KRItemViewDataController>("KRItemViewDataController")
        .superclass<KRDataController>()
        .property("containerView", &KRItemViewDataController::containerView, &KRItemViewDataController::setContainerView)
        .property("itemViewNib", &KRItemViewDataController::itemViewNib, &KRItemViewDataController::setItemViewNib)
        .property("itemViewClass", &KRItemViewDataController::itemViewClass, &KRItemViewDataController::setItemViewClass)
        .commit();
    pf::ClassBuilder<KRContainerDataController>("KRContainerDataController")
        .superclass<KRItemViewDataController>()
        .property("topLoadingView", &KRContainerDataController::topLoadingView,
                  &KRContainerDataController::setTopLoadingView)
        .property("bottomLoadingView", &KRContainerDataController::bottomLoadingView,
                  &KRContainerDataController::setBottomLoadingView)
        .property("notFoundDataView", &KRContainerDataController::notFoundDataView,
                  &KRContainerDataController::setNotFoundDataView)
        .property("autoHiddenViews", &KRContainerDataController::autoHiddenViews,
                  &KRContainerDataController::setAutoHiddenViews)
        .property("headerItemViewControllers", &KRContainerDataController::headerItemViewControllers,
                  &KRContainerDataController::setHeaderItemViewControllers)
        .property("footerItemViewControllers", &KRContainerDataController::footerItemViewControllers,
                  &KRContainerDataController::setFooterItemViewControllers)
        .property("itemSize", &KRContainerDataController::itemSize, &KRContainerDataController::setItemSize)
        .commit();
    pf::ClassBuilder<KRPageDataController>("KRPageDataController")
        .superclass<KRItemViewDataController>()
        .property("leftLoadingView", &KRPageDataController::leftLoadingView, &KRPageDataController::setLeftLoadingView)
        .property("rightLoadingView", &KRPageDataController::rightLoadingView,
                  &KRPageDataController::setRightLoadingView)
        .commit();
    pf::ClassBuilder<KRHtmlDataController>("KRHtmlDataController")
        .superclass<KRDataController>()
        .property("webView", &KRHtmlDataController::webView, &KRHtmlDataController::setWebView)
        .commit();
    pf::ClassBuilder<KRDocumentController>("KRDocumentController")
        .adopts(proto::IKRController())
        .property("documentView", &KRDocumentController::documentView, &KRDocumentController::setDocumentView)
        .property("html", &KRDocumentController::html, &KRDocumentController::setHtml)
        .property("dataItem", &KRDocumentController::dataItem, &KRDocumentController::setDataItem)
        .property("allowAutoHeight", &KRDocumentController::isAllowAutoHeight, &KRDocumentController::setAllowAutoHeight)
        .property("allowAutoWidth", &KRDocumentController::isAllowAutoWidth, &KRDocumentController::setAllowAutoWidth)
        .commit();
    pf::ClassBuilder<KRDocumentDataController>("KRDocumentDataController")
        .superclass<KRTableDataController>()
        .property("html", &KRDocumentDataController::html, &KRDocumentDataController::setHtml)
        .property("dataItem", &KRDocumentDataController::dataItem, &KRDocumentDataController::setDataItem)
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
    // Before the documents: the document data controller is a table data controller.
    registerListControllerClasses();
    registerContainerAndDocumentClasses();
}
