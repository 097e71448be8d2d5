#include "DOMTestSupport.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

namespace {

class KRDOMMarkElement : public KRDOMElement {
public:
    using KRDOMElement::KRDOMElement;
};

KRDOMElementRef chain(int levels)
{
    KRDOMElementRef top = KRDOMElement::create("e");
    KRDOMElementRef bottom = top;
    for (int i = 0; i < levels; i++) {
        KRDOMElementRef next = KRDOMElement::create("e");
        EXPECT_TRUE(bottom->addElement(next));
        bottom = next;
    }
    return top;
}

}

TEST(KRDOMElementValues, RunTimeValuesAreApartFromAttributesAndGeometryStaysSane)
{
    KRDOMElementRef e = KRDOMElement::create("label");
    e->setAttributeValue("attr", "name");
    e->setValue(pf::Value("value"), "name");
    EXPECT_EQ(e->attributeValueForKey("name"), "attr");
    EXPECT_EQ(e->valueForKey("name"), pf::Value("value"));
    e->setCornerRadius(-4);
    EXPECT_EQ(e->cornerRadius(), 0);
    e->setFrame(pf::Rect(0, 0, INFINITY, NAN));
    EXPECT_EQ(e->frame(), pf::Rect(0, 0, FLT_MAX, 0));
    // The typed fields are reached by key as well.
    e->setValue(pf::Value(pf::Dictionary::create({{"x", 1}, {"y", 2}, {"width", 30}, {"height", 40}})), "frame");
    EXPECT_EQ(e->frame(), pf::Rect(1, 2, 30, 40));
}

TEST(KRDOMElementValues, AttributesWinOverTheStyle)
{
    KRDOMElementRef e = KRDOMElement::create("label");
    auto style = std::make_shared<KRDOMStyle>();
    style->setStringValue("10", "width");
    style->setStringValue("#ff0000", "color");
    e->setStyle(style);
    e->setAttributeValue("20", "width");
    EXPECT_EQ(e->floatValueForKey("width"), 20);
    EXPECT_EQ(e->colorValueForKey("color"), pf::Color::rgb(1, 0, 0));
}

TEST(KRDOMElementValues, HiddenDecidesBeforeVisable)
{
    struct Row {
        std::optional<std::string_view> hidden, visable;
        bool isHidden;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, std::nullopt, false},
             {"true", std::nullopt, true},
             {"false", "false", false},
             {std::nullopt, "false", true},
             {std::nullopt, "true", false},
             {"yes", "true", true},
         }) {
        KRDOMElementRef e = KRDOMElement::create("e");
        e->setAttributeValue(row.hidden, "hidden");
        e->setAttributeValue(row.visable, "visable");
        EXPECT_EQ(e->isHidden(), row.isHidden) << row.hidden.value_or("-") << " " << row.visable.value_or("-");
    }
}

TEST(KRDOMElementValues, PaddingSidesOverrideTheWholeAndNeverGoNegative)
{
    struct Row {
        std::vector<std::pair<const char*, const char*>> values;
        pf::EdgeInsets padding;
        pf::EdgeInsets margin;
    };
    for (const Row& row : std::vector<Row>{
             {{{"padding", "4"}, {"padding-left", "10"}}, {4, 10, 4, 4}, {}},
             {{{"padding", "-4"}, {"padding-top", "nan"}, {"margin", "-3"}}, {0, 0, 0, 0}, {-3, -3, -3, -3}},
             {{{"margin", "2"}, {"margin-right", "x"}, {"margin-bottom", "5"}}, {}, {2, 2, 5, 0}},
         }) {
        KRDOMElementRef e = KRDOMElement::create("e");
        for (auto [key, value] : row.values)
            e->setAttributeValue(value, key);
        EXPECT_EQ(e->padding(), row.padding);
        EXPECT_EQ(e->margin(), row.margin);
    }
}

TEST(KRDOMElementTree, AnElementHasOneParentAndTreesHaveNoCyclesAndABoundedDepth)
{
    KRDOMElementRef a = KRDOMElement::create("a");
    KRDOMElementRef b = KRDOMElement::create("b");
    KRDOMElementRef c = KRDOMElement::create("c");
    EXPECT_TRUE(a->addElement(c));
    EXPECT_TRUE(b->addElement(c));
    EXPECT_TRUE(a->childs().empty());
    EXPECT_TRUE(b->insertElement(KRDOMElement::create("d"), 0));
    EXPECT_TRUE(b->insertElement(KRDOMElement::create("z"), 99));
    EXPECT_EQ(domtest::dumpTree(*b), "b\n  d\n  c\n  z\n");
    c->removeFromParentElement();
    EXPECT_EQ(c->parentElement(), nullptr);
    EXPECT_EQ(domtest::dumpTree(*b), "b\n  d\n  z\n");

    a->addElement(b);
    b->addElement(c);
    EXPECT_FALSE(a->addElement(a));
    EXPECT_FALSE(c->addElement(a));
    EXPECT_FALSE(a->addElement(nullptr));
    EXPECT_EQ(c->parentElement(), b);
    EXPECT_EQ(a->parentElement(), nullptr);

    KRDOMElementRef deep = chain(KRDOMElement::kMaxDepth - 1);
    EXPECT_TRUE(KRDOMElement::create("top")->addElement(deep));
    EXPECT_FALSE(KRDOMElement::create("top")->addElement(chain(KRDOMElement::kMaxDepth)));
    KRDOMElement unowned("unowned", "");
    EXPECT_FALSE(unowned.addElement(KRDOMElement::create("x")));
}

TEST(KRDOMElementTree, ReleasedParentAndDocumentReadAsNull)
{
    KRDOMElementRef child = KRDOMElement::create("child");
    KRDOMElementRef grandchild = KRDOMElement::create("grandchild");
    child->addElement(grandchild);
    {
        KRDOMDocumentRef document = KRDOMDocument::create();
        KRDOMElementRef root = KRDOMElement::create("root");
        root->addElement(child);
        document->setRootElement(root);
        EXPECT_EQ(grandchild->document(), document);
        EXPECT_EQ(child->parentElement(), root);
    }
    EXPECT_EQ(child->parentElement(), nullptr);
    EXPECT_EQ(child->document(), nullptr);
    EXPECT_EQ(grandchild->document(), nullptr);
    EXPECT_EQ(grandchild->parentElement(), child);
}

TEST(KRDOMElementTree, SearchByClassWalksInPreOrder)
{
    KRDOMElementRef root = KRDOMElement::create("root");
    auto first = std::make_shared<KRDOMMarkElement>("m1", "");
    auto second = std::make_shared<KRDOMMarkElement>("m2", "");
    KRDOMElementRef plain = KRDOMElement::create("plain");
    root->addElement(first);
    first->addElement(plain);
    plain->addElement(second);

    std::vector<std::shared_ptr<KRDOMMarkElement>> marks;
    root->searchElementsByClass<KRDOMMarkElement>(KRDOMClassMatch::Exact, marks);
    EXPECT_EQ(marks, (std::vector<std::shared_ptr<KRDOMMarkElement>>{first, second}));
    std::vector<KRDOMElementRef> exact, all;
    root->searchElementsByClass<KRDOMElement>(KRDOMClassMatch::Exact, exact);
    root->searchElementsByClass<KRDOMElement>(KRDOMClassMatch::Inherit, all);
    EXPECT_EQ(exact.size(), 2u);
    EXPECT_EQ(all.size(), 4u);
}
