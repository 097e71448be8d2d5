#pragma once

// A text cell of the data grid. Unset colours and fonts (nullopt) fall back
// to the owning grid's data font and colour when drawn; `grid` is weak, the
// grid owns its cells through its columns and rows.

#include "framework/ui/IGridDraw.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Forward.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class Grid;

class IGridCell : public virtual IGridDraw {
public:
    virtual bool isClipsLastTitle() const = 0;
    virtual void setClipsLastTitle(bool clips) = 0;
    virtual const std::string& title() const = 0;
    virtual void setTitle(std::string title) = 0;
    virtual double width() const = 0;
    virtual void setWidth(double width) = 0;
    virtual const std::optional<pf::Color>& titleColor() const = 0;
    virtual void setTitleColor(std::optional<pf::Color> color) = 0;
    virtual const std::optional<pf::Font>& titleFont() const = 0;
    virtual void setTitleFont(std::optional<pf::Font> font) = 0;
    virtual const std::optional<pf::Color>& backgroundColor() const = 0;
    virtual void setBackgroundColor(std::optional<pf::Color> color) = 0;
    virtual const std::string& keyPath() const = 0;
    virtual void setKeyPath(std::string keyPath) = 0;
    virtual std::shared_ptr<Grid> grid() const = 0;
    virtual void setGrid(std::weak_ptr<Grid> grid) = 0;
    virtual pf::TextAlignment titleAlignment() const = 0;
    virtual void setTitleAlignment(pf::TextAlignment alignment) = 0;
    virtual double titleMinFontSize() const = 0;
    virtual void setTitleMinFontSize(double size) = 0;
    virtual std::uint32_t colSpan() const = 0;
    virtual void setColSpan(std::uint32_t span) = 0;
    virtual const pf::ViewRef& view() const = 0;
    virtual void setView(pf::ViewRef view) = 0;
    virtual pf::LineBreakMode lineBreakMode() const = 0;
    virtual void setLineBreakMode(pf::LineBreakMode mode) = 0;
    virtual const pf::EdgeInsets& padding() const = 0;
    virtual void setPadding(const pf::EdgeInsets& padding) = 0;
};
