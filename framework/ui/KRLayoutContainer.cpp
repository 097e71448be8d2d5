#include "framework/ui/KRLayoutContainer.h"

void KRLayoutContainer::layout()
{
    if (!m_layouts)
        return;
    // A copy: a layout may replace the container's array on the way.
    pf::ArrayRef layouts = m_layouts;
    for (const auto& entry : *layouts)
        if (auto item = entry.objectAs<KRLayout>())
            item->layout();
}
