#include "framework/ui/KRDataOutletContainer.h"

#include "framework/ui/KRDataOutlet.h"

void KRDataOutletContainer::applyDataOutlet(const pf::Value& item)
{
    if (!m_dataOutlets)
        return;
    // A copy: an outlet's view may replace the list while it is applied.
    pf::ArrayRef outlets = m_dataOutlets;
    for (const pf::Value& entry : *outlets) {
        auto outlet = entry.objectAs<KRDataOutlet>();
        if (!outlet)
            continue;
        const auto& wanted = outlet->status();
        if (m_status && wanted && m_status->find(*wanted) == std::string::npos)
            continue;
        outlet->applyDataOutlet(item);
    }
}
