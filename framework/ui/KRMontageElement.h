#pragma once

// One slot of a montage timeline. Elements form a chain through
// nextElement (each owns the next); an element starts afterDelay seconds
// after the previous one of its chain ends and runs for `duration` seconds.
// Whenever the scenes' time changes every element of the chain is told its
// progress, (time − start of its slot) / duration, unclamped: negative before
// the slot, above 1 after it, not finite when the duration is 0. Each element
// decides what to do with values outside 0..1; the base element does nothing.
//
// A timeline has no cycles: a next element or group member from which this
// element can be reached again (through next elements and group members, at
// any depth) is refused, the link left as it was, since walking such a
// timeline would never end.
//
// Main thread only.

#include "platform/foundation/Object.h"

#include <memory>
#include <string>

class KRMontageScenes;

class KRMontageElement : public pf::Object {
public:
    const std::string& locusName() const { return m_locusName; }
    void setLocusName(std::string name) { m_locusName = std::move(name); }
    const std::shared_ptr<KRMontageElement>& nextElement() const { return m_nextElement; }
    // False, changing nothing, when `next` would close a cycle.
    bool setNextElement(std::shared_ptr<KRMontageElement> next);
    double afterDelay() const { return m_afterDelay; }
    void setAfterDelay(double seconds) { m_afterDelay = seconds; }
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }

    virtual void scenesOnValueChanged(KRMontageScenes& scenes, float progress);

    // Sum of afterDelay + duration over the chain starting at `head`.
    static double chainDuration(const KRMontageElement* head);
    // Tells every element of the chain starting at `head` its progress at
    // `time` seconds from the chain's start.
    static void notifyChain(const std::shared_ptr<KRMontageElement>& head, KRMontageScenes& scenes, double time);
    // Whether `target` is in the chain starting at `head` or, at any depth,
    // among the members of a group on it.
    static bool chainReaches(const KRMontageElement* head, const KRMontageElement* target);

private:
    std::string m_locusName;
    std::shared_ptr<KRMontageElement> m_nextElement;
    double m_afterDelay = 0;
    double m_duration = 0;
};
