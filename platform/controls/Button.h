#pragma once

// A control showing a title, an image and a background image chosen by its
// state. Each is set per state (normal 0, highlighted 1, disabled 2,
// selected 4, or their combinations); a state without its own value shows
// the normal state's.
//
// The image sits left of the title and the pair is placed by the horizontal
// alignment, centred vertically. Then the edge insets move each part on its
// own: by the left inset under left alignment, back by the right inset under
// right alignment, by half their difference when centred, and vertically by
// half the difference of top and bottom. So title insets (0, -w, 0, w) and
// image insets (0, t, 0, -t) swap an image w wide and a title t wide. The
// title gets the width the image and its own horizontal insets leave.
//
// Main thread only.

#include "platform/controls/Control.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Text.h"

#include <map>
#include <optional>
#include <string>

namespace pf {

enum class ContentHorizontalAlignment { Center, Left, Right };

class Button : public Control {
public:
    explicit Button(const Rect& frame = {});

    // Subclasses that place their parts by the title or image (a button
    // with its image on the right) override these two to follow a change.
    virtual void setTitle(const std::optional<std::string>& title, ControlState state);
    std::optional<std::string> titleForState(ControlState state) const;
    void setTitleColor(const std::optional<Color>& color, ControlState state);
    Color titleColorForState(ControlState state) const;
    virtual void setImage(const ImageRef& image, ControlState state);
    ImageRef imageForState(ControlState state) const;
    void setBackgroundImage(const ImageRef& image, ControlState state);
    ImageRef backgroundImageForState(ControlState state) const;

    // What the current state shows.
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    Color currentTitleColor() const { return titleColorForState(state()); }
    ImageRef currentImage() const { return imageForState(state()); }
    ImageRef currentBackgroundImage() const { return backgroundImageForState(state()); }

    const Font& titleFont() const { return m_font; }
    void setTitleFont(const Font& font);
    // The title font of a new button.
    static Font defaultTitleFont() { return Font::system(15); }
    // How a title too wide for its room is cut; truncated in the middle by default.
    LineBreakMode titleLineBreakMode() const { return m_titleLineBreak; }
    void setTitleLineBreakMode(LineBreakMode mode);

    ContentHorizontalAlignment contentHorizontalAlignment() const { return m_alignment; }
    void setContentHorizontalAlignment(ContentHorizontalAlignment alignment);
    // Insets that are not finite count as 0.
    const EdgeInsets& titleEdgeInsets() const { return m_titleInsets; }
    void setTitleEdgeInsets(const EdgeInsets& insets);
    const EdgeInsets& imageEdgeInsets() const { return m_imageInsets; }
    void setImageEdgeInsets(const EdgeInsets& insets);
    // Where the current image and title are drawn, in bounds coordinates;
    // empty for a part the button does not show.
    Rect imageRect() const;
    Rect titleRect() const;

    // Keyed access as interface files and styles use it: "title" is the
    // normal title; "titleColor", "image" and "backgroundImage" take a suffix
    // "Highlighted", "Disabled" or "Selected" for those states.
    std::optional<std::string> title() const { return titleForState(ControlStates::Normal); }
    void setTitleText(const std::optional<std::string>& title) { setTitle(title, ControlStates::Normal); }

    // A soft white glow over the centre while highlighted: touch feedback
    // for a button whose pictures do not change when pressed. Off by default.
    bool showsTouchWhenHighlighted() const { return m_showsTouchWhenHighlighted; }
    void setShowsTouchWhenHighlighted(bool shows);
    static constexpr double kTouchGlowRadius = 20;

    // Fits the image and the title where their insets put them, and the background image.
    Size sizeThatFits(Size size) const override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    std::string textContent() const override { return currentTitle().value_or(""); }

private:
    void drawTouchGlow(GraphicsContext& context, const Rect& box) const;
    template <class T> static const T* lookup(const std::map<ControlState, T>& values, ControlState state);
    struct ContentLayout {
        Rect image;
        Rect title;
        bool hasImage = false;
        bool hasTitle = false;
    };
    // The parts placed in `box`; a title wider than its room is narrowed
    // only when `fitTitle`.
    ContentLayout layoutContent(const Rect& box, bool fitTitle) const;

    std::map<ControlState, std::string> m_titles;
    std::map<ControlState, Color> m_titleColors;
    std::map<ControlState, ImageRef> m_images;
    std::map<ControlState, ImageRef> m_backgrounds;
    Font m_font = defaultTitleFont();
    LineBreakMode m_titleLineBreak = LineBreakMode::TruncateMiddle;
    ContentHorizontalAlignment m_alignment = ContentHorizontalAlignment::Center;
    EdgeInsets m_titleInsets;
    EdgeInsets m_imageInsets;
    bool m_showsTouchWhenHighlighted = false;
};

}
