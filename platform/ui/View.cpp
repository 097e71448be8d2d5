#include "platform/ui/View.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewShadow.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cxxabi.h>
#include <typeinfo>

namespace pf {

namespace {

// Content larger than this on a side is not cached: no screen needs it and
// the drawing library refuses very large surfaces.
constexpr int kMaxContentPixels = 8192;

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// Points; the blur itself stops at a smaller reach on screens of scale 1.
constexpr double kMaxShadowRadius = 100;

std::string className(const View& view)
{
    const char* mangled = typeid(view).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    if (name.rfind("pf::", 0) == 0)
        name.erase(0, 4);
    return name;
}

}

ViewRef View::create(const Rect& frame) { return std::make_shared<View>(frame); }

View::View(const Rect& frame)
{
    Rect f = frame.standardized();
    m_center = f.center();
    m_bounds = {0, 0, f.width(), f.height()};
}

View::~View()
{
    if (!m_animations.empty())
        Animator::shared().viewDestroyed(m_animations);
    for (auto& child : m_subviews)
        child->m_superview.reset();
}

// Geometry ------------------------------------------------------------------

Rect View::frame() const
{
    Rect local{-m_bounds.width() / 2, -m_bounds.height() / 2, m_bounds.width(), m_bounds.height()};
    if (m_transform.isIdentity())
        return local.offsetBy(m_center.x, m_center.y);
    return m_transform.concatenated(AffineTransform::translation(m_center.x, m_center.y)).applyToRect(local);
}

void View::setFrame(const Rect& frame)
{
    Rect f = frame.standardized();
    if (!std::isfinite(f.x()) || !std::isfinite(f.y()) || !std::isfinite(f.width()) || !std::isfinite(f.height()))
        return;
    // Under a transform the frame is only approximate; like the platform we
    // keep the transform and take the frame's size as the bounds' size.
    setCenter(f.center());
    setBounds({m_bounds.origin, f.size});
}

void View::setBounds(const Rect& bounds)
{
    Rect b = bounds.standardized();
    if (b == m_bounds)
        return;
    beginChange(AnimatedProperty::Bounds);
    Rect old = m_bounds;
    m_bounds = b;
    Animator::shared().propertyChanged(*this, AnimatedProperty::Bounds, old);
    invalidateVisual();
    if (old.size != b.size) {
        m_needsDisplay = true;
        setNeedsLayout();
        subviewsDidResize(old.size);
    }
}

void View::setCenter(Point center)
{
    center = {finiteOr(center.x, m_center.x), finiteOr(center.y, m_center.y)};
    if (center == m_center)
        return;
    beginChange(AnimatedProperty::Center);
    Point old = m_center;
    m_center = center;
    Animator::shared().propertyChanged(*this, AnimatedProperty::Center, old);
    invalidateVisual();
}

void View::setTransform(const AffineTransform& transform)
{
    if (transform == m_transform)
        return;
    beginChange(AnimatedProperty::Transform);
    AffineTransform old = m_transform;
    m_transform = transform;
    Animator::shared().propertyChanged(*this, AnimatedProperty::Transform, old);
    invalidateVisual();
}

// Appearance ------------------------------------------------------------------

void View::setAlpha(double alpha)
{
    alpha = std::clamp(finiteOr(alpha, 1), 0.0, 1.0);
    if (alpha == m_alpha)
        return;
    double old = m_alpha;
    m_alpha = alpha;
    Animator::shared().propertyChanged(*this, AnimatedProperty::Alpha, old);
    invalidateVisual();
}

void View::setHidden(bool hidden)
{
    if (hidden == m_hidden)
        return;
    invalidateVisual();
    m_hidden = hidden;
    invalidateVisual();
}

void View::setBackgroundColor(std::optional<Color> color)
{
    if (m_backgroundPattern) {
        m_backgroundPattern = nullptr;
        invalidateVisual();
    }
    if (color == m_backgroundColor)
        return;
    Color old = m_backgroundColor.value_or(Color::clear());
    m_backgroundColor = color;
    Animator::shared().propertyChanged(*this, AnimatedProperty::BackgroundColor, old);
    invalidateVisual();
}

void View::setBackgroundPattern(ImageRef image)
{
    if (image == m_backgroundPattern)
        return;
    // The compositor draws the pattern in place of any colour still animating.
    m_backgroundColor.reset();
    m_backgroundPattern = std::move(image);
    invalidateVisual();
}

void View::shadowChanged(const std::function<void()>& change)
{
    invalidateVisual();
    change();
    invalidateVisual();
}

void View::setShadowColor(const Color& color)
{
    if (color != m_shadowColor)
        shadowChanged([&] { m_shadowColor = color; });
}

void View::setShadowOpacity(double opacity)
{
    opacity = std::clamp(finiteOr(opacity, 0), 0.0, 1.0);
    if (opacity != m_shadowOpacity)
        shadowChanged([&] { m_shadowOpacity = opacity; });
}

void View::setShadowOffset(Size offset)
{
    offset = {finiteOr(offset.width, 0), finiteOr(offset.height, 0)};
    if (offset != m_shadowOffset)
        shadowChanged([&] { m_shadowOffset = offset; });
}

void View::setShadowRadius(double radius)
{
    // A radius past the blur's reach would only cost memory.
    radius = std::clamp(finiteOr(radius, 0), 0.0, kMaxShadowRadius);
    if (radius != m_shadowRadius)
        shadowChanged([&] { m_shadowRadius = radius; });
}

Rect View::shadowRect() const
{
    if (m_shadowOpacity <= 0 || m_shadowColor.alpha <= 0 || m_bounds.isEmpty())
        return {};
    double pad = ViewShadow::outset(m_shadowRadius);
    return m_bounds.offsetBy(m_shadowOffset.width, m_shadowOffset.height).insetBy(-pad, -pad);
}

void View::setClipsToBounds(bool clips)
{
    if (clips == m_clipsToBounds)
        return;
    invalidateVisual();
    m_clipsToBounds = clips;
    invalidateVisual();
}

void View::setCornerRadius(double radius)
{
    m_cornerRadius = std::max(finiteOr(radius, 0), 0.0);
    invalidateVisual();
}

void View::setBorderWidth(double width)
{
    m_borderWidth = std::max(finiteOr(width, 0), 0.0);
    invalidateVisual();
}

void View::setBorderColor(const Color& color)
{
    m_borderColor = color;
    invalidateVisual();
}

void View::setMaskImage(BitmapRef mask)
{
    m_maskImage = std::move(mask);
    invalidateVisual();
}

ViewRef View::viewWithTag(int tag)
{
    if (m_tag == tag)
        return self();
    for (auto& child : m_subviews)
        if (auto found = child->viewWithTag(tag))
            return found;
    return nullptr;
}

// The tree --------------------------------------------------------------------

void View::addSubview(ViewRef view) { insertSubview(std::move(view), m_subviews.size()); }

void View::insertSubview(ViewRef view, std::size_t index)
{
    PF_ASSERT_MAIN_THREAD();
    if (!view || view.get() == this || isDescendantOf(*view))
        return;
    // Keep the view alive while it moves between parents.
    ViewRef keep = view;
    Window* oldWindow = rootWindow(view.get());
    view->windowWillChange(oldWindow, rootWindow(this));
    if (auto old = view->superview()) {
        // Where it was drawn is repainted; the window hears of the move once, below.
        view->invalidateVisual();
        old->m_subviews.erase(std::find(old->m_subviews.begin(), old->m_subviews.end(), view));
        old->setNeedsLayout();
    }
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + long(index), view);
    view->m_superview = std::static_pointer_cast<View>(weak_from_this().lock());
    view->invalidateVisual();
    setNeedsLayout();
    view->windowChanged(oldWindow);
}

void View::removeSubview(View& view)
{
    view.invalidateVisual();
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const ViewRef& v) { return v.get() == &view; });
    if (it == m_subviews.end())
        return;
    ViewRef keep = *it;
    Window* oldWindow = rootWindow(&view);
    view.windowWillChange(oldWindow, nullptr);
    m_subviews.erase(it);
    view.m_superview.reset();
    setNeedsLayout();
    view.windowChanged(oldWindow);
}

void View::removeFromSuperview()
{
    if (auto parent = superview())
        parent->removeSubview(*this);
}

void View::bringSubviewToFront(const ViewRef& view)
{
    if (!view || view->superview().get() != this)
        return;
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    std::rotate(it, it + 1, m_subviews.end());
    view->invalidateVisual();
}

void View::sendSubviewToBack(const ViewRef& view)
{
    if (!view || view->superview().get() != this)
        return;
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    std::rotate(m_subviews.begin(), it, it + 1);
    view->invalidateVisual();
}

bool View::isDescendantOf(const View& view) const
{
    if (this == &view)
        return true;
    for (auto p = superview(); p; p = p->superview())
        if (p.get() == &view)
            return true;
    return false;
}

WindowRef View::window() const
{
    const View* v = this;
    ViewRef holder;
    while (auto parent = v->superview()) {
        holder = parent;
        v = holder.get();
    }
    if (auto w = dynamic_cast<const Window*>(v))
        return std::static_pointer_cast<Window>(const_cast<Window*>(w)->weak_from_this().lock());
    return nullptr;
}

// Autoresizing and layout -------------------------------------------------------

void View::subviewsDidResize(Size oldSize)
{
    if (!m_autoresizesSubviews)
        return;
    // A copy: a subview's layout may change the list.
    auto children = m_subviews;
    for (auto& child : children)
        child->autoresize(oldSize, m_bounds.size);
}

void View::autoresize(Size oldSuper, Size newSuper)
{
    if (m_autoresizingMask == Autoresizing::None)
        return;
    Rect f = frame();
    // The change is shared among the flexible parts in proportion to their
    // sizes, or equally when they are all zero.
    auto resizeAxis = [](double delta, double oldTotal, bool flexLead, bool flexSize, bool flexTrail, double& lead,
                         double& size) {
        double trail = oldTotal - lead - size;
        double parts[3] = {flexLead ? lead : 0, flexSize ? size : 0, flexTrail ? trail : 0};
        int flexCount = int(flexLead) + int(flexSize) + int(flexTrail);
        if (flexCount == 0 || delta == 0)
            return;
        double sum = parts[0] + parts[1] + parts[2];
        auto share = [&](bool flex, double part) {
            if (!flex)
                return 0.0;
            return sum > 0 ? delta * part / sum : delta / flexCount;
        };
        lead += share(flexLead, parts[0]);
        size = std::max(0.0, size + share(flexSize, parts[1]));
    };
    double x = f.x(), w = f.width(), y = f.y(), h = f.height();
    auto m = m_autoresizingMask;
    resizeAxis(newSuper.width - oldSuper.width, oldSuper.width, m & Autoresizing::FlexibleLeftMargin,
               m & Autoresizing::FlexibleWidth, m & Autoresizing::FlexibleRightMargin, x, w);
    resizeAxis(newSuper.height - oldSuper.height, oldSuper.height, m & Autoresizing::FlexibleTopMargin,
               m & Autoresizing::FlexibleHeight, m & Autoresizing::FlexibleBottomMargin, y, h);
    setFrame({x, y, w, h});
}

void View::setNeedsLayout()
{
    m_needsLayout = true;
    invalidateVisual();
}

void View::layoutIfNeeded()
{
    // Layout starts from the top marked view so that superviews go first.
    View* top = this;
    ViewRef holder;
    while (auto parent = top->superview()) {
        if (!parent->m_needsLayout)
            break;
        holder = parent;
        top = holder.get();
    }
    top->layoutTree();
}

void View::layoutTree()
{
    if (m_needsLayout) {
        m_needsLayout = false;
        auto controller = m_viewController.lock();
        if (controller)
            controller->viewWillLayoutSubviews();
        layoutSubviews();
        if (controller)
            controller->viewDidLayoutSubviews();
    }
    auto children = m_subviews;
    for (auto& child : children)
        child->layoutTree();
}

Size View::sizeThatFits(Size) const { return m_bounds.size; }

void View::sizeToFit()
{
    Size s = sizeThatFits(m_bounds.size);
    Rect f = frame();
    setFrame({f.origin, s});
}

// Display ---------------------------------------------------------------------

void View::draw(GraphicsContext&, const Rect&) {}

void View::setNeedsDisplay()
{
    m_needsDisplay = true;
    invalidateVisual();
}

ErrorOr<BitmapRef> View::renderedContent(double scale)
{
    if (!drawsContent())
        return BitmapRef();
    if (backsVisibleAreaOnly())
        return renderedVisibleContent(scale);
    int w = int(std::ceil(m_bounds.width() * scale)), h = int(std::ceil(m_bounds.height() * scale));
    if (w <= 0 || h <= 0 || w > kMaxContentPixels || h > kMaxContentPixels) {
        m_content.reset();
        return BitmapRef();
    }
    if (!m_needsDisplay && m_content && m_content->pixelWidth() == w && m_content->pixelHeight() == h
        && m_content->scale() == scale)
        return m_content;
    auto bitmap = Bitmap::create(w, h, scale);
    if (!bitmap)
        return bitmap.error();
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return context.error();
    context.value()->translate(-m_bounds.x(), -m_bounds.y());
    draw(*context.value(), m_bounds);
    if (auto error = context.value()->status())
        return *error;
    m_needsDisplay = false;
    m_content = bitmap.value();
    m_contentRect = m_bounds;
    return m_content;
}

// Coordinates -----------------------------------------------------------------

AffineTransform View::transformToSuperview() const
{
    return AffineTransform::translation(-m_bounds.x() - m_bounds.width() / 2, -m_bounds.y() - m_bounds.height() / 2)
        .concatenated(m_transform)
        .concatenated(AffineTransform::translation(m_center.x, m_center.y));
}

namespace {

// From `view`'s bounds coordinates to its root's coordinates. The root is a
// window (or a detached view) and its own place is not included.
AffineTransform toRoot(const View* view)
{
    AffineTransform t;
    ViewRef holder;
    for (const View* v = view; v;) {
        auto parent = v->superview();
        if (!parent) {
            // The root's bounds origin still shifts what it shows.
            t = t.concatenated(AffineTransform::translation(-v->bounds().x(), -v->bounds().y()));
            break;
        }
        t = t.concatenated(v->transformToSuperview());
        holder = parent;
        v = holder.get();
    }
    return t;
}

}

Point View::convertPointToView(Point p, const View* view) const
{
    Point inRoot = toRoot(this).apply(p);
    return view ? toRoot(view).inverted().apply(inRoot) : inRoot;
}

Point View::convertPointFromView(Point p, const View* view) const
{
    Point inRoot = view ? toRoot(view).apply(p) : p;
    return toRoot(this).inverted().apply(inRoot);
}

Rect View::convertRectToView(const Rect& r, const View* view) const
{
    AffineTransform t = toRoot(this);
    if (view)
        t = t.concatenated(toRoot(view).inverted());
    return t.applyToRect(r);
}

Rect View::convertRectFromView(const Rect& r, const View* view) const
{
    AffineTransform t = view ? toRoot(view) : AffineTransform{};
    return t.concatenated(toRoot(this).inverted()).applyToRect(r);
}

// Hit testing and touches ---------------------------------------------------------

bool View::pointInside(Point p) const { return m_bounds.contains(p); }

ViewRef View::hitTest(Point p)
{
    if (m_hidden || !m_userInteractionEnabled || m_alpha < 0.01 || !pointInside(p))
        return nullptr;
    auto children = m_subviews;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const ViewRef& child = *it;
        AffineTransform t = child->transformToSuperview();
        if (!t.isInvertible())
            continue;
        if (auto hit = child->hitTest(t.inverted().apply(p)))
            return hit;
    }
    return self();
}

void View::touchesBegan(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesBegan(touches);
}

void View::touchesMoved(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesMoved(touches);
}

void View::touchesEnded(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesEnded(touches);
}

void View::touchesCancelled(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesCancelled(touches);
}

void View::scrollWheel(Point delta)
{
    if (auto parent = superview())
        parent->scrollWheel(delta);
}

void View::addGestureRecognizer(GestureRecognizerRef recognizer)
{
    if (!recognizer)
        return;
    if (auto old = recognizer->view())
        old->removeGestureRecognizer(recognizer);
    recognizer->m_view = self();
    m_gestureRecognizers.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizerRef& recognizer)
{
    auto it = std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer);
    if (it == m_gestureRecognizers.end())
        return;
    (*it)->m_view.reset();
    m_gestureRecognizers.erase(it);
}

// Invalidation ------------------------------------------------------------------

void View::extentInWindow(const AffineTransform& toWindow, Rect& out) const
{
    if (m_hidden)
        return;
    Rect own = toWindow.applyToRect(m_bounds);
    // Borders are inside the bounds, so the bounds and the shadow cover
    // everything the view itself draws.
    out = out.united(own);
    if (Rect shadow = shadowRect(); !shadow.isEmpty())
        out = out.united(toWindow.applyToRect(shadow));
    if (m_clipsToBounds) {
        return;
    }
    for (auto& child : m_subviews)
        child->extentInWindow(child->transformToSuperview().concatenated(toWindow), out);
}

Rect View::visualExtentInWindow() const
{
    Rect out;
    extentInWindow(toRoot(this), out);
    return out;
}

void View::invalidateVisual()
{
    auto w = window();
    if (!w || m_hidden)
        return;
    // Anything the view or its subtree covered, before or after the change;
    // callers invalidate once on each side of a change that moves it.
    Rect extent = visualExtentInWindow();
    // Clipping ancestors bound what can show; the window clips anyway.
    w->addDirtyRect(extent.integral().insetBy(-1, -1));
}

void View::beginChange(AnimatedProperty)
{
    // Where the view was drawn must be repainted too.
    invalidateVisual();
}

// Description ---------------------------------------------------------------------

void View::describe(std::string& out, int depth) const
{
    Rect f = frame();
    char line[160];
    std::snprintf(line, sizeof line, "%*s%s {%g, %g, %g, %g}", depth * 2, "", className(*this).c_str(), f.x(), f.y(),
                  f.width(), f.height());
    out += line;
    if (m_hidden)
        out += " hidden";
    if (m_alpha < 1) {
        std::snprintf(line, sizeof line, " alpha=%g", m_alpha);
        out += line;
    }
    out += '\n';
    for (auto& child : m_subviews)
        child->describe(out, depth + 1);
}

std::string View::treeDescription() const
{
    std::string out;
    describe(out, 0);
    return out;
}

}
