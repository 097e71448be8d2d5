// Links: kr_dom
// Splits the input at its first NUL into a template and a value, fills the
// template from {"v": value} (the value also raw, through "{$v}"), parses
// it into a document, lays it out, renders it into a small bitmap and
// hit-tests its rich texts: nothing may crash and every frame stays finite.

#include "FontLeakSuppressions.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRichElement.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRRich.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkFinite(const KRDOMElement& e)
{
    pf::Rect f = e.frame();
    for (double v : {f.x(), f.y(), f.width(), f.height(), e.contentSize().width, e.contentSize().height})
        check(std::isfinite(v));
    for (const KRDOMElementRef& child : e.childs())
        checkFinite(*child);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t cut = input.find('\0');
    std::string templateText = input.substr(0, cut) + "{$v}";
    std::string value = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    auto source = pf::Dictionary::create();
    source->set("v", pf::Value(value));
    std::string filled = htmlStringByDOMSource(templateText, pf::Value(source));

    auto document = KRDOMDocument::create();
    if (!KRDOMParse().parseHTML(filled, *document) || !document->rootElement())
        return 0;
    KRDOMElementRef root = document->rootElement();
    root->layout({200, 2000});
    checkFinite(*root);

    static pf::BitmapRef bitmap = pf::Bitmap::create(48, 48, 1).value();
    bitmap->fill(pf::Color::whiteColor());
    auto context = pf::GraphicsContext::create(*bitmap);
    check(bool(context));
    root->render({0, 0, 48, 48}, *context.value());

    for (const auto& rich : document->elementsByClass<KRDOMRichElement>(KRDOMClassMatch::Exact)) {
        pf::Size frame = rich->frame().size;
        for (pf::Point p : {pf::Point{1, 1}, pf::Point{frame.width / 2, frame.height / 2}, pf::Point{frame.width, frame.height}}) {
            if (rich->touchesBegan(p))
                rich->touchesEnded(p);
        }
        for (const auto& element : rich->rich().elements()) {
            for (const pf::Rect& r : rich->rich().elementRects(element.get(), frame))
                check(std::isfinite(r.x()) && std::isfinite(r.width()));
        }
    }
    return 0;
}
