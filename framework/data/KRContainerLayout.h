#pragma once

// A container layout turns an item count, a default item size and per-item
// margins into one rect per item, in content coordinates (origin at the top
// left of the content). The base keeps the inputs and the last result; the
// flow, falls and page subclasses compute it in reloadData().
//
// Inputs from interface files and delegates may be any numbers: a size,
// margin or gap that is not finite counts as 0 and values are clamped to
// ±pf::kMaxCoordinate, so every rect is finite. Negative values are kept.
//
// Main queue only.

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <vector>

class KRContainerLayout;

// Supplies the items. The size and margin callbacks are optional: the
// defaults answer the layout's itemSize() and zero margins.
class KRContainerLayoutDelegate {
public:
    virtual ~KRContainerLayoutDelegate() = default;
    virtual int numberOfKRContainerLayout(KRContainerLayout& layout) = 0;
    virtual pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int index);
    virtual pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout& layout, int index);
};

class KRContainerLayout : public pf::Object {
public:
    // Recomputes itemRects(). The base computes nothing and keeps its rects.
    virtual void reloadData() {}

    const std::vector<pf::Rect>& itemRects() const { return m_itemRects; }
    // The rect at `index`; the zero rect for an index outside the rects.
    pf::Rect itemRectAtIndex(int index) const;

    // Not retained; without a delegate a reload yields no rects.
    std::weak_ptr<KRContainerLayoutDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<KRContainerLayoutDelegate> delegate) { m_delegate = std::move(delegate); }

    // The area to lay out in; the container view sets its inner size here
    // before every reload.
    pf::Size size() const { return m_size; }
    void setSize(pf::Size size) { m_size = size; }

    // The item size used when the delegate gives none.
    pf::Size itemSize() const { return m_itemSize; }
    void setItemSize(pf::Size size) { m_itemSize = size; }

protected:
    // One item's inputs, already sanitized.
    struct Item {
        pf::Size size;
        pf::EdgeInsets margin;
    };
    // Asks the delegate for the count once, then for every index in order for
    // the size (when `withSizes`) and the margin.
    std::vector<Item> collectItems(bool withSizes);
    pf::Size sanitizedSize() const;
    void setItemRects(std::vector<pf::Rect> rects) { m_itemRects = std::move(rects); }
    // Relayouts run on every scroll step: the rect and item buffers of the
    // last pass are handed back and reused rather than allocated again.
    std::vector<pf::Rect> takeItemRects();
    void recycleItems(std::vector<Item> items) { m_itemScratch = std::move(items); }

private:
    std::vector<pf::Rect> m_itemRects;
    std::vector<Item> m_itemScratch;
    std::weak_ptr<KRContainerLayoutDelegate> m_delegate;
    pf::Size m_size;
    pf::Size m_itemSize;
};
