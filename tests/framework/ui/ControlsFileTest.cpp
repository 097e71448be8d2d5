#include "platform/foundation/Bundle.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The sample file shows every control once (an unknown class fails the whole
// file); it loads, fills its keys, draws and takes a tap.
TEST(ControlsInterfaceFile, ShowsEveryControl)
{
    pf::Bundle bundle(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources");
    auto file = pf::InterfaceFile::named("Controls", bundle);
    ASSERT_TRUE(file) << file.error().description;
    auto owner = std::make_shared<pf::ViewController>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects) << objects.error().description;

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
