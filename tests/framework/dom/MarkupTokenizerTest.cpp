#include "DOMTestSupport.h"

#include "framework/dom/dom_html.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using domtest::dumpTree;
using domtest::parseMarkup;

namespace {

struct Row {
    const char* markup;
    bool ok;
    const char* tree; // children of the wrapper
};

std::string parsed(const char* markup, bool* ok)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    *ok = parseMarkup(markup, wrapper);
    return dumpTree(*wrapper);
}

void expectRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        bool ok = false;
        std::string tree = parsed(row.markup, &ok);
        EXPECT_EQ(ok, row.ok) << row.markup;
        // Rows list the wrapper's children; top-level text is the wrapper's own.
        std::string expected = std::strncmp(row.tree, "__ROOT__", 8) ? "__ROOT__\n" + std::string(row.tree) : row.tree;
        EXPECT_EQ(tree, expected) << row.markup;
    }
}

std::string nested(int levels)
{
    std::string markup;
    for (int i = 0; i < levels; i++)
        markup += "<a>";
    return markup + "x";
}

}

TEST(MarkupTokenizer, TextElementsAndFailuresFollowTheMarkup)
{
    expectRows({
        {"<p>Hello world</p>", true, "  p text=\"Helloworld\"\n"},
        {"<p>Hello&nbsp;world</p>", true, "  p text=\"Hello world\"\n"},
        {"<a>x<b/>y</a>", true, "  a text=\"x\"\n    b\n    _text text=\"y\"\n"},
        {"<p>\\n</p>", true, "  p text=\"\n\"\n"},
        {"<p>a\\tb\\\\c\\<\\q</p>", true, "  p text=\"a\tb\\c<q\"\n"},
        {"<p>&lt;&gt;&quot;&amp;&</p>", true, "  p text=\"<>\"&amp;&\"\n"},
        {"<p>a<!-- note -->b</p>", true, "  p text=\"ab\"\n"},
        {"<br> <p>x</p>", true, "  br\n  p text=\"x\"\n"},
        {"<br></br><wbr>x", true, "  br\n  wbr\n  _text text=\"x\"\n"},
        {"<ns:x></ns:x>", true, "  ns:x\n"},
        {"<ns:x:y/>", true, "  ns:x:y\n"},
        {"<img src=abc.png/>", true, "  img src=\"abc.png\"\n"},
        {"<a t='it\\'s' u=\"x\\\"y\" v=a\\ b/>", true, "  a t=\"it's\" u=\"x\"y\" v=\"a b\"\n"},
        {"<x a =1 selected id=y/>", true, "  x a =\"1\" selected id=\"y\"\n"},
        {"<x flag/><y k=>", true, "  x flag=\"\"\n  y k=\"\"\n"},
        {"<>", true, "  \n"},
        {"<a><b>x</a>y", true, "  a\n    b text=\"x\"\n    _text text=\"y\"\n"},
        {"<a><b>unclosed", true, "  a\n    b text=\"unclosed\"\n"},
        {"top&nbsp;text", true, "__ROOT__ text=\"top text\"\n"},
        // A stray closing tag at the top stops with a failure.
        {"<a></a></b>", false, "  a\n"},
        {"</b><a/>", false, ""},
        // The closing tag of a prefixed element closes the enclosing one,
        // which leaves the last closing tag without an open element.
        {"<p><ns:x>a</ns:x></p>", false, "  p\n    ns:x\n    _text text=\"a\"\n"},
        {"x</b>", false, "__ROOT__ text=\"x\"\n"},
        // Input ending inside a construct fails without reading past the end.
        {"<p>abc\\", false, "  p\n"},
        {"<a title=\"abc", false, ""},
        {"<a href=x\\", false, ""},
        {"<a b", false, ""},
        {"<p>x</p", false, "  p text=\"x\"\n"},
        // An unterminated comment keeps the text before it.
        {"<p>x<!-- open --", false, "  p text=\"x\"\n"},
        {"abc<!-- x", false, "__ROOT__ text=\"abc\"\n"},
        {"x<", false, "__ROOT__ text=\"x\"\n"},
        {"&nbsp", true, "__ROOT__ text=\"&nbsp\"\n"},
    });
}

TEST(MarkupTokenizer, NestingIsLimitedAndNullTextFails)
{
    bool ok = false;
    parsed(nested(DOM_HTML_MAX_DEPTH).c_str(), &ok);
    EXPECT_TRUE(ok);
    parsed(nested(DOM_HTML_MAX_DEPTH + 1).c_str(), &ok);
    EXPECT_FALSE(ok);
    dom_html_callbacks t{};
    EXPECT_EQ(dom_html_parse(&t, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(dom_html_parse(nullptr, "<a/>", nullptr, nullptr), 0);
}

TEST(MarkupTokenizer, CaseModesFoldNamesButNotValues)
{
    struct CaseRow {
        int mode;
        const char* markup;
        const char* tree;
    };
    for (const CaseRow& row : std::vector<CaseRow>{
             {DOM_HTML_CASE_KEEP, "<Tag Key=Val>Text</Tag><Ns:X/>", "  Tag Key=\"Val\" text=\"Text\"\n  Ns:X\n"},
             {DOM_HTML_CASE_UPPER, "<ns:tag key=Val>", "  NS:TAG KEY=\"Val\"\n"},
             {DOM_HTML_CASE_LOWER, "<NS:TAG KEY=Val></NS:TAG><BR></br>", "  ns:tag key=\"Val\"\n  br\n"},
         }) {
        KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
        EXPECT_TRUE(parseMarkup(row.markup, wrapper, row.mode)) << row.markup;
        EXPECT_EQ(dumpTree(*wrapper), "__ROOT__\n" + std::string(row.tree)) << row.markup;
    }
}
