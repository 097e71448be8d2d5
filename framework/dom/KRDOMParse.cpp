#include "framework/dom/KRDOMParse.h"

#include "framework/dom/KRDOMActionElement.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMLabelElement.h"
#include "framework/dom/KRDOMRichElement.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/dom_css.h"
#include "framework/dom/dom_html.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>

namespace {

KRDOMElementRef& ref(void* handle) { return *static_cast<KRDOMElementRef*>(handle); }

const KRDOMParse& owner(dom_html_callbacks* table) { return *static_cast<const KRDOMParse*>(table->owner); }

dom_html_callbacks markupTable(const KRDOMParse& parser)
{
    dom_html_callbacks t{};
    t.new_element = [](dom_html_callbacks* table, const char* name, const char* ns, void*) -> void* {
        return new KRDOMElementRef(owner(table).newElement(name, ns));
    };
    t.set_attribute = [](dom_html_callbacks*, void* e, const char* name, const char* value, void*) {
        if (name && value)
            ref(e)->setAttributeValue(value, name);
    };
    // Repeated names collapse into one attribute: a hostile tag's count is
    // no promise of what the element keeps, so the room made is capped.
    t.will_set_attributes = [](dom_html_callbacks*, void* e, unsigned count, void*) {
        ref(e)->reserveAttributes(std::min(count, 32u));
    };
    t.add_child = [](dom_html_callbacks*, void* parent, void* child, void*) { ref(parent)->addElement(ref(child)); };
    t.is_empty = [](dom_html_callbacks*, void* e, void*) { return ref(e)->childs().empty() ? 1 : 0; };
    t.set_text = [](dom_html_callbacks*, void* e, const char* text, void*) {
        if (text)
            ref(e)->setText(text);
    };
    t.has_body = [](dom_html_callbacks*, const char* name, const char* ns, void*) {
        return (*ns || !std::strcmp(name, "br") || !std::strcmp(name, "wbr")) ? 0 : 1;
    };
    t.release = [](dom_html_callbacks*, void* e, void*) { delete static_cast<KRDOMElementRef*>(e); };
    t.case_mode = DOM_HTML_CASE_KEEP;
    t.owner = const_cast<KRDOMParse*>(&parser);
    return t;
}

dom_css_callbacks styleTable()
{
    dom_css_callbacks t{};
    t.new_style = [](dom_css_callbacks*, const char* selector, void*) -> void* {
        return new KRDOMStyleRef(std::make_shared<KRDOMStyle>(selector));
    };
    t.set_value = [](dom_css_callbacks*, void* style, const char* key, const char* value, void*) {
        (*static_cast<KRDOMStyleRef*>(style))->setStringValue(value, key);
    };
    t.add_style = [](dom_css_callbacks*, void* sheet, void* style, void*) {
        static_cast<KRDOMStyleSheet*>(sheet)->addStyle(*static_cast<KRDOMStyleRef*>(style));
    };
    t.release = [](dom_css_callbacks*, void* style, void*) { delete static_cast<KRDOMStyleRef*>(style); };
    return t;
}

}

KRDOMElementRef KRDOMParse::newElement(std::string_view name, std::string_view ns) const
{
    std::string n(name), prefix(ns);
    if (name == "img")
        return KRDOMImageElement::create(std::move(n), std::move(prefix));
    if (name == "label")
        return KRDOMLabelElement::create(std::move(n), std::move(prefix));
    if (name == "rich")
        return KRDOMRichElement::create(std::move(n), std::move(prefix));
    if (name == "action")
        return KRDOMActionElement::create(std::move(n), std::move(prefix));
    if (name == "view")
        return KRDOMViewElement::create(std::move(n), std::move(prefix));
    return KRDOMElement::create(std::move(n), std::move(prefix));
}

bool KRDOMParse::parseHTML(const char* markup, std::size_t size, const KRDOMElementRef& element) const
{
    PF_ASSERT_MAIN_THREAD();
    if (!element)
        return false;
    dom_html_callbacks table = markupTable(*this);
    KRDOMElementRef parent = element;
    int ok = dom_html_parse(&table, markup, &parent, nullptr);
    return ok == 1 && size == std::strlen(markup);
}

bool KRDOMParse::parseHTML(std::string_view markup, const KRDOMElementRef& element) const
{
    return parseHTML(std::string(markup), element);
}

bool KRDOMParse::parseHTML(const std::string& markup, const KRDOMElementRef& element) const
{
    return parseHTML(markup.c_str(), markup.size(), element);
}

bool KRDOMParse::parseHTML(const char* markup, const KRDOMElementRef& element) const
{
    return parseHTML(std::string_view(markup), element);
}

bool KRDOMParse::parseHTML(std::string_view markup, KRDOMDocument& document) const
{
    return parseHTML(std::string(markup), document);
}

bool KRDOMParse::parseHTML(const char* markup, KRDOMDocument& document) const
{
    return parseHTML(std::string_view(markup), document);
}

bool KRDOMParse::parseHTML(const std::string& markup, KRDOMDocument& document) const
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    if (!parseHTML(markup, wrapper))
        return false;
    KRDOMElementRef root = wrapper;
    if (wrapper->childs().size() == 1 && wrapper->text().empty()) {
        root = wrapper->childs()[0];
        root->removeFromParentElement();
    }
    document.setRootElement(root);
    return true;
}

bool KRDOMParse::parseCSS(std::string_view text, KRDOMStyleSheet& sheet) const
{
    PF_ASSERT_MAIN_THREAD();
    dom_css_callbacks table = styleTable();
    std::string copy(text);
    return dom_css_parse(&table, copy.c_str(), &sheet, nullptr) == 1 && copy.size() == std::strlen(copy.c_str());
}
