#pragma once

// The placement rule for one subview: edge offsets, a fixed size, and the
// start size and cap of a size fitted to the content. A rule is a number or
// a text ("50%" is half the padded area's width or height); nil leaves it
// unset, and any other value, zero included, counts as set. Horizontal
// rules are measured against the padded area's width, vertical ones against
// its height.
//
// Main queue only (it may resize its view).

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

class KRLayoutData : public pf::Object {
public:
    // A text ending in "%" is that share of `base`; otherwise the number, or
    // the leading number of a text ("auto" and nil give 0). A value that is
    // not finite gives 0, so one bad rule cannot push views out of sight.
    static double valueOfBase(const pf::Value& value, double base);

    // The view's frame in the padded area's coordinates, for an area of
    // `size`; fitting to the content resizes the view on the way. The area
    // starts at `areaOrigin` of the host, so a kept coordinate of the view is
    // first taken back into the area and repeated passes do not drift.
    pf::Rect frameOfSize(pf::Size size, pf::Point areaOrigin = {}) const;

    bool widthToFit() const { return m_widthToFit; }
    void setWidthToFit(bool fit) { m_widthToFit = fit; }
    bool heightToFit() const { return m_heightToFit; }
    void setHeightToFit(bool fit) { m_heightToFit = fit; }
    const pf::ViewRef& view() const { return m_view; }
    void setView(pf::ViewRef view) { m_view = std::move(view); }

    const pf::Value& width() const { return m_width; }
    void setWidth(pf::Value v) { m_width = std::move(v); }
    const pf::Value& height() const { return m_height; }
    void setHeight(pf::Value v) { m_height = std::move(v); }
    const pf::Value& left() const { return m_left; }
    void setLeft(pf::Value v) { m_left = std::move(v); }
    const pf::Value& right() const { return m_right; }
    void setRight(pf::Value v) { m_right = std::move(v); }
    const pf::Value& top() const { return m_top; }
    void setTop(pf::Value v) { m_top = std::move(v); }
    const pf::Value& bottom() const { return m_bottom; }
    void setBottom(pf::Value v) { m_bottom = std::move(v); }
    const pf::Value& minWidth() const { return m_minWidth; }
    void setMinWidth(pf::Value v) { m_minWidth = std::move(v); }
    const pf::Value& maxWidth() const { return m_maxWidth; }
    void setMaxWidth(pf::Value v) { m_maxWidth = std::move(v); }
    const pf::Value& minHeight() const { return m_minHeight; }
    void setMinHeight(pf::Value v) { m_minHeight = std::move(v); }
    const pf::Value& maxHeight() const { return m_maxHeight; }
    void setMaxHeight(pf::Value v) { m_maxHeight = std::move(v); }

private:
    bool m_widthToFit = false;
    bool m_heightToFit = false;
    pf::ViewRef m_view;
    pf::Value m_width, m_height, m_left, m_right, m_top, m_bottom;
    pf::Value m_minWidth, m_maxWidth, m_minHeight, m_maxHeight;
};
