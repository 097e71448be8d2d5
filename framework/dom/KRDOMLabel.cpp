#include "framework/dom/KRDOMLabel.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMParse.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

KRDOMLabel::KRDOMLabel(const pf::Rect& frame)
    : pf::Label(frame)
{
}

void KRDOMLabel::setText(const std::string& text)
{
    PF_ASSERT_MAIN_THREAD();
    pf::Label::setText(text);
    loadDocumentHtml(text);
    setNeedsDisplay();
}

void KRDOMLabel::loadDocumentHtml(const std::string& markup)
{
    if (markup.empty()) {
        setDocument(nullptr);
        return;
    }
    KRDOMDocumentRef document = KRDOMDocument::create();
    KRDOMParse().parseHTML(markup, *document);
    m_laidOutSize = bounds().size;
    if (document->rootElement())
        document->rootElement()->layout(m_laidOutSize);
    setDocument(std::move(document));
}

void KRDOMLabel::setDocument(KRDOMDocumentRef document)
{
    m_document = std::move(document);
    setNeedsDisplay();
}

void KRDOMLabel::layoutSubviews()
{
    pf::Label::layoutSubviews();
    if (!m_document || !m_document->rootElement() || m_laidOutSize == bounds().size)
        return;
    m_laidOutSize = bounds().size;
    KRDOMElementRef root = m_document->rootElement();
    root->layout(m_laidOutSize);
    setNeedsDisplay();
}

void KRDOMLabel::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    KRDOMElementRef root = m_document ? m_document->rootElement() : nullptr;
    if (!root)
        return;
    pf::Rect frame = root->frame();
    root->render({0, 0, frame.width(), frame.height()}, context);
}
