#include "DOMTestSupport.h"

#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/dom_css.h"
#include "framework/dom/dom_html.h"

#include <cstring>
#include <sstream>

namespace domtest {

namespace {

KRDOMElementRef& ref(void* handle) { return *static_cast<KRDOMElementRef*>(handle); }

dom_html_callbacks markupTable()
{
    dom_html_callbacks t{};
    t.new_element = [](dom_html_callbacks*, const char* name, const char* ns, void*) -> void* {
        return new KRDOMElementRef(KRDOMElement::create(name, ns));
    };
    t.set_attribute = [](dom_html_callbacks*, void* e, const char* name, const char* value, void*) {
        ref(e)->setAttributeValue(value, name);
    };
    t.add_child = [](dom_html_callbacks*, void* parent, void* child, void*) { ref(parent)->addElement(ref(child)); };
    t.is_empty = [](dom_html_callbacks*, void* e, void*) { return ref(e)->childs().empty() ? 1 : 0; };
    t.set_text = [](dom_html_callbacks*, void* e, const char* text, void*) { ref(e)->setText(text); };
    t.has_body = [](dom_html_callbacks*, const char* name, const char* ns, void*) {
        return (*ns || !std::strcmp(name, "br") || !std::strcmp(name, "wbr")) ? 0 : 1;
    };
    t.release = [](dom_html_callbacks*, void* e, void*) { delete static_cast<KRDOMElementRef*>(e); };
    return t;
}

void dump(const KRDOMElement& e, Dump what, int level, std::ostringstream& out)
{
    out << std::string(std::size_t(level) * 2, ' ');
    if (!e.ns().empty())
        out << e.ns() << ':';
    out << e.name();
    if (what == Dump::Markup) {
        for (const auto& [key, value] : e.attributes().entries())
            out << ' ' << key << "=\"" << value << '"';
        if (!e.text().empty())
            out << " text=\"" << e.text() << '"';
    } else {
        pf::Rect f = e.frame();
        out << " (" << f.x() << ", " << f.y() << ", " << f.width() << ", " << f.height() << ")";
    }
    out << '\n';
    for (const KRDOMElementRef& child : e.childs())
        dump(*child, what, level + 1, out);
}

}

bool parseMarkup(std::string_view markup, const KRDOMElementRef& parent, int caseMode)
{
    dom_html_callbacks table = markupTable();
    table.case_mode = caseMode;
    std::string text(markup);
    KRDOMElementRef holder = parent;
    return dom_html_parse(&table, text.c_str(), &holder, nullptr) == 1;
}

namespace {

KRDOMElementRef unwrap(const KRDOMElementRef& wrapper, bool parsed)
{
    if (!parsed)
        return nullptr;
    if (wrapper->childs().size() == 1) {
        KRDOMElementRef only = wrapper->childs()[0];
        only->removeFromParentElement();
        return only;
    }
    return wrapper;
}

}

KRDOMElementRef parseTree(std::string_view markup)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    return unwrap(wrapper, parseMarkup(markup, wrapper));
}

KRDOMElementRef parseTyped(std::string_view markup)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    return unwrap(wrapper, KRDOMParse().parseHTML(markup, wrapper));
}

bool parseStyleSheet(std::string_view text, KRDOMStyleSheet& sheet)
{
    dom_css_callbacks t{};
    t.new_style = [](dom_css_callbacks*, const char* selector, void*) -> void* {
        return new KRDOMStyleRef(std::make_shared<KRDOMStyle>(selector));
    };
    t.set_value = [](dom_css_callbacks*, void* style, const char* key, const char* value, void*) {
        (*static_cast<KRDOMStyleRef*>(style))->setStringValue(value, key);
    };
    t.add_style = [](dom_css_callbacks*, void* target, void* style, void*) {
        static_cast<KRDOMStyleSheet*>(target)->addStyle(*static_cast<KRDOMStyleRef*>(style));
    };
    t.release = [](dom_css_callbacks*, void* style, void*) { delete static_cast<KRDOMStyleRef*>(style); };
    std::string copy(text);
    return dom_css_parse(&t, copy.c_str(), &sheet, nullptr) == 1;
}

std::string dumpTree(const KRDOMElement& element, Dump what)
{
    std::ostringstream out;
    dump(element, what, 0, out);
    return out.str();
}

}
