#include "framework/dom/KRDOMScrollContentView.h"

#include "framework/dom/KRDOMElement.h"

KRDOMScrollContentView::KRDOMScrollContentView(const pf::Rect& frame)
    : pf::View(frame)
{
    // Touches go to the scroll view, which routes them into the tree.
    setUserInteractionEnabled(false);
}

void KRDOMScrollContentView::setPageIndex(std::int32_t index)
{
    m_pageIndex = index;
    setNeedsDisplay();
}

void KRDOMScrollContentView::setElement(KRDOMElementRef element)
{
    if (element == m_element)
        return;
    m_element = std::move(element);
    setNeedsDisplay();
}

void KRDOMScrollContentView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    KRDOMElementRef root = m_element;
    if (!root || isFree())
        return;
    pf::Size size = bounds().size;
    double top = double(m_pageIndex) * size.height;
    pf::Rect band{0, top, size.width, size.height};
    pf::Rect frame = root->frame();
    band = band.intersection({0, 0, frame.width(), frame.height()});
    if (band.isEmpty())
        return;
    context.save();
    context.translate(0, -top);
    context.clipToRect(band);
    root->render(band, context);
    context.restore();
}
