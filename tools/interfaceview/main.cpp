// interfaceview FILE.xml [--shot PNG] [--headless]
//
// Shows an interface file on the device screen: its owner (the file's owner
// class, or a plain view controller) becomes the root controller of a
// window, or the first top-level view fills it. Pictures come from the
// bundle above the file's "interface" folder, else from the main bundle.
// With --shot the first frame goes to PNG and the program ends.

#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    auto options = pf::HostOptions::take(arguments);
    if (!options || arguments.size() != 1) {
        std::fprintf(stderr, "usage: interfaceview FILE.xml [--shot PNG] [--headless]\n");
        return 2;
    }
    pf::registerUiClasses();
    registerUIClasses();

    std::filesystem::path path(arguments[0]);
    auto bytes = pf::readFile(path.string());
    if (!bytes) {
        std::fprintf(stderr, "interfaceview: cannot read %s\n", path.c_str());
        return 1;
    }
    std::shared_ptr<pf::Bundle> bundle = pf::Bundle::main();
    if (path.parent_path().filename() == "interface")
        bundle = std::make_shared<pf::Bundle>(path.parent_path().parent_path().string());
    std::string text(bytes->begin(), bytes->end());
    auto file = pf::InterfaceFile::parse(text, path.stem().string(), *bundle);
    if (!file) {
        std::fprintf(stderr, "%s\n", file.error().description.c_str());
        return 1;
    }
    const pf::Class* ownerClass = file.value()->ownerClass();
    pf::ObjectRef owner = ownerClass ? ownerClass->create() : std::make_shared<pf::ViewController>();
    if (!owner) {
        std::fprintf(stderr, "interfaceview: the owner class %s cannot be made\n", ownerClass->name().c_str());
        return 1;
    }
    auto objects = file.value()->instantiate(owner);
    if (!objects) {
        std::fprintf(stderr, "%s\n", objects.error().description.c_str());
        return 1;
    }

    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    auto controller = std::dynamic_pointer_cast<pf::ViewController>(owner);
    if (!controller || !controller->viewIfLoaded()) {
        controller = std::make_shared<pf::ViewController>();
        for (auto& object : objects.value())
            if (auto view = std::dynamic_pointer_cast<pf::View>(object)) {
                controller->setView(view);
                break;
            }
    }
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    return pf::runHost(options.value(), pf::Screen::main());
}
