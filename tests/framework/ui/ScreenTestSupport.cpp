#include "ScreenTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRRoutedController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cstdlib>

void ScreenTest::SetUp()
{
    registerDOMClasses();
    pf::Screen::main().removeAllWindows();
    host = std::make_unique<pf::HeadlessHost>();
}

void ScreenTest::TearDown()
{
    while (auto pop = KRPopWindow::topPopWindow()) {
        pop->closeAnimated(false);
        if (KRPopWindow::topPopWindow() == pop)
            break; // animating: the host's clock ends it below
    }
    host->advance(1);
    window.reset();
    pf::Screen::main().removeAllWindows();
    shell.reset();
    pf::RunLoop::main().runUntilIdle();
    host.reset();
}

void ScreenTest::makeShell(const std::string& json)
{
    auto config = KRJSON::decodeText(json).dictionary();
    ASSERT_TRUE(config) << json;
    auto bundle = std::make_shared<pf::Bundle>(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources");
    shell = KRShell::create(config, bundle);
}

std::shared_ptr<IKRUIViewController> ScreenTest::showRoot()
{
    auto root = shell->rootViewController();
    auto platform = std::dynamic_pointer_cast<pf::ViewController>(root);
    if (!platform)
        return root;
    window = pf::Window::create();
    window->setRootViewController(platform);
    window->makeKeyAndVisible();
    host->advance(0);
    return root;
}

bool ScreenTest::navigate(const std::string& text)
{
    auto url = pf::URL::create(text);
    auto root = shell->rootViewController();
    bool opened = url && root && root->openUrl(*url, true);
    host->advance(0.35);
    return opened;
}

namespace {

void dumpController(const pf::ViewControllerRef& controller, int depth, const char* how, std::string& out)
{
    if (!controller)
        return;
    out += std::string(std::size_t(depth) * 2, ' ') + how + pf::Class::of(*controller)->name();
    if (auto routed = std::dynamic_pointer_cast<KRRoutedController>(controller)) {
        auto parent = routed->parentController();
        out += " " + routed->alias() + " " + routed->path() + " parent=" + (parent ? parent->alias() : "-");
    }
    out += "\n";
    for (auto& child : controller->childViewControllers())
        dumpController(child, depth + 1, "", out);
    dumpController(controller->modalViewController(), depth + 1, "modal ", out);
}

}

std::string ScreenTest::dumpTree()
{
    std::string out;
    dumpController(std::dynamic_pointer_cast<pf::ViewController>(shell->rootViewController()), 0, "", out);
    for (auto& pop : KRPopWindow::openWindows())
        dumpController(pop->rootViewController(), 0, "pop ", out);
    return out;
}
