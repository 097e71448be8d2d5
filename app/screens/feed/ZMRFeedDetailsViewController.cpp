#include "app/screens/feed/ZMRFeedDetailsViewController.h"

#include "app/screens/feed/ZMRCommentListController.h"
#include "app/screens/shared/ZMRDisplayFields.h"
#include "app/screens/shared/ZMRListFailure.h"
#include "app/services/ZMRContext.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"

#include <algorithm>

double ZMRFeedDetailsViewController::headHeight(double contentHeight)
{
    // The document's last 20 points are its bottom margin, which the first row covers.
    return std::max(0.0, contentHeight - 20);
}

void ZMRFeedDetailsViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto self = shared_from_this();
    auto context = this->context();
    pf::DictionaryRef query = url() ? queryValues(*url()) : pf::Dictionary::create();
    pf::Value pid = query->get("pid");
    pf::Value entry = context ? context->focusValueForKey("feed") : pf::Value();
    m_hasEntry = entry.isDictionary();
    if (m_hasEntry) {
        entry.dictionary()->remove(KRDocumentDataController::kDocumentKey);
        // An entry handed on from a list other than a feed (a comment's post)
        // has no display fields yet; a feed's keeps its own. "html" is always
        // made afresh from the body: the head inserts it raw, so whatever
        // "html" the server sent would become markup.
        entry.dictionary()->remove("html");
        ZMRAddDisplayFields(*entry.dictionary(), std::dynamic_pointer_cast<ZMRContext>(context).get());
    }

    if (m_documentController) {
        m_documentController->setDelegate(self);
        if (m_hasEntry)
            m_documentController->setDataItem(entry);
        m_documentController->setAllowAutoHeight(true);
        if (const auto& likes = m_documentController->topLikeDataSource(); likes && !pid.isNil())
            likes->setValueForKey("pid", pid);
        if (m_hasEntry)
            m_documentController->reloadData();
    }
    placeHead();

    if (m_commentListController) {
        m_commentListController->setDelegate(self);
        if (const auto& comments = m_commentListController->dataSource(); comments && !pid.isNil())
            comments->setValueForKey("pid", pid);
        m_commentListController->reloadData();
    }
}

void ZMRFeedDetailsViewController::placeHead()
{
    if (!m_detailsTableViewCell)
        return;
    double content = m_hasEntry && m_documentController ? m_documentController->contentSize().height : 0;
    pf::Rect frame = m_detailsTableViewCell->frame();
    m_detailsTableViewCell->setFrame({frame.x(), frame.y(), frame.width(), headHeight(content)});
    placeFailure();
}

void ZMRFeedDetailsViewController::placeFailure()
{
    const pf::ViewRef& failure = m_commentListController ? m_commentListController->notFoundDataView() : nullptr;
    const auto& table = m_commentListController ? m_commentListController->tableView() : nullptr;
    if (!failure || !table || !failure->superview())
        return;
    double head = m_detailsTableViewCell ? m_detailsTableViewCell->frame().height() : 0;
    pf::Rect bounds = table->bounds();
    failure->setFrame({0, head, bounds.width(), std::max(bounds.height() - head, 80.0)});
}

void ZMRFeedDetailsViewController::krDataControllerDidLoaded(KRDataController& controller)
{
    if (&controller == m_commentListController.get())
        ZMRHideListFailure(*m_commentListController);
}

void ZMRFeedDetailsViewController::krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error)
{
    if (&controller != m_commentListController.get())
        return;
    ZMRShowListFailure(*m_commentListController, error);
    placeFailure();
}

void ZMRFeedDetailsViewController::feedDocumentControllerDidContentSizeChanged(ZMRFeedDocumentController& controller)
{
    if (&controller != m_documentController.get())
        return;
    auto keep = shared_from_this();
    controller.documentLayout();
    placeHead();
    if (m_commentListController && m_commentListController->tableView())
        m_commentListController->tableView()->reloadData();
}

void ZMRFeedDetailsViewController::doCommentAction(const pf::ObjectRef&)
{
    auto context = this->context();
    if (!context || !url())
        return;
    waitForComment(*context);
    auto keep = shared_from_this();
    if (auto target = URLWithString("pop:///publish-comment", pf::Value(queryValues(*url()))))
        openUrl(*target, true);
}

void ZMRFeedDetailsViewController::waitForComment(IKRUIContext& context)
{
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    context.waitResultsData([weakSelf](const pf::Value& sent) {
        auto self = std::dynamic_pointer_cast<ZMRFeedDetailsViewController>(weakSelf.lock());
        if (!self || !sent.boolValue())
            return;
        if (self->m_documentController)
            self->m_documentController->addCommentCount();
        if (self->m_commentListController)
            self->m_commentListController->reloadData();
    });
}

void ZMRFeedDetailsViewController::openUserOf(const KRDOMElement& element)
{
    if (!url())
        return;
    openRelativeUrl("feed-details/user-details", pf::Value(ZMRUserQuery(element)), true);
}

void ZMRFeedDetailsViewController::krDocumentDataControllerElementDoAction(KRDocumentDataController& controller,
                                                                           KRDOMElement& element, const pf::ObjectRef&)
{
    if (&controller != m_commentListController.get())
        return;
    auto name = element.attributeValueForKey("action-name");
    if (name == std::string_view("reply")) {
        auto keep = shared_from_this();
        auto target = ZMRReplyComposerURL(element);
        auto context = this->context();
        if (!target || !context)
            return;
        // A reply is a comment too: without this the list would miss it and
        // the head's count would disagree with the rows under it.
        waitForComment(*context);
        openUrl(*target, true);
    } else if (name == std::string_view("user")) {
        openUserOf(element);
    }
}

void ZMRFeedDetailsViewController::krDocumentControllerDoActionElement(KRDocumentController& controller,
                                                                       KRDOMElement& element)
{
    if (&controller == m_documentController.get() && element.attributeValueForKey("action-name") == std::string_view("user"))
        openUserOf(element);
}
