#include "framework/ui/KRMontageGroupElement.h"

#include <algorithm>

void KRMontageGroupElement::setElements(std::vector<std::shared_ptr<KRMontageElement>> elements)
{
    m_elements = std::move(elements);
    double longest = 0;
    for (auto& head : m_elements)
        longest = std::max(longest, chainDuration(head.get()));
    setDuration(longest);
}

void KRMontageGroupElement::scenesOnValueChanged(KRMontageScenes& scenes, float progress)
{
    double local = double(progress) * duration();
    // A copy: a member's callback may replace the group's elements.
    auto heads = m_elements;
    for (auto& head : heads)
        notifyChain(head, scenes, local);
}
