#include "platform/controls/Button.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
template <class T> void store(std::map<ControlState, T>& values, ControlState state, const std::optional<T>& value)
{
    if (value)
        values[state] = *value;
    else
        values.erase(state);
}

TextStyle titleStyle(const Font& font, const Color& color, LineBreakMode lineBreak)
{
    TextStyle style;
    style.font = font;
    style.color = color;
    style.alignment = TextAlignment::Center;
    style.lineBreak = lineBreak;
    style.numberOfLines = 1;
    return style;
}

double finiteOrZero(double v) { return std::isfinite(v) ? std::clamp(v, -kMaxCoordinate, kMaxCoordinate) : 0; }

EdgeInsets sanitized(const EdgeInsets& i)
{
    return {finiteOrZero(i.top), finiteOrZero(i.left), finiteOrZero(i.bottom), finiteOrZero(i.right)};
}

// How far the insets move a part placed under `alignment`.
Point shift(const EdgeInsets& i, ContentHorizontalAlignment alignment)
{
    double dx = alignment == ContentHorizontalAlignment::Left    ? i.left
              : alignment == ContentHorizontalAlignment::Right ? -i.right
                                                               : (i.left - i.right) / 2;
    return {dx, (i.top - i.bottom) / 2};
}
}

Button::Button(const Rect& frame)
    : Control(frame)
{
}

template <class T> const T* Button::lookup(const std::map<ControlState, T>& values, ControlState state)
{
    auto it = values.find(state);
    if (it == values.end())
        it = values.find(ControlStates::Normal);
    return it == values.end() ? nullptr : &it->second;
}

void Button::setTitle(const std::optional<std::string>& title, ControlState state)
{
    store(m_titles, state, title);
    setNeedsDisplay();
}

std::optional<std::string> Button::titleForState(ControlState state) const
{
    auto* t = lookup(m_titles, state);
    return t ? std::optional<std::string>(*t) : std::nullopt;
}

void Button::setTitleColor(const std::optional<Color>& color, ControlState state)
{
    store(m_titleColors, state, color);
    setNeedsDisplay();
}

Color Button::titleColorForState(ControlState state) const
{
    auto* c = lookup(m_titleColors, state);
    return c ? *c : Color::whiteColor();
}

void Button::setImage(const ImageRef& image, ControlState state)
{
    store(m_images, state, image ? std::optional<ImageRef>(image) : std::nullopt);
    setNeedsDisplay();
}

ImageRef Button::imageForState(ControlState state) const
{
    auto* i = lookup(m_images, state);
    return i ? *i : nullptr;
}

void Button::setBackgroundImage(const ImageRef& image, ControlState state)
{
    store(m_backgrounds, state, image ? std::optional<ImageRef>(image) : std::nullopt);
    setNeedsDisplay();
}

ImageRef Button::backgroundImageForState(ControlState state) const
{
    auto* i = lookup(m_backgrounds, state);
    return i ? *i : nullptr;
}

void Button::setTitleFont(const Font& font)
{
    m_font = font;
    setNeedsDisplay();
}

void Button::setTitleLineBreakMode(LineBreakMode mode)
{
    m_titleLineBreak = mode;
    setNeedsDisplay();
}

void Button::setContentHorizontalAlignment(ContentHorizontalAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplay();
}

void Button::setTitleEdgeInsets(const EdgeInsets& insets)
{
    m_titleInsets = sanitized(insets);
    setNeedsDisplay();
}

void Button::setImageEdgeInsets(const EdgeInsets& insets)
{
    m_imageInsets = sanitized(insets);
    setNeedsDisplay();
}

Button::ContentLayout Button::layoutContent(const Rect& box, bool fitTitle) const
{
    auto title = currentTitle();
    Size text = title ? TextMeasurer::system().measure(*title, titleStyle(m_font, Color::black(), m_titleLineBreak), 0)
                      : Size{};
    Size image = currentImage() ? currentImage()->size() : Size{};
    // Whatever does not fit is given up from the title's side.
    if (fitTitle)
        text.width = std::min(text.width,
                              std::max(0.0, box.width() - image.width - m_titleInsets.left - m_titleInsets.right));
    double total = image.width + text.width;
    double x = m_alignment == ContentHorizontalAlignment::Left    ? box.x()
             : m_alignment == ContentHorizontalAlignment::Right ? box.maxX() - total
                                                                : box.x() + (box.width() - total) / 2;
    Point imageShift = shift(m_imageInsets, m_alignment), titleShift = shift(m_titleInsets, m_alignment);
    ContentLayout layout;
    layout.hasImage = currentImage() != nullptr;
    layout.hasTitle = title.has_value();
    layout.image = Rect(x + imageShift.x, box.y() + (box.height() - image.height) / 2 + imageShift.y, image.width,
                        image.height);
    layout.title = Rect(x + image.width + titleShift.x, box.y() + (box.height() - text.height) / 2 + titleShift.y,
                        text.width, text.height);
    return layout;
}

Rect Button::imageRect() const
{
    ContentLayout layout = layoutContent(bounds(), true);
    return layout.hasImage ? layout.image : Rect();
}

Rect Button::titleRect() const
{
    ContentLayout layout = layoutContent(bounds(), true);
    return layout.hasTitle ? layout.title : Rect();
}

Size Button::sizeThatFits(Size) const
{
    ContentLayout layout = layoutContent({}, false);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool any = false;
    for (auto [shown, r] : {std::pair{layout.hasImage, layout.image}, std::pair{layout.hasTitle, layout.title}}) {
        if (!shown)
            continue;
        x0 = any ? std::min(x0, r.minX()) : r.minX();
        x1 = any ? std::max(x1, r.maxX()) : r.maxX();
        y0 = any ? std::min(y0, r.minY()) : r.minY();
        y1 = any ? std::max(y1, r.maxY()) : r.maxY();
        any = true;
    }
    Size background = currentBackgroundImage() ? currentBackgroundImage()->size() : Size{};
    return {std::max(x1 - x0, background.width), std::max(y1 - y0, background.height)};
}

void Button::draw(GraphicsContext& context, const Rect&)
{
    Rect box = bounds();
    if (auto background = currentBackgroundImage(); background && background->bitmap())
        context.drawImage(*background->bitmap(), box);
    ContentLayout layout = layoutContent(box, true);
    if (auto image = currentImage(); image && image->bitmap())
        context.drawImage(*image->bitmap(), layout.image);
    if (auto title = currentTitle(); title && layout.title.width() > 0)
        drawText(context, *title, layout.title, titleStyle(m_font, currentTitleColor(), m_titleLineBreak));
    drawTouchGlow(context, box);
}

void Button::drawTouchGlow(GraphicsContext& context, const Rect& box) const
{
    if (!m_showsTouchWhenHighlighted || !isHighlighted())
        return;
    // Rings of faint white, smallest last, make a glow that fades outwards.
    Point centre { box.midX(), box.midY() };
    for (int ring = 4; ring >= 1; --ring) {
        double radius = kTouchGlowRadius * ring / 4;
        context.fillRoundedRect({ centre.x - radius, centre.y - radius, radius * 2, radius * 2 }, radius,
                                Color::white(1, 0.2));
    }
}

void Button::setShowsTouchWhenHighlighted(bool shows)
{
    if (m_showsTouchWhenHighlighted == shows)
        return;
    m_showsTouchWhenHighlighted = shows;
    setNeedsDisplay();
}

}
