#include "framework/dom/KRDOMBitmapCache.h"

#include "framework/dom/KRImage.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"

#include <cairo.h>

#include <cassert>
#include <filesystem>
#include <unordered_map>

namespace {

// Enough for the pictures of a few screens; beyond it the cache starts over
// rather than growing without bound.
constexpr std::size_t kMaxKept = 64;

std::unordered_map<std::string, pf::BitmapRef>& kept()
{
    static std::unordered_map<std::string, pf::BitmapRef> bitmaps;
    return bitmaps;
}

// "dir/name.png" -> "dir/name@2x.png" when that file exists.
std::string doubleScalePath(const std::string& path)
{
    std::filesystem::path p(path);
    if (p.stem().string().ends_with("@2x"))
        return {};
    std::filesystem::path candidate = p.parent_path() / (p.stem().string() + "@2x" + p.extension().string());
    std::error_code ec;
    return std::filesystem::is_regular_file(candidate, ec) ? candidate.string() : std::string();
}

pf::BitmapRef decodePng(const std::string& path, double scale)
{
    cairo_surface_t* decoded = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(decoded) != CAIRO_STATUS_SUCCESS) {
        pf::log("Could not read the image %s: %s", path.c_str(), cairo_status_to_string(cairo_surface_status(decoded)));
        cairo_surface_destroy(decoded);
        return nullptr;
    }
    // Opaque files decode without alpha; bitmaps are always ARGB32.
    int w = cairo_image_surface_get_width(decoded), h = cairo_image_surface_get_height(decoded);
    auto bitmap = pf::Bitmap::create(w, h, scale);
    if (!bitmap) {
        pf::log("Could not read the image %s: %s", path.c_str(), bitmap.error().description.c_str());
        cairo_surface_destroy(decoded);
        return nullptr;
    }
    cairo_t* cr = cairo_create(bitmap.value()->surface());
    cairo_set_source_surface(cr, decoded, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(decoded);
    if (status != CAIRO_STATUS_SUCCESS) {
        pf::log("Could not read the image %s: %s", path.c_str(), cairo_status_to_string(status));
        return nullptr;
    }
    cairo_surface_mark_dirty(bitmap.value()->surface());
    return bitmap.value();
}

}

pf::BitmapRef KRDOMBitmapCache::bitmapForImage(const KRImage& image) { return bitmapForPath(image.path); }

pf::BitmapRef KRDOMBitmapCache::bitmapForPath(const std::string& path)
{
    PF_ASSERT_MAIN_THREAD();
    auto& bitmaps = kept();
    if (auto it = bitmaps.find(path); it != bitmaps.end())
        return it->second;
    std::string doubled = doubleScalePath(path);
    bool named2x = std::filesystem::path(path).stem().string().ends_with("@2x");
    pf::BitmapRef bitmap = doubled.empty() ? decodePng(path, named2x ? 2 : 1) : decodePng(doubled, 2);
    // A file that failed is kept as null, so it is not read (and logged)
    // again at every redraw.
    if (bitmaps.size() >= kMaxKept)
        bitmaps.clear();
    bitmaps.emplace(path, bitmap);
    return bitmap;
}

void KRDOMBitmapCache::removeAll() { kept().clear(); }
