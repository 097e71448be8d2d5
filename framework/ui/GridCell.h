#pragma once

// A text cell of the data grid: a title drawn in a padded box, centred
// vertically, on one line shrinking down to `titleMinFontSize` (or wrapped
// when that is 0 or less). Without its own font and colour it uses the grid's
// data font and colour, else the system font of size 12 in black.
//
// Main queue only. `grid` is weak: the grid owns its columns and rows.

#include "framework/ui/GridDraw.h"
#include "framework/ui/IGridCell.h"

class GridCell : public GridDraw, public virtual IGridCell {
public:
    // Where the title goes in a box: the text drawn (the last "-" piece when a
    // clipping title had to shrink), the style with the font size used, and
    // the measured size of the text.
    struct TitleLayout {
        std::string text;
        pf::TextStyle style;
        pf::Size size;
    };
    // `availableWidth` is the box width less the side paddings. The last
    // layout is kept while the width and the font stay the same, so sizing
    // a row and drawing it measure (and shrink) the title once.
    const TitleLayout& layoutTitle(double availableWidth) const;
    // The font drawing starts from, after the fallbacks.
    pf::Font effectiveFont() const;

    void drawToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;

    bool isClipsLastTitle() const override { return m_clipsLastTitle; }
    void setClipsLastTitle(bool clips) override { m_clipsLastTitle = clips; m_layoutCache.reset(); }
    const std::string& title() const override { return m_title; }
    void setTitle(std::string title) override { m_title = std::move(title); m_layoutCache.reset(); }
    double width() const override { return m_width; }
    void setWidth(double width) override { m_width = width; }
    const std::optional<pf::Color>& titleColor() const override { return m_titleColor; }
    void setTitleColor(std::optional<pf::Color> color) override { m_titleColor = color; }
    const std::optional<pf::Font>& titleFont() const override { return m_titleFont; }
    void setTitleFont(std::optional<pf::Font> font) override { m_titleFont = std::move(font); }
    const std::optional<pf::Color>& backgroundColor() const override { return m_backgroundColor; }
    void setBackgroundColor(std::optional<pf::Color> color) override { m_backgroundColor = color; }
    const std::string& keyPath() const override { return m_keyPath; }
    void setKeyPath(std::string keyPath) override { m_keyPath = std::move(keyPath); }
    std::shared_ptr<Grid> grid() const override { return m_grid.lock(); }
    void setGrid(std::weak_ptr<Grid> grid) override { m_grid = std::move(grid); }
    pf::TextAlignment titleAlignment() const override { return m_titleAlignment; }
    void setTitleAlignment(pf::TextAlignment alignment) override { m_titleAlignment = alignment; m_layoutCache.reset(); }
    double titleMinFontSize() const override { return m_titleMinFontSize; }
    void setTitleMinFontSize(double size) override { m_titleMinFontSize = size; m_layoutCache.reset(); }
    std::uint32_t colSpan() const override { return m_colSpan; }
    void setColSpan(std::uint32_t span) override { m_colSpan = span; }
    const pf::ViewRef& view() const override { return m_view; }
    void setView(pf::ViewRef view) override { m_view = std::move(view); }
    pf::LineBreakMode lineBreakMode() const override { return m_lineBreakMode; }
    void setLineBreakMode(pf::LineBreakMode mode) override { m_lineBreakMode = mode; m_layoutCache.reset(); }
    const pf::EdgeInsets& padding() const override { return m_padding; }
    void setPadding(const pf::EdgeInsets& padding) override { m_padding = padding; }

private:
    bool m_clipsLastTitle = false;
    std::string m_title;
    double m_width = 0;
    std::optional<pf::Color> m_titleColor;
    std::optional<pf::Font> m_titleFont;
    std::optional<pf::Color> m_backgroundColor;
    std::string m_keyPath;
    std::weak_ptr<Grid> m_grid;
    pf::TextAlignment m_titleAlignment = pf::TextAlignment::Center;
    double m_titleMinFontSize = 7;
    std::uint32_t m_colSpan = 1;
    pf::ViewRef m_view;
    pf::LineBreakMode m_lineBreakMode = pf::LineBreakMode::TruncateTail;
    pf::EdgeInsets m_padding;
    // No member initializers here: some compilers then refuse to emplace it.
    struct LayoutCache {
        double width;
        pf::Font font;
        TitleLayout layout;
    };
    mutable std::optional<LayoutCache> m_layoutCache;
};
