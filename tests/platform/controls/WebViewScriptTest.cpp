#include "platform/controls/WebView.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pf {
namespace {

// Answers a navigation with the script's own `allowed`, evaluating from inside the hook.
struct Asking : WebViewDelegate {
    bool webViewShouldStartLoadWithRequest(WebView& view, const std::string& url) override
    {
        asked.push_back(url);
        return view.stringByEvaluatingJavaScriptFromString("allowed") == "true";
    }
    std::vector<std::string> asked;
};

TEST(WebViewScripts, EvaluateCallAndAskTheDelegateBeforeNavigating)
{
    auto web = std::make_shared<WebView>();
    auto delegate = std::make_shared<Asking>();
    struct Row {
        const char* script;
        const char* result;
        bool withDelegate;
    } rows[] = {
        {"var allowed = false; function echo(s) { return s; } 1 + 1", "2", false},
        {"openURL('https://127.0.0.1/a')", "true", false},
        {"openURL('https://127.0.0.1/b')", "false", true},
        {"allowed = true; openURL('https://127.0.0.1/c')", "true", true},
        {"undefined", "", true},
        {"throw new Error('x')", "", true},
    };
    for (const Row& row : rows) {
        web->setDelegate(row.withDelegate ? delegate : nullptr);
        EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString(row.script), row.result) << row.script;
    }
    EXPECT_EQ(delegate->asked, (std::vector<std::string>{"https://127.0.0.1/b", "https://127.0.0.1/c"}));
    const std::string odd = "a'b\"c\n\u2028";
    EXPECT_EQ(web->callScriptFunction("echo", {odd}).stringOr(), odd);

    // A loaded page (here one that fails) leaves the script state alone.
    web->loadHTMLString("<script>allowed = 0</script>", "file:///page.html");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !web->isLoading(); }, Seconds(30)));
    EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("allowed"), "true");
    EXPECT_EQ(delegate->asked.back(), "file:///page.html");
}

}
}
