#pragma once

// The list controller of feeds and comment lists: every data row of its
// table is a markup document made from one template file and the row's
// object, laid out to the table's width and drawn by a KRDOMView (tag 100)
// in a plain table cell. Everything else (header and footer cells, pull,
// load-more, the last-update text, reloading on loads) is the table data
// controller's.
//
// A row's document is built once and kept in the row's dictionary under
// "__document__" (a row that is no dictionary has no document and height
// 0), so heights and redisplays never parse again; a new page of results
// brings new dictionaries and new documents, and removeDocumentByIndexPath
// drops one. Row values are filled into the template once, by the escaping
// filler (placeholders read "dataItem.…"): braces in them stay text.
//
// Which rows keep a document is the owner's choice (rowDocuments):
// EveryRow builds and keeps each row's document when its height is first
// asked. ShownRows keeps a document only from the row's first cell on: a
// height asked before that is measured on a document built the same way
// (both hooks run), laid out and dropped, and the height is kept in the
// row under "__height__" with the width it was measured at. A long list
// then holds, and keeps registered with the style sheet, the documents of
// the rows that were shown only, while every row is as high as its document.
// Its table asks those heights as far as it shows at a reload and the rest
// while the main loop is idle (an estimated row height, the table's
// rowHeight), so a long list shows its first rows without waiting for all.
//
// Images: a cell asks the local caches at once; the network sweep for a
// row's elements, and the one for the table's image views, run on the next
// pass of the main loop, each coalesced however many cells asked.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/data/KRTableDataController.h"
#include "framework/data/KRDocumentTemplate.h"
#include "framework/dom/KRDOMView.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class Bundle;
}

class KRDocumentDataController;

enum class KRRowDocuments { EveryRow, ShownRows };

class KRDocumentDataControllerDelegate : public KRTableDataControllerDelegate {
public:
    // `action` is the element when it is an action, else null.
    virtual void krDocumentDataControllerElementDoAction(KRDocumentDataController&, KRDOMElement&,
                                                         const pf::ObjectRef& /*action*/) {}
};

class KRDocumentDataController : public KRTableDataController, public KRDocumentTemplate, public KRDOMViewDelegate {
public:
    static constexpr const char* kDocumentKey = "__document__";
    static constexpr const char* kHeightKey = "__height__";
    static constexpr int kDocumentViewTag = 100;

    // Data cells are reused under the inherited reusableCellIdentifier,
    // "Document" when that is empty.
    // html, bundle and dataItem (the row filled last): see KRDocumentTemplate.

    KRRowDocuments rowDocuments() const { return m_rowDocuments; }
    void setRowDocuments(KRRowDocuments rows) { m_rowDocuments = rows; }

    // The row's object (row less the header count); subclasses with
    // sections override it.
    virtual pf::Value dataObjectByIndexPath(const pf::IndexPath& path);
    // The template filled from the row (which becomes dataItem); nothing
    // without a readable template.
    std::optional<std::string> htmlContentByIndexPath(const pf::IndexPath& path);
    // The row's kept document, built, styled and laid out on first use.
    KRDOMDocumentRef documentByIndexPath(const pf::IndexPath& path);
    // Drops the row's kept document and measured height.
    void removeDocumentByIndexPath(const pf::IndexPath& path);
    // Lays a kept document out again at the table's width.
    void layoutDocumentByIndexPath(const pf::IndexPath& path);
    // Hooks: after parsing, before styling; after styling and keeping, before layout.
    virtual void documentWillLoadDataObject(KRDOMDocument&, const pf::Value&) {}
    virtual void documentDidLoadedDataObject(KRDOMDocument&, const pf::Value&) {}

    void loadImagesForElement(KRDOMElement& element);
    void downloadImagesForElement(KRDOMElement& element);

    // Data rows; header and footer rows are the table data controller's.
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView&, const pf::IndexPath&) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView&, const pf::IndexPath&) override;
    double tableViewEstimatedRowHeight(pf::TableView&) override;
    void krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element) override;

protected:
    // Whether the row is a document row: by default the rows between the
    // header and the footer cells. A sectioned subclass without such cells
    // answers true for every row it counts.
    virtual bool isDataRow(const pf::IndexPath& path) const;

private:
    double tableWidth() const;
    // The row's document, built, styled and laid out; kept in `keepIn` when given.
    KRDOMDocumentRef makeDocument(const pf::IndexPath& path, const pf::Value& row, const pf::DictionaryRef& keepIn);
    double measuredHeight(const pf::IndexPath& path);
    void scheduleElementDownload(const KRDOMElementRef& root);
    void scheduleTableDownload();

    KRRowDocuments m_rowDocuments = KRRowDocuments::EveryRow;
};
