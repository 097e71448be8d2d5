#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMActionElement.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRDOMScrollView.h"
#include "framework/dom/KRDOMViewElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace domtest;
using pf::test::pixelIs;

namespace {

const pf::Color kYellow = pf::Color::rgb(1, 1, 0);

// Four bands, one per 800-point page of a 400-point high view.
constexpr const char* kBands = "<r width=100% height=3000>"
                               "<b top=0 width=100% height=800 background-color=#ff0000/>"
                               "<b top=800 width=100% height=800 background-color=#00ff00/>"
                               "<b top=1600 width=100% height=800 background-color=#0000ff/>"
                               "<b top=2400 width=100% height=600 background-color=#ffff00/></r>";

// The document view of the base fixture makes way for a 320 x 400 scroll view.
class KRDOMScrollViewTest : public DocumentViewTest {
protected:
    void SetUp() override
    {
        DocumentViewTest::SetUp();
        view->removeFromSuperview();
        makeScrollView();
    }
    void makeScrollView()
    {
        if (scroll)
            scroll->removeFromSuperview();
        scroll = KRDOMScrollView::create({0, 0, 320, 400});
        window->addSubview(scroll);
    }
    void TearDown() override
    {
        scroll.reset();
        DocumentViewTest::TearDown();
    }

    std::shared_ptr<KRDOMScrollView> scroll;
};

}

TEST_F(KRDOMScrollViewTest, OnlyVisiblePagesHaveTilesWhichShowTheirBandAndAreReused)
{
    scroll->setElement(parseTyped(kBands));
    EXPECT_EQ(scroll->contentSize().height, 3000);
    struct Row {
        double offset;
        std::vector<std::int32_t> pages;
        pf::Color top, bottom; // at 10 and 390 points down the view
    };
    for (const Row& row : std::vector<Row>{{0, {0}, kRed, kRed},
                                           {700, {0, 1}, kRed, kGreen},
                                           {900, {1}, kGreen, kGreen},
                                           {2600, {3}, kYellow, kYellow},
                                           {1500, {1, 2}, kGreen, kBlue},
                                           {0, {0}, kRed, kRed}}) {
        scroll->setContentOffset({0, row.offset});
        EXPECT_EQ(scroll->visiblePages(), row.pages) << row.offset;
        pf::BitmapRef frame = render();
        EXPECT_TRUE(pixelIs(*frame, {160, 10}, row.top)) << row.offset;
        EXPECT_TRUE(pixelIs(*frame, {160, 390}, row.bottom)) << row.offset;
    }
    EXPECT_EQ(scroll->contentViews().size(), 2u); // never more than were shown at once

    // A new width lays the tree out again and redraws the tiles.
    scroll->setFrame({0, 0, 200, 400});
    pf::BitmapRef frame = render();
    EXPECT_TRUE(pixelIs(*frame, {100, 10}, kRed));
    EXPECT_TRUE(pixelIs(*frame, {260, 10}, kWhite));

    scroll->setElement(nullptr);
    EXPECT_TRUE(scroll->visiblePages().empty());
}

TEST_F(KRDOMScrollViewTest, DegeneratePagesOrContentMakeNoTilesAndHugeContentIsCut)
{
    struct Row {
        const char* markup;
        double pageScale, height;
    };
    for (const Row& row : std::vector<Row>{{"<r width=100% height=0/>", 0, 400},
                                           {kBands, std::numeric_limits<double>::quiet_NaN(), 400},
                                           {kBands, -1, 400},
                                           {kBands, 0, 0}}) {
        auto v = KRDOMScrollView::create({0, 0, 320, row.height});
        v->setPageScale(row.pageScale);
        v->setElement(parseTyped(row.markup));
        EXPECT_TRUE(v->contentViews().empty()) << row.markup << " " << row.pageScale;
    }
    // A tiny page scale still makes a bounded number of tiles.
    scroll->setPageScale(1e-9);
    scroll->setElement(parseTyped(kBands));
    EXPECT_LE(scroll->contentViews().size(), 17u);

    scroll->setElement(parseTyped("<r width=100% height=5000000><b top=4999000 height=10/></r>"));
    EXPECT_EQ(scroll->contentSize().height, KRDOMScrollView::kMaxContentHeight);
    scroll->setContentOffset({0, KRDOMScrollView::kMaxContentHeight - 400});
    EXPECT_FALSE(scroll->visiblePages().empty());
}

TEST_F(KRDOMScrollViewTest, TilesRedrawWhenAPictureArrives)
{
    KRDOMElementRef root = parseTyped("<r width=100% height=2000><img top=100 width=100 height=100/></r>");
    auto img = std::dynamic_pointer_cast<KRDOMImageElement>(root->childs().at(0));
    scroll->setElement(root);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(pixelIs(*render(), {50, 150}, kWhite));
    img->setImage(solidImage(4, 4, kRed), false);
    pf::RunLoop::main().runUntilIdle(); // the redraw request is posted
    EXPECT_TRUE(pixelIs(*render(), {50, 150}, kRed));
}

TEST_F(KRDOMScrollViewTest, NoHighlightSticksWhenTheTouchIsDraggedOrItsTreeOrViewGoes)
{
    constexpr const char* kButton = "<r width=100% height=2000>"
                                    "<action id=ok left=10 top=10 width=100 height=40/>"
                                    "<action id=hidden hidden=true left=10 top=100 width=100 height=40/></r>";
    enum class End { Drag, Replace, Destroy };
    for (End end : {End::Drag, End::Replace, End::Destroy}) {
        makeScrollView(); // not still moving from a drag
        KRDOMElementRef root = parseTyped(kButton);
        scroll->setElement(root);
        auto ok = std::dynamic_pointer_cast<KRDOMActionElement>(root->childs()[0]);
        auto hidden = std::dynamic_pointer_cast<KRDOMActionElement>(root->childs()[1]);
        host->touchDown({60, 120});
        EXPECT_FALSE(hidden->isHighlighted());
        host->touchUp({60, 120});
        host->touchDown({60, 30});
        ASSERT_TRUE(ok->isHighlighted());
        EXPECT_TRUE(pixelIs(*render(), {12, 12}, pf::Color::white(0.7)));
        if (end == End::Drag) {
            for (double y = 40; y <= 200; y += 20)
                host->touchMove({60, y});
            host->touchUp({60, 200});
        } else if (end == End::Replace) {
            scroll->setElement(parseTyped(kButton));
            host->touchUp({60, 30});
        } else {
            scroll->removeFromSuperview();
            scroll.reset();
            host->touchUp({60, 30});
        }
        EXPECT_FALSE(ok->isHighlighted()) << int(end);
        EXPECT_FALSE(ok->insetTouch()) << int(end);
        EXPECT_FALSE(ok->highlightedLayer() && ok->highlightedLayer()->superview()) << int(end);
        EXPECT_EQ(ok->delegate() != nullptr, end == End::Drag) << int(end); // unbound when it went
    }
}

TEST_F(KRDOMScrollViewTest, NativeViewsAreHostedAsInThePlainDocumentView)
{
    window->addSubview(view);
    struct Host {
        const char* name;
        pf::ViewRef view;
        std::function<void(const KRDOMElementRef&)> show;
        std::function<pf::ViewRef(std::string_view)> kept;
    };
    for (const Host& h : std::vector<Host>{
             {"plain", view, [&](const KRDOMElementRef& r) { view->setElement(r); },
              [&](std::string_view eid) { return view->elementViewForId(eid); }},
             {"scrolling", scroll, [&](const KRDOMElementRef& r) { scroll->setElement(r); },
              [&](std::string_view eid) { return scroll->elementViewForId(eid); }},
         }) {
        KRDOMElementRef first = parseTyped("<r width=100% height=150><view id=twin left=10 top=20 width=10 height=10/>"
                                           "<view id=twin left=50 top=20 width=10 height=10/>"
                                           "<view id=gone left=90 width=10 height=10/></r>");
        h.show(first);
        auto nativeView = [](const KRDOMElementRef& root, std::size_t i) {
            return std::dynamic_pointer_cast<KRDOMViewElement>(root->childs()[i])->view();
        };
        // Twins each have a view of their own, placed at their laid-out frames.
        pf::ViewRef a = nativeView(first, 0), b = nativeView(first, 1), gone = nativeView(first, 2);
        EXPECT_NE(a, b) << h.name;
        EXPECT_EQ(a->superview(), h.view) << h.name;
        EXPECT_EQ(b->superview(), h.view) << h.name;
        EXPECT_EQ(a->frame(), pf::Rect(10, 20, 10, 10)) << h.name;
        EXPECT_EQ(b->frame(), pf::Rect(50, 20, 10, 10)) << h.name;
        EXPECT_EQ(h.kept("gone"), gone) << h.name;

        // A new tree takes back the view of its id; the others leave.
        KRDOMElementRef second = parseTyped("<r width=100% height=150><view id=twin left=100 top=5 width=30 height=30/></r>");
        h.show(second);
        EXPECT_EQ(nativeView(second, 0), a) << h.name;
        EXPECT_EQ(a->frame(), pf::Rect(100, 5, 30, 30)) << h.name;
        EXPECT_EQ(a->superview(), h.view) << h.name;
        EXPECT_FALSE(b->superview() || gone->superview()) << h.name;
        EXPECT_FALSE(h.kept("gone")) << h.name;
    }
}
