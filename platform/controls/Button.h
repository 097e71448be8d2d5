#pragma once

// A control showing a title, an image and a background image chosen by its
// state. Each is set per state (normal 0, highlighted 1, disabled 2,
// selected 4, or their combinations); a state without its own value shows
// the normal state's. The image sits left of the title, the pair centred.
//
// Main thread only.

#include "platform/controls/Control.h"
#include "platform/graphics/Font.h"

#include <map>
#include <optional>
#include <string>

namespace pf {

class Button : public Control {
public:
    explicit Button(const Rect& frame = {});

    void setTitle(const std::optional<std::string>& title, ControlState state);
    std::optional<std::string> titleForState(ControlState state) const;
    void setTitleColor(const std::optional<Color>& color, ControlState state);
    Color titleColorForState(ControlState state) const;
    void setImage(const ImageRef& image, ControlState state);
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

    // Keyed access as interface files and styles use it: "title" is the
    // normal title; "titleColor", "image" and "backgroundImage" take a suffix
    // "Highlighted", "Disabled" or "Selected" for those states.
    std::optional<std::string> title() const { return titleForState(ControlStates::Normal); }
    void setTitleText(const std::optional<std::string>& title) { setTitle(title, ControlStates::Normal); }

    Size sizeThatFits(Size size) const override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    std::string textContent() const override { return currentTitle().value_or(""); }

private:
    template <class T> static const T* lookup(const std::map<ControlState, T>& values, ControlState state);

    std::map<ControlState, std::string> m_titles;
    std::map<ControlState, Color> m_titleColors;
    std::map<ControlState, ImageRef> m_images;
    std::map<ControlState, ImageRef> m_backgrounds;
    Font m_font = defaultTitleFont();
};

}
