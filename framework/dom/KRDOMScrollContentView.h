#pragma once

// One tile of a scrolling document view: a horizontal band of the root
// element's tree, page `pageIndex` of pages as high as the tile. It renders
// the whole tree shifted up by the pages above it, with its band as the
// drawing rect, so the tree skips whatever lies outside the band.
//
// Main queue only. Made and reused by KRDOMScrollView.

#include "framework/dom/Forward.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <limits>

class KRDOMScrollContentView : public pf::View {
public:
    // The page index of a tile that shows nothing.
    static constexpr std::int32_t kFreePage = std::numeric_limits<std::int32_t>::max();

    explicit KRDOMScrollContentView(const pf::Rect& frame = {});

    std::int32_t pageIndex() const { return m_pageIndex; }
    // Stores the page and redraws.
    void setPageIndex(std::int32_t index);
    bool isFree() const { return m_pageIndex == kFreePage; }
    const KRDOMElementRef& element() const { return m_element; }
    // Redraws when the root changes.
    void setElement(KRDOMElementRef element);

    bool drawsContent() const override { return m_element && !isFree(); }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

private:
    std::int32_t m_pageIndex = kFreePage;
    KRDOMElementRef m_element;
};
