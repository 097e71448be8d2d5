#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMStyle.h"

#include <gtest/gtest.h>

namespace {

KRDOMStyleSheetRef sheetFrom(const char* text)
{
    auto sheet = std::make_shared<KRDOMStyleSheet>();
    EXPECT_TRUE(domtest::parseStyleSheet(text, *sheet));
    return sheet;
}

// "key=value;" for each listed key the element resolves, "-" when missing.
std::string resolved(const KRDOMElement& e, std::initializer_list<const char*> keys)
{
    std::string out;
    for (const char* key : keys) {
        auto value = e.stringValueForKey(key);
        out += std::string(key) + "=" + std::string(value.value_or("-")) + ";";
    }
    return out;
}

}

TEST(KRDOMStyleSheetMerge, WordsAndSheetOrderDecideWhoWinsAndMergesFollowTheSheet)
{
    auto sheet = sheetFrom("label{a:label;b:label;c:label} a{b:a} b{c:b} label{a:label2} card.label{d:card}");
    struct Row {
        const char* styleName;
        const char* values;
    };
    for (const Row& row : std::vector<Row>{
             {"label", "a=label2;b=label;c=label;d=-;"},
             {"label a b", "a=label2;b=a;c=b;d=-;"},
             {"b a label", "a=label2;b=label;c=label;d=-;"},
             {"label card.label", "a=label2;b=label;c=label;d=card;"},
             {"  label   a  ", "a=label2;b=a;c=label;d=-;"},
             {".label lab", "a=-;b=-;c=-;d=-;"},
         }) {
        KRDOMElementRef e = KRDOMElement::create("x");
        e->setStyle(sheet->selectorStyleName(row.styleName));
        EXPECT_EQ(resolved(*e, {"a", "b", "c", "d"}), row.values) << row.styleName;
    }

    // Cached merges follow added, removed and edited styles at once.
    auto before = sheet->selectorStyleName("label");
    auto later = std::make_shared<KRDOMStyle>("label");
    later->setStringValue("3", "a");
    sheet->addStyle(later);
    EXPECT_EQ(sheet->selectorStyleName("label")->stringValueForKey("a"), "3");
    later->setStringValue("4", "a");
    EXPECT_EQ(sheet->selectorStyleName("label")->stringValueForKey("a"), "4");
    later->setName("card.label");
    EXPECT_EQ(sheet->selectorStyleName("label")->stringValueForKey("a"), "label2");
    EXPECT_EQ(sheet->selectorStyleName("card.label")->stringValueForKey("a"), "4");
    sheet->removeStyle(later);
    EXPECT_FALSE(sheet->selectorStyleName("card.label")->stringValueForKey("a"));
    EXPECT_EQ(before->stringValueForKey("a"), "label2");
    {
        // A style that outlives its sheet edits nothing that is gone.
        auto gone = sheetFrom("p{a:1}");
        later = gone->styles()[0];
    }
    later->setStringValue("2", "a");

    // A document styled after an edit of a rule in the sheet gets the edit.
    auto red = sheetFrom("p{color:#ff0000}");
    auto styled = [&] {
        auto document = KRDOMDocument::create();
        document->setStyleSheet(red);
        document->setRootElement(domtest::parseTree("<p>x</p>"));
        return resolved(*document->rootElement(), {"color"});
    };
    EXPECT_EQ(styled(), "color=#ff0000;");
    red->styles()[0]->setStringValue("#00ff00", "color");
    EXPECT_EQ(styled(), "color=#00ff00;");
}

TEST(KRDOMStyleResolution, TagEnclosingClassAndClassWordsNameTheStyle)
{
    auto sheet = sheetFrom(
        "label{font:12;color:#000000} card{color:#card} card.label{color:#111111} a{k:a} b{k:b} box{k:box}"
        "inner.label{color:#222222}");
    auto document = KRDOMDocument::create();
    document->setStyleSheet(sheet);
    KRDOMElementRef root = domtest::parseTree(
        "<div class='box card'><label>x</label><p class='a b'><label class='a  b '/></p>"
        "<p class=' '><label/></p><p class='inner'><q><label/></q></p></div>");
    ASSERT_TRUE(root);
    document->setRootElement(root);
    const auto& kids = root->childs();
    std::vector<std::pair<KRDOMElementRef, const char*>> rows = {
        {root, "font=-;color=#card;k=box;"},
        {kids[0], "font=12;color=#111111;k=-;"},
        {kids[1], "font=-;color=-;k=b;"},
        {kids[1]->childs()[0], "font=12;color=#000000;k=b;"},
        {kids[2]->childs()[0], "font=12;color=#111111;k=-;"},
        {kids[3]->childs()[0]->childs()[0], "font=12;color=#222222;k=-;"},
    };
    for (const auto& [element, values] : rows)
        EXPECT_EQ(resolved(*element, {"font", "color", "k"}), values) << domtest::dumpTree(*element);

    // Restyling from the middle of the tree finds the enclosing class.
    KRDOMElementRef label = kids[0];
    label->setStyle(nullptr);
    EXPECT_EQ(KRDOMDocument::forStyleNameInElement(*label), "card");
    document->applyStyleSheet(label);
    EXPECT_EQ(resolved(*label, {"color"}), "color=#111111;");
}

TEST(KRDOMStyleResolution, SettingTheVersionRestylesEveryObservingDocument)
{
    auto sheet = sheetFrom("p{color:#000000}");
    auto counter = std::make_shared<domtest::RedrawCounter>();
    std::vector<KRDOMDocumentRef> documents;
    for (int i = 0; i < 2; i++) {
        auto document = KRDOMDocument::create();
        document->setStyleSheet(sheet);
        document->setRootElement(domtest::parseTree("<p>x</p>"));
        document->rootElement()->setDelegate(counter);
        documents.push_back(document);
    }
    domtest::parseStyleSheet("p{color:#ffffff}", *sheet);
    EXPECT_EQ(resolved(*documents[0]->rootElement(), {"color"}), "color=#000000;");
    sheet->setVersion(sheet->version() + 1);
    for (const auto& document : documents)
        EXPECT_EQ(resolved(*document->rootElement(), {"color"}), "color=#ffffff;");
    EXPECT_EQ(counter->redraws, 4); // a new style and a redraw request per document

    // A released document is no longer told; a replaced sheet no longer tells.
    documents.pop_back();
    auto other = sheetFrom("p{color:#00ff00}");
    documents[0]->setStyleSheet(other);
    EXPECT_EQ(resolved(*documents[0]->rootElement(), {"color"}), "color=#00ff00;");
    counter->redraws = 0;
    sheet->setVersion(sheet->version() + 1);
    EXPECT_EQ(counter->redraws, 0);
}

namespace {

struct OrderObserver final : KRDOMStyleSheetObserver {
    OrderObserver(std::string* log, char name) : log(log), name(name) {}
    void styleSheetVersionDidChange(KRDOMStyleSheet&, int, int) override { *log += name; }
    std::string* log;
    char name;
};

}

TEST(KRDOMStyleResolution, ObserversAreToldInOrderAndReleasedOnesDoNotPileUp)
{
    KRDOMStyleSheet sheet;
    std::string log;
    auto a = std::make_shared<OrderObserver>(&log, 'a');
    auto b = std::make_shared<OrderObserver>(&log, 'b');
    auto c = std::make_shared<OrderObserver>(&log, 'c');
    for (const auto& observer : {c, a, b})
        sheet.addObserver(observer);
    sheet.addObserver(a); // again: moves to the end, told once
    sheet.removeObserver(b.get());
    sheet.setVersion(1);
    EXPECT_EQ(log, "ca");

    // A long list's documents come and go; the sheet keeps only live ones.
    auto shared = std::make_shared<KRDOMStyleSheet>();
    std::vector<KRDOMDocumentRef> live;
    for (int i = 0; i < 5000; i++) {
        auto document = KRDOMDocument::create();
        document->setStyleSheet(shared);
        if (i % 1000 == 0)
            live.push_back(document);
    }
    EXPECT_EQ(shared->observerCount(), live.size());
    // Observers released without removing themselves stay bounded too.
    for (int i = 0; i < 5000; i++)
        sheet.addObserver(std::make_shared<OrderObserver>(&log, 'x'));
    EXPECT_LT(sheet.observerCount(), 200u);
    log.clear();
    sheet.setVersion(2);
    EXPECT_EQ(log, "ca");
    EXPECT_EQ(sheet.observerCount(), 2u);
}

TEST(KRDOMDocumentIds, FirstElementInDocumentOrderOwnsAnId)
{
    auto document = KRDOMDocument::create();
    document->setRootElement(domtest::parseTree("<a><b id=x>1</b><c><d id=y/></c><e id=x>2</e></a>"));
    ASSERT_TRUE(document->elementById("x"));
    EXPECT_EQ(document->elementById("x")->text(), "1");
    EXPECT_EQ(document->elementById("y")->name(), "d");

    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    KRDOMElementRef fresh = KRDOMElement::create("fresh");
    fresh->setEid("z");
    wrapper->addElement(fresh);
    document->setRootElement(fresh);
    EXPECT_EQ(document->elementById("x"), nullptr);
    EXPECT_EQ(document->elementById("z"), fresh);
    EXPECT_EQ(fresh->parentElement(), nullptr);
    EXPECT_TRUE(wrapper->childs().empty());
    EXPECT_EQ(fresh->document(), document);
}
