#include "platform/controls/WebView.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace pf {
namespace {

// Answers with the script's own `allowed`, evaluating from inside the hook.
struct Asking : WebViewDelegate {
    bool webViewShouldStartLoadWithRequest(WebView& view, const std::string&) override
    {
        return view.stringByEvaluatingJavaScriptFromString("allowed") == "true";
    }
};

TEST(WebViewScripts, EvaluateAndAskTheDelegateBeforeNavigating)
{
    auto web = std::make_shared<WebView>();
    auto delegate = std::make_shared<Asking>();
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("var allowed = false; 1 + 1"), "2");
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("openURL('https://127.0.0.1/a')"), "true"); // no delegate
    web->setDelegate(delegate);
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("openURL('https://127.0.0.1/b')"), "false");
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("allowed = true; openURL('https://127.0.0.1/c')"), "true");

    // A loaded page (here one that fails) neither runs its scripts nor resets the view's.
    web->loadHTMLString("<script>allowed = 0</script>", "file:///page.html");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !web->isLoading(); }, Seconds(30)));
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("allowed"), "true");
}

}
}
