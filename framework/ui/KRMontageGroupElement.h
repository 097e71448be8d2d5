#pragma once

// A timeline slot holding several chains that run side by side. Each entry of
// `elements` heads a chain of its own; the group's duration is the longest
// chain's total, worked out again by every setElements() (so set the elements
// before the group joins a chain given to the scenes). At progress p the
// members are told their progress at local time p × duration, out-of-range
// values included.
//
// Main thread only.

#include "framework/ui/KRMontageElement.h"

#include <vector>

class KRMontageGroupElement : public KRMontageElement {
public:
    const std::vector<std::shared_ptr<KRMontageElement>>& elements() const { return m_elements; }
    // False, changing nothing, when a member's chain leads back to the group.
    bool setElements(std::vector<std::shared_ptr<KRMontageElement>> elements);

    void scenesOnValueChanged(KRMontageScenes& scenes, float progress) override;

private:
    std::vector<std::shared_ptr<KRMontageElement>> m_elements;
};
