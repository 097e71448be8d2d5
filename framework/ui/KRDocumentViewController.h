#pragma once

// A screen whose content is one markup document: the template file `html`
// (relative to the interface file's bundle, else the main bundle) filled
// with this controller's values ("{key.path}"), parsed, styled by the
// shell's document style sheet and shown in the document view. The document
// view takes the document's height; inside a scroll view, the scroll view's
// content height follows it. It is the document view's delegate and handles
// no element actions itself.
//
// The template comes from the configuration entry's "html" unless the
// interface file or a subclass sets it.
//
// A template name that climbs out of the bundle ("..") or starts at the
// file-system root is refused with a log line, as is a file that cannot be
// read; the document is then empty.
//
// Main queue only.

#include "framework/dom/Forward.h"
#include "framework/dom/KRDOMView.h"
#include "framework/ui/KRViewController.h"

class KRDocumentViewController : public KRViewController, public KRDOMViewDelegate {
public:
    const std::shared_ptr<KRDOMView>& documentView() const { return m_documentView; }
    // Its delegate is this controller, wired by the interface file.
    void setDocumentView(std::shared_ptr<KRDOMView> view) { m_documentView = std::move(view); }
    const std::string& html() const { return m_html; }
    void setHtml(std::string html) { m_html = std::move(html); }
    const KRDOMDocumentRef& document() const { return m_document; }

    // The filled template text; nothing when it cannot be read.
    std::optional<std::string> htmlContent();
    // Parses the filled template into a new document and shows it.
    void reloadData();
    // Lays the document out into the document view and sizes both.
    void refreshView();

    void setConfig(pf::DictionaryRef config) override;
    void viewDidLoad() override;

private:
    std::shared_ptr<KRDOMView> m_documentView;
    std::string m_html;
    KRDOMDocumentRef m_document;
};
