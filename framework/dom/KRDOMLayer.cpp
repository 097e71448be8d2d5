#include "framework/dom/KRDOMLayer.h"

#include "platform/graphics/Bitmap.h"

std::shared_ptr<KRDOMLayer> KRDOMLayer::create() { return std::make_shared<KRDOMLayer>(); }

KRDOMLayer::KRDOMLayer() { setUserInteractionEnabled(false); }

void KRDOMLayer::setContents(pf::BitmapRef contents)
{
    if (contents == m_contents)
        return;
    m_contents = std::move(contents);
    setNeedsDisplay();
}

void KRDOMLayer::setContentsRect(const pf::Rect& rect)
{
    if (rect == m_contentsRect)
        return;
    m_contentsRect = rect;
    setNeedsDisplay();
}

void KRDOMLayer::setContentsGravity(pf::ImageGravity gravity)
{
    if (gravity == m_contentsGravity)
        return;
    m_contentsGravity = gravity;
    setNeedsDisplay();
}

void KRDOMLayer::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    if (!m_contents)
        return;
    pf::ImageDrawOptions options;
    options.gravity = m_contentsGravity;
    options.contentsRect = m_contentsRect;
    context.drawImage(*m_contents, bounds(), options);
}
