#pragma once

// The renderer's side of a page: fonts and text through pango, boxes and
// images through cairo, images and linked style sheets from local files or
// from what the page's loader fetched.
// Internal to pf_web; HtmlDocument is the public face.
//
// One thread at a time; text uses that thread's own pango context.

#include "platform/foundation/URL.h"
#include "platform/graphics/Geometry.h"

#include <litehtml.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pf {

class PageBudget;
struct HtmlResources;

namespace html {
// The default style sheet (resources/web/master.css, compiled in).
const char* masterStyleSheet();
}

class HtmlPainter final : public litehtml::document_container {
public:
    // A page whose URL is http or https reads its pictures and style sheets
    // from `resources` only (null for none) and notes what it missed; any
    // other page reads local files. Linked style sheets count against
    // `budget` (null for no limit); one over it is left out.
    HtmlPainter(std::optional<URL> baseURL, std::shared_ptr<const HtmlResources> resources = nullptr, PageBudget* budget = nullptr);
    ~HtmlPainter();

    void setViewport(int width, int height) { m_viewport = {0, 0, width, height}; }
    const std::string& title() const { return m_title; }
    const std::set<std::string>& missingImages() const { return m_missingImages; }
    const std::set<std::string>& missingStyleSheets() const { return m_missingStyleSheets; }
    void setImage(const std::string& url, BitmapRef image) { m_images[url] = std::move(image); }
    const std::map<std::string, BitmapRef>& images() const { return m_images; }
    // `text` resolved against the page's base (a <base> element, else the
    // document's URL); nothing when it is not a URL.
    std::optional<URL> resolve(const std::string& text, const char* baseurl = nullptr) const;

    litehtml::uint_ptr create_font(const char* faceName, int size, int weight, litehtml::font_style italic,
                                   unsigned int decoration, litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const char* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr font, litehtml::web_color color,
                   const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override { return 16; }
    const char* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const char* src, const char* baseurl, bool redraw) override;
    void get_image_size(const char* src, const char* baseurl, litehtml::size& size) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& pos,
                      bool root) override;
    void set_caption(const char* caption) override;
    void set_base_url(const char* url) override;
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const char*, const litehtml::element::ptr&) override {}
    void set_cursor(const char*) override {}
    void transform_text(std::string& text, litehtml::text_transform tt) override;
    void import_css(std::string& text, const std::string& url, std::string& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius, bool validX,
                  bool validY) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override { client = m_viewport; }
    // The root checks the styled page against the budget before the
    // renderer makes its tables' grids (HtmlRootElement.h); list items are
    // numbered a list at a time (HtmlListItem.h); every other element is
    // the renderer's own.
    std::shared_ptr<litehtml::element> create_element(const char* tag, const litehtml::string_map&,
                                                      const std::shared_ptr<litehtml::document>& document) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(std::string& language, std::string& culture) const override;

    HtmlPainter(const HtmlPainter&) = delete;
    HtmlPainter& operator=(const HtmlPainter&) = delete;

private:
    const Bitmap* image(const char* src, const char* baseurl) const;
    // Applies the clips that the page has set to the context's cairo.
    void applyClips(GraphicsContext& context) const;

    // Whether `url` is read over the network (else from a local file), or
    // not at all.
    enum class Source { File, Network, None };
    Source sourceOf(const URL& url) const;

    std::optional<URL> m_documentURL;
    std::shared_ptr<const HtmlResources> m_resources;
    PageBudget* m_budget = nullptr;
    std::set<std::string> m_missingImages;
    std::set<std::string> m_missingStyleSheets;
    std::optional<URL> m_baseURL;
    std::string m_title;
    litehtml::position m_viewport;
    std::vector<Rect> m_clips;
    // Decoded images by resolved URL; null for one that could not be read.
    std::map<std::string, BitmapRef> m_images;
};

}
