#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMActionElement.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMLayer.h"
#include "platform/graphics/Bitmap.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <functional>

using namespace domtest;
using pf::test::pixelIs;

namespace {

// Black at alpha 0.3 over white.
const pf::Color kHighlight = pf::Color::white(0.7);

constexpr const char* kTwoButtons =
    "<root width=100% height=100%>"
    "<action id=ok left=10 top=10 width=100 height=40/>"
    "<action id=red left=150 top=10 width=100 height=40 action-color=#ff0000 corner-radius=10/>"
    "</root>";

std::shared_ptr<KRDOMActionElement> action(const KRDOMElementRef& root, std::size_t index)
{
    return std::dynamic_pointer_cast<KRDOMActionElement>(root->childs()[index]);
}

}

using KRDOMViewTouches = DocumentViewTest;

TEST_F(KRDOMViewTouches, HighlightShowsWhileTheTouchIsInsideAndNeverSticks)
{
    KRDOMElementRef root = show(kTwoButtons);
    host->touchDown({60, 30});
    pf::BitmapRef frame = render();
    EXPECT_TRUE(pixelIs(*frame, {12, 12}, kHighlight));
    EXPECT_TRUE(pixelIs(*frame, {160, 30}, kWhite));
    host->touchMove({60, 150}); // out of the element: highlight off, still inset
    EXPECT_TRUE(pixelIs(*render(), {12, 12}, kWhite));
    EXPECT_TRUE(action(root, 0)->insetTouch());
    host->touchUp({60, 150}); // ends elsewhere and still acts
    EXPECT_EQ(recorder->actions, std::vector<std::string>{"ok"});

    host->touchDown({200, 30});
    frame = render();
    EXPECT_TRUE(pixelIs(*frame, {200, 30}, kRed));
    EXPECT_TRUE(pixelIs(*frame, {151, 11}, kWhite)); // rounded corner of the highlight
    host->touchUp({200, 30});
    EXPECT_TRUE(pixelIs(*render(), {200, 30}, kWhite));
}

TEST_F(KRDOMViewTouches, TheTopmostDeepestVisibleElementTakesTheTouchDown)
{
    struct Row {
        const char* markup;
        pf::Point at;
        std::vector<std::string> actions;
    };
    for (const Row& row : std::vector<Row>{
             {"<r width=100% height=100%><action id=a width=100 height=100/>"
              "<action id=b left=50 width=100 height=100/></r>",
              {75, 50}, {"b"}},
             {"<r width=100% height=100%><action id=outer width=200 height=100>"
              "<action id=inner left=10 top=10 width=50 height=50/></action></r>",
              {20, 20}, {"inner"}},
             {"<r width=100% height=100%><action id=outer width=200 height=100>"
              "<action id=inner left=10 top=10 width=50 height=50/></action></r>",
              {100, 20}, {"outer"}},
             {"<r width=100% height=100%><action id=a width=100 height=100/>"
              "<action id=hidden hidden=true width=100 height=100/></r>",
              {50, 50}, {"a"}},
             {"<r width=100% height=100%><action id=a width=100 height=100/>"
              "<box visable=false width=100 height=100><action id=b width=100 height=100/></box></r>",
              {50, 50}, {"a"}},
             {"<r width=50 height=50><action id=a width=300 height=300/></r>", {100, 100}, {}},
         }) {
        recorder->actions.clear();
        show(row.markup);
        host->tap(row.at);
        EXPECT_EQ(recorder->actions, row.actions) << row.markup;
    }
}

TEST_F(KRDOMViewTouches, HighlightingAnOuterActionHighlightsItsChildren)
{
    KRDOMElementRef root = show("<r width=100% height=100%><action id=outer width=200 height=100>"
                                "<action id=inner left=10 top=10 width=50 height=50><e/></action></action></r>");
    auto outer = action(root, 0);
    host->touchDown({100, 50});
    EXPECT_TRUE(outer->isHighlighted());
    EXPECT_TRUE(outer->childs()[0]->isHighlighted());
    EXPECT_TRUE(outer->childs()[0]->childs()[0]->isHighlighted());
    host->touchUp({100, 50});
    EXPECT_FALSE(outer->childs()[0]->childs()[0]->isHighlighted());
}

TEST_F(KRDOMViewTouches, TouchInProgressIsCancelledWhenItsElementOrTreeGoesAway)
{
    // A new tree, the element alone leaving the tree, the host going away.
    const std::vector<std::function<void(KRDOMElement&)>> endings = {
        [&](KRDOMElement&) { show(kTwoButtons); },
        [&](KRDOMElement& ok) { ok.removeFromParentElement(); },
        [&](KRDOMElement&) {
            view->removeFromSuperview();
            view.reset();
        },
    };
    for (std::size_t i = 0; i < endings.size(); ++i) {
        auto ok = action(show(kTwoButtons), 0);
        host->touchDown({60, 30});
        ASSERT_TRUE(ok->highlightedLayer()->superview()) << i;
        endings[i](*ok);
        host->touchUp({60, 30});
        EXPECT_FALSE(ok->highlightedLayer()->superview()) << i;
        EXPECT_FALSE(ok->insetTouch()) << i;
        EXPECT_FALSE(ok->isHighlighted()) << i;
    }
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(KRDOMViewTouches, DelegateThatReplacesTheTreeFromTheActionIsSafe)
{
    struct Replacer : ActionRecorder {
        void krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element) override
        {
            ActionRecorder::krDOMViewDoActionElement(view, element);
            view.setElement(nullptr);
        }
    };
    auto replacer = std::make_shared<Replacer>();
    view->setDelegate(replacer);
    show(kTwoButtons); // the view holds the only reference to the tree
    host->tap({60, 30});
    EXPECT_EQ(replacer->actions, std::vector<std::string>{"ok"});
    EXPECT_FALSE(view->element());
    EXPECT_TRUE(view->subviews().empty());
}

using KRDOMViewDrawing = DocumentViewTest;

TEST_F(KRDOMViewDrawing, TreeIsDrawnAndLaidOutToTheViewSize)
{
    KRDOMElementRef root = show("<r width=100% height=100% background-color=#0000ff>"
                                "<bar left=auto right=0 width=50% height=20 background-color=#ff0000/></r>");
    pf::BitmapRef frame = render();
    EXPECT_TRUE(pixelIs(*frame, {310, 10}, kRed));
    EXPECT_TRUE(pixelIs(*frame, {10, 250}, kWhite));

    static_cast<pf::View&>(*view).setFrame({0, 0, 200, 300}); // as a superview or an animation would
    EXPECT_EQ(dumpTree(*root, Dump::Frames), "r (0, 0, 200, 300)\n  bar (100, 0, 100, 20)\n");
    frame = render();
    EXPECT_TRUE(pixelIs(*frame, {150, 10}, kRed));
    EXPECT_TRUE(pixelIs(*frame, {10, 250}, kBlue));

    // Autoresizing reaches the tree through layout.
    view->setAutoresizingMask(pf::Autoresizing::FlexibleWidth);
    window->setBounds({0, 0, 420, 568});
    render();
    EXPECT_EQ(root->frame().width(), 300);
}

TEST_F(KRDOMViewDrawing, WithoutAutoLayoutTheTreeKeepsItsFrames)
{
    view->setAllowAutoLayout(false);
    KRDOMElementRef root = laidOutTree(
        "<r width=50 height=50 background-color=#ff0000><c width=100% height=100%/></r>", {500, 500});
    view->setElement(root);
    view->setFrame({0, 0, 300, 300});
    EXPECT_EQ(root->frame(), pf::Rect(0, 0, 50, 50));
    pf::BitmapRef frame = render();
    EXPECT_TRUE(pixelIs(*frame, {25, 25}, kRed));
    EXPECT_TRUE(pixelIs(*frame, {75, 25}, kWhite));
}

namespace {

class ActionImageTest : public DocumentViewTest {
protected:
    PictureFolder pictures{"action"};
};

}

TEST_F(ActionImageTest, HighlightImageFromTheDocumentsBundleIsPlacedByItsGravity)
{
    struct Row {
        const char* gravity;
        pf::Point green, background;
    };
    pictures.write("mark.png", picture(10, 10, [](int, int) { return kGreen; }));
    for (const Row& row : std::vector<Row>{{"topleft", {5, 5}, {50, 30}}, {"bottomright", {95, 35}, {50, 5}}}) {
        KRDOMDocumentRef document = KRDOMDocument::create();
        document->setBundle(pictures.bundle());
        KRDOMElementRef root = parseTyped(
            "<r width=100% height=100%><action width=100 height=40 action-image=mark.png "
            "action-color=#ff0000/></r>");
        root->childs()[0]->setAttributeValue(row.gravity, "action-gravity");
        document->setRootElement(root);
        view->setElement(root);
        host->touchDown({50, 20});
        pf::BitmapRef frame = render();
        EXPECT_TRUE(pixelIs(*frame, row.green, kGreen)) << row.gravity;
        EXPECT_TRUE(pixelIs(*frame, row.background, kRed)) << row.gravity;
        host->touchUp({50, 20});
    }
}
