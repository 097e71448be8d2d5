#pragma once

// A row of segments with titles; touching one selects it and sends
// ValueChanged. A momentary control does not keep the selection.
//
// Main thread only.

#include "platform/controls/Control.h"
#include "platform/graphics/Font.h"

#include <string>
#include <vector>

namespace pf {

class SegmentedControl : public Control {
public:
    static constexpr int NoSegment = -1;

    explicit SegmentedControl(const Rect& frame = {});
    explicit SegmentedControl(std::vector<std::string> titles);

    int numberOfSegments() const { return static_cast<int>(m_titles.size()); }
    const std::vector<std::string>& titles() const { return m_titles; }
    void setTitles(std::vector<std::string> titles);
    // The titles as an array of texts, as interface files give them.
    ArrayRef titleList() const;
    void setTitleList(const ArrayRef& titles);
    void setTitle(const std::string& title, int segment);
    std::string titleForSegmentAtIndex(int segment) const;
    void insertSegmentWithTitle(const std::string& title, int segment);
    void removeSegmentAtIndex(int segment);

    int selectedSegmentIndex() const { return m_selected; }
    // NoSegment or a segment there is; anything else is ignored.
    void setSelectedSegmentIndex(int segment);
    bool isMomentary() const { return m_momentary; }
    void setMomentary(bool momentary) { m_momentary = momentary; }
    const Color& tintColor() const { return m_tint; }
    void setTintColor(const Color& color);
    // The segment under x in bounds coordinates, or NoSegment.
    int segmentAtX(double x) const;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void touchesEnded(const TouchSet& touches) override;
    std::string textContent() const override;

private:
    std::vector<std::string> m_titles;
    int m_selected = NoSegment;
    bool m_momentary = false;
    Color m_tint = Color::fromRgbHex(0x007aff);
    Font m_font = Font::system(13);
};

}
