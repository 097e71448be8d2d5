// The feed rows' picture strip: pages, page indicator, rebinding and taps.

#include "app/screens/feed/ZMRFeedImageView.h"
#include "app/screens/shared/ZMRImageView.h"
#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMViewElement.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

namespace {

class CountingHost : public KRDOMElementDelegate {
public:
    void krDOMElementDoAction(KRDOMElement&) override { ++actions; }
    int actions = 0;
};

// n records "http://h/<i>.jpg".
pf::Value records(int n)
{
    std::string json = "[";
    for (int i = 0; i < n; ++i)
        json += (i ? "," : "") + std::string("{\"uri\":\"http://h/") + std::to_string(i) + ".jpg\"}";
    return KRJSON::decodeText(json + "]");
}

struct Strip {
    explicit Strip(pf::Rect frame) : view(std::make_shared<ZMRFeedImageView>(frame)) {}
    // Binds an element holding `images`, hosted by `host`.
    void bind(const pf::Value& images)
    {
        element = KRDOMViewElement::create();
        element->setAttributeValue("ico33.png", "default-src");
        element->setValue(images, "images");
        element->KRDOMElement::setDelegate(std::shared_ptr<KRDOMElementDelegate>(host, host.get()));
        view->setElement(element);
    }
    std::string frames() const
    {
        std::string out;
        for (const auto& page : view->pageViews()) {
            pf::Rect f = page->frame();
            char text[80];
            std::snprintf(text, sizeof text, "%s%d:(%g,%g,%g,%g)", out.empty() ? "" : " ", page->tag(), f.x(), f.y(),
                          f.width(), f.height());
            out += text;
        }
        return out;
    }
    std::shared_ptr<ZMRFeedImageView> view;
    std::shared_ptr<CountingHost> host = std::make_shared<CountingHost>();
    std::shared_ptr<KRDOMViewElement> element;
};

}

TEST(ZMRFeedImageView, PagesIndicatorAndContentFollowTheStripAndItsRecords)
{
    struct Row {
        pf::Rect frame;
        pf::Value images;
        const char* pages;
        double contentWidth;
        int pageCount;
        double indicatorX, indicatorWidth;
        bool indicatorHidden;
    } rows[] = {
        {{0, 0, 320, 200}, records(3), "0:(0,0,320,192) 1:(320,0,320,192) 2:(640,0,320,192)", 960, 3, 134.5, 51, false},
        {{0, 0, 320, 200}, KRJSON::decodeText("[]"), "0:(0,0,320,192)", 320, 1, 151.5, 17, true},
        {{0, 0, 320, 200}, pf::Value("not a list"), "0:(0,0,320,192)", 320, 1, 151.5, 17, true},
        // No width: no pages to divide into; a strip lower than its margin has empty pages.
        {{0, 0, 0, 200}, records(2), "0:(0,0,0,192) 1:(0,0,0,192)", 0, 0, 0, 0, true},
        {{0, 0, 100, 5}, records(1), "0:(0,0,100,0)", 100, 1, 41.5, 17, true},
    };
    for (const Row& row : rows) {
        Strip strip(row.frame);
        strip.bind(row.images);
        SCOPED_TRACE(row.pages);
        EXPECT_EQ(strip.frames(), row.pages);
        EXPECT_EQ(strip.view->contentView()->contentSize(), (pf::Size{row.contentWidth, 0}));
        const auto& dots = strip.view->pageControl();
        EXPECT_EQ(dots->numberOfPages(), row.pageCount);
        EXPECT_EQ(dots->currentPage(), 0);
        EXPECT_EQ(dots->frame(), pf::Rect(row.indicatorX, 2, row.indicatorWidth, 12));
        EXPECT_EQ(dots->isHidden(), row.indicatorHidden);
        for (const auto& page : strip.view->pageViews())
            EXPECT_EQ(page->defaultSrc(), std::optional<std::string>("ico33.png"));
        // The indicator lies over the pages, which lie beneath everything.
        EXPECT_EQ(strip.view->subviews().front(), strip.view->contentView());
        EXPECT_EQ(strip.view->subviews().back(), dots);
    }
}

TEST(ZMRFeedImageView, OffsetsGiveWholePagesAndRecordsWithoutTextGiveNoSource)
{
    Strip strip({0, 0, 320, 200});
    strip.bind(KRJSON::decodeText(R"([{"uri":"http://h/a.jpg"},{"uri":7},"x",{"uri":"http://h/d.jpg"}])"));
    auto pages = strip.view->pageViews();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0]->src(), std::optional<std::string>("http://h/a.jpg"));
    EXPECT_EQ(pages[1]->src(), std::nullopt);
    EXPECT_EQ(pages[2]->src(), std::nullopt);
    EXPECT_EQ(pages[3]->src(), std::optional<std::string>("http://h/d.jpg"));
    struct Row {
        double x;
        int page;
    } rows[] = {{640, 2}, {500, 1}, {959, 2}, {0, 0}};
    for (const Row& row : rows) {
        strip.view->contentView()->setContentOffset({row.x, 0});
        EXPECT_EQ(strip.view->pageControl()->currentPage(), row.page) << row.x;
    }
}

TEST(ZMRFeedImageView, RebindingKeepsPageViewsByPositionAndDropsTheRest)
{
    Strip strip({0, 0, 320, 200});
    strip.bind(records(5));
    auto before = strip.view->pageViews();
    ASSERT_EQ(before.size(), 5u);
    strip.bind(KRJSON::decodeText(R"([{"uri":"http://h/x.jpg"},{"uri":"http://h/y.jpg"}])"));
    auto after = strip.view->pageViews();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[1]->src(), std::optional<std::string>("http://h/y.jpg"));
    for (std::size_t i = 2; i < 5; ++i)
        EXPECT_FALSE(before[i]->superview()) << i;
    EXPECT_EQ(strip.view->contentView()->contentSize().width, 640);
    EXPECT_EQ(strip.view->pageControl()->numberOfPages(), 2);
}

// However many records a server lists, only the pages near the shown one
// hold views, and they follow the strip as it scrolls.
TEST(ZMRFeedImageView, ManyRecordsHoldViewsOnlyNearTheShownPage)
{
    Strip strip({0, 0, 320, 200});
    strip.bind(records(100000));
    const int near = ZMRFeedImageView::kNearPages;
    EXPECT_EQ(strip.view->pageViews().size(), std::size_t(near + 1));
    EXPECT_EQ(strip.view->pageControl()->numberOfPages(), 100000);
    strip.view->contentView()->setContentOffset({320.0 * 50000, 0});
    auto pages = strip.view->pageViews();
    ASSERT_EQ(pages.size(), std::size_t(2 * near + 1));
    EXPECT_EQ(pages.front()->tag(), 50000 - near);
    EXPECT_EQ(pages[near]->src(), std::optional<std::string>("http://h/50000.jpg"));
    EXPECT_EQ(pages[near]->frame(), pf::Rect(320.0 * 50000, 0, 320, 192));
    strip.view->contentView()->setContentOffset({320.0 * 99999, 0});
    pages = strip.view->pageViews();
    ASSERT_EQ(pages.size(), std::size_t(near + 1));
    EXPECT_EQ(pages.back()->src(), std::optional<std::string>("http://h/99999.jpg"));
}

TEST(ZMRFeedImageView, ATapRaisesTheElementOnlyWithPicturesAndAlwaysTheControlActions)
{
    struct Row {
        pf::Value images;
        bool hosted;
        const char* pageIndex; // written into the element; null for none
        int elementActions;
    } rows[] = {
        {records(3), true, "2", 1},
        {KRJSON::decodeText("[]"), true, nullptr, 0},
        {records(3), false, nullptr, 0}, // no delegate to raise it to
    };
    for (const Row& row : rows) {
        Strip strip({0, 0, 320, 200});
        strip.bind(row.images);
        if (!row.hosted)
            strip.element->KRDOMElement::setDelegate({});
        int controlActions = 0;
        strip.view->addAction([&](pf::Control&) { ++controlActions; }, pf::ControlEvent::TouchUpInside);
        strip.view->contentView()->setContentOffset({640, 0});
        strip.view->tapGestureAction();
        auto written = strip.element->attributeValueForKey("pageIndex");
        EXPECT_EQ(written ? std::string(*written) : "none", row.pageIndex ? row.pageIndex : "none");
        EXPECT_EQ(strip.host->actions, row.elementActions);
        EXPECT_EQ(controlActions, 1);
    }
}
