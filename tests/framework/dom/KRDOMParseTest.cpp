#include "DOMTestSupport.h"

#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMActionElement.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMLabelElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMRichElement.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <typeinfo>

namespace {

pf::Value json(std::string_view text) { return KRJSON::decodeText(std::string(text)); }

// The text of the only element the markup makes.
std::string textOf(const std::string& markup)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    EXPECT_TRUE(KRDOMParse().parseHTML(markup, wrapper)) << markup;
    return wrapper->childs().size() == 1 ? wrapper->childs()[0]->text() : "<" + std::to_string(wrapper->childs().size()) + ">";
}

}

TEST(KRDOMSource, TemplatesFillEncodedOrRaw)
{
    pf::Value source = json(R"({"user":{"nick":"a b","id":7},"html":"<b>x</b>","n":3.5,"none":null,
        "q":"x\" action-name=\"pay","path":"C:\\new","amp":"&lt;","list":[{"t":"first"},{"t":"last"}]})");
    struct Row {
        const char* templateText;
        const char* filled;
    };
    for (const Row& row : std::vector<Row>{
             {"<label>{user.nick}</label>", "<label>a&nbsp;b</label>"},
             {"{$html}", "<b>x</b>"},
             {"{user.id}/{n}", "7/3.5"},
             {"[{missing}][{none}]", "[][]"},
             {"tail {unclosed", "tail "},
             {"{a{b}", ""},
             {"{list.@last.t}", "last"},
             {"<a href=\"{q}\"/>", "<a href=\"x\\\"&nbsp;action-name=\\\"pay\"/>"},
         }) {
        EXPECT_EQ(htmlStringByDOMSource(row.templateText, source), row.filled) << row.templateText;
    }
}

TEST(KRDOMSource, EncodedValuesComeBackWhole)
{
    // What the tokenizer makes of a filled value: the value itself, and
    // attributes stay what the template wrote.
    struct Row {
        const char* value;
        const char* encoded;
    };
    for (const Row& row : std::vector<Row>{
             {"a b", "a&nbsp;b"},
             {"<view viewClass=\"X\"/>", "&lt;view&nbsp;viewClass=\\\"X\\\"/&gt;"},
             {"C:\\new", "C:\\\\new"},
             {"&lt; & it's", "\\&lt;&nbsp;\\&&nbsp;it\\'s"},
             {"l1\r\nl2\tx", "l1\\nl2\\tx"},
             {"中文 😀", "中文&nbsp;😀"},
         }) {
        std::string encoded = htmlEncodeString(row.value);
        EXPECT_EQ(encoded, row.encoded);
        std::string plain = row.value;
        std::erase(plain, '\r');
        EXPECT_EQ(htmlDecodeString(encoded), plain);
        EXPECT_EQ(textOf("<label>" + encoded + "</label>"), plain) << row.value;
        KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
        ASSERT_TRUE(KRDOMParse().parseHTML("<x src=\"" + encoded + "\"/>", wrapper));
        EXPECT_EQ(wrapper->childs().at(0)->attributes().count(), 1u) << row.value;
    }
}

TEST(KRDOMParse, TagsPickElementKinds)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    ASSERT_TRUE(KRDOMParse().parseHTML("<img/><label/><rich/><action/><view/><p:img/><div/><IMG/>", wrapper));
    std::vector<const std::type_info*> kinds;
    for (const auto& child : wrapper->childs())
        kinds.push_back(&typeid(*child));
    std::vector<const std::type_info*> expected{&typeid(KRDOMImageElement), &typeid(KRDOMLabelElement),
        &typeid(KRDOMRichElement), &typeid(KRDOMActionElement), &typeid(KRDOMViewElement),
        &typeid(KRDOMImageElement), &typeid(KRDOMElement), &typeid(KRDOMElement)};
    ASSERT_EQ(kinds.size(), expected.size());
    for (std::size_t i = 0; i < kinds.size(); i++)
        EXPECT_EQ(*kinds[i], *expected[i]) << i;
}

TEST(KRDOMParse, DocumentsUnwrapOnlyALoneChild)
{
    struct Row {
        std::string markup;
        bool ok;
        const char* tree; // empty: the document keeps its old root
    };
    for (const Row& row : std::vector<Row>{
             {"<a><b/></a>", true, "a\n  b\n"},
             {"<a/><b/>", true, "__ROOT__\n  a\n  b\n"},
             {"hello<a/>", true, "__ROOT__ text=\"hello\"\n  a\n"},
             {"", true, "__ROOT__\n"},
             {"<a/></x>", false, ""},
             {"<a>", true, "a\n"},
             {std::string("<a/>\0<b/>", 9), false, ""},
         }) {
        auto document = KRDOMDocument::create();
        KRDOMElementRef old = KRDOMElement::create("old");
        document->setRootElement(old);
        EXPECT_EQ(KRDOMParse().parseHTML(row.markup, *document), row.ok) << row.markup;
        if (!*row.tree) {
            EXPECT_EQ(document->rootElement(), old) << row.markup;
            continue;
        }
        EXPECT_EQ(domtest::dumpTree(*document->rootElement()), row.tree) << row.markup;
        EXPECT_FALSE(document->rootElement()->parentElement());
    }
}

TEST(KRShellStyleSheets, LoadsAddRulesRaiseTheVersionAndRestyle)
{
    registerDOMClasses();
    auto shell = KRShell::create(pf::Dictionary::create(), nullptr);
    std::shared_ptr<KRDOMStyleSheet> sheet = shell->domStyleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(shell->domStyleSheet(), sheet);
    auto document = KRDOMDocument::create();
    ASSERT_TRUE(KRDOMParse().parseHTML("<label/>", *document));
    document->setStyleSheet(sheet);

    struct Row {
        const char* text;
        int styles;
        const char* color;
    };
    for (const Row& row : std::vector<Row>{
             {"label{color:#ff0000}", 1, "#ff0000"},
             {"label{color:#00ff00}", 2, "#00ff00"},
             // Cut inside a rule: the rule before it still counts.
             {"label{color:#0000ff} label{color:#123456", 3, "#0000ff"},
         }) {
        int version = sheet->version();
        shell->loadDOMStyleSheet(row.text);
        EXPECT_EQ(sheet->version(), version + 1) << row.text;
        EXPECT_EQ(int(sheet->styles().size()), row.styles) << row.text;
        EXPECT_EQ(document->rootElement()->stringValueForKey("color").value_or(""), row.color) << row.text;
    }
}

TEST(KRShellStyleSheets, BundleStyleSheetParsesWhole)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    ASSERT_TRUE(source);
    pf::Bundle bundle(std::string(source) + "/resources");
    auto path = bundle.pathForResource("style", "css");
    ASSERT_TRUE(path);
    std::ifstream file(*path);
    std::stringstream text;
    text << file.rdbuf();
    KRDOMStyleSheet sheet;
    ASSERT_TRUE(KRDOMParse().parseCSS(text.str(), sheet));
    for (const KRDOMStyleRef& style : sheet.styles()) {
        EXPECT_EQ(style->name().find(' '), std::string::npos);
        for (const auto& [key, value] : style->values().entries()) {
            EXPECT_FALSE(value.empty() || value.back() == ' ') << style->name() << "." << key;
            if (key == "font") {
                EXPECT_TRUE(KRDOMStyle::fontValue(value)) << value;
            }
        }
    }
    auto named = [&](std::string_view name) { return sheet.selectorStyleName(name)->values().count() > 0; };
    for (const char* kind : {"label", "rich", "a", "img", "action", "view"})
        EXPECT_TRUE(named(kind)) << kind;
}
