#include "app/screens/feed/ZMRFeedController.h"

#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/feed/ZMRFeedLikeTask.h"
#include "framework/core/KRController.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TableViewCell.h"
#include "platform/foundation/Collections.h"

void ZMRFeedController::documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row)
{
    ZMRFeedDocumentController::documentWillLoadDataObject(document, row, context());
}

std::optional<pf::IndexPath> ZMRFeedController::indexPathOfView(const pf::View& view) const
{
    const auto& table = tableView();
    if (!table)
        return std::nullopt;
    for (const pf::View* ancestor = &view; ancestor; ancestor = ancestor->superview().get()) {
        if (auto cell = dynamic_cast<const pf::TableViewCell*>(ancestor))
            return table->indexPathForCell(*cell);
    }
    return std::nullopt;
}

void ZMRFeedController::krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element)
{
    auto self = shared_from_this();
    auto context = this->context();
    std::optional<pf::IndexPath> path = indexPathOfView(view);
    pf::Value row = path ? dataObjectByIndexPath(*path) : pf::Value();
    if (path && context)
        context->setFocusValue(row, "feed");
    auto action = dynamic_cast<IKRAction*>(&element);
    if (action && action->actionName() == "like" && path && context && row.isDictionary()) {
        std::weak_ptr<IKRUplinkTaskDelegate> redraw = std::static_pointer_cast<ZMRFeedController>(self);
        pf::Value indexPath(pf::Array::create({path->section, path->row}));
        bool liked = ZMRToggleLike(row.dictionary(), *context, redraw, indexPath);
        if (auto document = documentByIndexPath(*path))
            ZMRFeedDocumentController::documentSetLiked(*document, liked, row, context);
    }
    KRDocumentDataController::krDOMViewDoActionElement(view, element);
}

void ZMRFeedController::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error&, const pf::Protocol*)
{
    auto rollback = std::dynamic_pointer_cast<ZMRLikeRollback>(task);
    const pf::DictionaryRef& entry = rollback ? rollback->entry() : nullptr;
    auto document = entry ? entry->get(kDocumentKey).objectAs<KRDOMDocument>() : nullptr;
    if (document)
        ZMRFeedDocumentController::documentSetLiked(*document, entry->get("liked").boolValue(), pf::Value(entry), context());
}
