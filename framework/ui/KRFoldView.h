#pragma once

// The fold drawer's root view: a one-finger pan on it becomes begin, move
// and end reports to its delegate. Moves carry the point where the drag
// began and the current one, both in this view's coordinates; the view
// remembers the direction of the last horizontal movement (0 none yet,
// 1 leftwards, 2 rightwards). A cancelled or failed pan ends the drag like
// an ended one. Once the pan has begun, the views under the finger lose the
// touch, so a drag that opens the drawer presses nothing.
//
// Main queue only. The delegate is not retained.

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"

class KRFoldView;

class KRFoldViewDelegate {
public:
    virtual ~KRFoldViewDelegate() = default;
    virtual void foldViewDidBegin(KRFoldView&) {}
    virtual void foldViewDidMove(KRFoldView&, pf::Point /*from*/, pf::Point /*to*/) {}
    virtual void foldViewDidEnd(KRFoldView&) {}
};

class KRFoldView : public pf::View {
public:
    // The pan asks `shouldReceive` whether a touch is its to follow.
    static std::shared_ptr<KRFoldView> create(const pf::Rect& frame, pf::GestureRecognizer::ShouldReceiveTouch shouldReceive);
    explicit KRFoldView(const pf::Rect& frame) : pf::View(frame) {}

    void setDelegate(const std::shared_ptr<KRFoldViewDelegate>& delegate) { m_delegate = delegate; }
    bool isTouching() const { return m_beginTouch; }
    int direction() const { return m_direction; }
    pf::Point beginPoint() const { return m_beginPoint; }

private:
    void panAction(pf::GestureRecognizer& recognizer);

    std::weak_ptr<KRFoldViewDelegate> m_delegate;
    bool m_beginTouch = false;
    int m_direction = 0;
    pf::Point m_prePoint, m_beginPoint;
};
