#include "framework/ui/KRMontageGroupElement.h"

#include <algorithm>

bool KRMontageGroupElement::setElements(std::vector<std::shared_ptr<KRMontageElement>> elements)
{
    for (const auto& head : elements) {
        if (chainReaches(head.get(), this))
            return false;
    }
    m_elements = std::move(elements);
    double longest = 0;
    for (auto& head : m_elements)
        longest = std::max(longest, chainDuration(head.get()));
    setDuration(longest);
    return true;
}

void KRMontageGroupElement::scenesOnValueChanged(KRMontageScenes& scenes, float progress)
{
    double local = double(progress) * duration();
    // A copy: a member's callback may replace the group's elements.
    auto heads = m_elements;
    for (auto& head : heads)
        notifyChain(head, scenes, local);
}
