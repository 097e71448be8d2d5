#pragma once

// A view whose bounds origin (the content offset) moves over a larger
// content. A drag moves the content with the finger, beyond the edges with a
// rubber band when bouncing; a release with speed decelerates, and an offset
// beyond the edges springs back; with paging the release settles on a whole
// page. Every offset, whether it comes from a drag, deceleration, a bounce,
// paging, zooming, the wheel or code, goes through the virtual
// setContentOffset(Point), so a subclass sees each one. When the delegate
// answers a view for zooming, two fingers pinch it: the point between them
// stays under them while the scale follows their spread, a little beyond the
// limits, and springs back within them when a finger lifts.
//
// A drag begins only along an axis the view can scroll (the content and
// insets exceed the bounds, or it always bounces that way), judged by which
// way the finger first moved; otherwise it fails and an enclosing scroll view
// gets the fingers, as a paging view around zooming pages or a list around a
// sideways strip needs. Resting at the edge the finger pushes toward, a view
// that does not always bounce that way leaves the drag to an enclosing one
// that can take it (a zoomed picture at its edge turns the page).
//
// Main thread only. The delegate is not retained. Motion follows the
// animation clock frame by frame (a manual clock in tests).

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"

namespace pf {

class ScrollView;

// Every callback is optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(ScrollView&) {}
    virtual void scrollViewWillBeginDragging(ScrollView&) {}
    virtual void scrollViewDidEndDragging(ScrollView&, bool /*willDecelerate*/) {}
    virtual void scrollViewWillBeginDecelerating(ScrollView&) {}
    virtual void scrollViewDidEndDecelerating(ScrollView&) {}
    virtual void scrollViewDidEndScrollingAnimation(ScrollView&) {}
    // The view whose size follows the zoom scale; none means no zooming.
    virtual ViewRef viewForZoomingInScrollView(ScrollView&) { return nullptr; }
    virtual void scrollViewDidZoom(ScrollView&) {}
};

// Deceleration per millisecond.
constexpr double ScrollViewDecelerationRateNormal = 0.998;
constexpr double ScrollViewDecelerationRateFast = 0.99;

class ScrollView : public View {
public:
    explicit ScrollView(const Rect& frame = {});
    ~ScrollView() override;

    // The delegate as an object, as interface files connect it; one that is
    // no ScrollViewDelegate is ignored.
    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& delegate);
    void setDelegate(const std::shared_ptr<ScrollViewDelegate>& delegate);
    std::shared_ptr<ScrollViewDelegate> delegate() const { return m_delegate.lock(); }

    Point contentOffset() const { return bounds().origin; }
    virtual void setContentOffset(Point offset);
    // Animated: glides there over 0.3 s, then tells scrollViewDidEndScrollingAnimation;
    // content that shrinks from under the target meanwhile ends the glide at its new end.
    void setContentOffset(Point offset, bool animated);
    Size contentSize() const { return m_contentSize; }
    void setContentSize(Size size);
    const EdgeInsets& contentInset() const { return m_contentInset; }
    void setContentInset(const EdgeInsets& inset);
    // Scrolls the least needed to show `rect` (content coordinates).
    void scrollRectToVisible(const Rect& rect, bool animated);
    // The offsets the content rests between.
    Point minContentOffset() const;
    Point maxContentOffset() const;

    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled);
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool alwaysBounceVertical() const { return m_alwaysBounceVertical; }
    void setAlwaysBounceVertical(bool bounce) { m_alwaysBounceVertical = bounce; }
    bool alwaysBounceHorizontal() const { return m_alwaysBounceHorizontal; }
    void setAlwaysBounceHorizontal(bool bounce) { m_alwaysBounceHorizontal = bounce; }
    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool paging) { m_pagingEnabled = paging; }
    double decelerationRate() const { return m_decelerationRate; }
    void setDecelerationRate(double rate);
    bool scrollsToTop() const { return m_scrollsToTop; }
    void setScrollsToTop(bool scrolls) { m_scrollsToTop = scrolls; }
    bool showsVerticalScrollIndicator() const { return m_showsVertical; }
    void setShowsVerticalScrollIndicator(bool shows) { m_showsVertical = shows; }
    bool showsHorizontalScrollIndicator() const { return m_showsHorizontal; }
    void setShowsHorizontalScrollIndicator(bool shows) { m_showsHorizontal = shows; }

    bool isTracking() const { return m_tracking; }
    bool isDragging() const { return m_dragging; }
    bool isDecelerating() const { return m_motion == Motion::Decelerating; }

    // Zooming scales the delegate's zooming view between the limits; the
    // view sits at the content's origin, its size times the scale being
    // the content size.
    double zoomScale() const { return m_zoomScale; }
    void setZoomScale(double scale, bool animated = false);
    double minimumZoomScale() const { return m_minZoom; }
    void setMinimumZoomScale(double scale);
    double maximumZoomScale() const { return m_maxZoom; }
    void setMaximumZoomScale(double scale);
    // Two fingers are pinching the zooming view.
    bool isZooming() const { return m_zooming; }

    // A wheel or two-finger scroll by `delta` points, content moving up for
    // a positive y; it stays within the edges. The part along an axis this
    // view cannot scroll goes on to the superview.
    void scrollWheel(Point delta) override;

protected:
    void layoutSubviews() override;
    // A subclass may take a drag for itself when it begins (a sideways
    // swipe on a row), even along an axis it cannot scroll: it answers true
    // and then gets the drag's steps instead of the content moving.
    // Translation and location are in bounds coordinates.
    virtual bool takesDrag(Point /*translation*/, Point /*location*/) { return false; }
    virtual void takenDragMoved(GestureState, Point /*translation*/) {}

private:
    enum class Motion { None, Decelerating, Animating };
    bool panShouldBegin(PanGestureRecognizer& pan);
    void handlePan(GestureRecognizer& recognizer);
    void handlePinch(GestureRecognizer& recognizer);
    ViewRef zoomingView();
    // Scales `zoomed` about the content's origin and sizes the content to it.
    void applyZoom(View& zoomed, double scale, bool animated);
    void endDrag(Point velocity);
    void startMotion(Motion motion);
    void stopMotion();
    void step(double dt);
    void animateStep();
    Point clamped(Point offset) const;
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    Point pageTarget(Point velocity) const;
    void notifyDidScroll();
    // The thin bars showing where the visible part lies, while the content moves.
    void updateIndicators(bool visible);

    std::weak_ptr<ScrollViewDelegate> m_delegate;
    WeakObject m_delegateObject;
    Size m_contentSize;
    EdgeInsets m_contentInset;
    bool m_scrollEnabled = true;
    bool m_bounces = true;
    bool m_alwaysBounceVertical = false;
    bool m_alwaysBounceHorizontal = false;
    bool m_pagingEnabled = false;
    bool m_scrollsToTop = true;
    bool m_showsVertical = true;
    bool m_showsHorizontal = true;
    double m_decelerationRate = ScrollViewDecelerationRateNormal;
    bool m_tracking = false;
    bool m_dragging = false;
    bool m_dragTaken = false;
    Point m_dragStartOffset;

    Motion m_motion = Motion::None;
    std::shared_ptr<DisplayLink> m_link;
    Point m_velocity;
    Point m_target; // spring and animation target
    bool m_springing = false;
    Point m_animFrom;
    double m_animStart = 0;
    double m_lastStepTime = 0;

    double m_zoomScale = 1;
    double m_minZoom = 1;
    double m_maxZoom = 1;
    bool m_zooming = false;
    double m_pinchStartScale = 1;
    Point m_pinchAnchor; // the zooming view's point under the fingers, unscaled
    std::shared_ptr<PanGestureRecognizer> m_pan;
    std::shared_ptr<PinchGestureRecognizer> m_pinch;
    ViewRef m_verticalIndicator;
    ViewRef m_horizontalIndicator;
};

}
