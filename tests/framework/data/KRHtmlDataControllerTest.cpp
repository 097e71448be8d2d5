#include "framework/data/KRHtmlDataController.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/ScrollView.h"

#include <gtest/gtest.h>

namespace {

// "h" for every hidden image view, "v" for every shown one, "-" for other views.
std::string shadows(pf::WebView& web)
{
    std::string out;
    for (const pf::View* parent : {static_cast<pf::View*>(&web), static_cast<pf::View*>(web.scrollView().get())}) {
        for (const auto& view : parent->subviews())
            out += std::dynamic_pointer_cast<pf::ImageView>(view) ? (view->isHidden() ? "h" : "v") : "-";
        out += "|";
    }
    return out;
}

}

TEST(KRHtmlDataController, ShadowsToggleAndReleaseStopsTheLoad)
{
    auto web = std::make_shared<pf::WebView>(pf::Rect{0, 0, 320, 480});
    auto controller = std::make_shared<KRHtmlDataController>();
    controller->setWebView(web);
    web->setDelegate(controller);
    controller->setShowShadows(false);
    EXPECT_EQ(shadows(*web), "-h|-hh|");
    controller->setShowShadows(true);
    EXPECT_EQ(shadows(*web), "-v|-vv|");

    ASSERT_TRUE(web->loadHTMLString("<p>hello</p>", "file:///"));
    EXPECT_TRUE(web->isLoading());
    controller.reset();
    EXPECT_FALSE(web->isLoading());
    EXPECT_EQ(web->delegate(), nullptr);
}
