#include "framework/data/KRDocumentDataController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRDataSource.h"
#include "framework/ui/KRViewImageTasks.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>

namespace {

constexpr const char* kElementDownload = "downloadImagesForElement";
constexpr const char* kViewDownload = "downloadImagesForView";
// An unbounded height: the document takes its natural height.
constexpr double kUnboundedHeight = 2147483648.0;

}

bool KRDocumentDataController::isDataRow(const pf::IndexPath& path) const
{
    const int data = dataSource() ? int(dataSource()->count()) : 0;
    return path.row >= headerCount() && path.row < headerCount() + data;
}

double KRDocumentDataController::tableWidth() const
{
    return tableView() ? tableView()->bounds().width() : 0;
}

pf::Value KRDocumentDataController::dataObjectByIndexPath(const pf::IndexPath& path)
{
    return dataSource() ? dataSource()->dataObjectAtIndex(path.row - headerCount()) : pf::Value();
}

std::optional<std::string> KRDocumentDataController::htmlContentByIndexPath(const pf::IndexPath& path)
{
    setDataItem(dataObjectByIndexPath(path));
    const std::optional<std::string>& text = templateText();
    if (!text)
        return std::nullopt;
    return htmlStringByDOMSource(*text, pf::Value(shared_from_this()));
}

KRDOMDocumentRef KRDocumentDataController::documentByIndexPath(const pf::IndexPath& path)
{
    pf::Value row = dataObjectByIndexPath(path);
    if (!row.isDictionary())
        return nullptr;
    auto dictionary = row.dictionary();
    if (auto kept = dictionary->get(kDocumentKey).objectAs<KRDOMDocument>())
        return kept;
    return makeDocument(path, row, dictionary);
}

KRDOMDocumentRef KRDocumentDataController::makeDocument(const pf::IndexPath& path, const pf::Value& row,
                                                        const pf::DictionaryRef& keepIn)
{
    auto self = shared_from_this();
    auto document = KRDOMDocument::create();
    KRDOMParse().parseHTML(htmlContentByIndexPath(path).value_or(std::string()), *document);
    documentWillLoadDataObject(*document, row);
    if (auto context = this->context())
        document->setStyleSheet(context->domStyleSheet());
    if (keepIn)
        keepIn->set(kDocumentKey, pf::Value(document));
    document->setIndexPath({path.section, path.row});
    documentDidLoadedDataObject(*document, row);
    if (auto root = document->rootElement())
        root->layout({tableWidth(), kUnboundedHeight});
    return document;
}

double KRDocumentDataController::measuredHeight(const pf::IndexPath& path)
{
    pf::Value row = dataObjectByIndexPath(path);
    if (!row.isDictionary())
        return 0;
    auto dictionary = row.dictionary();
    if (auto kept = dictionary->get(kDocumentKey).objectAs<KRDOMDocument>())
        return kept->rootElement() ? kept->rootElement()->frame().height() : 0;
    const double width = tableWidth();
    pf::ArrayRef measured = dictionary->get(kHeightKey).array();
    if (measured && measured->count() == 2 && measured->at(0).doubleValue() == width)
        return measured->at(1).doubleValue();
    auto document = makeDocument(path, row, nullptr);
    double height = document->rootElement() ? document->rootElement()->frame().height() : 0;
    dictionary->set(kHeightKey, pf::Value(pf::Array::create({pf::Value(width), pf::Value(height)})));
    return height;
}

void KRDocumentDataController::removeDocumentByIndexPath(const pf::IndexPath& path)
{
    pf::Value row = dataObjectByIndexPath(path);
    if (row.isDictionary()) {
        row.dictionary()->remove(kDocumentKey);
        row.dictionary()->remove(kHeightKey);
    }
}

void KRDocumentDataController::layoutDocumentByIndexPath(const pf::IndexPath& path)
{
    pf::Value row = dataObjectByIndexPath(path);
    if (!row.isDictionary())
        return;
    auto document = row.dictionary()->get(kDocumentKey).objectAs<KRDOMDocument>();
    if (document && document->rootElement())
        document->rootElement()->layout({tableWidth(), kUnboundedHeight});
}

std::optional<double> KRDocumentDataController::tableViewHeightForRowAtIndexPath(pf::TableView& table,
                                                                                 const pf::IndexPath& path)
{
    if (!isDataRow(path))
        return KRTableDataController::tableViewHeightForRowAtIndexPath(table, path);
    if (m_rowDocuments == KRRowDocuments::ShownRows)
        return measuredHeight(path);
    auto document = documentByIndexPath(path);
    return document && document->rootElement() ? document->rootElement()->frame().height() : 0;
}

double KRDocumentDataController::tableViewEstimatedRowHeight(pf::TableView& table)
{
    return m_rowDocuments == KRRowDocuments::ShownRows ? std::max(table.rowHeight(), 1.0) : 0;
}

std::shared_ptr<pf::TableViewCell> KRDocumentDataController::tableViewCellForRowAtIndexPath(pf::TableView& table,
                                                                                            const pf::IndexPath& path)
{
    if (!isDataRow(path))
        return KRTableDataController::tableViewCellForRowAtIndexPath(table, path);
    const std::string identifier = reusableCellIdentifier().empty() ? "Document" : reusableCellIdentifier();
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        cell = std::make_shared<pf::TableViewCell>(pf::TableViewCellStyle::Default, identifier);
        cell->setBackgroundColor(pf::Color::clear());
        const auto& content = cell->contentView();
        content->setBackgroundColor(pf::Color::clear());
        auto documentView = KRDOMView::create({{0, 0}, content->bounds().size});
        documentView->setBackgroundColor(pf::Color::clear());
        documentView->setDelegate(std::dynamic_pointer_cast<KRDOMViewDelegate>(shared_from_this()));
        documentView->setAllowAutoLayout(false);
        documentView->setTag(kDocumentViewTag);
        documentView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
        content->addSubview(documentView);
    }
    auto documentView = std::dynamic_pointer_cast<KRDOMView>(cell->contentView()->viewWithTag(kDocumentViewTag));
    auto document = documentByIndexPath(path);
    KRDOMElementRef root = document ? document->rootElement() : nullptr;
    if (root) {
        loadImagesForElement(*root);
        scheduleElementDownload(root);
    }
    // A reused cell may still name this row's document while another cell
    // took it since (a rebuild moved the row): it is put up here again.
    if (documentView && !documentView->showsElement(root)) {
        documentView->setElement(root);
        loadImagesForView(*documentView);
    }
    scheduleTableDownload();
    return cell;
}

void KRDocumentDataController::scheduleElementDownload(const KRDOMElementRef& root)
{
    pf::cancelPreviousPerformRequests(*root, kElementDownload);
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    std::weak_ptr<KRDOMElement> weakRoot = root;
    pf::performAfterDelay(root, kElementDownload, 0, [weakSelf, weakRoot] {
        auto self = std::static_pointer_cast<KRDocumentDataController>(weakSelf.lock());
        if (auto element = weakRoot.lock(); self && element)
            self->downloadImagesForElement(*element);
    });
}

void KRDocumentDataController::scheduleTableDownload()
{
    const auto& table = tableView();
    if (!table)
        return;
    pf::cancelPreviousPerformRequests(*table, kViewDownload);
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    std::weak_ptr<pf::TableView> weakTable = table;
    pf::performAfterDelay(table, kViewDownload, 0, [weakSelf, weakTable] {
        auto self = std::static_pointer_cast<KRDocumentDataController>(weakSelf.lock());
        if (auto shown = weakTable.lock(); self && shown)
            self->downloadImagesForView(*shown);
    });
}

void KRDocumentDataController::loadImagesForElement(KRDOMElement& element)
{
    if (auto context = this->context())
        KRLoadImagesForElement(*context, element, KRLocalImageScope::NotLoaded);
}

void KRDocumentDataController::downloadImagesForElement(KRDOMElement& element)
{
    if (auto context = this->context())
        KRDownloadImagesForElement(*context, shared_from_this(), element);
}

void KRDocumentDataController::krDOMViewDoActionElement(KRDOMView&, KRDOMElement& element)
{
    auto self = shared_from_this();
    auto delegate = std::dynamic_pointer_cast<KRDocumentDataControllerDelegate>(this->delegate());
    if (!delegate)
        return;
    pf::ObjectRef action = dynamic_cast<IKRAction*>(&element) ? element.shared_from_this() : nullptr;
    delegate->krDocumentDataControllerElementDoAction(*this, element, action);
}
