#pragma once

// A web page as the web view shows it: laid out at a width, drawn a part at a
// time, and asked for the link under a point. The renderer lives above the
// controls; it installs a loader with WebView::setPageLoader().
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/net/HttpRequest.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
    // The resolved target of the first link showing `text`.
    virtual std::optional<std::string> linkWithText(std::string_view text) const = 0;
    virtual std::string title() const = 0;
    // Sets (or, without a value, removes) an attribute of the page's <body>,
    // so that its style sheets apply as they would to the marked page; the
    // next layout shows it. False when the renderer cannot.
    virtual bool setBodyAttribute(const std::string& /*name*/, const std::optional<std::string>& /*value*/)
    {
        return false;
    }
};

// A load under way; cancel() ends it and nothing more is reported.
class WebPageLoad {
public:
    virtual ~WebPageLoad() = default;
    virtual void cancel() = 0;
};

struct WebPageLoadClient {
    // Before a redirect to `url` is followed; false ends the load and
    // nothing more is reported.
    std::function<bool(const std::string& url)> shouldFollowRedirect;
    // Once, unless cancelled or refused: the page and the URL it came from
    // (after redirects), or why it could not be had.
    std::function<void(ErrorOr<std::unique_ptr<WebPage>> page, const std::string& url)> finished;
};

// Starts loading a page from its text (`html` set; the request's URL is the
// base) or from the request's URL. Every client call comes on a later turn
// of the main run loop, never inside the call that started the load.
using WebPageLoader = std::function<std::shared_ptr<WebPageLoad>(const std::optional<std::string>& html,
                                                                 const HttpRequest& request, WebPageLoadClient client)>;

}
