#pragma once

// The SDK's small toast: a rounded dark box (280 × 45) with a picture (shown
// at half its pixel size, the pictures being double resolution) and a
// text side by side, centred. present…() fades it in to its destination
// opacity, waits, fades it out and runs the completion.
//
// Main queue only.

#include "platform/graphics/Color.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>

namespace pf {
class ImageView;
class Label;
}

class UINotifyView : public pf::View {
public:
    static pf::Rect defaultFrame() { return pf::Rect(0, 0, 280, 45); }
    static std::shared_ptr<UINotifyView> notifyViewWithImage(const pf::ImageRef& image, const std::string& text);
    UINotifyView();

    const std::string& text() const { return m_text; }
    void setText(const std::string& text);
    const pf::ImageRef& image() const { return m_image; }
    void setImage(const pf::ImageRef& image);
    bool isAnimating() const { return m_isAnimating; }
    double currentOpacity() const { return m_currentOpacity; }
    void setCurrentOpacity(double opacity);
    double destinationOpacity() const { return m_destinationOpacity; }
    // The box's corner radius (10) and the colour of its one-point border
    // (clear).
    double roundness() const { return m_roundness; }
    void setRoundness(double roundness);
    const pf::Color& borderColor() const { return m_borderColor; }
    void setBorderColor(const pf::Color& color);
    // Kept for the caller; the border is drawn in borderColor either way.
    bool bordered() const { return m_bordered; }
    void setBordered(bool bordered) { m_bordered = bordered; }

    // Adds itself to `view` when not there yet.
    void presentWithDuration(double displaySeconds, double fadeSeconds, const pf::ViewRef& view,
                             std::function<void()> completion);
    void fadeAfter(double displaySeconds, double fadeSeconds, std::function<void()> completion);
    void layoutSubviews() override;

private:
    std::shared_ptr<pf::View> m_backgroundView;
    std::shared_ptr<pf::ImageView> m_imageView;
    std::shared_ptr<pf::Label> m_textLabel;
    std::string m_text;
    pf::ImageRef m_image;
    bool m_isAnimating = false;
    double m_destinationOpacity = 0.75;
    double m_currentOpacity = 0;
    double m_roundness = 10;
    pf::Color m_borderColor = pf::Color::clear();
    bool m_bordered = false;
    unsigned m_generation = 0; // a newer presentation cancels an older fade
};
