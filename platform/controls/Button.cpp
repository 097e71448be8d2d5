#include "platform/controls/Button.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

#include <algorithm>

namespace pf {

namespace {
template <class T> void store(std::map<ControlState, T>& values, ControlState state, const std::optional<T>& value)
{
    if (value)
        values[state] = *value;
    else
        values.erase(state);
}

TextStyle titleStyle(const Font& font, const Color& color)
{
    TextStyle style;
    style.font = font;
    style.color = color;
    style.alignment = TextAlignment::Center;
    style.lineBreak = LineBreakMode::TruncateMiddle;
    style.numberOfLines = 1;
    return style;
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

Size Button::sizeThatFits(Size) const
{
    Size text;
    if (auto title = currentTitle())
        text = TextMeasurer::system().measure(*title, titleStyle(m_font, Color::black()), 0);
    Size image = currentImage() ? currentImage()->size() : Size{};
    Size background = currentBackgroundImage() ? currentBackgroundImage()->size() : Size{};
    Size content{text.width + image.width, std::max(text.height, image.height)};
    return {std::max(content.width, background.width), std::max(content.height, background.height)};
}

void Button::draw(GraphicsContext& context, const Rect&)
{
    Rect box = bounds();
    if (auto background = currentBackgroundImage(); background && background->bitmap())
        context.drawImage(*background->bitmap(), box);

    auto title = currentTitle();
    TextStyle style = titleStyle(m_font, currentTitleColor());
    Size text = title ? TextMeasurer::system().measure(*title, style, 0) : Size{};
    auto image = currentImage();
    Size imageSize = image ? image->size() : Size{};
    // Whatever does not fit is given up from the title's side.
    text.width = std::min(text.width, std::max(0.0, box.width() - imageSize.width));
    double total = imageSize.width + text.width;
    double x = box.x() + (box.width() - total) / 2;
    if (image && image->bitmap()) {
        context.drawImage(*image->bitmap(),
                          Rect(x, box.y() + (box.height() - imageSize.height) / 2, imageSize.width, imageSize.height));
        x += imageSize.width;
    }
    if (title && text.width > 0)
        drawText(context, *title, Rect(x, box.y() + (box.height() - text.height) / 2, text.width, text.height), style);
}

}
