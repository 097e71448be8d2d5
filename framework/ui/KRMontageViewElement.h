#pragma once

// A timeline slot that moves a view along its locus inside the scenes'
// content view: at locus `y` 0 the view's bottom edge rests on the content
// view's bottom, at 1 its top edge touches the top, always centred
// horizontally. Each in-range call also (re)adds the view to the content
// view, so it stays the front-most subview. Progress outside 0..1 or not a
// number, a locus point that is not finite, a missing view or content view:
// nothing moves, the view keeps its last place.
//
// Main thread only.

#include "framework/ui/KRMontageElement.h"
#include "platform/ui/Forward.h"

class KRMontageViewElement : public KRMontageElement {
public:
    const pf::ViewRef& view() const { return m_view; }
    void setView(pf::ViewRef view) { m_view = std::move(view); }

    void scenesOnValueChanged(KRMontageScenes& scenes, float progress) override;

private:
    pf::ViewRef m_view;
};
