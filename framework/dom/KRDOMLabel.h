#pragma once

// A label whose text is markup: the text is parsed into a document (without
// a style sheet), its root laid out for the label's size and drawn in place
// of the plain text. Interface files make it by its class name "KRDOMLabel"
// and set its "text"; a new size lays the same document out again without
// parsing it again.
//
// Main queue only.

#include "framework/dom/Forward.h"
#include "platform/controls/Label.h"

#include <string>

class KRDOMLabel : public pf::Label {
public:
    explicit KRDOMLabel(const pf::Rect& frame = {});

    const std::string& text() const { return pf::Label::text(); }
    // The base text, then a new document from it and a redraw.
    void setText(const std::string& text);
    // Empty text keeps no document.
    void loadDocumentHtml(const std::string& markup);
    const KRDOMDocumentRef& document() const { return m_document; }
    void setDocument(KRDOMDocumentRef document);

    bool drawsContent() const override { return m_document != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void layoutSubviews() override;

private:
    KRDOMDocumentRef m_document;
    pf::Size m_laidOutSize;
};
