#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMDocument.h"
#include "platform/graphics/Bitmap.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace domtest;
using pf::test::pixelIs;

TEST(KRDOMDrawing, ChildrenPaintBackgroundsInsideRoundedClipsWithInnerBorders)
{
    KRDOMElementRef root = laidOutTree(
        "<box width=100 height=100 background-color=#00ff00>"
        "<card left=10 top=10 width=60 height=60 background-color=#ff0000 corner-radius=20 border-width=4 "
        "border-color=#0000ff><dot left=30 top=30 width=20 height=20 background-color=#ffffff/></card>"
        "<flat left=80 top=80 width=20 height=20 background-color=#ff0000 border-width=4 border-color=#0000ff/>"
        "</box>",
        {100, 100});
    pf::BitmapRef picture = renderTree(*root, {100, 100});
    struct Probe {
        pf::Point at;
        pf::Color color;
    };
    for (const Probe& probe : std::vector<Probe>{
             {{5, 5}, kGreen},    // the root's own background
             {{11, 11}, kGreen},  // cut off by the card's rounded corner
             {{30, 30}, kRed},    // the card's background
             {{50, 50}, kWhite},  // a grandchild at its own place in the card
             {{11, 40}, kBlue},   // the inner half of the card's border
             {{9, 40}, kGreen},   // the outer half is clipped away
             {{80.5, 90}, kBlue}, // a square child's border
         })
        EXPECT_TRUE(pixelIs(*picture, probe.at, probe.color)) << probe.at.x << ", " << probe.at.y;
}

TEST(KRDOMDrawing, ChildPartlyOutsideIsCutAtTheEdgeNotMoved)
{
    // The child reaches 20 points out to the left; its left half (green)
    // lies outside the parent and its right half (red) inside.
    KRDOMElementRef root = laidOutTree(
        "<box width=100 height=100>"
        "<wide left=-20 top=-20 width=40 height=40>"
        "<l width=20 height=40 background-color=#00ff00/>"
        "<r left=20 width=20 height=40 background-color=#ff0000/></wide>"
        "</box>",
        {100, 100});
    pf::BitmapRef picture = renderTree(*root, {100, 100});
    EXPECT_TRUE(pixelIs(*picture, {5, 5}, kRed));
    EXPECT_TRUE(pixelIs(*picture, {25, 5}, kWhite));
}

TEST(KRDOMDrawing, HiddenElementsDrawNothingButTheirParentStrokesTheirBorder)
{
    KRDOMElementRef root = laidOutTree(
        "<box width=100 height=100>"
        "<gone hidden=true left=0 top=0 width=40 height=40 background-color=#ff0000 border-width=4 "
        "border-color=#0000ff><inner width=40 height=40 background-color=#00ff00/></gone>"
        "<shut visable=false left=50 top=0 width=40 height=40>"
        "<inner width=40 height=40 background-color=#ff0000/></shut>"
        "<away left=200 top=0 width=40 height=40 background-color=#ff0000 border-width=4 border-color=#0000ff/>"
        "</box>",
        {100, 100});
    pf::BitmapRef picture = renderTree(*root, {100, 100});
    EXPECT_TRUE(pixelIs(*picture, {20, 20}, kWhite));
    EXPECT_TRUE(pixelIs(*picture, {1, 20}, kBlue));
    EXPECT_TRUE(pixelIs(*picture, {70, 20}, kWhite));
    EXPECT_TRUE(pixelIs(*picture, {99, 20}, kWhite));

    root->setAttributeValue("true", "hidden");
    picture = renderTree(*root, {100, 100});
    EXPECT_TRUE(pixelIs(*picture, {1, 20}, kWhite));
}

TEST(KRDOMDrawing, OversizedGeometryIsClampedBeforeItIsDrawn)
{
    // A radius beyond half the side and a border wider than the element are
    // clamped; a negative radius is none; sizes past the drawing library's
    // range and empty children are skipped without spoiling the context.
    KRDOMElementRef root = laidOutTree(
        "<box width=100 height=100>"
        "<big left=-1000 top=-1000 width=3000 height=3000 background-color=#ff0000 corner-radius=1e38 "
        "border-width=1e30 border-color=#0000ff/>"
        "<huge left=-1e38 top=-1e38 width=1e39 height=1e39 background-color=#ff0000 border-width=1e30 "
        "border-color=#0000ff corner-radius=1e38/>"
        "<flat left=10 top=60 width=30 height=0 background-color=#00ff00 border-width=2 border-color=#00ff00/>"
        "<round left=50 top=50 width=40 height=40 background-color=#00ff00 corner-radius=-5/>"
        "</box>",
        {100, 100});
    pf::BitmapRef picture = renderTree(*root, {100, 100});
    EXPECT_TRUE(pixelIs(*picture, {51, 51}, kGreen));
    EXPECT_TRUE(pixelIs(*picture, {89, 89}, kGreen));
    EXPECT_TRUE(pixelIs(*picture, {20, 60}, kBlue));

    root->childs()[0]->setAttributeValue("4", "border-width");
    picture = renderTree(*root, {100, 100});
    EXPECT_TRUE(pixelIs(*picture, {20, 60}, kRed));
}

namespace {

// A bundle folder with a 20 x 20 picture "bg.png" (five red columns, one
// green, fourteen blue) and a "broken.png" that is no picture.
class BackgroundImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pictures.write("bg.png", domtest::picture(20, 20, [](int x, int) { return x < 5 ? kRed : x == 5 ? kGreen : kBlue; }));
        std::ofstream(pictures.path / "broken.png") << "not a picture";
    }

    pf::BitmapRef renderWithImage(const char* value)
    {
        KRDOMDocumentRef document = KRDOMDocument::create();
        document->setBundle(pictures.bundle());
        KRDOMElementRef root = laidOutTree("<box width=100 height=40><bg width=100 height=40/></box>", {100, 40});
        root->childs()[0]->setAttributeValue(value, "background-image");
        document->setRootElement(root);
        return renderTree(*root, {100, 40});
    }

    PictureFolder pictures{"images"};
};

}

TEST_F(BackgroundImageTest, CapsKeepTheirColumnsAndTheColumnAfterTheLeftCapStretches)
{
    struct Row {
        const char* value;
        pf::Color at2, at50, at95;
    };
    for (const Row& row : std::vector<Row>{
             {"bg.png 5 5", kRed, kGreen, kBlue}, // through the stretchable centre
             {"bg.png 5", kRed, kGreen, kBlue},   // top cap 0: drawn directly, same stretch
             {"bg.png", kRed, kBlue, kBlue},      // no caps: the whole picture scaled
             {"bg.png 500 500", kRed, kBlue, kBlue}, // caps keep the last column to stretch
             {"broken.png 5 5", kWhite, kWhite, kWhite},
             {"../bg.png", kWhite, kWhite, kWhite},
         }) {
        pf::BitmapRef picture = renderWithImage(row.value);
        EXPECT_TRUE(pixelIs(*picture, {2, 20}, row.at2)) << row.value;
        EXPECT_TRUE(pixelIs(*picture, {50, 20}, row.at50)) << row.value;
        EXPECT_TRUE(pixelIs(*picture, {95, 20}, row.at95)) << row.value;
    }
}

TEST(KRDOMConvertRect, StepsAddOriginsAndClipToEachFrameBelowTheAncestor)
{
    KRDOMElementRef root = laidOutTree(
        "<root width=300 height=300><mid left=20 width=100 height=100><leaf left=5 top=5 width=10 height=10/>"
        "<edge left=95 top=95 width=10 height=10/></mid></root>",
        {300, 300});
    KRDOMElementRef mid = root->childs()[0];
    KRDOMElementRef leaf = mid->childs()[0];
    KRDOMElementRef edge = mid->childs()[1];
    KRDOMElementRef stranger = KRDOMElement::create("x");
    stranger->setFrame({7, 7, 50, 50});
    struct Row {
        const KRDOMElement* element;
        const KRDOMElement* ancestor;
        pf::Rect expected;
    };
    for (const Row& row : std::vector<Row>{
             {leaf.get(), root.get(), {25, 5, 10, 10}},
             {leaf.get(), mid.get(), {5, 5, 10, 10}},
             {leaf.get(), leaf.get(), {0, 0, 10, 10}},
             {edge.get(), root.get(), {115, 95, 5, 5}},
             {leaf.get(), stranger.get(), {25, 5, 10, 10}}, // not an ancestor: up to the root's frame
         })
        EXPECT_EQ(row.element->convertRect({0, 0, 10, 10}, row.ancestor), row.expected)
            << row.element->name() << " in " << row.ancestor->name();
}
