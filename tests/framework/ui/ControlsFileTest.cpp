#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

// The sample file shows every control once; it loads, fills its keys and draws.
TEST(ControlsInterfaceFile, ShowsEveryControl)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    ASSERT_TRUE(source);
    pf::Bundle bundle(std::string(source) + "/tests/resources");
    auto file = pf::InterfaceFile::named("Controls", bundle);
    ASSERT_TRUE(file) << file.error().description;
    auto owner = std::make_shared<pf::ViewController>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects) << objects.error().description;
    std::set<std::string> classes;
    for (auto& object : objects.value())
        if (auto cls = object->objectClass())
            classes.insert(cls->name());
    std::vector<pf::ViewRef> stack{owner->viewIfLoaded()};
    while (!stack.empty()) {
        auto view = stack.back();
        stack.pop_back();
        if (auto cls = view->objectClass())
            classes.insert(cls->name());
        for (auto& child : view->subviews())
            stack.push_back(child);
    }
    for (const char* name : {"Label", "KRButton", "TextField", "TextView", "SegmentedControl", "ScrollView", "KRImageView",
                             "ActivityIndicatorView", "PageControl", "KRZoomView", "KRActionView", "TableView",
                             "KRWebView", "PickerView", "DatePicker", "GIFView", "KRNavigationBar", "KRToolbar", "TabBar",
                             "NavigationItem", "KRBarButtonItem", "KRTabBarItem"})
        EXPECT_TRUE(classes.count(name)) << name;

    pf::Screen::main().removeAllWindows();
    pf::HeadlessHost host;
    auto window = pf::Window::create();
    window->setRootViewController(owner);
    window->makeKeyAndVisible();
    ASSERT_TRUE(host.render());
    EXPECT_TRUE(host.findViewWithText("完成"));  // the navigation item's button
    EXPECT_TRUE(host.tapViewWithText("首页"));
    window->setHidden(true);
    pf::Screen::main().removeAllWindows();
}

}
