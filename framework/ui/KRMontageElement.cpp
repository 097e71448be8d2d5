#include "framework/ui/KRMontageElement.h"

#include <cfloat>
#include <cmath>

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
