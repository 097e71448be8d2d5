#include "DOMTestSupport.h"

#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <typeinfo>

namespace {

pf::Value json(std::string_view text) { return KRJSON::decodeText(std::string(text)); }

// The only element the markup makes.
KRDOMElementRef parsed(const std::string& markup)
{
    KRDOMElementRef only = domtest::parseTyped(markup);
    EXPECT_TRUE(only && only->name() != "__ROOT__") << markup;
    return only ? only : KRDOMElement::create();
}

}

TEST(KRDOMSource, TemplatesFillEncodedOrRaw)
{
    pf::Value source = json(R"({"user":{"nick":"a b","id":7},"html":"<b>x</b>","n":3.5,"none":null,
        "q":"x\" action-name=\"pay","path":"C:\\new","amp":"&lt;","list":[{"t":"first"},{"t":"last"}]})");
    for (const auto& [templateText, filled] : std::vector<std::pair<const char*, const char*>>{
             {"<label>{user.nick}</label>", "<label>a&nbsp;b</label>"},
             {"{$html}", "<b>x</b>"},
             {"{user.id}/{n}", "7/3.5"},
             {"[{missing}][{none}]", "[][]"},
             {"tail {unclosed", "tail "},
             {"{a{b}", ""},
             {"<i>{user.id}</i>{n}{$html}.", "<i>7</i>3.5<b>x</b>."},
             {"{list.@last.t}", "last"},
             {"<label>{path}{amp}</label>", "<label>C:\\\\new\\&lt;</label>"},
             {"<a href=\"{q}\"/>", "<a href=\"x\\\"&nbsp;action-name=\\\"pay\"/>"},
         }) {
        EXPECT_EQ(htmlStringByDOMSource(templateText, source), filled) << templateText;
    }
}

TEST(KRDOMSource, EncodedValuesComeBackWhole)
{
    // What the tokenizer makes of a filled value: the value itself, and
    // attributes stay what the template wrote.
    struct Row {
        const char *value, *encoded;
    };
    for (const Row& row : std::vector<Row>{
             {"<view viewClass=\"X\"/>", "&lt;view&nbsp;viewClass=\\\"X\\\"/&gt;"},
             {"&lt; & it's", "\\&lt;&nbsp;\\&&nbsp;it\\'s"},
             {"l1\r\nl2\tx", "l1\\nl2\\tx"},
             {" <>\\\"小\t", "&nbsp;&lt;&gt;\\\\\\\"小\\t"},
         }) {
        std::string encoded = htmlEncodeString(row.value);
        EXPECT_EQ(encoded, row.encoded);
        std::string plain = row.value;
        std::erase(plain, '\r');
        EXPECT_EQ(htmlDecodeString(encoded), plain);
        EXPECT_EQ(parsed("<label>" + encoded + "</label>")->text(), plain) << row.value;
        EXPECT_EQ(parsed("<x src=\"" + encoded + "\"/>")->attributes().count(), 1u) << row.value;
    }
}

TEST(KRDOMSource, EveryKindOfValueIsEncodedUnlessRaw)
{
    // Whatever the value's type, "{v}" in text gives the element its
    // description as text and never an element; "{$v}" stays markup.
    struct Marked : pf::Object {
        std::string description() const override { return "<action action-name=url/>"; }
    };
    const std::string markup = "<action action-name=url user-info=x>tap</action>";
    auto dictionary = pf::Dictionary::create();
    dictionary->set(markup, pf::Value(markup));
    auto array = pf::Array::create();
    array->add(pf::Value(markup));
    array->add(pf::Value(dictionary));
    struct Row {
        const char* kind;
        pf::Value value;
    };
    for (const Row& row : std::vector<Row>{
             {"string", pf::Value(markup)},
             {"number", pf::Value(3.5)},
             {"boolean", pf::Value(true)},
             {"negative whole number", pf::Value(-42)},
             {"smallest 64-bit number", pf::Value(std::numeric_limits<long long>::min())},
             {"largest unsigned number", pf::Value::unsignedNumber(std::numeric_limits<unsigned long long>::max())},
             {"decimal", pf::Value::number(*pf::decimalFromText("-18446744073709551617.50"))},
             {"data", pf::Value::data(pf::Bytes{'<', 'a', '>'})},
             {"date", pf::Value(pf::Date{86400.5})},
             {"array", pf::Value(array)},
             {"dictionary", pf::Value(dictionary)},
             {"object", pf::Value(std::make_shared<Marked>())},
         }) {
        auto source = pf::Dictionary::create();
        source->set("v", row.value);
        std::string filled = htmlStringByDOMSource("<label>{v}</label>", pf::Value(source));
        EXPECT_EQ(filled.find('<', 1), filled.rfind('<')) << row.kind << ": " << filled;
        KRDOMElementRef label = parsed(filled);
        EXPECT_EQ(label->name(), "label") << row.kind;
        EXPECT_TRUE(label->childs().empty()) << row.kind;
        EXPECT_EQ(label->text(), row.value.description()) << row.kind;
        EXPECT_EQ(htmlStringByDOMSource("{$v}", pf::Value(source)), row.value.description()) << row.kind;
    }
}

TEST(KRDOMParse, PrefixedTagsKeepTheirKindButCaseCounts)
{
    KRDOMElementRef prefixed = parsed("<p:img/>"), upper = parsed("<IMG/>");
    const KRDOMElement &prefixedElement = *prefixed, &upperElement = *upper;
    EXPECT_EQ(typeid(prefixedElement), typeid(KRDOMImageElement));
    EXPECT_EQ(typeid(upperElement), typeid(KRDOMElement));
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
        // A view and, without a NUL, a C string read the same as the string.
        auto fromView = KRDOMDocument::create();
        EXPECT_EQ(KRDOMParse().parseHTML(std::string_view(row.markup), *fromView), row.ok) << row.markup;
        if (row.ok)
            EXPECT_EQ(domtest::dumpTree(*fromView->rootElement()), row.tree) << row.markup;
        if (row.markup.find('\0') == std::string::npos) {
            auto fromPointer = KRDOMDocument::create();
            EXPECT_EQ(KRDOMParse().parseHTML(row.markup.c_str(), *fromPointer), row.ok) << row.markup;
        }
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
    auto document = KRDOMDocument::create();
    ASSERT_TRUE(KRDOMParse().parseHTML("<label/>", *document));
    document->setStyleSheet(sheet);

    struct Row {
        const char* text;
        int styles;
        const char* color;
    };
    for (const Row& row : std::initializer_list<Row>{
             {"label{color:#ff0000}", 1, "#ff0000"},
             {"label{color:#00ff00}", 2, "#00ff00"}}) {
        int version = sheet->version();
        shell->loadDOMStyleSheet(row.text);
        EXPECT_EQ(sheet->version(), version + 1) << row.text;
        EXPECT_EQ(int(sheet->styles().size()), row.styles) << row.text;
        EXPECT_EQ(document->rootElement()->stringValueForKey("color").value_or(""), row.color) << row.text;
    }
}

TEST(KRShellStyleSheets, BundleStyleSheetParsesWhole)
{
    std::ifstream file(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/resources/style.css");
    KRDOMStyleSheet sheet;
    ASSERT_TRUE(KRDOMParse().parseCSS(std::string(std::istreambuf_iterator<char>(file), {}), sheet));
    for (const char* kind : {"label", "rich", "a", "img", "action", "view"}) {
        for (const auto& [key, value] : sheet.selectorStyleName(kind)->values().entries())
            EXPECT_NE(value.back(), ' ') << kind << "." << key; // no blank before ";"
        EXPECT_GT(sheet.selectorStyleName(kind)->values().count(), 0u) << kind;
    }
}
