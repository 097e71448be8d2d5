#include "platform/web/HtmlPainter.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/web/HtmlDocument.h"
#include "platform/web/HtmlFile.h"
#include "platform/web/HtmlListItem.h"
#include "platform/web/HtmlRootElement.h"
#include "platform/web/HtmlSanitizer.h"
#include "platform/web/PageBudget.h"

#include "platform/graphics/TextContext.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace pf {

namespace {

struct PageFont {
    PangoFontDescription* description = nullptr;
    unsigned decoration = 0;
    litehtml::font_metrics metrics;
};

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

LayoutPtr makeLayout(const char* text, const PageFont& font)
{
    LayoutPtr layout(pango_layout_new(textLayoutContext()));
    pango_layout_set_font_description(layout.get(), font.description);
    // Page text comes repaired from the parser, but generated content of a
    // linked style sheet does not; the layout refuses malformed UTF-8.
    if (g_utf8_validate(text, -1, nullptr)) {
        pango_layout_set_text(layout.get(), text, -1);
    } else {
        gchar* repaired = g_utf8_make_valid(text, -1);
        pango_layout_set_text(layout.get(), repaired, -1);
        g_free(repaired);
    }
    return layout;
}

// The first family of a CSS list, generic names mapped to the installed
// CJK families; anything unknown takes the default family.
std::string familyFor(const char* faceName)
{
    std::string first = faceName ? faceName : "";
    first = first.substr(0, first.find(','));
    first.erase(std::remove_if(first.begin(), first.end(), [](char c) { return c == '"' || c == '\''; }), first.end());
    litehtml::trim(first);
    litehtml::lcase(first);
    if (first == "monospace")
        first = "courier";
    else if (first == "serif")
        first = "times";
    return Font::named(first, 16).family();
}

FontWeight weightFor(int weight)
{
    if (weight <= 300)
        return FontWeight::Light;
    if (weight < 500)
        return FontWeight::Regular;
    if (weight < 600)
        return FontWeight::Medium;
    return FontWeight::Bold;
}

Color colorOf(const litehtml::web_color& c)
{
    return Color::rgb(c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

Rect rectOf(const litehtml::position& p)
{
    return {double(p.x), double(p.y), double(p.width), double(p.height)};
}

GraphicsContext& contextOf(litehtml::uint_ptr hdc)
{
    return *reinterpret_cast<GraphicsContext*>(hdc);
}

// Largest file read for a page's image; decoding limits the pixels besides.
constexpr size_t kMaxImageBytes = 16 * 1024 * 1024;

}

HtmlPainter::HtmlPainter(std::optional<URL> baseURL, std::shared_ptr<const HtmlResources> resources, PageBudget* budget)
    : m_documentURL(std::move(baseURL)), m_resources(std::move(resources)), m_budget(budget)
{
}

HtmlPainter::Source HtmlPainter::sourceOf(const URL& url) const
{
    auto network = [](const std::string& scheme) { return scheme == "http" || scheme == "https"; };
    bool networkPage = m_documentURL && network(m_documentURL->scheme());
    if (!networkPage)
        return url.scheme() == "file" ? Source::File : Source::None;
    // A page over the network never reaches local files, and one over https
    // takes nothing over plain http.
    if (url.scheme() == "https" || (url.scheme() == "http" && m_documentURL->scheme() == "http"))
        return Source::Network;
    return Source::None;
}

HtmlPainter::~HtmlPainter() = default;

std::optional<URL> HtmlPainter::resolve(const std::string& text, const char* baseurl) const
{
    std::optional<URL> base = baseurl && *baseurl ? URL::create(baseurl) : std::nullopt;
    if (!base)
        base = m_baseURL ? m_baseURL : m_documentURL;
    return URL::create(text, base ? &*base : nullptr);
}

litehtml::uint_ptr HtmlPainter::create_font(const char* faceName, int size, int weight, litehtml::font_style italic,
                                            unsigned int decoration, litehtml::font_metrics* fm)
{
    // Sizes from untrusted style sheets are kept to what a screen can show.
    double points = std::clamp(size, 1, 1000);
    Font font(familyFor(faceName), points, weightFor(weight), italic == litehtml::fontStyleItalic);
    auto* pageFont = new PageFont;
    pageFont->description = font.newPangoDescription();
    pageFont->decoration = decoration;

    PangoFontMetrics* metrics = pango_context_get_metrics(textLayoutContext(), pageFont->description, nullptr);
    auto& m = pageFont->metrics;
    m.ascent = int(std::ceil(double(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE));
    m.descent = int(std::ceil(double(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE));
    m.height = m.ascent + m.descent;
    m.x_height = std::max(1, int(std::lround(points * 0.5)));
    m.draw_spaces = decoration != litehtml::font_decoration_none;
    pango_font_metrics_unref(metrics);
    if (fm)
        *fm = m;
    return reinterpret_cast<litehtml::uint_ptr>(pageFont);
}

void HtmlPainter::delete_font(litehtml::uint_ptr handle)
{
    auto* font = reinterpret_cast<PageFont*>(handle);
    if (!font)
        return;
    pango_font_description_free(font->description);
    delete font;
}

int HtmlPainter::text_width(const char* text, litehtml::uint_ptr handle)
{
    auto* font = reinterpret_cast<PageFont*>(handle);
    if (!font || !text)
        return 0;
    auto layout = makeLayout(text, *font);
    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return int(std::ceil(double(logical.width) / PANGO_SCALE));
}

void HtmlPainter::draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr handle,
                            litehtml::web_color color, const litehtml::position& pos)
{
    auto* font = reinterpret_cast<PageFont*>(handle);
    if (!font || !text)
        return;
    auto& context = contextOf(hdc);
    context.save();
    applyClips(context);
    auto layout = makeLayout(text, *font);
    double baseline = double(pango_layout_get_baseline(layout.get())) / PANGO_SCALE;
    // Borders in the billions put text near the largest int; sums are made in double.
    double top = double(pos.y);
    double lineTop = top + font->metrics.ascent - baseline;
    cairo_t* cr = context.cairo();
    Color c = colorOf(color);
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha * context.alpha());
    cairo_move_to(cr, pos.x, lineTop);
    pango_cairo_show_layout(cr, layout.get());

    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    double width = double(logical.width) / PANGO_SCALE;
    double thickness = std::max(1.0, font->metrics.height / 16.0);
    double baseY = top + font->metrics.ascent;
    if (font->decoration & litehtml::font_decoration_underline)
        context.fillRect({double(pos.x), baseY + thickness, width, thickness}, c);
    if (font->decoration & litehtml::font_decoration_linethrough)
        context.fillRect({double(pos.x), baseY - font->metrics.x_height / 1.5, width, thickness}, c);
    if (font->decoration & litehtml::font_decoration_overline)
        context.fillRect({double(pos.x), top, width, thickness}, c);
    context.restore();
}

int HtmlPainter::pt_to_px(int pt) const
{
    return int(std::lround(pt * 96.0 / 72.0));
}

const char* HtmlPainter::get_default_font_name() const
{
    return Font::defaultFamily();
}

void HtmlPainter::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker)
{
    auto& context = contextOf(hdc);
    context.save();
    applyClips(context);
    Rect box = rectOf(marker.pos);
    Color color = colorOf(marker.color);
    if (!marker.image.empty()) {
        if (const Bitmap* bitmap = image(marker.image.c_str(), marker.baseurl))
            context.drawImage(*bitmap, box);
    } else if (marker.marker_type == litehtml::list_style_type_square) {
        context.fillRect(box, color);
    } else if (marker.marker_type == litehtml::list_style_type_circle) {
        context.strokeRoundedRect(box.insetBy(0.5, 0.5), box.width() / 2, color, 1);
    } else if (marker.marker_type != litehtml::list_style_type_none) {
        context.fillRoundedRect(box, box.width() / 2, color);
    }
    context.restore();
}

const Bitmap* HtmlPainter::image(const char* src, const char* baseurl) const
{
    auto url = resolve(src ? src : "", baseurl);
    if (!url)
        return nullptr;
    auto it = m_images.find(url->absoluteString());
    return it == m_images.end() ? nullptr : it->second.get();
}

void HtmlPainter::load_image(const char* src, const char* baseurl, bool)
{
    auto url = resolve(src ? src : "", baseurl);
    if (!url || m_images.count(url->absoluteString()))
        return;
    std::string key = url->absoluteString();
    Source source = sourceOf(*url);
    if (source == Source::Network) {
        auto found = m_resources ? m_resources->images.find(key) : HtmlResources::Images::const_iterator();
        if (m_resources && found != m_resources->images.end())
            m_images[key] = found->second;
        else if (m_missingImages.size() < kMaxPageImages)
            m_missingImages.insert(key);
        return;
    }
    BitmapRef& slot = m_images[key];
    if (source == Source::None)
        return; // stays blank
    auto bytes = readHtmlFile(*url, kMaxImageBytes);
    if (!bytes)
        return;
    auto decoded = decodeImage(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    if (decoded)
        slot = decoded.value();
}

void HtmlPainter::get_image_size(const char* src, const char* baseurl, litehtml::size& size)
{
    size.width = size.height = 0;
    if (const Bitmap* bitmap = image(src, baseurl)) {
        size.width = bitmap->pixelWidth();
        size.height = bitmap->pixelHeight();
    }
}

void HtmlPainter::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg)
{
    auto& context = contextOf(hdc);
    context.save();
    applyClips(context);
    Rect clip = rectOf(bg.clip_box);
    double radius = bg.border_radius.top_left_x;
    context.clipToRoundedRect(clip, radius);
    if (bg.color.alpha)
        context.fillRect(clip, colorOf(bg.color));
    const Bitmap* bitmap = bg.image.empty() ? nullptr : image(bg.image.c_str(), bg.baseurl.c_str());
    if (bitmap && bg.image_size.width > 0 && bg.image_size.height > 0) {
        Rect tile(bg.position_x, bg.position_y, bg.image_size.width, bg.image_size.height);
        Rect area = clip;
        switch (bg.repeat) {
        case litehtml::background_repeat_no_repeat: area = tile; break;
        case litehtml::background_repeat_repeat_x: area = Rect(clip.x(), tile.y(), clip.width(), tile.height()); break;
        case litehtml::background_repeat_repeat_y: area = Rect(tile.x(), clip.y(), tile.width(), clip.height()); break;
        case litehtml::background_repeat_repeat: break;
        }
        // One repeating pattern, so a tiny tile over a long page costs one fill.
        cairo_t* cr = context.cairo();
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(bitmap->surface());
        cairo_pattern_set_extend(pattern, bg.repeat == litehtml::background_repeat_no_repeat ? CAIRO_EXTEND_NONE
                                                                                             : CAIRO_EXTEND_REPEAT);
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, bitmap->pixelWidth() / tile.width(), bitmap->pixelHeight() / tile.height());
        cairo_matrix_translate(&matrix, -tile.x(), -tile.y());
        cairo_pattern_set_matrix(pattern, &matrix);
        Rect fill = sanitizedRect(area.intersection(clip));
        cairo_rectangle(cr, fill.x(), fill.y(), fill.width(), fill.height());
        cairo_set_source(cr, pattern);
        cairo_paint_with_alpha(cr, context.alpha());
        cairo_new_path(cr);
        cairo_pattern_destroy(pattern);
    }
    context.restore();
}

void HtmlPainter::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                               const litehtml::position& pos, bool)
{
    auto& context = contextOf(hdc);
    context.save();
    applyClips(context);
    Rect box = rectOf(pos);
    auto visible = [](const litehtml::border& b) {
        return b.width > 0 && b.style != litehtml::border_style_none && b.style != litehtml::border_style_hidden;
    };
    if (visible(borders.top))
        context.fillRect({box.x(), box.y(), box.width(), double(borders.top.width)}, colorOf(borders.top.color));
    if (visible(borders.bottom))
        context.fillRect({box.x(), box.maxY() - borders.bottom.width, box.width(), double(borders.bottom.width)},
                         colorOf(borders.bottom.color));
    if (visible(borders.left))
        context.fillRect({box.x(), box.y(), double(borders.left.width), box.height()}, colorOf(borders.left.color));
    if (visible(borders.right))
        context.fillRect({box.maxX() - borders.right.width, box.y(), double(borders.right.width), box.height()},
                         colorOf(borders.right.color));
    context.restore();
}

void HtmlPainter::set_caption(const char* caption)
{
    m_title = caption ? caption : "";
}

void HtmlPainter::set_base_url(const char* url)
{
    if (url && *url)
        m_baseURL = resolve(url);
}

void HtmlPainter::transform_text(std::string& text, litehtml::text_transform tt)
{
    gchar* changed = nullptr;
    if (tt == litehtml::text_transform_uppercase)
        changed = g_utf8_strup(text.c_str(), -1);
    else if (tt == litehtml::text_transform_lowercase)
        changed = g_utf8_strdown(text.c_str(), -1);
    if (changed) {
        text = changed;
        g_free(changed);
    }
}

void HtmlPainter::import_css(std::string& text, const std::string& url, std::string& baseurl)
{
    text.clear();
    auto resolved = resolve(url, baseurl.c_str());
    if (!resolved)
        return;
    std::string key = resolved->absoluteString();
    std::optional<std::string> bytes;
    switch (sourceOf(*resolved)) {
    case Source::File: bytes = readHtmlFile(*resolved, kMaxHtmlBytes); break;
    case Source::Network:
        if (auto found = m_resources ? m_resources->styleSheets.find(key) : HtmlResources::StyleSheets::const_iterator();
            m_resources && found != m_resources->styleSheets.end())
            bytes = found->second;
        else if (m_missingStyleSheets.size() < kMaxPageStyleSheets)
            m_missingStyleSheets.insert(key);
        break;
    case Source::None: break;
    }
    if (!bytes || (m_budget && !m_budget->addStyleSheet(*bytes)))
        return;
    text = kStyleSheetStart + std::move(*bytes);
    baseurl = key;
}

void HtmlPainter::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool validX, bool validY)
{
    Rect clip = rectOf(pos);
    // An axis the page does not clip spans everything.
    if (!validX)
        clip = Rect(-kMaxCoordinate, clip.y(), 2 * kMaxCoordinate, clip.height());
    if (!validY)
        clip = Rect(clip.x(), -kMaxCoordinate, clip.width(), 2 * kMaxCoordinate);
    m_clips.push_back(clip);
}

void HtmlPainter::del_clip()
{
    if (!m_clips.empty())
        m_clips.pop_back();
}

void HtmlPainter::applyClips(GraphicsContext& context) const
{
    for (const auto& clip : m_clips)
        context.clipToRect(clip);
}

std::shared_ptr<litehtml::element> HtmlPainter::create_element(const char* tag, const litehtml::string_map&,
                                                               const std::shared_ptr<litehtml::document>& document)
{
    // The page is written back with one <html>, its root.
    if (tag && litehtml::t_strcasecmp(tag, "html") == 0)
        return std::make_shared<HtmlRootElement>(document, m_budget);
    if (tag && std::strcmp(tag, "li") == 0)
        return std::make_shared<HtmlListItem>(document);
    return nullptr;
}

void HtmlPainter::get_media_features(litehtml::media_features& media) const
{
    media.type = litehtml::media_type_screen;
    media.width = media.device_width = m_viewport.width;
    media.height = media.device_height = m_viewport.height;
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void HtmlPainter::get_language(std::string& language, std::string& culture) const
{
    language = "zh";
    culture = "zh-CN";
}

}
