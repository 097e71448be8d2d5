#include "framework/ui/KRStyleOutletContainer.h"

#include "framework/ui/KRStyleOutlet.h"

KRStyleOutletContainer::~KRStyleOutletContainer()
{
    if (m_styleSheet)
        m_styleSheet->removeObserver(this);
}

void KRStyleOutletContainer::applyStyleSheet()
{
    // A copy: an outlet's views may edit the collection while being styled.
    pf::ArrayRef styles = m_styles;
    if (!styles)
        return;
    for (const pf::Value& entry : *styles) {
        auto outlet = entry.objectAs<KRStyleOutlet>();
        if (!outlet)
            continue;
        const auto& wanted = outlet->status();
        bool selected = !m_status || !wanted || m_status->find(*wanted) != std::string::npos;
        outlet->setStyleSheet(selected ? m_styleSheet : nullptr);
    }
}

void KRStyleOutletContainer::setStatus(std::optional<std::string> status)
{
    if (status == m_status)
        return;
    m_status = std::move(status);
    applyStyleSheet();
}

void KRStyleOutletContainer::setStyleSheet(std::shared_ptr<KRStyleSheet> sheet)
{
    if (sheet == m_styleSheet)
        return;
    if (m_styleSheet)
        m_styleSheet->removeObserver(this);
    m_styleSheet = std::move(sheet);
    if (m_styleSheet) {
        if (auto self = std::static_pointer_cast<KRStyleOutletContainer>(weak_from_this().lock()))
            m_styleSheet->addObserver(std::shared_ptr<KRStyleSheetObserver>(self));
    }
    applyStyleSheet();
}

void KRStyleOutletContainer::styleSheetVersionDidChange(KRStyleSheet& sheet, int, int)
{
    if (&sheet == m_styleSheet.get())
        applyStyleSheet();
}
