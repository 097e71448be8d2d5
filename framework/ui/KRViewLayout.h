#pragma once

// Places the subviews of one host view by their layout data, in order,
// inside the host's padded area, and records the extent reached (padding
// included) as the content size. The host itself is not changed. A scroll
// view host lays out over its content size when that is larger.
//
// A pass runs when the host size changed or a pass was requested; a request
// is never cleared, so once rules are set every pass re-places the views
// (new data in them is re-fitted at an unchanged size).
//
// Main queue only, inside the owner's view life cycle.

#include "framework/ui/KRLayout.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/Forward.h"

class KRViewLayout : public KRLayout {
public:
    void layout() override;
    void setNeedsLayout() { m_needsLayout = true; }
    // The placement step; entries that are not layout data are passed over.
    virtual void doLayout();

    const pf::ViewRef& view() const { return m_view; }
    void setView(pf::ViewRef view) { m_view = std::move(view); }
    pf::ArrayRef layoutDatas() const { return m_layoutDatas; }
    // A different array requests a pass; the same one again changes nothing.
    void setLayoutDatas(pf::ArrayRef datas);
    pf::Size size() const { return m_size; }
    void setSize(pf::Size size) { m_size = size; }
    pf::EdgeInsets padding() const { return m_padding; }
    void setPadding(pf::EdgeInsets padding) { m_padding = padding; }

private:
    bool m_needsLayout = false;
    pf::ViewRef m_view;
    pf::ArrayRef m_layoutDatas;
    pf::Size m_size;
    pf::EdgeInsets m_padding;
};
