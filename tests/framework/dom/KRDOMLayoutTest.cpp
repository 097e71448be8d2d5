#include "DOMTestSupport.h"

#include "framework/dom/KRDOMElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using domtest::Dump;
using domtest::dumpTree;
using domtest::parseTree;

namespace {

// Lays the markup out in the offered size and dumps the frames.
std::string laidOut(const char* markup, pf::Size available, pf::Size* content = nullptr)
{
    KRDOMElementRef root = parseTree(markup);
    EXPECT_TRUE(root) << markup;
    if (!root)
        return {};
    pf::Size size = root->layout(available);
    if (content)
        *content = size;
    return dumpTree(*root, Dump::Frames);
}

}

TEST(KRDOMLayoutSizes, WidthsResolveAgainstTheOfferedWidth)
{
    struct Row {
        const char* width;
        double resolved;
    };
    for (const Row& row : std::vector<Row>{
             {"50%", 150}, {"100%-20", 280}, {"50%+4", 154}, {"120", 120}, {nullptr, 0}, {"x", 0},
             {"-10", -10}, {"1e39", FLT_MAX}, {"200%+1e39", FLT_MAX}, {"auto ", 0},
         }) {
        KRDOMElementRef e = KRDOMElement::create("e");
        if (row.width)
            e->setAttributeValue(row.width, "width");
        e->layout({300, 100});
        EXPECT_EQ(e->frame().width(), row.resolved) << (row.width ? row.width : "(missing)");
    }
}

TEST(KRDOMLayoutSizes, AutoSizesTakeTheContentWithinMaxThenMin)
{
    struct Row {
        const char* limits;
        const char* frames;
    };
    for (const Row& row : std::vector<Row>{
             {"", "p (0, 0, 100, 50)\n  c (10, 10, 80, 20)\n"},
             {"max-width=90", "p (0, 0, 90, 50)\n  c (10, 10, 80, 20)\n"},
             {"min-width=120", "p (0, 0, 120, 50)\n  c (10, 10, 80, 20)\n"},
             {"max-width=90 min-width=120", "p (0, 0, 120, 50)\n  c (10, 10, 80, 20)\n"},
             {"height=auto max-height=30", "p (0, 0, 100, 30)\n  c (10, 10, 80, 20)\n"},
             {"height=auto min-height=70", "p (0, 0, 100, 70)\n  c (10, 10, 80, 20)\n"},
         }) {
        std::string markup = std::string("<p width=auto height=50 padding=10 ") + row.limits +
                             "><c width=80 height=20/></p>";
        EXPECT_EQ(laidOut(markup.c_str(), {300, 300}), row.frames) << row.limits;
    }
    // Limits apply only to auto sizes.
    EXPECT_EQ(laidOut("<p width=200 height=50 max-width=90/>", {300, 300}), "p (0, 0, 200, 50)\n");
}

TEST(KRDOMLayoutPositions, ChildrenArePlacedInsideThePaddingByOffsetsOrInFlowingLines)
{
    struct Row {
        const char* markup;
        const char* frames;
        pf::Size content;
    };
    for (const Row& row : std::vector<Row>{
             {"<p width=200 height=100 padding-left=20 padding-right=5 padding-bottom=8>"
              "<a width=50 height=10 left=auto right=auto top=auto bottom=auto/><b width=50 height=10 right=10/>"
              "<c width=50 height=10 left=auto right=10 top=auto bottom=4/><d width=50 height=10 left=3 top=7/></p>",
              "p (0, 0, 200, 100)\n  a (75, 45, 50, 10)\n  b (20, 0, 50, 10)\n  c (135, 78, 50, 10)\n"
              "  d (23, 7, 50, 10)\n",
              {190, 96}},
             // Empty elements have their padding as content only when they flow.
             {"<p width=10 height=10 padding=3 padding-left=1/>", "p (0, 0, 10, 10)\n", {}},
             {"<p layout=flow width=10 height=10 padding=3 padding-left=1/>", "p (0, 0, 10, 10)\n", {4, 6}},
             {"<f layout=flow width=100 height=50><a width=40 height=10/><b width=40 height=15/>"
              "<c width=40 height=10/></f>",
              "f (0, 0, 100, 50)\n  a (0, 0, 40, 10)\n  b (40, 0, 40, 15)\n  c (0, 15, 40, 10)\n",
              {80, 25}},
             {"<f layout=flow width=100 height=50><a width=150 height=10/><b width=40 height=10/></f>",
              "f (0, 0, 100, 50)\n  a (0, 0, 150, 10)\n  b (0, 10, 40, 10)\n",
              {150, 20}},
             {"<f layout=flow width=100 height=auto padding=5><a width=30 height=10 margin=2/>"
              "<b width=30 height=10 margin=2 margin-top=6/><c width=30 height=10 margin=2/></f>",
              "f (0, 0, 100, 42)\n  a (7, 7, 30, 10)\n  b (41, 11, 30, 10)\n  c (7, 25, 30, 10)\n",
              {78, 42}},
             {"<f layout=flow width=100 height=50><a width=100% height=50% margin-left=10 hidden=yes/></f>",
              "f (0, 0, 100, 50)\n  a (10, 0, 90, 25)\n",
              {100, 25}},
         }) {
        pf::Size content;
        EXPECT_EQ(laidOut(row.markup, {300, 300}, &content), row.frames) << row.markup;
        EXPECT_EQ(content, row.content) << row.markup;
    }
}

TEST(KRDOMLayoutAuto, ChildrenOfAnAutoElementStayFinite)
{
    KRDOMElementRef root = parseTree("<p width=auto height=auto>"
                                     "<a width=50% height=200%+1e38/><b width=10 height=10 left=auto right=auto/>"
                                     "<f layout=flow width=auto><c width=100%+1e38 height=1/><d width=1e39 height=1/></f>"
                                     "</p>");
    ASSERT_TRUE(root);
    pf::Size content = root->layout({320, 480});
    EXPECT_TRUE(std::isfinite(content.width) && std::isfinite(content.height));
    std::function<void(const KRDOMElement&)> check = [&](const KRDOMElement& e) {
        pf::Rect f = e.frame();
        for (double v : {f.x(), f.y(), f.width(), f.height(), e.contentSize().width, e.contentSize().height})
            EXPECT_TRUE(std::isfinite(v)) << dumpTree(e, Dump::Frames);
        for (const KRDOMElementRef& child : e.childs())
            check(*child);
    };
    check(*root);
    // Percentages of the auto marker are huge, and centred children land far right.
    EXPECT_GT(root->childs()[0]->frame().width(), 1e37);
    EXPECT_GT(root->childs()[1]->frame().x(), 1e37);
    EXPECT_EQ(root->frame().width(), FLT_MAX);
}

TEST(KRDOMLayoutAuto, RelayoutKeepsTheFrameAndRefreshesTheContent)
{
    KRDOMElementRef root = parseTree("<p width=100 height=100 padding=4><a width=10 height=10/></p>");
    root->layout({200, 200});
    root->childs()[0]->setAttributeValue("30", "width");
    EXPECT_EQ(root->layout(), (pf::Size{38, 18}));
    EXPECT_EQ(root->frame(), pf::Rect(0, 0, 100, 100));
    EXPECT_EQ(root->childs()[0]->frame(), pf::Rect(4, 4, 30, 10));
}
