#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pf;

namespace {

class CountingView : public View {
public:
    using View::View;
    void layoutSubviews() override
    {
        ++layouts;
        order->push_back(tag());
    }
    int layouts = 0;
    std::vector<int>* order = nullptr;
};

}

TEST(ViewGeometry, FrameFollowsCenterBoundsAndTransform)
{
    auto v = View::create({10, 20, 100, 50});
    EXPECT_EQ(v->center(), (Point{60, 45}));
    EXPECT_EQ(v->bounds(), Rect(0, 0, 100, 50));
    v->setBounds({5, 5, 40, 20});
    EXPECT_EQ(v->frame(), Rect(40, 35, 40, 20)) << "bounds keep the center";
    v->setTransform(AffineTransform::scaling(2, 2));
    EXPECT_EQ(v->frame(), Rect(20, 25, 80, 40)) << "the transform scales around the center";
    v->setTransform({});
    v->setFrame({0, 0, 10, 10});
    EXPECT_EQ(v->bounds(), Rect(5, 5, 10, 10)) << "setting the frame keeps the bounds origin";
    v->setFrame({NAN, 0, 10, 10});
    EXPECT_EQ(v->frame(), Rect(0, 0, 10, 10)) << "a non-finite frame is ignored";
}

TEST(ViewGeometry, ConvertsPointsThroughOffsetsBoundsOriginsAndTransforms)
{
    auto root = View::create({0, 0, 320, 480});
    auto a = View::create({10, 20, 100, 100});
    auto b = View::create({5, 5, 50, 50});
    root->addSubview(a);
    a->addSubview(b);
    EXPECT_EQ(b->convertPointToView({1, 1}, nullptr), (Point{16, 26}));
    EXPECT_EQ(b->convertPointToView({1, 1}, a.get()), (Point{6, 6}));
    EXPECT_EQ(a->convertPointFromView({16, 26}, nullptr), (Point{6, 6}));

    a->setBounds({0, 10, 100, 100}); // scrolled down by 10
    EXPECT_EQ(b->convertPointToView({0, 0}, nullptr), (Point{15, 15}));

    a->setBounds({0, 0, 100, 100});
    a->setTransform(AffineTransform::scaling(2, 2)); // around a's center (60, 70)
    Point p = b->convertPointToView({0, 0}, nullptr);
    EXPECT_NEAR(p.x, 60 + 2 * (5 - 50), 1e-9);
    EXPECT_NEAR(p.y, 70 + 2 * (5 - 50), 1e-9);
    Point back = b->convertPointFromView(p, nullptr);
    EXPECT_NEAR(back.x, 0, 1e-9);
    EXPECT_NEAR(back.y, 0, 1e-9);
    EXPECT_EQ(b->convertRectToView({0, 0, 10, 10}, a.get()), Rect(5, 5, 10, 10));
}

TEST(ViewTree, SuperviewOwnsSubviewsAndTheBackLinkIsWeak)
{
    auto parent = View::create();
    std::weak_ptr<View> weakChild;
    {
        auto child = View::create();
        weakChild = child;
        parent->addSubview(child);
    }
    ASSERT_FALSE(weakChild.expired()) << "the parent keeps its child";
    EXPECT_EQ(weakChild.lock()->superview(), parent);
    weakChild.lock()->removeFromSuperview();
    EXPECT_TRUE(weakChild.expired()) << "removal releases the child";

    auto child = View::create();
    parent->addSubview(child);
    std::weak_ptr<View> weakParent = parent;
    parent.reset();
    EXPECT_TRUE(weakParent.expired()) << "a child does not keep its parent";
    EXPECT_EQ(child->superview(), nullptr);
}

TEST(ViewTree, ReorderingMovingAndRefusingCycles)
{
    auto root = View::create();
    auto a = View::create(), b = View::create(), c = View::create();
    a->setTag(1), b->setTag(2), c->setTag(3);
    root->addSubview(a);
    root->addSubview(b);
    root->insertSubview(c, 0);
    auto tags = [&] {
        std::vector<int> t;
        for (auto& v : root->subviews())
            t.push_back(v->tag());
        return t;
    };
    EXPECT_EQ(tags(), (std::vector<int>{3, 1, 2}));
    root->bringSubviewToFront(c);
    EXPECT_EQ(tags(), (std::vector<int>{1, 2, 3}));
    root->sendSubviewToBack(b);
    EXPECT_EQ(tags(), (std::vector<int>{2, 1, 3}));
    a->addSubview(b); // moves
    EXPECT_EQ(tags(), (std::vector<int>{1, 3}));
    EXPECT_EQ(root->viewWithTag(2), b);
    b->addSubview(root); // would make a cycle
    EXPECT_TRUE(b->subviews().empty());
    EXPECT_TRUE(b->isDescendantOf(*root));
}

TEST(ViewAutoresizing, FlexibleMarginsAndSizesFollowTheSuperview)
{
    struct Row {
        AutoresizingMask mask;
        Rect expected; // after the parent grows from 200 x 100 to 270 x 160
    };
    using namespace Autoresizing;
    const Row rows[] = {
        {None, {20, 10, 60, 40}},
        {FlexibleWidth, {20, 10, 130, 40}},
        {FlexibleLeftMargin, {90, 10, 60, 40}},
        {FlexibleRightMargin, {20, 10, 60, 40}},
        {FlexibleWidth | FlexibleHeight, {20, 10, 130, 100}},
        {FlexibleTopMargin | FlexibleBottomMargin, {20, 20, 60, 40}}, // 60 shared 10 : 50
        {FlexibleLeftMargin | FlexibleRightMargin, {30, 10, 60, 40}},  // 70 shared 20 : 120
        {FlexibleLeftMargin | FlexibleWidth | FlexibleRightMargin, {27, 10, 81, 40}}, // 20 : 60 : 120
    };
    for (auto& row : rows) {
        auto parent = View::create({0, 0, 200, 100});
        auto child = View::create({20, 10, 60, 40});
        child->setAutoresizingMask(row.mask);
        parent->addSubview(child);
        parent->setFrame({0, 0, 270, 160});
        EXPECT_EQ(child->frame(), row.expected) << "mask " << row.mask;
    }
}

TEST(ViewAutoresizing, RunsThroughNestedViewsAndCanBeTurnedOff)
{
    using namespace Autoresizing;
    auto root = View::create({0, 0, 100, 100});
    auto middle = View::create({0, 0, 100, 100});
    auto leaf = View::create({0, 90, 100, 10});
    middle->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    leaf->setAutoresizingMask(FlexibleWidth | FlexibleTopMargin);
    root->addSubview(middle);
    middle->addSubview(leaf);
    root->setBounds({0, 0, 200, 300});
    EXPECT_EQ(root->treeDescription(), "View {-50, -100, 200, 300}\n"
                                       "  View {0, 0, 200, 300}\n"
                                       "    View {0, 290, 200, 10}\n");
    middle->setAutoresizesSubviews(false);
    middle->setFrame({0, 0, 50, 50});
    EXPECT_EQ(leaf->frame(), Rect(0, 290, 200, 10));
}

TEST(ViewLayout, MarkedViewsLayOutOnceSuperviewsFirst)
{
    std::vector<int> order;
    auto root = std::make_shared<CountingView>(Rect{0, 0, 100, 100});
    auto child = std::make_shared<CountingView>(Rect{0, 0, 50, 50});
    root->order = child->order = &order;
    root->setTag(1);
    child->setTag(2);
    root->addSubview(child);
    child->layoutIfNeeded();
    EXPECT_EQ(order, (std::vector<int>{1, 2})) << "a marked superview lays out first";
    order.clear();
    root->layoutIfNeeded();
    EXPECT_TRUE(order.empty()) << "nothing marked, nothing laid out";
    child->setFrame({0, 0, 60, 60}); // a size change marks the view
    root->layoutIfNeeded();
    EXPECT_EQ(order, (std::vector<int>{2}));
    order.clear();
    child->setFrame({10, 10, 60, 60}); // a move does not
    root->layoutIfNeeded();
    EXPECT_TRUE(order.empty());
}
