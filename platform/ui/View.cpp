// A view's geometry (center, bounds, transform and the frame they give),
// autoresizing and layout, coordinate conversion, invalidation and the tree
// description. The other concerns of pf::View live beside it: appearance
// (ViewAppearance.cpp), the tree (ViewHierarchy.cpp), drawn content
// (ViewBacking.cpp), touches (ViewTouches.cpp), focus (ViewResponder.cpp)
// and animation (ViewAnimation.cpp).

#include "platform/ui/View.h"

#include "platform/ui/ViewController.h"
#include "platform/ui/ViewShadow.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cxxabi.h>
#include <typeinfo>

namespace pf {

namespace {

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

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
