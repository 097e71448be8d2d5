#pragma once

// The retained view tree. A view has a place in its superview (center,
// bounds and transform, from which the frame follows), an appearance the
// compositor draws (background colour or pattern, corner radius, border,
// shadow, alpha, mask), an optional drawn content kept until
// setNeedsDisplay(), and receives touches.
//
// Main thread only. Views are shared objects made with create() (or
// std::make_shared for subclasses); a superview owns its subviews and each
// subview's link back is weak and cleared on removal.
//
// Setting center, bounds, frame, alpha, transform or background colour
// inside View::animate() animates the change: the value reads as set at
// once, while the compositor draws the presentation value moving towards it.

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Forward.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

// Which margins and sizes follow a change of the superview's bounds size.
using AutoresizingMask = unsigned;
namespace Autoresizing {
constexpr AutoresizingMask None = 0;
constexpr AutoresizingMask FlexibleLeftMargin = 1 << 0;
constexpr AutoresizingMask FlexibleWidth = 1 << 1;
constexpr AutoresizingMask FlexibleRightMargin = 1 << 2;
constexpr AutoresizingMask FlexibleTopMargin = 1 << 3;
constexpr AutoresizingMask FlexibleHeight = 1 << 4;
constexpr AutoresizingMask FlexibleBottomMargin = 1 << 5;
}

class ViewShadow;

class View : public Object {
public:
    static ViewRef create(const Rect& frame = {});
    explicit View(const Rect& frame = {});
    ~View() override;

    // Geometry. The frame is the bounds' box after the transform, around the
    // center. A new frame goes through setBounds() for its size, so a view
    // that must follow its size overrides setBounds() alone.
    Rect frame() const;
    virtual void setFrame(const Rect& frame);
    const Rect& bounds() const { return m_bounds; }
    virtual void setBounds(const Rect& bounds);
    Point center() const { return m_center; }
    void setCenter(Point center);
    const AffineTransform& transform() const { return m_transform; }
    void setTransform(const AffineTransform& transform);

    // Appearance.
    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);
    bool isHidden() const { return m_hidden; }
    virtual void setHidden(bool hidden);
    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color> color);
    bool clipsToBounds() const { return m_clipsToBounds; }
    void setClipsToBounds(bool clips);
    // Rounds the background, the border and, when clipping, the content and subviews.
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    const Color& borderColor() const { return m_borderColor; }
    void setBorderColor(const Color& color);
    // The view and its subviews show only where this image, stretched over
    // the bounds, is opaque. Null for no mask.
    const BitmapRef& maskImage() const { return m_maskImage; }
    void setMaskImage(BitmapRef mask);
    // A picture drawn over the background and under the drawn content: the
    // part `contentsRect` (unit coordinates of the picture) placed by the
    // gravity; a stretchable picture stretches between its caps.
    const ImageRef& contents() const { return m_contents; }
    void setContents(ImageRef image);
    const Rect& contentsRect() const { return m_contentsRect; }
    void setContentsRect(const Rect& rect);
    ImageGravity contentsGravity() const { return m_contentsGravity; }
    void setContentsGravity(ImageGravity gravity);
    // A shadow under the view, cast by its rounded bounds, blurred by the
    // radius, moved by the offset and shown at the opacity times the
    // colour's alpha; none while the opacity is 0.
    const Color& shadowColor() const { return m_shadowColor; }
    void setShadowColor(const Color& color);
    double shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(double opacity);
    Size shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(Size offset);
    double shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(double radius);
    // A picture repeated over the background from its top-left corner, each
    // copy the picture's size in points. It takes the background colour's
    // place: setting one clears the other.
    const ImageRef& backgroundPattern() const { return m_backgroundPattern; }
    void setBackgroundPattern(ImageRef image);
    // The view and its subtree show at this colour's alpha (only the alpha
    // counts); none shows them as they are. Animatable; from or to none it
    // animates as from or to an opaque colour.
    const std::optional<Color>& layerMaskColor() const { return m_layerMaskColor; }
    void setLayerMaskColor(std::optional<Color> color);
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // This view or the first descendant, depth first, with the tag.
    ViewRef viewWithTag(int tag);

    // The tree.
    ViewRef superview() const { return m_superview.lock(); }
    const std::vector<ViewRef>& subviews() const { return m_subviews; }
    // Moves `view` from its old superview, if any, to the top of this one.
    void addSubview(ViewRef view);
    void insertSubview(ViewRef view, std::size_t index);
    void removeFromSuperview();
    void bringSubviewToFront(const ViewRef& view);
    void sendSubviewToBack(const ViewRef& view);
    bool isDescendantOf(const View& view) const;
    // The window at the root of the tree, or null.
    WindowRef window() const;
    // Sent to a view and each of its subviews, parents first, before the
    // window at the root of its tree changes to `window` (null: it leaves one).
    virtual void willMoveToWindow(Window* /*window*/) {}
    // Sent to a view and each of its subviews, parents first, after the
    // window at the root of its tree changed (to null when it left one).
    virtual void didMoveToWindow() {}

    // Keyboard focus. A view that can become first responder takes the key
    // events of its window while it is; the window keeps one at a time (not
    // retained), and a view leaving the window resigns. becomeFirstResponder
    // answers false outside a window or when the view cannot take focus.
    virtual bool canBecomeFirstResponder() const { return false; }
    bool becomeFirstResponder();
    // True when the view no longer is first responder (or never was).
    bool resignFirstResponder();
    bool isFirstResponder() const;
    // Key events: committed text (valid UTF-8), one delete, and IME text
    // being composed (empty when composition ends). Ignored by default.
    virtual void insertText(const std::string& utf8);
    virtual void deleteBackward();
    virtual void setMarkedText(const std::string& utf8);
    // A text control: the host turns on text input (and its IME) while one
    // is the key window's first responder.
    virtual bool wantsTextInput() const { return false; }

    // Autoresizing runs for each subview as soon as this view's bounds size changes.
    AutoresizingMask autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(AutoresizingMask mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }

    // Layout runs before the next render, or at once with layoutIfNeeded(),
    // on every view marked since the last pass, superviews first.
    void setNeedsLayout();
    bool needsLayout() const { return m_needsLayout; }
    void layoutIfNeeded();
    virtual void layoutSubviews() {}
    virtual Size sizeThatFits(Size size) const;
    void sizeToFit();

    // Drawn content: a view that draws says so with drawsContent() and
    // draws in draw(), in bounds coordinates. The drawing is kept and
    // redrawn only after setNeedsDisplay().
    virtual bool drawsContent() const { return false; }
    virtual void draw(GraphicsContext& context, const Rect& rect);
    void setNeedsDisplay();
    bool needsDisplay() const { return m_needsDisplay; }
    // A view whose content may outgrow what one bitmap holds (8192 pixels a
    // side) answers true: its content is then backed only over the part
    // visible through its window and clipping ancestors, plus a margin, and
    // drawn again when that part moves past the backed area. draw() still
    // lays out from the whole bounds; `rect` and the context's clip are the
    // backed area, so it may skip what lies outside them.
    virtual bool backsVisibleAreaOnly() const { return false; }
    // A view whose content is tall and seldom all on show (a list row, a
    // document) answers true: its content is then kept in bands across the
    // whole width, each drawn when it first shows through the window and
    // clipping ancestors and let go once it is well out of view;
    // setNeedsDisplay() drops them all. Content new since the last frame is
    // drawn straight into the frame over what shows (a page that has just
    // arrived is often never drawn twice); the bands are made the next time
    // it is drawn. draw() gets each band, or the part that shows, as `rect`,
    // with the context clipped to it. A view wider than one bitmap holds is
    // backed as for backsVisibleAreaOnly instead.
    virtual bool backsInBands() const { return false; }
    // The part of the bounds that its window and clipping ancestors let show;
    // empty when nothing does.
    Rect visibleRect() const;

    // The text the view shows, if any; hosts find views by it.
    virtual std::string textContent() const { return {}; }

    // Coordinates; a null view stands for the window.
    Point convertPointToView(Point p, const View* view) const;
    Point convertPointFromView(Point p, const View* view) const;
    Rect convertRectToView(const Rect& r, const View* view) const;
    Rect convertRectFromView(const Rect& r, const View* view) const;
    // From this view's bounds coordinates to its superview's.
    AffineTransform transformToSuperview() const;

    // The deepest visible, interactive view under `p` (in bounds
    // coordinates), this one included; null when there is none.
    virtual ViewRef hitTest(Point p);
    virtual bool pointInside(Point p) const;

    // Touch phases. By default a view passes them on to its superview.
    virtual void touchesBegan(const TouchSet& touches);
    virtual void touchesMoved(const TouchSet& touches);
    virtual void touchesEnded(const TouchSet& touches);
    virtual void touchesCancelled(const TouchSet& touches);
    // The phone's back reached this view, a top view of a window in front:
    // true when it closed itself (a sheet, an alert) or keeps the back from
    // going on to the screens under it. False by default.
    virtual bool performBack() { return false; }
    // A wheel (or two-finger) scroll over the view by `delta` points, a
    // positive y moving the content up. By default passed to the superview.
    virtual void scrollWheel(Point delta);

    // The view owns its recognizers; they see its touches before it does.
    // A touch beginning in this view (or below it) is offered to the
    // recognizers of enclosing views only where this answers true; a control
    // answers false for one-tap recognizers, so a tap on it reaches it.
    virtual bool admitsEnclosingRecognizer(const GestureRecognizer& /*recognizer*/) const { return true; }
    void addGestureRecognizer(GestureRecognizerRef recognizer);
    void removeGestureRecognizer(const GestureRecognizerRef& recognizer);
    const std::vector<GestureRecognizerRef>& gestureRecognizers() const { return m_gestureRecognizers; }

    // Animation: changes made by `changes` animate over the duration; the
    // completion is posted to the main loop when all of them have finished,
    // with false when one was replaced or the view went away first.
    static void animate(double duration, const std::function<void()>& changes,
                        std::function<void(bool finished)> completion = {});
    static void animate(const AnimationOptions& options, const std::function<void()>& changes,
                        std::function<void(bool finished)> completion = {});
    // What the compositor draws now, between the start and the model value.
    Point presentationCenter() const;
    Rect presentationBounds() const;
    double presentationAlpha() const;
    AffineTransform presentationTransform() const;
    std::optional<Color> presentationBackgroundColor() const;
    std::optional<Color> presentationLayerMaskColor() const;
    bool hasAnimations() const { return !m_animations.empty() || !m_keyedAnimations.empty(); }
    // Ends every running animation of this view, keyed ones included, at
    // its model value; their completions report unfinished.
    void removeAllAnimations();

    // Keyed animations play on top of the view's values without changing
    // them (see KeyframeAnimation); the latest added one of a property is
    // drawn. Adding under a key in use replaces that animation; an empty key
    // is never found again. Answers false, adding nothing, for an animation
    // that is not valid. A finished animation is removed by itself.
    bool addAnimation(const std::string& key, const KeyframeAnimation& animation);
    std::optional<KeyframeAnimation> animationForKey(std::string_view key) const;
    void removeAnimation(std::string_view key);

    // One line per view, indented by depth: "View {x, y, w, h}" plus flags.
    std::string treeDescription() const;

    // The region the view and its subtree cover, in window coordinates.
    Rect visualExtentInWindow() const;

protected:
    // Null for a view that is not owned by a shared pointer.
    std::shared_ptr<View> self() { return std::static_pointer_cast<View>(weak_from_this().lock()); }
    // After the view became or stopped being its window's first responder.
    virtual void didBecomeFirstResponder() {}
    virtual void didResignFirstResponder() {}

private:
    friend class Animator;
    friend class Compositor;
    friend class Window;
    friend class ViewController;
    // The drawn content at `scale`, redrawn when marked or resized; null for
    // views that draw nothing, or drew nothing.
    ErrorOr<BitmapRef> renderedContent(double scale);
    ErrorOr<BitmapRef> renderedVisibleContent(double scale);
    // A new w x h pixel bitmap at `scale` with `rect` of the view drawn into
    // it, clipped to `rect` when asked.
    ErrorOr<BitmapRef> drawnBitmap(int w, int h, double scale, const Rect& rect, bool clip);
    // Keeps `content` (null: none) as what `rect` of the bounds shows until
    // the view is marked again.
    void keepContent(BitmapRef content, const Rect& rect);
    // Where the kept content goes within the drawn bounds `drawnBounds`.
    Rect contentPlacement(const Rect& drawnBounds) const;
    // Draws the kept content's pixels with ink where contentPlacement puts them.
    void drawKeptInk(GraphicsContext& context, const Bitmap& content, const Rect& drawnBounds) const;
    // One kept band: the index-th from the top of the bounds.
    struct ContentBand {
        long index = 0;
        Rect rect; // in bounds coordinates
        BitmapRef bitmap;
    };
    // The bands on show at `scale` (those missing drawn now), or null when
    // the view is not backed in bands.
    ErrorOr<const std::vector<ContentBand>*> renderedBands(double scale);
    // Whether the content, marked since it was last drawn, is to be drawn
    // straight into the frame this time (a view backed in bands, drawn at
    // its own bounds); the kept content is then let go.
    bool takeDrawThrough(const Rect& drawnBounds);
    // Where a kept part of the bounds goes within the drawn bounds.
    Rect keptPlacement(const Rect& drawnBounds, const Rect& kept) const;
    void invalidateVisual();
    void subviewsDidResize(Size oldSize);
    void autoresize(Size oldSuperSize, Size newSuperSize);
    void layoutTree();
    void removeSubview(View& view);
    void describe(std::string& out, int depth) const;
    void extentInWindow(const AffineTransform& toWindow, Rect& out) const;
    // Where the shadow is drawn, in bounds coordinates; empty without one.
    Rect shadowRect() const;
    // Invalidates around a shadow change that moves or shows it.
    void shadowChanged(const std::function<void()>& change);
    void beginChange(AnimatedProperty property);
    void windowWillChange(Window* oldWindow, Window* newWindow);
    void windowChanged(Window* oldWindow);
    static Window* rootWindow(const View* view);

    Point m_center;
    Rect m_bounds;
    AffineTransform m_transform;
    double m_alpha = 1;
    bool m_hidden = false;
    std::optional<Color> m_backgroundColor;
    bool m_clipsToBounds = false;
    double m_cornerRadius = 0;
    double m_borderWidth = 0;
    Color m_borderColor = Color::black();
    BitmapRef m_maskImage;
    ImageRef m_contents;
    Rect m_contentsRect{0, 0, 1, 1};
    ImageGravity m_contentsGravity = ImageGravity::Resize;
    std::optional<Color> m_layerMaskColor;
    Color m_shadowColor = Color::black();
    double m_shadowOpacity = 0;
    Size m_shadowOffset{0, -3};
    double m_shadowRadius = 3;
    std::unique_ptr<ViewShadow> m_shadow; // the blurred picture, made when first drawn
    ImageRef m_backgroundPattern;
    bool m_userInteractionEnabled = true;
    int m_tag = 0;

    std::weak_ptr<View> m_superview;
    std::vector<ViewRef> m_subviews;
    AutoresizingMask m_autoresizingMask = Autoresizing::None;
    bool m_autoresizesSubviews = true;
    bool m_needsLayout = true;
    bool m_needsDisplay = true;
    BitmapRef m_content;
    Rect m_contentRect; // the part of the bounds m_content holds
    Rect m_contentInk; // the pixels of m_content that are not transparent
    // The scale content kept whole was last drawn at, 0 when none is kept
    // (content that drew nothing keeps no bitmap); a new size marks the view
    // for display.
    double m_drawnScale = 0;
    std::vector<ContentBand> m_bands; // by index, for views backed in bands
    std::vector<GestureRecognizerRef> m_gestureRecognizers;
    std::vector<PropertyAnimation> m_animations;
    std::vector<KeyedAnimation> m_keyedAnimations; // in the order added
    std::weak_ptr<ViewController> m_viewController; // whose view this is; told around layout
};

}
