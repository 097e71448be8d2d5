#include "platform/controls/ScrollView.h"

#include "platform/ui/AnimationClock.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
// Below this speed (points per second) a released drag does not glide.
constexpr double kMinGlideSpeed = 50;
// Gliding stops once slower than this.
constexpr double kStopSpeed = 8;
// Stiffness of the spring that brings an overscrolled edge back.
constexpr double kSpringOmega = 12;
constexpr double kAnimationDuration = 0.3;

// How far content follows a finger pulled `overshoot` beyond an edge of a
// view `dimension` long: less and less, never more than the dimension.
double rubberBand(double overshoot, double dimension)
{
    if (dimension <= 0)
        return 0;
    return (1 - 1 / (overshoot * 0.55 / dimension + 1)) * dimension;
}

// A pinch beyond the zoom limits goes on, ever more reluctantly.
double rubberZoom(double proposed, double lo, double hi)
{
    if (proposed > hi)
        return hi * std::pow(proposed / hi, 0.3);
    if (proposed < lo)
        return lo * std::pow(proposed / lo, 0.3);
    return proposed;
}

double rubberAxis(double proposed, double lo, double hi, double dimension)
{
    if (proposed < lo)
        return lo - rubberBand(lo - proposed, dimension);
    if (proposed > hi)
        return hi + rubberBand(proposed - hi, dimension);
    return proposed;
}
}

ScrollView::ScrollView(const Rect& frame)
    : View(frame)
{
    setClipsToBounds(true);
    m_pan = std::make_shared<PanGestureRecognizer>();
    addGestureRecognizer(m_pan);
    // The recognizer may outlive this view inside a window's touch, so the
    // destructor takes the action back.
    m_pan->setAction([this](GestureRecognizer& r) { handlePan(r); });
    m_pan->setShouldBegin([this](GestureRecognizer& r) { return panShouldBegin(static_cast<PanGestureRecognizer&>(r)); });
    m_pinch = std::make_shared<PinchGestureRecognizer>();
    addGestureRecognizer(m_pinch);
    m_pinch->setAction([this](GestureRecognizer& r) { handlePinch(r); });
    // Fingers on a view that cannot zoom stay free for other gestures.
    m_pinch->setShouldReceiveTouch([this](GestureRecognizer&, const Touch&) { return zoomingView() != nullptr; });
    // A finger may drag and then pinch with a second, or the reverse.
    m_pinch->setShouldRecognizeSimultaneously(
        [pan = m_pan.get()](GestureRecognizer&, GestureRecognizer& other) { return &other == pan; });
}

ScrollView::~ScrollView()
{
    m_pan->setAction({});
    m_pan->setShouldBegin({});
    m_pinch->setAction({});
    m_pinch->setShouldReceiveTouch({});
    if (m_link)
        m_link->invalidate();
}

void ScrollView::setDelegateObject(const ObjectRef& delegate)
{
    m_delegateObject = delegate;
    m_delegate = std::dynamic_pointer_cast<ScrollViewDelegate>(delegate);
}

void ScrollView::setDelegate(const std::shared_ptr<ScrollViewDelegate>& delegate)
{
    m_delegate = delegate;
    m_delegateObject = std::dynamic_pointer_cast<Object>(delegate);
}

void ScrollView::setContentOffset(Point offset)
{
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y))
        return;
    if (offset == contentOffset())
        return;
    setBounds(Rect(offset, bounds().size));
    setNeedsLayout();
    updateIndicators(m_dragging || m_motion != Motion::None);
    notifyDidScroll();
}

void ScrollView::notifyDidScroll()
{
    if (auto d = m_delegate.lock())
        d->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(Point offset, bool animated)
{
    stopMotion();
    if (!animated) {
        setContentOffset(offset);
        return;
    }
    m_animFrom = contentOffset();
    m_target = offset;
    m_animStart = AnimationClock::current().now();
    startMotion(Motion::Animating);
}

void ScrollView::setContentSize(Size size)
{
    if (!std::isfinite(size.width) || !std::isfinite(size.height))
        return;
    Size old = m_contentSize;
    m_contentSize = {std::max(0.0, size.width), std::max(0.0, size.height)};
    setNeedsLayout();
    // An animated scroll aimed into content that is gone glides on from
    // where it is, within the new end, to that end: it would otherwise stop
    // past the end, showing nothing.
    Point end = maxContentOffset();
    bool shrankUnder = (m_contentSize.width < old.width && m_target.x > end.x)
        || (m_contentSize.height < old.height && m_target.y > end.y);
    if (m_motion == Motion::Animating && shrankUnder) {
        auto within = [&](Point p) { return Point{std::min(p.x, end.x), std::min(p.y, end.y)}; };
        m_animFrom = within(contentOffset());
        m_target = within(m_target);
        m_animStart = AnimationClock::current().now();
    }
}

void ScrollView::setContentInset(const EdgeInsets& inset)
{
    m_contentInset = inset;
    setNeedsLayout();
}

Point ScrollView::minContentOffset() const
{
    return {-m_contentInset.left, -m_contentInset.top};
}

Point ScrollView::maxContentOffset() const
{
    Point lo = minContentOffset();
    return {std::max(lo.x, m_contentSize.width + m_contentInset.right - bounds().width()),
            std::max(lo.y, m_contentSize.height + m_contentInset.bottom - bounds().height())};
}

Point ScrollView::clamped(Point offset) const
{
    Point lo = minContentOffset(), hi = maxContentOffset();
    return {std::clamp(offset.x, lo.x, hi.x), std::clamp(offset.y, lo.y, hi.y)};
}

bool ScrollView::canScrollHorizontally() const
{
    return m_alwaysBounceHorizontal || maxContentOffset().x > minContentOffset().x;
}

bool ScrollView::canScrollVertically() const
{
    return m_alwaysBounceVertical || maxContentOffset().y > minContentOffset().y;
}

void ScrollView::scrollRectToVisible(const Rect& rect, bool animated)
{
    Point offset = contentOffset();
    Size size = bounds().size;
    if (rect.maxX() > offset.x + size.width)
        offset.x = rect.maxX() - size.width;
    if (rect.minX() < offset.x)
        offset.x = rect.minX();
    if (rect.maxY() > offset.y + size.height)
        offset.y = rect.maxY() - size.height;
    if (rect.minY() < offset.y)
        offset.y = rect.minY();
    setContentOffset(clamped(offset), animated);
}

void ScrollView::setScrollEnabled(bool enabled)
{
    m_scrollEnabled = enabled;
    m_pan->setEnabled(enabled);
}

void ScrollView::setDecelerationRate(double rate)
{
    if (std::isfinite(rate) && rate > 0 && rate < 1)
        m_decelerationRate = rate;
}

void ScrollView::layoutSubviews() {}

bool ScrollView::panShouldBegin(PanGestureRecognizer& pan)
{
    // Two fingers zooming move the content whichever way the first went.
    if (m_zooming)
        return true;
    auto keep = self();
    Point t = pan.translationInView(this);
    m_dragTaken = takesDrag(t, pan.locationInView(this));
    if (m_dragTaken)
        return true;
    bool sideways = std::abs(t.x) > std::abs(t.y);
    if (!(sideways ? canScrollHorizontally() : canScrollVertically()))
        return false;
    if (sideways ? m_alwaysBounceHorizontal : m_alwaysBounceVertical)
        return true;
    // The content moves against the finger: a finger going left pushes toward the far edge.
    double at = sideways ? contentOffset().x : contentOffset().y;
    double toward = sideways ? t.x : t.y;
    bool atEdge = toward < 0 ? at >= (sideways ? maxContentOffset().x : maxContentOffset().y)
                             : at <= (sideways ? minContentOffset().x : minContentOffset().y);
    if (!atEdge)
        return true;
    for (auto v = superview(); v; v = v->superview())
        if (auto* outer = dynamic_cast<ScrollView*>(v.get());
            outer && outer->m_scrollEnabled && (sideways ? outer->canScrollHorizontally() : outer->canScrollVertically()))
            return false;
    return true;
}

void ScrollView::handlePan(GestureRecognizer& recognizer)
{
    auto& pan = static_cast<PanGestureRecognizer&>(recognizer);
    auto keep = self();
    Point t = pan.translationInView(this);
    if (m_dragTaken) {
        takenDragMoved(pan.state(), t);
        return;
    }
    switch (pan.state()) {
    case GestureState::Began:
        stopMotion();
        m_tracking = true;
        m_dragging = true;
        // Measured from here on, so the slop the recognizer needed does not jump the content.
        pan.setTranslation({}, this);
        m_dragStartOffset = contentOffset();
        if (auto d = m_delegate.lock())
            d->scrollViewWillBeginDragging(*this);
        break;
    case GestureState::Changed: {
        // The pinch moves the content while it lasts.
        if (m_zooming)
            break;
        Point proposed{canScrollHorizontally() ? m_dragStartOffset.x - t.x : contentOffset().x,
                       canScrollVertically() ? m_dragStartOffset.y - t.y : contentOffset().y};
        Point lo = minContentOffset(), hi = maxContentOffset();
        if (m_bounces)
            proposed = {rubberAxis(proposed.x, lo.x, hi.x, bounds().width()),
                        rubberAxis(proposed.y, lo.y, hi.y, bounds().height())};
        else
            proposed = clamped(proposed);
        setContentOffset(proposed);
        break;
    }
    case GestureState::Ended: {
        Point v = m_zooming ? Point{} : pan.velocityInView(this);
        endDrag({canScrollHorizontally() ? -v.x : 0, canScrollVertically() ? -v.y : 0});
        break;
    }
    case GestureState::Cancelled:
        endDrag({});
        break;
    default:
        break;
    }
}

Point ScrollView::pageTarget(Point velocity) const
{
    Point offset = contentOffset();
    Size page = bounds().size;
    auto axis = [](double value, double v, double pageSize) {
        if (pageSize <= 0)
            return value;
        double index = std::floor(value / pageSize);
        double within = value - index * pageSize;
        // A flick turns the page; a slow release goes to the nearer one.
        if (v > kMinGlideSpeed * 4)
            index += 1;
        else if (v < -kMinGlideSpeed * 4)
            index += 0;
        else if (within > pageSize / 2)
            index += 1;
        return index * pageSize;
    };
    return clamped({axis(offset.x, velocity.x, page.width), axis(offset.y, velocity.y, page.height)});
}

void ScrollView::endDrag(Point velocity)
{
    m_tracking = false;
    m_dragging = false;
    Point offset = contentOffset();
    bool outside = clamped(offset) != offset;
    bool glide = std::hypot(velocity.x, velocity.y) > kMinGlideSpeed;
    bool decelerate = false;
    if (m_pagingEnabled) {
        m_target = pageTarget(velocity);
        m_velocity = {};
        m_springing = true;
        decelerate = m_target != offset;
    } else if (outside) {
        m_target = clamped(offset);
        m_velocity = velocity;
        m_springing = true;
        decelerate = true;
    } else if (glide) {
        m_velocity = velocity;
        m_springing = false;
        decelerate = true;
    }
    auto keep = self();
    if (auto d = m_delegate.lock())
        d->scrollViewDidEndDragging(*this, decelerate);
    if (!decelerate) {
        updateIndicators(false);
        return;
    }
    if (auto d = m_delegate.lock())
        d->scrollViewWillBeginDecelerating(*this);
    startMotion(Motion::Decelerating);
}

void ScrollView::startMotion(Motion motion)
{
    m_motion = motion;
    m_lastStepTime = AnimationClock::current().now();
    if (!m_link) {
        std::weak_ptr<View> weakSelf = self();
        m_link = DisplayLink::create([weakSelf](DisplayLink& link) {
            auto view = std::static_pointer_cast<ScrollView>(weakSelf.lock());
            if (!view)
                return;
            if (view->m_motion == Motion::Animating) {
                view->animateStep();
                return;
            }
            // Measured from the last step, so a pause between motions is no jump.
            double dt = std::clamp(link.timestamp() - view->m_lastStepTime, 0.0, 0.1);
            view->m_lastStepTime = link.timestamp();
            if (dt > 0)
                view->step(dt);
        });
    }
    m_link->start();
}

void ScrollView::updateIndicators(bool visible)
{
    constexpr double thickness = 3, margin = 2, shortest = 20;
    auto place = [&](ViewRef& bar, bool shows, bool vertical) {
        if (!bar) {
            if (!visible || !shows || !self())
                return;
            bar = View::create();
            bar->setBackgroundColor(Color::black().withAlpha(0.35));
            bar->setCornerRadius(thickness / 2);
            bar->setUserInteractionEnabled(false);
        }
        Rect b = bounds();
        double visibleLength = vertical ? b.height() : b.width();
        double content = vertical ? m_contentSize.height : m_contentSize.width;
        if (!visible || !shows || content <= visibleLength || visibleLength <= 0) {
            bar->setHidden(true);
            return;
        }
        double length = std::max(shortest, visibleLength * visibleLength / content);
        double offset = vertical ? b.y() : b.x();
        double travel = std::clamp(offset / (content - visibleLength), 0.0, 1.0) * (visibleLength - length);
        bar->setFrame(vertical ? Rect(b.maxX() - thickness - margin, b.y() + travel, thickness, length)
                               : Rect(b.x() + travel, b.maxY() - thickness - margin, length, thickness));
        bar->setHidden(false);
        if (bar->superview().get() != this || subviews().back() != bar)
            addSubview(bar);
    };
    place(m_verticalIndicator, m_showsVertical, true);
    place(m_horizontalIndicator, m_showsHorizontal, false);
}

void ScrollView::stopMotion()
{
    updateIndicators(false);
    m_motion = Motion::None;
    m_springing = false;
    m_velocity = {};
    if (m_link)
        m_link->setPaused(true);
}

void ScrollView::animateStep()
{
    double t = (AnimationClock::current().now() - m_animStart) / kAnimationDuration;
    auto keep = self();
    if (t >= 1) {
        stopMotion();
        setContentOffset(m_target);
        if (auto d = m_delegate.lock())
            d->scrollViewDidEndScrollingAnimation(*this);
        return;
    }
    double e = 1 - (1 - t) * (1 - t); // ease out
    setContentOffset({m_animFrom.x + (m_target.x - m_animFrom.x) * e, m_animFrom.y + (m_target.y - m_animFrom.y) * e});
}

void ScrollView::step(double dt)
{
    Point offset = contentOffset();
    Point lo = minContentOffset(), hi = maxContentOffset();
    bool moving = false;
    auto axis = [&](double& value, double& v, double& target, double low, double high) {
        if (!m_springing && (value < low || value > high)) {
            if (!m_bounces) {
                value = std::clamp(value, low, high);
                v = 0;
                return;
            }
            // Past an edge: the spring takes over and carries the glide back.
            m_springing = true;
        }
        if (m_springing) {
            target = std::clamp(m_pagingEnabled ? target : value, low, high);
            double x = value - target;
            v += (-kSpringOmega * kSpringOmega * x - 2 * kSpringOmega * v) * dt;
            value += v * dt;
            if (std::abs(value - target) < 0.5 && std::abs(v) < kStopSpeed) {
                value = target;
                v = 0;
            } else {
                moving = true;
            }
            return;
        }
        v *= std::pow(m_decelerationRate, dt * 1000);
        value += v * dt;
        if (std::abs(v) < kStopSpeed)
            v = 0;
        else
            moving = true;
    };
    // The spring of a paging release keeps its target; an edge spring aims at the edge.
    Point target = m_target;
    axis(offset.x, m_velocity.x, target.x, lo.x, hi.x);
    axis(offset.y, m_velocity.y, target.y, lo.y, hi.y);
    if (m_pagingEnabled)
        m_target = target;
    auto keep = self();
    setContentOffset(offset);
    if (moving)
        return;
    stopMotion();
    if (auto d = m_delegate.lock())
        d->scrollViewDidEndDecelerating(*this);
}

void ScrollView::scrollWheel(Point delta)
{
    // Each axis this view cannot move along goes on to an outer view, so a
    // sideways strip in a list leaves the list its vertical wheel.
    bool sideways = m_scrollEnabled && canScrollHorizontally();
    bool upright = m_scrollEnabled && canScrollVertically();
    Point mine{sideways ? delta.x : 0, upright ? delta.y : 0};
    Point rest = delta - mine;
    auto keep = self();
    if (mine.x != 0 || mine.y != 0) {
        stopMotion();
        Point offset = contentOffset();
        setContentOffset(clamped({offset.x + mine.x, offset.y + mine.y}));
    }
    if (rest.x != 0 || rest.y != 0)
        View::scrollWheel(rest);
}

void ScrollView::setMinimumZoomScale(double scale)
{
    if (std::isfinite(scale) && scale > 0)
        m_minZoom = scale;
}

void ScrollView::setMaximumZoomScale(double scale)
{
    if (std::isfinite(scale) && scale > 0)
        m_maxZoom = scale;
}

ViewRef ScrollView::zoomingView()
{
    auto d = m_delegate.lock();
    return d ? d->viewForZoomingInScrollView(*this) : nullptr;
}

void ScrollView::applyZoom(View& zoomed, double scale, bool animated)
{
    m_zoomScale = scale;
    Size size = zoomed.bounds().size;
    auto apply = [&] {
        zoomed.setTransform(AffineTransform::scaling(scale, scale));
        zoomed.setCenter({size.width * scale / 2, size.height * scale / 2});
    };
    if (animated)
        View::animate(kAnimationDuration, apply);
    else
        apply();
    setContentSize({size.width * scale, size.height * scale});
}

void ScrollView::setZoomScale(double scale, bool animated)
{
    auto keep = self();
    ViewRef zoomed = zoomingView();
    if (!zoomed || !std::isfinite(scale))
        return;
    applyZoom(*zoomed, std::clamp(scale, m_minZoom, std::max(m_minZoom, m_maxZoom)), animated);
    setContentOffset(clamped(contentOffset()));
    if (auto d = m_delegate.lock())
        d->scrollViewDidZoom(*this);
}

void ScrollView::handlePinch(GestureRecognizer& recognizer)
{
    auto& pinch = static_cast<PinchGestureRecognizer&>(recognizer);
    auto keep = self();
    ViewRef zoomed = zoomingView();
    GestureState state = pinch.state();
    bool over = state == GestureState::Ended || state == GestureState::Cancelled;
    if (over || !zoomed) {
        if (!m_zooming)
            return;
        m_zooming = false;
        // Back within the limits, and a finger still down drags on from here.
        if (double limit = std::clamp(m_zoomScale, m_minZoom, std::max(m_minZoom, m_maxZoom)); limit != m_zoomScale)
            setZoomScale(limit, true);
        if (m_dragging) {
            m_pan->setTranslation({}, this);
            m_dragStartOffset = contentOffset();
        }
        return;
    }
    Point at = pinch.locationInView(this);
    if (state == GestureState::Began) {
        stopMotion();
        m_zooming = true;
        m_pinchStartScale = m_zoomScale;
        m_pinchAnchor = {at.x / m_zoomScale, at.y / m_zoomScale};
    }
    if (!m_zooming)
        return;
    // Where the fingers are on this view, before the content moves under them.
    Point onView = at - contentOffset();
    double scale = rubberZoom(m_pinchStartScale * pinch.scale(), m_minZoom, std::max(m_minZoom, m_maxZoom));
    applyZoom(*zoomed, scale, false);
    setContentOffset(clamped({m_pinchAnchor.x * scale - onView.x, m_pinchAnchor.y * scale - onView.y}));
    if (auto d = m_delegate.lock())
        d->scrollViewDidZoom(*this);
}

}
