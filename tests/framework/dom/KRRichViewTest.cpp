#include "DOMHostTestSupport.h"

#include "framework/dom/KRRich.h"
#include "framework/dom/KRRichView.h"
#include "framework/dom/KRRichViewElement.h"
#include "platform/graphics/Bitmap.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

using domtest::DocumentViewTest;

namespace {

// Text over a few lines at 300 points wide, then an inline view of 20 x 10.
struct RichWithView {
    RichWithView()
    {
        rich->appendText("Saving a little every day 每天存一点钱, and the feed shows what friends saved.", {});
        element->setSize({20, 10});
        element->setView(view);
        rich->appendElement(element);
    }
    std::shared_ptr<KRRich> rich = std::make_shared<KRRich>();
    std::shared_ptr<KRRichViewElement> element = std::make_shared<KRRichViewElement>();
    pf::ViewRef view = pf::View::create();
};

// The document view of the fixture makes way for a 300 x 200 rich view.
class KRRichViewTest : public DocumentViewTest {
protected:
    void SetUp() override
    {
        DocumentViewTest::SetUp();
        view->removeFromSuperview();
        window->addSubview(richView);
    }
    std::shared_ptr<KRRichView> richView = KRRichView::create({0, 0, 300, 200});
};

}

TEST_F(KRRichViewTest, ViewElementsSitOnTheirBoxesAndLeaveWithTheirText)
{
    RichWithView first, second;
    richView->setRich(first.rich);
    EXPECT_EQ(first.view->superview(), richView);
    EXPECT_EQ(first.view->frame(), first.rich->elementBox(*first.element, {300, 200}));

    // A narrower view wraps the text again: the view moves with its box.
    richView->setFrame({0, 0, 120, 200});
    richView->layoutIfNeeded();
    std::optional<pf::Rect> narrow = first.rich->elementBox(*first.element, {120, 200});
    ASSERT_TRUE(narrow);
    EXPECT_GT(narrow->y(), 0);
    EXPECT_EQ(first.view->frame(), *narrow);

    struct Row {
        const char* step;
        std::shared_ptr<KRRich> rich;
        bool firstOn, secondOn;
    };
    for (const Row& row : std::vector<Row>{
             {"replaced", second.rich, false, true},
             {"set again", second.rich, false, true},
             {"cleared", nullptr, false, false},
         }) {
        render(); // draws what needed drawing
        richView->setRich(row.rich);
        EXPECT_EQ(first.view->superview() == richView, row.firstOn) << row.step;
        EXPECT_EQ(second.view->superview() == richView, row.secondOn) << row.step;
        EXPECT_EQ(richView->needsDisplay(), std::string(row.step) != "set again") << row.step;
    }
    EXPECT_FALSE(richView->drawsContent());
}

TEST_F(KRRichViewTest, TextIsDrawnFromTheTopLeftUnflipped)
{
    RichWithView text;
    richView->setRich(text.rich);
    double height = text.rich->contentSizeWithSize({300, 1e6}).height;
    ASSERT_GT(height, 20);
    ASSERT_LT(height, 150);
    pf::BitmapRef frame = render();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(pf::test::hasInk(*frame, {0, 0, 300, 20}, domtest::kWhite));
    EXPECT_TRUE(pf::test::isBlank(*frame, {0, height + 5, 300, 200 - height - 5}, domtest::kWhite));
}
