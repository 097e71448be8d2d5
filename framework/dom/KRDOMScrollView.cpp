#include "framework/dom/KRDOMScrollView.h"

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMScrollContentView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace {

// The height the tree is laid out against: as good as unbounded.
constexpr double kLayoutHeight = 2147483648.0;
// Pages are never shorter than this part of the view, so a tiny page scale
// cannot make thousands of tiles.
constexpr double kMinPagesPerView = 16;

}

std::shared_ptr<KRDOMScrollView> KRDOMScrollView::create(const pf::Rect& frame)
{
    return std::make_shared<KRDOMScrollView>(frame);
}

KRDOMScrollView::KRDOMScrollView(const pf::Rect& frame)
    : pf::ScrollView(frame)
    , m_host(*this, *this)
{
}

KRDOMScrollView::~KRDOMScrollView()
{
    // The weak links to this view already read as null here, so nothing in
    // the tree can call back into it.
    cancelTouch();
    m_host.release(m_element);
}

void KRDOMScrollView::setElement(KRDOMElementRef root)
{
    PF_ASSERT_MAIN_THREAD();
    // The same tree is put up again when another view took it meanwhile.
    if (root == m_element && (!root || m_host.isBound(*root)))
        return;
    auto keep = self();
    cancelTouch();
    KRDOMElementRef old = std::move(m_element);
    m_element = std::move(root);
    m_host.takeDownTree(old);
    old.reset();
    // Laid out before it is bound, so that its native views are placed at
    // their final frames.
    reloadContents(true);
    m_host.putUpTree(m_element);
}

void KRDOMScrollView::viewBindElement(const KRDOMElementRef& element) { m_host.bind(element); }

void KRDOMScrollView::viewUnBindElement(const KRDOMElementRef& element) { m_host.unbind(element); }

void KRDOMScrollView::setBounds(const pf::Rect& bounds)
{
    pf::ScrollView::setBounds(bounds);
    reloadContents(false);
}

void KRDOMScrollView::layoutSubviews()
{
    pf::ScrollView::layoutSubviews();
    // Size changes that do not come through this class (autoresizing).
    if (m_element && m_layoutSize != bounds().size)
        reloadContents(false);
}

double KRDOMScrollView::layOutTree()
{
    KRDOMElementRef root = m_element;
    root->layout({m_layoutSize.width, kLayoutHeight});
    double height = root->frame().height();
    if (!std::isfinite(height) || height < 0)
        height = 0;
    if (height > kMaxContentHeight) {
        pf::log("Document of %.0f points is cut to %.0f points", height, kMaxContentHeight);
        height = kMaxContentHeight;
    }
    return height;
}

void KRDOMScrollView::reloadContents(bool force)
{
    PF_ASSERT_MAIN_THREAD();
    // Setting the content size may move the offset, which reloads again.
    if (m_reloading)
        return;
    if (!m_element) {
        freeAllTiles();
        return;
    }
    auto keep = self();
    m_reloading = true;
    bool relaid = force || m_layoutSize != bounds().size;
    if (relaid) {
        m_layoutSize = bounds().size;
        setContentSize({0, layOutTree()});
    }
    m_reloading = false;
    if (!m_element)
        return freeAllTiles();

    double scale = m_pageScale == 0 ? 2 : m_pageScale;
    double pageHeight = m_layoutSize.height * scale;
    double width = m_layoutSize.width;
    double contentHeight = std::min(contentSize().height, kMaxContentHeight);
    if (!(pageHeight > 0) || !std::isfinite(pageHeight) || !(width > 0) || !(contentHeight > 0))
        return freeAllTiles();
    pageHeight = std::max(pageHeight, m_layoutSize.height / kMinPagesPerView);

    // The pages that intersect the visible part with some area, found
    // directly from the offset.
    pf::Rect visible{contentOffset(), bounds().size};
    double pageCount = std::ceil(contentHeight / pageHeight);
    double first = std::max(0.0, std::floor(visible.y() / pageHeight));
    double last = std::min(pageCount - 1, std::ceil(visible.maxY() / pageHeight) - 1);
    bool across = visible.x() < width && visible.maxX() > 0 && !visible.isEmpty();
    if (!across || !(first <= last)) {
        first = 0;
        last = -1;
    }

    std::map<std::int32_t, std::shared_ptr<KRDOMScrollContentView>> inUse;
    for (const auto& tile : m_contentViews) {
        if (!tile->isFree())
            inUse.emplace(tile->pageIndex(), tile);
    }
    for (auto& [page, tile] : inUse) {
        if (page < first || page > last)
            freeTile(*tile);
    }
    for (double p = first; p <= last; p++) {
        auto page = std::int32_t(p);
        pf::Rect pageRect{0, p * pageHeight, width, pageHeight};
        auto it = inUse.find(page);
        if (it != inUse.end()) {
            it->second->setFrame(pageRect);
            it->second->setElement(m_element);
            if (relaid)
                it->second->setNeedsDisplay();
            continue;
        }
        std::shared_ptr<KRDOMScrollContentView> tile;
        for (const auto& candidate : m_contentViews) {
            if (candidate->isFree()) {
                tile = candidate;
                break;
            }
        }
        if (!tile) {
            tile = std::make_shared<KRDOMScrollContentView>(pageRect);
            tile->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
            tile->setBackgroundColor(pf::Color::clear());
            m_contentViews.push_back(tile);
        }
        tile->setFrame(pageRect);
        tile->setPageIndex(page);
        tile->setElement(m_element);
        insertSubview(tile, 0);
    }
}

void KRDOMScrollView::freeTile(KRDOMScrollContentView& tile)
{
    tile.removeFromSuperview();
    tile.setPageIndex(KRDOMScrollContentView::kFreePage);
    // A free tile keeps no tree alive.
    tile.setElement(nullptr);
}

void KRDOMScrollView::freeAllTiles()
{
    for (const auto& tile : m_contentViews)
        freeTile(*tile);
}

std::vector<std::int32_t> KRDOMScrollView::visiblePages() const
{
    std::vector<std::int32_t> pages;
    for (const auto& tile : m_contentViews) {
        if (!tile->isFree())
            pages.push_back(tile->pageIndex());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

pf::ViewRef KRDOMScrollView::elementViewForId(std::string_view eid) const { return m_host.elementViewForId(eid); }

void KRDOMScrollView::touchesElement(const KRDOMElementRef& element, pf::Point p, KRDOMTouchType type)
{
    if (!element)
        return;
    if (type == KRDOMTouchType::Began) {
        // Hidden elements are not drawn, so neither they nor their subtree
        // take a touch-down.
        pf::Rect frame = element->frame();
        if (element->isHidden() || !(p.x >= 0 && p.y >= 0 && p.x < frame.width() && p.y < frame.height()))
            return;
        element->touchesBegan(p);
    } else if (type == KRDOMTouchType::Ended) {
        element->touchesEnded(p);
    } else if (type == KRDOMTouchType::Cancelled) {
        element->touchesCancelled(p);
    } else {
        element->touchesMoved(p);
    }
    // A copy: an element's touch handling may change the tree.
    std::vector<KRDOMElementRef> children = element->childs();
    for (const KRDOMElementRef& child : children)
        touchesElement(child, p - child->frame().origin, type);
}

void KRDOMScrollView::touchesBegan(const pf::TouchSet& touches)
{
    if (!m_touch && !touches.empty()) {
        auto keep = self();
        const pf::TouchRef& touch = touches.front();
        m_touch = touch->identifier();
        m_touchLocation = touch->locationInView(this);
        KRDOMElementRef root = m_element;
        touchesElement(root, m_touchLocation, KRDOMTouchType::Began);
    }
    pf::ScrollView::touchesBegan(touches);
}

void KRDOMScrollView::routeTouch(const pf::TouchSet& touches, KRDOMTouchType type)
{
    for (const pf::TouchRef& touch : touches) {
        if (!m_touch || touch->identifier() != *m_touch)
            continue;
        auto keep = self();
        m_touchLocation = touch->locationInView(this);
        if (type != KRDOMTouchType::Moved)
            m_touch.reset();
        KRDOMElementRef root = m_element;
        touchesElement(root, m_touchLocation, type);
        break;
    }
}

void KRDOMScrollView::touchesMoved(const pf::TouchSet& touches)
{
    routeTouch(touches, KRDOMTouchType::Moved);
    pf::ScrollView::touchesMoved(touches);
}

void KRDOMScrollView::touchesEnded(const pf::TouchSet& touches)
{
    routeTouch(touches, KRDOMTouchType::Ended);
    pf::ScrollView::touchesEnded(touches);
}

void KRDOMScrollView::touchesCancelled(const pf::TouchSet& touches)
{
    routeTouch(touches, KRDOMTouchType::Cancelled);
    pf::ScrollView::touchesCancelled(touches);
}

void KRDOMScrollView::cancelTouch()
{
    if (!m_touch)
        return;
    m_touch.reset();
    KRDOMElementRef root = m_element;
    touchesElement(root, m_touchLocation, KRDOMTouchType::Cancelled);
}

void KRDOMScrollView::krDOMElementDoNeedDisplay(KRDOMElement&)
{
    for (const auto& tile : m_contentViews) {
        if (!tile->isFree())
            tile->setNeedsDisplay();
    }
}

void KRDOMScrollView::krDOMElementAddLayer(KRDOMElement& element, const std::shared_ptr<KRDOMLayer>& layer,
                                           const pf::Rect& frame)
{
    m_host.addLayer(m_element.get(), element, layer, frame);
}

void KRDOMScrollView::krDOMElementAddView(KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame)
{
    m_host.addView(m_element.get(), element, view, frame);
}

pf::ViewRef KRDOMScrollView::krDOMElementView(KRDOMElement& element, const KRDOMViewClass& viewClass)
{
    return m_host.elementView(element, viewClass);
}
