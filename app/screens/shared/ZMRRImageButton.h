#pragma once

// A button that shows its image to the right of its title. It keeps no state
// of its own: whenever its normal title or image changes, and once its
// interface file has loaded, it recomputes the title and image edge insets
// from the image's width and the title's measured width (one line, cut at
// the tail, within the bounds):
//
//   no image, or one 0 wide:  both insets zero
//   centred:                  title (0, -iw, 0, iw), image (0, 0, 0, -2 (tw + iw))
//   any other alignment:      title (0, -iw, 0, iw), image (0, tw, 0, 0)
//
// Main queue only.

#include "framework/ui/KRActionControls.h"

namespace pf {
class TextMeasurer;
}

class ZMRRImageButton : public KRButton {
public:
    explicit ZMRRImageButton(const pf::Rect& frame = {});

    void awakeFromNib() override;
    void setTitle(const std::optional<std::string>& title, pf::ControlState state) override;
    void setImage(const pf::ImageRef& image, pf::ControlState state) override;
    using KRButton::setImage;

    // The "image" key of interface files, for the normal state: a text names
    // a bundle picture, nil or null clears the image, a picture is taken as
    // it is; any other value changes nothing.
    pf::Value imageValue() const;
    void setImageValue(const pf::Value& value);

    void resetEdgeInsets();

    // Measures the title; the system's fonts unless a test sets fixed metrics.
    // Not owned: it must outlive the button.
    void setTextMeasurer(const pf::TextMeasurer* measurer) { m_measurer = measurer; }

private:
    const pf::TextMeasurer* m_measurer;
};
