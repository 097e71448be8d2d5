#include "framework/data/KRListControllerRegistration.h"

#include "framework/data/KRDataSource.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRTabPageDataController.h"
#include "framework/data/KRTableDataController.h"
#include "framework/data/KRTableSource.h"
#include "platform/controls/Control.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

template <class D> void addControllerProperties(pf::ClassBuilder<D>& builder)
{
    builder.property("dataSource", &KRDataController::dataSource, &KRDataController::setDataSource)
        .weakProperty("delegate", &KRDataController::delegate, &KRDataController::setDelegate);
}

}

void registerListControllerClasses()
{
    pf::ClassBuilder<KRScrollView>("KRScrollView").superclass<pf::ScrollView>().commit();
    pf::ClassBuilder<KRTableView>("KRTableView").superclass<pf::TableView>().commit();
    pf::ClassBuilder<KRTableDataController> table("KRTableDataController");
    addControllerProperties(table.superclass<KRDataController>());
    table.property("tableView", &KRTableDataController::tableView, &KRTableDataController::setTableView)
        .property("itemViewNib", &KRTableDataController::itemViewNib, &KRTableDataController::setItemViewNib)
        .property("reusableCellIdentifier", &KRTableDataController::reusableCellIdentifier,
                  &KRTableDataController::setReusableCellIdentifier)
        .property("topLoadingView", &KRTableDataController::topLoadingView, &KRTableDataController::setTopLoadingView)
        .property("bottomLoadingView", &KRTableDataController::bottomLoadingView,
                  &KRTableDataController::setBottomLoadingView)
        .property("notFoundDataView", &KRTableDataController::notFoundDataView,
                  &KRTableDataController::setNotFoundDataView)
        .property("autoHiddenViews", &KRTableDataController::autoHiddenViews, &KRTableDataController::setAutoHiddenViews)
        .property("headerCells", &KRTableDataController::headerCells, &KRTableDataController::setHeaderCells)
        .property("footerCells", &KRTableDataController::footerCells, &KRTableDataController::setFooterCells)
        .property("allowRefresh", &KRTableDataController::allowRefresh, &KRTableDataController::setAllowRefresh)
        .commit();
    pf::ClassBuilder<KRTableSection>("KRTableSection")
        .property("height", &KRTableSection::height, &KRTableSection::setHeight)
        .property("title", &KRTableSection::title, &KRTableSection::setTitle)
        .property("view", &KRTableSection::view, &KRTableSection::setView)
        .property("footerView", &KRTableSection::footerView, &KRTableSection::setFooterView)
        .property("cells", &KRTableSection::cellsArray, &KRTableSection::setCellsArray)
        .commit();
    pf::ClassBuilder<KRTableSource>("KRTableSource")
        .property("sections", &KRTableSource::sectionsArray, &KRTableSource::setSectionsArray)
        .commit();
    pf::ClassBuilder<KRTabDataController> tabs("KRTabDataController");
    addControllerProperties(tabs.superclass<KRDataController>());
    tabs.property("controllers", &KRTabDataController::controllers, &KRTabDataController::setControllers)
        .property("tabButtons", &KRTabDataController::tabButtons, &KRTabDataController::setTabButtons)
        .property("contentViews", &KRTabDataController::contentViews, &KRTabDataController::setContentViews)
        .action("doTabAction", &KRTabDataController::doTabAction)
        .commit();
    pf::ClassBuilder<KRTabPageDataController>("KRTabPageDataController")
        .superclass<KRTabDataController>()
        .property("pageContentView", &KRTabPageDataController::pageContentView,
                  &KRTabPageDataController::setPageContentView)
        .property("tabBackgroundView", &KRTabPageDataController::tabBackgroundView,
                  &KRTabPageDataController::setTabBackgroundView)
        .property("leftSpaceWidth", &KRTabPageDataController::leftSpaceWidth, &KRTabPageDataController::setLeftSpaceWidth)
        .property("rightSpaceWidth", &KRTabPageDataController::rightSpaceWidth,
                  &KRTabPageDataController::setRightSpaceWidth)
        .commit();
}
