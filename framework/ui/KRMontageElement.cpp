#include "framework/ui/KRMontageElement.h"

#include "framework/ui/KRMontageGroupElement.h"

#include <cfloat>
#include <cmath>
#include <unordered_set>
#include <vector>

namespace {

// A double beyond float's range does not fit a float (undefined behaviour
// when converted); it becomes the infinity of its sign instead.
float toProgress(double progress)
{
    if (progress > FLT_MAX)
        return INFINITY;
    if (progress < -FLT_MAX)
        return -INFINITY;
    return static_cast<float>(progress);
}

}

void KRMontageElement::scenesOnValueChanged(KRMontageScenes&, float) { }

bool KRMontageElement::setNextElement(std::shared_ptr<KRMontageElement> next)
{
    if (chainReaches(next.get(), this))
        return false;
    m_nextElement = std::move(next);
    return true;
}

bool KRMontageElement::chainReaches(const KRMontageElement* head, const KRMontageElement* target)
{
    // Each element once: chains may share their tails and groups their members.
    std::unordered_set<const KRMontageElement*> seen;
    std::vector<const KRMontageElement*> pending{head};
    while (!pending.empty()) {
        const KRMontageElement* element = pending.back();
        pending.pop_back();
        for (; element && seen.insert(element).second; element = element->nextElement().get()) {
            if (element == target)
                return true;
            if (auto* group = dynamic_cast<const KRMontageGroupElement*>(element)) {
                for (const auto& member : group->elements())
                    pending.push_back(member.get());
            }
        }
    }
    return false;
}

double KRMontageElement::chainDuration(const KRMontageElement* head)
{
    double total = 0;
    for (auto* element = head; element; element = element->nextElement().get())
        total += element->duration() + element->afterDelay();
    return total;
}

void KRMontageElement::notifyChain(const std::shared_ptr<KRMontageElement>& head, KRMontageScenes& scenes, double time)
{
    double offset = 0;
    // A strong reference per step: an element's callback may cut the chain.
    for (auto element = head; element; element = element->nextElement()) {
        double progress = (time - offset - element->afterDelay()) / element->duration();
        element->scenesOnValueChanged(scenes, toProgress(progress));
        offset += element->duration() + element->afterDelay();
    }
}
