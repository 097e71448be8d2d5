#pragma once

// The category chooser: every category of the application database's
// category list as a toggle button in a sideways-paged strip (`contentView`)
// with a page control, and the categories switched on. Each page holds one
// row of `itemSize` slots, centred within the strip less `padding`; a
// button fills its slot less `itemPadding`.
//
// The strip is built when the controller gets its context and on
// reloadData, never by itself after a later category sync. A rebuild reuses
// the buttons already in the strip by index, keeping their selection even
// when their category changes (the selection follows the index); buttons
// beyond the number of categories are removed. A page always has at least
// one column, however narrow the strip; while the strip has no width the
// page control shows page 0. Without a content view or an application
// database the strip is left as it is.
//
// Main queue only; the page control and the strip are owned outlets.

#include "framework/core/KRController.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <vector>

namespace pf {
class PageControl;
}
class ZMRClassifyItemControl;
class ZMRClassifyObject;

class ZMRClassifyController : public KRController, public pf::ScrollViewDelegate {
public:
    // The accent of the buttons: their border and unselected title.
    static pf::Color accentColor();

    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }
    const std::shared_ptr<pf::PageControl>& pageControl() const { return m_pageControl; }
    void setPageControl(std::shared_ptr<pf::PageControl> control) { m_pageControl = std::move(control); }
    const pf::Size& itemSize() const { return m_itemSize; }
    void setItemSize(const pf::Size& size) { m_itemSize = size; }
    const pf::EdgeInsets& padding() const { return m_padding; }
    void setPadding(const pf::EdgeInsets& insets) { m_padding = insets; }
    const pf::EdgeInsets& itemPadding() const { return m_itemPadding; }
    void setItemPadding(const pf::EdgeInsets& insets) { m_itemPadding = insets; }

    // Stores the context, then builds the strip.
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    void reloadData();
    // The categories of the selected buttons, in strip order; no limit.
    std::vector<std::shared_ptr<ZMRClassifyObject>> selectedClassifyObjects() const;
    // A category button was tapped: it toggles.
    void itemViewAction(ZMRClassifyItemControl& sender);
    // The page control moved: the strip follows its own scrolling only.
    void doPageChangedAction(const pf::ObjectRef&) {}

    // The page control shows the page the strip's offset lies on.
    void scrollViewDidScroll(pf::ScrollView& view) override;

    // Columns per page: the slots that fit the usable width, at least one.
    static int columns(double usableWidth, double itemWidth);
    // The page an offset lies on within pages `width` wide; 0 without width.
    static int page(double offsetX, double width);

private:
    std::shared_ptr<ZMRClassifyItemControl> makeItem(const pf::Rect& frame);
    void updatePage();

    std::shared_ptr<pf::ScrollView> m_contentView;
    std::shared_ptr<pf::PageControl> m_pageControl;
    pf::Size m_itemSize;
    pf::EdgeInsets m_padding;
    pf::EdgeInsets m_itemPadding;
};
