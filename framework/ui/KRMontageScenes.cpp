#include "framework/ui/KRMontageScenes.h"

#include "framework/ui/KRMontageElement.h"
#include "framework/ui/KRMontageLocus.h"

#include <cmath>

void KRMontageScenes::setRootElement(std::shared_ptr<KRMontageElement> root)
{
    if (root == m_rootElement)
        return;
    m_rootElement = std::move(root);
    m_duration = KRMontageElement::chainDuration(m_rootElement.get());
    m_current = 0;
    didCurrentChanged();
}

void KRMontageScenes::setCurrent(double seconds)
{
    if (std::isnan(seconds))
        return;
    if (seconds > m_duration)
        seconds = m_duration;
    if (seconds < 0)
        seconds = 0;
    if (seconds == m_current)
        return;
    m_current = seconds;
    didCurrentChanged();
}

double KRMontageScenes::value() const { return m_duration == 0 ? 0 : m_current / m_duration; }

void KRMontageScenes::setValue(double value) { setCurrent(value * m_duration); }

std::shared_ptr<KRMontageLocus> KRMontageScenes::locusForName(std::string_view name)
{
    for (auto& locus : m_locuss) {
        if (locus && locus->name() == name) {
            locus->setScenes(std::static_pointer_cast<KRMontageScenes>(weak_from_this().lock()));
            return locus;
        }
    }
    return nullptr;
}

void KRMontageScenes::didCurrentChanged()
{
    // Held across the walk: an element may replace the root.
    auto root = m_rootElement;
    KRMontageElement::notifyChain(root, *this, m_current);
}
