#include "app/screens/people/ZMRRelationViewController.h"

#include "app/screens/shared/ZMRListFailure.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTabPageDataController.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Touch.h"

void ZMRRelationViewController::setTabController(std::shared_ptr<KRTabPageDataController> controller)
{
    m_tabController = std::move(controller);
}

void ZMRRelationViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto self = shared_from_this();
    auto context = this->context();
    if (auto app = std::dynamic_pointer_cast<ZMRContext>(context); app && app->hasConcernChanged())
        context->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
    if (!m_tabController)
        return;
    m_tabController->setDelegate(self);
    leaveEdgeToDrawer();
    const pf::ArrayRef pages = m_tabController->controllers();
    for (const auto& item : *pages)
        if (auto list = std::dynamic_pointer_cast<KRDocumentDataController>(item.object()))
            list->setDelegate(self);
    if (m_segmentedControl)
        m_segmentedControl->setSelectedSegmentIndex(static_cast<int>(m_tabController->selectedIndex()));
    if (auto selected = std::dynamic_pointer_cast<KRDataController>(m_tabController->selectedController()))
        selected->reloadData();
}

void ZMRRelationViewController::leaveEdgeToDrawer()
{
    // A drag from the screen's left edge opens the drawer, as on every menu
    // screen; the pages would otherwise take it first and flip the tab.
    const auto& pages = m_tabController->pageContentView();
    if (!pages)
        return;
    for (const auto& recognizer : pages->gestureRecognizers())
        if (std::dynamic_pointer_cast<pf::PanGestureRecognizer>(recognizer))
            recognizer->setShouldReceiveTouch([](pf::GestureRecognizer&, const pf::Touch& touch) {
                return touch.locationInView(nullptr).x >= kDrawerEdge;
            });
}

void ZMRRelationViewController::segmentedValueChangedAction(const pf::ObjectRef&)
{
    if (!m_segmentedControl || !m_tabController)
        return;
    int segment = m_segmentedControl->selectedSegmentIndex();
    if (segment < 0 || static_cast<unsigned>(segment) == m_tabController->selectedIndex())
        return;
    // A segment past the pages would select nothing there is.
    if (static_cast<std::size_t>(segment) >= m_tabController->controllers()->count())
        return;
    auto keep = shared_from_this();
    m_tabController->setSelectedIndex(static_cast<unsigned>(segment));
}

void ZMRRelationViewController::krTabDataControllerDidSelectedChanged(KRTabDataController& controller, unsigned index)
{
    auto keep = shared_from_this();
    auto selected = std::dynamic_pointer_cast<KRDataController>(controller.selectedController());
    if (selected && selected->dataSource() && !selected->dataSource()->isLoaded())
        selected->reloadData();
    if (m_segmentedControl)
        m_segmentedControl->setSelectedSegmentIndex(static_cast<int>(index));
}

void ZMRRelationViewController::krDocumentDataControllerElementDoAction(KRDocumentDataController&, KRDOMElement& element,
                                                                        const pf::ObjectRef& action)
{
    auto named = std::dynamic_pointer_cast<IKRAction>(action);
    if (!named || named->actionName() != "user")
        return;
    auto uid = element.attributeValueForKey("uid");
    if (!uid || uid->empty())
        return;
    auto values = pf::Dictionary::create({{"uid", std::string(*uid)}});
    if (auto nick = element.attributeValueForKey("nick"); nick && !nick->empty())
        values->set("nick", std::string(*nick));
    openRelativeUrl(kUserDetailsURL, pf::Value(values), true);
}

void ZMRRelationViewController::krDataControllerDidLoaded(KRDataController& controller)
{
    if (auto* list = dynamic_cast<KRDocumentDataController*>(&controller))
        ZMRHideListFailure(*list);
}

void ZMRRelationViewController::krDataControllerDidContentChanged(KRDataController& controller)
{
    auto* list = dynamic_cast<KRDocumentDataController*>(&controller);
    if (!list)
        return;
    // A later sync brought rows, or ended and found the list empty. A change
    // that leaves nothing shown over a list not known current (an unfollow
    // after a failed sync) leaves the failure said.
    auto app = std::dynamic_pointer_cast<ZMRContext>(context());
    const auto& source = controller.dataSource();
    if ((source && !source->isEmpty()) || (app && !app->hasConcernChanged()))
        ZMRHideListFailure(*list);
}

void ZMRRelationViewController::krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error)
{
    if (auto* list = dynamic_cast<KRDocumentDataController*>(&controller))
        ZMRShowListFailure(*list, error);
}
