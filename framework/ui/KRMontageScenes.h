#pragma once

// A montage timeline: a chain of elements from rootElement, the named loci
// they follow and the content view they play in. Setting the time (seconds,
// clamped to 0..duration) or the value (0..1) tells every element of the
// chain its progress; an unchanged time tells nobody. The scenes have no
// clock: KRMontagePlayer drives them, or a caller sets the time directly.
//
// Main thread only. Make scenes with std::make_shared: a locus found through
// locusForName() refers back to them weakly.

#include "platform/foundation/Object.h"
#include "platform/ui/Forward.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class KRMontageElement;
class KRMontageLocus;

class KRMontageScenes : public pf::Object {
public:
    using LocusList = std::vector<std::shared_ptr<KRMontageLocus>>;

    // Every odd repetition runs backwards when the player repeats the scenes.
    bool isRepeatAutoreverses() const { return m_repeatAutoreverses; }
    void setRepeatAutoreverses(bool autoreverses) { m_repeatAutoreverses = autoreverses; }
    const LocusList& locuss() const { return m_locuss; }
    void setLocuss(LocusList loci) { m_locuss = std::move(loci); }
    // Null when there is no view to play in.
    const pf::ViewRef& contentView() const { return m_contentView; }
    void setContentView(pf::ViewRef view) { m_contentView = std::move(view); }
    // 0 plays once; N plays N times (N forward-and-back passes with autoreverse).
    std::uint32_t repeatCount() const { return m_repeatCount; }
    void setRepeatCount(std::uint32_t count) { m_repeatCount = count; }
    // Media time at which the player started the scenes.
    double startTimeInterval() const { return m_startTimeInterval; }
    void setStartTimeInterval(double time) { m_startTimeInterval = time; }

    const std::shared_ptr<KRMontageElement>& rootElement() const { return m_rootElement; }
    // Takes a new chain: the duration becomes the chain's total and every
    // element is told its progress at time 0. The same root does nothing.
    void setRootElement(std::shared_ptr<KRMontageElement> root);

    double current() const { return m_current; }
    // A time that is not a number is ignored.
    void setCurrent(double seconds);
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    // current / duration, 0 when the duration is 0.
    double value() const;
    void setValue(double value);

    // The first locus whose name is `name` (it then refers back to these
    // scenes); null when none is.
    std::shared_ptr<KRMontageLocus> locusForName(std::string_view name);
    // Tells every element of the chain its progress at the current time.
    void didCurrentChanged();

private:
    bool m_repeatAutoreverses = false;
    LocusList m_locuss;
    pf::ViewRef m_contentView;
    std::shared_ptr<KRMontageElement> m_rootElement;
    std::uint32_t m_repeatCount = 0;
    double m_startTimeInterval = 0;
    double m_current = 0;
    double m_duration = 0;
};
