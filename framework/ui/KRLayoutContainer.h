#pragma once

// The layouts of one screen, cell or item view, run together by its owner
// after new data and whenever the platform lays its views out. The root
// layout is only held for the owner.
//
// Main queue only.

#include "framework/ui/KRLayout.h"
#include "platform/foundation/Collections.h"

#include <memory>

class KRLayoutContainer : public pf::Object {
public:
    // Runs every layout in order; entries that are not layouts are passed over.
    void layout();

    pf::ArrayRef layouts() const { return m_layouts; }
    void setLayouts(pf::ArrayRef layouts) { m_layouts = std::move(layouts); }
    const std::shared_ptr<KRLayout>& rootLayout() const { return m_rootLayout; }
    void setRootLayout(std::shared_ptr<KRLayout> layout) { m_rootLayout = std::move(layout); }

private:
    pf::ArrayRef m_layouts;
    std::shared_ptr<KRLayout> m_rootLayout;
};
