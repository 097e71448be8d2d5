#include "ScreenTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRRoutedController.h"
#include "framework/ui/KRViewController.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cstdlib>

namespace {

// A screen filled with one colour by its alias, so that pixels tell screens
// apart: "a" and "menu" red, "b" green, any other blue.
class ColourCard : public KRViewController {
public:
    void viewDidLoad() override
    {
        KRViewController::viewDidLoad();
        bool red = alias() == "a" || alias() == "menu";
        view()->setBackgroundColor(pf::Color::rgb(red, alias() == "b", !red && alias() != "b"));
    }
};

}

void ScreenTest::SetUp()
{
    static bool registered = (pf::ClassBuilder<ColourCard>("ColourCard").superclass<KRViewController>().commit(), true);
    (void)registered;
    registerDOMClasses();
    pf::Screen::main().removeAllWindows();
    host = std::make_unique<pf::HeadlessHost>();
}

void ScreenTest::TearDown()
{
    if (HasFailure()) // what the screen showed, to look at
        host->writePng(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".png");
    KRPopWindow::closeAll();
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
    shell = KRShell::create(config, std::make_shared<pf::Bundle>(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources"));
}

std::shared_ptr<IKRUIViewController> ScreenTest::showRoot()
{
    auto root = shell->rootViewController();
    if (auto platform = std::dynamic_pointer_cast<pf::ViewController>(root)) {
        window = pf::Window::create();
        window->setRootViewController(platform);
        window->makeKeyAndVisible();
        host->advance(0);
    }
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

void dump(const pf::ViewControllerRef& controller, int depth, const char* how, std::string& out)
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
        dump(child, depth + 1, "", out);
    dump(controller->modalViewController(), depth + 1, "modal ", out);
}

}

std::string ScreenTest::dumpTree()
{
    std::string out;
    dump(std::dynamic_pointer_cast<pf::ViewController>(shell->rootViewController()), 0, "", out);
    for (auto& pop : KRPopWindow::openWindows())
        dump(pop->rootViewController(), 0, "pop ", out);
    return out;
}
