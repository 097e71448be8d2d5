#pragma once

// A web page as the web view shows it: laid out at a width, drawn a part at a
// time, and asked for the link under a point. The renderer lives above the
// controls; it installs a loader with WebView::setPageLoader().
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pf {

class GraphicsContext;

class WebPage {
public:
    virtual ~WebPage() = default;
    // Lays the page out `width` points wide and answers its content size.
    virtual Size layout(double width, double viewportHeight) = 0;
    // Draws the part `area` (page coordinates) with the page's origin at the context's origin.
    virtual void draw(GraphicsContext& context, const Rect& area) = 0;
    // The resolved target of the link under `point`, if any.
    virtual std::optional<std::string> linkAtPoint(Point point) const = 0;
};

// Makes a page from its text (`html` set; `url` is the base) or from the
// document at `url` (`html` empty), or answers why it cannot.
using WebPageLoader =
    std::function<ErrorOr<std::unique_ptr<WebPage>>(const std::optional<std::string>& html, const std::string& url)>;

}
