// What the application hands to the desktop's opener, on the headless host.

#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

TEST(ApplicationOpenURL, OnlyWebURLsGoToTheDesktopOpener)
{
    HeadlessHost host;
    struct Row {
        const char* url;
        bool opens;
    } rows[] = {
        {"http://example.com/a?b=1", true}, {"HTTPS://example.com/", true}, {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},      {"tel:10086", false},           {"ftp://example.com/x", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        auto url = URL::create(row.url);
        ASSERT_TRUE(url);
        std::size_t before = host.openedURLs().size();
        EXPECT_EQ(Application::shared().openURL(*url), row.opens);
        EXPECT_EQ(host.openedURLs().size(), before + (row.opens ? 1 : 0));
    }
}

}
