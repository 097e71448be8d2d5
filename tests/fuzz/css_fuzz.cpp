// Links: kr_dom
// Feeds arbitrary bytes to the style-sheet parser: every style is released
// exactly once, only closed rules are added, and the parsed sheet's values
// read safely through every value parser.

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "framework/dom/dom_css.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Ledger {
    std::unordered_set<void*> live;
    std::unordered_set<void*> added;
    KRDOMStyleSheet sheet;
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    dom_css_callbacks t{};
    t.new_style = [](dom_css_callbacks*, const char* selector, void* user) -> void* {
        check(selector != nullptr);
        auto* style = new KRDOMStyleRef(std::make_shared<KRDOMStyle>(selector));
        static_cast<Ledger*>(user)->live.insert(style);
        return style;
    };
    t.set_value = [](dom_css_callbacks*, void* style, const char* key, const char* value, void* user) {
        check(static_cast<Ledger*>(user)->live.count(style) && key && value);
        (*static_cast<KRDOMStyleRef*>(style))->setStringValue(value, key);
    };
    t.add_style = [](dom_css_callbacks*, void* sheet, void* style, void* user) {
        auto* ledger = static_cast<Ledger*>(user);
        check(sheet == &ledger->sheet && ledger->live.count(style) && ledger->added.insert(style).second);
        ledger->sheet.addStyle(*static_cast<KRDOMStyleRef*>(style));
    };
    t.release = [](dom_css_callbacks*, void* style, void* user) {
        check(static_cast<Ledger*>(user)->live.erase(style) == 1);
        delete static_cast<KRDOMStyleRef*>(style);
    };
    Ledger ledger;
    int result = dom_css_parse(&t, text.c_str(), &ledger.sheet, &ledger);
    check(result == 0 || result == 1);
    check(ledger.live.empty());

    // Every rule styles an element of its name, which is then laid out.
    for (const KRDOMStyleRef& style : ledger.sheet.styles()) {
        KRDOMElementRef e = KRDOMElement::create(style->name());
        KRDOMElementRef child = KRDOMElement::create(style->name());
        e->addElement(child);
        e->setStyle(ledger.sheet.selectorStyleName(style->name() + " " + style->name()));
        child->setStyle(e->style());
        for (const std::string& key : style->allKeys()) {
            check(std::isfinite(e->floatValueForKey(key)));
            e->booleanValueForKey(key);
            if (auto colour = e->colorValueForKey(key))
                check(colour->alpha >= 0 && colour->alpha <= 1);
            if (auto font = e->fontValueForKey(key))
                check(font->size() > 0 && font->size() <= KRDOMStyle::kMaxFontSize);
        }
        e->layout({320, 480});
        check(std::isfinite(e->frame().width()) && std::isfinite(e->frame().height()));
    }
    return 0;
}
