#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMViewClass.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/graphics/Bitmap.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

using domtest::DocumentViewTest;
using pf::test::pixelIs;

namespace {

// An application view that takes its element's text as well as the dressing.
class BadgeView : public pf::View, public KRDOMElementDressable {
public:
    using pf::View::View;
    void setElement(const KRDOMElementRef& element) override
    {
        dressViewWithElement(*this, element.get());
        m_text = element ? element->text() : std::string("(none)");
    }
    std::string textContent() const override { return m_text; }

private:
    std::string m_text;
};

void registerBadge()
{
    KRDOMViewClass::registerClass("BadgeView", [](const pf::Rect& frame) { return std::make_shared<BadgeView>(frame); });
}

std::shared_ptr<KRDOMViewElement> viewElement(const KRDOMElementRef& root, std::size_t index)
{
    return std::dynamic_pointer_cast<KRDOMViewElement>(root->childs()[index]);
}

constexpr const char* kCard = "<card width=100% height=100%>"
                              "<box left=20 top=10 width=200 height=100>"
                              "<view id=avatar viewClass=BadgeView left=10 top=10 width=40 height=40>Ann</view>"
                              "<view left=60 top=10 width=40 height=40 background-color=#ff0000/>"
                              "</box></card>";

}

using KRDOMViewElementHosting = DocumentViewTest;

TEST_F(KRDOMViewElementHosting, NativeViewsArePlacedOverTheirElementsAndANewTreeReusesThemById)
{
    registerBadge();
    KRDOMElementRef first = show(kCard);
    EXPECT_EQ(view->treeDescription(), "KRDOMView {0, 0, 320, 200}\n"
                                       "  (anonymous namespace)::BadgeView {30, 20, 40, 40}\n"
                                       "  View {80, 20, 40, 40}\n");
    // Only the element with an id is kept by the host.
    EXPECT_EQ(view->elementViewCount(), 1u);
    pf::ViewRef avatar = view->elementViewForId("avatar");
    EXPECT_EQ(view->subviews()[0], avatar);
    // The plain view is dressed from its element.
    EXPECT_TRUE(pixelIs(*render(), {100, 40}, pf::Color::rgb(1, 0, 0)));
    pf::ViewRef plain = viewElement(first->childs()[0], 1)->view();

    KRDOMElementRef second = show("<card width=100% height=100%>"
                                  "<view id=avatar viewClass=BadgeView left=200 top=100 width=60 height=60>Bo</view>"
                                  "</card>");
    EXPECT_EQ(view->elementViewForId("avatar"), avatar);
    EXPECT_EQ(avatar->frame(), pf::Rect(200, 100, 60, 60));
    EXPECT_EQ(avatar->textContent(), "Bo");
    EXPECT_FALSE(plain->superview());
    EXPECT_EQ(view->subviews().size(), 1u);
    // The old elements let their views go.
    EXPECT_FALSE(viewElement(first->childs()[0], 1)->isViewLoaded());

    show("<card width=100% height=100%><view id=other/></card>");
    EXPECT_FALSE(avatar->superview());
    EXPECT_EQ(avatar->textContent(), "(none)");
    EXPECT_FALSE(view->elementViewForId("avatar"));
}

TEST_F(KRDOMViewElementHosting, ViewClassesComeOnlyFromTheRegistry)
{
    registerBadge();
    struct Row {
        const char* viewClass;
        const char* made;
    };
    for (const Row& row : std::vector<Row>{
             {"BadgeView", "(anonymous namespace)::BadgeView"},
             {"KRDOMView", "View"},        // a view class of the program, but not registered for markup
             {"NoSuchClass", "View"},
             {"", "View"},
         }) {
        auto element = KRDOMViewElement::create();
        element->setAttributeValue(row.viewClass, "viewClass");
        std::string description = element->view()->treeDescription();
        EXPECT_EQ(description.substr(0, description.find(" {")), row.made) << row.viewClass;
    }
}

TEST_F(KRDOMViewElementHosting, ElementsWithoutAViewHostHaveNoView)
{
    auto measuring = std::make_shared<KRDOMElementDelegate>();
    KRDOMElementRef root = domtest::laidOutTree(kCard, {320, 200});
    auto avatar = viewElement(root->childs()[0], 0);
    avatar->setDelegate(measuring);
    EXPECT_FALSE(avatar->isViewLoaded());
    // Taken from a host to none: the view goes off the screen and is told.
    registerBadge();
    view->setElement(root);
    pf::ViewRef native = avatar->view();
    ASSERT_TRUE(native->superview());
    avatar->setDelegate(measuring);
    EXPECT_FALSE(native->superview());
    EXPECT_EQ(native->textContent(), "(none)");
}

TEST_F(KRDOMViewElementHosting, RootViewElementAndDuplicateIdsGetTheirOwnViews)
{
    KRDOMElementRef root = show("<view id=top width=100 height=50/>");
    pf::ViewRef top = std::dynamic_pointer_cast<KRDOMViewElement>(root)->view();
    EXPECT_EQ(top->superview(), view);
    EXPECT_EQ(top->frame(), pf::Rect());

    root = show("<r width=100% height=100%><view id=twin width=10 height=10/>"
                "<view id=twin left=50 width=10 height=10/></r>");
    EXPECT_EQ(view->treeDescription(), "KRDOMView {0, 0, 320, 200}\n  View {0, 0, 10, 10}\n  View {50, 0, 10, 10}\n");
    viewElement(root, 1)->setView(nullptr);
    EXPECT_EQ(viewElement(root, 0)->view()->superview(), view);
}

// A list's kept row document drawn in another cell and then back in the
// cell that still names it (with or without that other cell taking another
// row meanwhile): it is put up there again, with its native view, and taps
// on it act there.
TEST_F(KRDOMViewElementHosting, ATreeTakenByAnotherViewAndSetBackIsPutUpAgain)
{
    struct Row {
        const char* avatar;
        bool otherTakesAnotherTree;
    } rows[] = {
        {"<view id=avatar left=10 top=10 width=40 height=40/>", false},
        {"<view id=avatar left=10 top=10 width=40 height=40/>", true},
        {"<view left=10 top=10 width=40 height=40/>", false},
        {"<view left=10 top=10 width=40 height=40/>", true},
    };
    for (const Row& row : rows) {
        std::string markup = std::string("<action id=row width=100% height=100%>") + row.avatar + "</action>";
        auto other = KRDOMView::create({0, 200, 320, 200});
        other->setAllowAutoLayout(true);
        auto otherRecorder = std::make_shared<domtest::ActionRecorder>();
        other->setDelegate(otherRecorder);
        window->addSubview(other);
        KRDOMElementRef root = show(markup);
        other->setElement(root);
        if (row.otherTakesAnotherTree)
            other->setElement(domtest::parseTyped(markup));
        view->setElement(root);

        auto avatar = viewElement(root, 0);
        EXPECT_EQ(root->delegate().get(), static_cast<KRDOMElementDelegate*>(view.get())) << row.avatar;
        ASSERT_TRUE(avatar->isViewLoaded()) << row.avatar;
        EXPECT_EQ(avatar->view()->superview(), view) << row.avatar;
        EXPECT_EQ(avatar->view()->frame(), pf::Rect(10, 10, 40, 40)) << row.avatar;
        EXPECT_EQ(view->subviews().size(), 1u) << row.avatar;
        host->touchDown({200, 100});
        host->touchUp({200, 100});
        EXPECT_EQ(recorder->actions, std::vector<std::string>{"row"}) << row.avatar;
        EXPECT_TRUE(otherRecorder->actions.empty()) << row.avatar;
        recorder->actions.clear();
        other->removeFromSuperview();
    }
}

TEST_F(KRDOMViewElementHosting, ReleasedHostOrElementTellsTheViewItHasNoElement)
{
    registerBadge();
    KRDOMElementRef root = show(kCard);
    pf::ViewRef avatar = view->elementViewForId("avatar");
    view->removeFromSuperview();
    view.reset();
    EXPECT_EQ(avatar->textContent(), "(none)");
    EXPECT_FALSE(viewElement(root->childs()[0], 0)->isViewLoaded());

    auto element = KRDOMViewElement::create();
    element->setText("Cy");
    element->setAttributeValue("BadgeView", "viewClass");
    pf::ViewRef own = element->view();
    EXPECT_EQ(own->textContent(), "Cy");
    element.reset();
    EXPECT_EQ(own->textContent(), "(none)");
}

TEST(ViewKRDOMElementDressing, ViewTakesColoursRadiusBorderAndHiddenFromTheElement)
{
    auto element = domtest::parseTree(
        "<e background-color='#ff0000 0.5' corner-radius=6 border-width=2 border-color=#0000ff visable=false/>");
    auto view = pf::View::create({0, 0, 10, 10});
    dressViewWithElement(*view, element.get());
    EXPECT_EQ(view->backgroundColor(), pf::Color::rgb(1, 0, 0, 0.5));
    EXPECT_EQ(view->borderColor(), pf::Color::rgb(0, 0, 1));
    EXPECT_TRUE(view->clipsToBounds() && view->isHidden());
    EXPECT_EQ(view->cornerRadius() + view->borderWidth(), 8);
    // A view given back to no element loses the dressing.
    dressViewWithElement(*view, nullptr);
    EXPECT_FALSE(view->backgroundColor());
    EXPECT_EQ(view->cornerRadius() + view->borderWidth(), 0);
    EXPECT_FALSE(view->clipsToBounds() || view->isHidden() || !view->borderColor().isClear());
}
