#pragma once

// Realistic feed-cell markup and a 300-rule style sheet, shared by the
// markup and render benchmarks. Header-only: each benchmark is one program.

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "framework/dom/dom_css.h"
#include "framework/dom/dom_html.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace benchmarkup {

inline const char* kCellTemplate =
    "<div class=\"cell feed\" layout=\"flow\" width=\"100%\" height=\"auto\" padding=\"8\">"
    "<img class=\"avatar\" src=\"avatar_%d.png\" width=\"40\" height=\"40\" corner-radius=\"20\"/>"
    "<div class=\"head\" width=\"100%-56\" height=\"auto\" margin-left=\"8\">"
    "<label class=\"nick\" width=\"auto\" height=\"18\">User&nbsp;%d</label>"
    "<label class=\"time\" left=\"auto\" right=\"0\" width=\"60\" height=\"14\">%d&nbsp;minutes&nbsp;ago</label>"
    "</div>"
    "<label class=\"text\" width=\"100%\" height=\"auto\" margin-top=\"6\">Bought&nbsp;a&nbsp;rice&nbsp;cooker"
    "&nbsp;for&nbsp;&lt;%d&gt;&nbsp;instead&nbsp;of&nbsp;399\\nShop:&nbsp;Market&nbsp;%d</label>"
    "<!-- photos -->"
    "<div class=\"photos\" layout=\"flow\" width=\"100%\" height=\"auto\">"
    "<img class=\"photo\" src=\"p%d_1.jpg\" width=\"31%\" height=\"80\" margin=\"2\"/>"
    "<img class=\"photo\" src=\"p%d_2.jpg\" width=\"31%\" height=\"80\" margin=\"2\"/>"
    "<img class=\"photo\" src=\"p%d_3.jpg\" width=\"31%\" height=\"80\" margin=\"2\"/>"
    "</div>"
    "<div class=\"bar\" width=\"100%\" height=\"30\">"
    "<action class=\"like\" action-name=\"like\" user-info=\"%d\" width=\"60\" height=\"30\">"
    "<label class=\"count\">%d</label></action>"
    "<action class=\"comment\" action-name=\"comment\" left=\"auto\" right=\"auto\" width=\"60\" height=\"30\">"
    "<label class=\"count\">%d</label></action>"
    "<br><span class=\"tag\" left=\"auto\" right=\"8\" width=\"auto\" height=\"auto\" padding=\"2\">"
    "<label class=\"tagtext\" width=\"40\" height=\"16\">tag%d</label></span>"
    "</div></div>";

inline std::string cell(int n)
{
    std::string out;
    char number[16];
    std::snprintf(number, sizeof number, "%d", n);
    for (const char* p = kCellTemplate; *p; p++) {
        if (p[0] == '%' && p[1] == 'd') {
            out += number;
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

// The tokenizer with callbacks that do nothing.
inline dom_html_callbacks noopTable()
{
    static int element;
    dom_html_callbacks t{};
    t.new_element = [](dom_html_callbacks*, const char*, const char*, void*) -> void* { return &element; };
    t.set_attribute = [](dom_html_callbacks*, void*, const char*, const char*, void*) {};
    t.add_child = [](dom_html_callbacks*, void*, void*, void*) {};
    t.is_empty = [](dom_html_callbacks*, void*, void*) { return 1; };
    t.set_text = [](dom_html_callbacks*, void*, const char*, void*) {};
    t.has_body = [](dom_html_callbacks*, const char* name, const char* ns, void*) {
        return (*ns || !std::strcmp(name, "br") || !std::strcmp(name, "wbr")) ? 0 : 1;
    };
    t.release = [](dom_html_callbacks*, void*, void*) {};
    return t;
}

inline KRDOMElementRef& ref(void* handle) { return *static_cast<KRDOMElementRef*>(handle); }

// The tokenizer building plain elements.
inline dom_html_callbacks elementTable()
{
    dom_html_callbacks t = noopTable();
    t.new_element = [](dom_html_callbacks*, const char* name, const char* ns, void*) -> void* {
        return new KRDOMElementRef(KRDOMElement::create(name, ns));
    };
    t.set_attribute = [](dom_html_callbacks*, void* e, const char* n, const char* v, void*) {
        ref(e)->setAttributeValue(v, n);
    };
    t.add_child = [](dom_html_callbacks*, void* p, void* c, void*) { ref(p)->addElement(ref(c)); };
    t.is_empty = [](dom_html_callbacks*, void* e, void*) { return ref(e)->childs().empty() ? 1 : 0; };
    t.set_text = [](dom_html_callbacks*, void* e, const char* text, void*) { ref(e)->setText(text); };
    t.release = [](dom_html_callbacks*, void* e, void*) { delete static_cast<KRDOMElementRef*>(e); };
    return t;
}

inline KRDOMStyleSheetRef sheetOf300Rules()
{
    std::string text = "label{font:14;color:#333333} img{background-color:#eeeeee} div{padding:0}"
                       "cell{background-color:#ffffff;padding:8} nick{font:15 bold;color:#1a1a1a}"
                       "time{font:11;color:#999999} text{font:14;color:#333333} photo{corner-radius:4}"
                       "count{font:12;color:#666666;width:auto;height:auto;left:auto;right:auto}"
                       "like.label{color:#ff3300} comment.label{color:#0066cc} tagtext{font:11}";
    for (int i = 0; text.size() < 40000 && i < 288; i++) {
        char rule[160];
        std::snprintf(rule, sizeof rule, "c%d{color:#%06x;font:%d;padding:%d;margin:%d} ", i, i * 4099 & 0xffffff,
                      10 + i % 8, i % 5, i % 3);
        text += rule;
    }
    dom_css_callbacks t{};
    t.new_style = [](dom_css_callbacks*, const char* selector, void*) -> void* {
        return new KRDOMStyleRef(std::make_shared<KRDOMStyle>(selector));
    };
    t.set_value = [](dom_css_callbacks*, void* s, const char* k, const char* v, void*) {
        (*static_cast<KRDOMStyleRef*>(s))->setStringValue(v, k);
    };
    t.add_style = [](dom_css_callbacks*, void* sheet, void* s, void*) {
        static_cast<KRDOMStyleSheet*>(sheet)->addStyle(*static_cast<KRDOMStyleRef*>(s));
    };
    t.release = [](dom_css_callbacks*, void* s, void*) { delete static_cast<KRDOMStyleRef*>(s); };
    auto sheet = std::make_shared<KRDOMStyleSheet>();
    dom_css_parse(&t, text.c_str(), sheet.get(), nullptr);
    return sheet;
}


}
