#include "DOMTestSupport.h"

#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/dom_css.h"

#include <gtest/gtest.h>

namespace {

// "name{key=value;...}" per rule, in sheet order.
std::string rules(const KRDOMStyleSheet& sheet)
{
    std::string out;
    for (const KRDOMStyleRef& style : sheet.styles()) {
        out += style->name() + "{";
        for (const auto& [key, value] : style->values().entries())
            out += key + "=" + value + ";";
        out += "}";
    }
    return out;
}

}

TEST(StyleSheetParser, RulesFollowTheGrammarAndCutInputFails)
{
    struct Row {
        const char* text;
        bool ok;
        const char* rules;
    };
    for (const Row& row : std::vector<Row>{
             {"label { color: #ff0000; font: 12 bold }", true, "label{color=#ff0000;font=12 bold ;}"},
             {"a b{x:1}", true, "ab{x=1;}"},
             {"w { width: 100 ; height:auto ;}", true, "w{width=100 ;height=auto ;}"},
             {"k{ pad ding : 1 2 }", true, "k{padding=1 2 ;}"},
             {"e{a:;b:}", true, "e{a=;b=;}"},
             {"e{novalue}", true, "e{}"},
             {"e{:v}", true, "e{=v;}"},
             {"// line\nx{a:1} /* block\n */ y{b:2}", true, "x{a=1;}y{b=2;}"},
             {"x{a: //not a comment;b:/*x*/}", true, "x{a=//not a comment;b=/*x*/;}"},
             {"x{a:1}\n// comment at the end", true, "x{a=1;}"},
             {"x{a:1}x{a:2}", true, "x{a=1;}x{a=2;}"},
             // A rule's first byte always belongs to its selector.
             {"{a:1}", false, ""},
             {"{{a:1}", true, "{{a=1;}"},
             {"", true, ""},
             // Input ending inside a rule or comment fails and keeps the earlier rules.
             {"x{a:1} y{b:2", false, "x{a=1;}"},
             {"x{a:1} y", false, "x{a=1;}"},
             {"x{a:1} /* open", false, "x{a=1;}"},
             {"a{x:1;;}}}", false, "a{x=1;}"},
         }) {
        KRDOMStyleSheet sheet;
        EXPECT_EQ(domtest::parseStyleSheet(row.text, sheet), row.ok) << row.text;
        EXPECT_EQ(rules(sheet), row.rules) << row.text;
    }
    dom_css_callbacks t{};
    EXPECT_EQ(dom_css_parse(&t, nullptr, nullptr, nullptr), 0);
}
