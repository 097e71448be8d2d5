#include "app/screens/feed/ZMRCommentViewController.h"

#include "app/screens/feed/ZMRCommentListController.h"
#include "app/screens/shared/ZMRListFailure.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TableViewCell.h"
#include "platform/foundation/Collections.h"

void ZMRCommentViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (m_statusView)
        m_statusView->setStatus("loading");
    if (!m_listController)
        return;
    m_listController->setDelegate(shared_from_this());
    m_listController->reloadData();
}

void ZMRCommentViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    if (m_listController && m_listController->tableView())
        m_listController->tableView()->reloadData();
}

void ZMRCommentViewController::endLoading(const KRDataController& controller)
{
    if (m_statusView && &controller == m_listController.get())
        m_statusView->setStatus(std::nullopt);
}

void ZMRCommentViewController::krDataControllerDidLoaded(KRDataController& controller)
{
    endLoading(controller);
    if (&controller == m_listController.get())
        ZMRHideListFailure(*m_listController);
}

void ZMRCommentViewController::krDataControllerDidLoadedFromCache(KRDataController& controller, pf::Date)
{
    endLoading(controller);
}

void ZMRCommentViewController::krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error)
{
    endLoading(controller);
    if (&controller == m_listController.get())
        ZMRShowListFailure(*m_listController, error);
}

void ZMRCommentViewController::krDocumentDataControllerElementDoAction(KRDocumentDataController& controller,
                                                                       KRDOMElement& element, const pf::ObjectRef&)
{
    if (&controller != m_listController.get())
        return;
    auto name = element.attributeValueForKey("action-name");
    auto keep = shared_from_this();
    if (name == std::string_view("reply")) {
        if (auto target = ZMRReplyComposerURL(element))
            openUrl(*target, true);
    } else if (name == std::string_view("user")) {
        openRelativeUrl(kUserURL, pf::Value(ZMRUserQuery(element)), true);
    } else if (name == std::string_view("feed")) {
        openFeedOf(element);
    }
}

void ZMRCommentViewController::openFeedOf(KRDOMElement& element)
{
    const auto& table = m_listController->tableView();
    // The row is the one whose cell hosts the element's document view.
    auto host = element.delegate();
    const pf::View* view = dynamic_cast<const pf::View*>(host.get());
    const pf::TableViewCell* cell = nullptr;
    for (; view && !cell; view = view->superview().get())
        cell = dynamic_cast<const pf::TableViewCell*>(view);
    auto path = cell && table ? table->indexPathForCell(*cell) : std::nullopt;
    if (!path)
        return;
    pf::Value post = dataForKeyPath(m_listController->dataObjectByIndexPath(*path), "publish");
    auto context = this->context();
    if (post.isNilOrNull() || !context)
        return;
    auto query = pf::Dictionary::create();
    if (auto pid = ZMRDecodedAttribute(element, "pid"))
        query->set("pid", *pid);
    context->setFocusValue(post, "feed");
    openRelativeUrl(kFeedURL, pf::Value(query), true);
}
