// Links: pf_web
// Loads arbitrary bytes as a page, lays it out 320 points wide, draws it into
// a small bitmap and hit-tests a few points: nothing may crash, and a page
// that loads has a finite, non-negative size.

#include "FontLeakSuppressions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/web/HtmlDocument.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view html(reinterpret_cast<const char*>(data), size);
    auto page = pf::HtmlDocument::create(html, pf::URL::create("file:///nonexistent/index.html"));
    if (!page)
        return 0;
    pf::Size content = page.value()->layout(320, 240);
    if (!std::isfinite(content.width) || !std::isfinite(content.height) || content.width < 0 || content.height < 0)
        std::abort();
    static auto bitmap = pf::Bitmap::create(64, 48, 0.2).value();
    auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
    page.value()->draw(*context, {0, 0, 320, 240});
    for (pf::Point p : {pf::Point{1, 1}, pf::Point{160, 20}, pf::Point{300, 200}})
        (void)page.value()->linkAtPoint(p);
    return 0;
}
