// interfaceview FILE.xml [--styles NAME] [--data FILE.json] [--shot PNG] [--headless]
//
// Shows an interface file (the framework's or the application's classes) on
// the device screen: its owner (the file's owner
// class, or a plain view controller) becomes the root controller of a
// window, or the first top-level view fills it. Pictures come from the
// bundle above the file's "interface" folder, else from the main bundle.
// The file's top-level containers then run as when a screen's view loads:
// style outlets dressed from the style file NAME (looked up beside the file,
// then in the main bundle), layouts, data outlets filled from the JSON item,
// and layouts once more as the screen's first layout pass would. With --shot the first frame goes to PNG and the program ends.
// A screen controller gets the cfg.plist "ui" entry that names the file as
// its "view" (from the bundle above the file), so a document screen loads
// its template, and is dressed as in the application: the style file
// (NAME, else "Styles") and the bundle's style.css, through a shell that
// has the screen entries but no services.

#include "app/screens/ZMRScreensRegistration.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/ui/KRViewController.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRStyleOutletContainer.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cstdio>
#include <filesystem>

namespace {

std::shared_ptr<KRStyleSheet> loadStyles(const std::string& name, const std::shared_ptr<pf::Bundle>& fileBundle)
{
    std::shared_ptr<pf::Bundle> bundle = fileBundle;
    std::filesystem::path file = bundle->resourcePath();
    file /= "interface";
    file /= name;
    file += ".xml";
    if (!std::filesystem::exists(file))
        bundle = pf::Bundle::main();
    auto controller = std::make_shared<KRStyleController>(name, bundle.get());
    // Loads the file now, so a broken one is reported before anything shows.
    if (!controller->view() || !controller->styles()) {
        std::fprintf(stderr, "interfaceview: no styles in %s\n", name.c_str());
        return nullptr;
    }
    auto sheet = std::make_shared<KRStyleSheet>();
    sheet->setStyleController(controller);
    return sheet;
}

// Dresses, places and fills the file's top-level containers, in the order a
// screen does when its view loads.
void runContainers(const std::vector<pf::ObjectRef>& objects, const std::shared_ptr<KRStyleSheet>& sheet,
                   const pf::Value& item, bool hasItem)
{
    for (auto& object : objects)
        if (auto styles = std::dynamic_pointer_cast<KRStyleOutletContainer>(object))
            styles->setStyleSheet(sheet);
    for (auto& object : objects)
        if (auto layouts = std::dynamic_pointer_cast<KRLayoutContainer>(object))
            layouts->layout();
    for (auto& object : objects)
        if (auto outlets = std::dynamic_pointer_cast<KRDataOutletContainer>(object); outlets && hasItem)
            outlets->applyDataOutlet(item);
    // The screen lays out again after its views are filled, so fitted views
    // take their new content's size.
    for (auto& object : objects)
        if (auto layouts = std::dynamic_pointer_cast<KRLayoutContainer>(object))
            layouts->layout();
}

// The bundle's cfg.plist "ui" entries; null without them.
pf::DictionaryRef screenEntries(const pf::Bundle& bundle)
{
    auto config = pf::readPropertyListFile(bundle.resourcePath() + "/cfg.plist");
    return config && config->dictionary() ? config->dictionary()->dictionary("ui") : nullptr;
}

// The entry of `ui` whose "view" is `fileName`; null without one.
pf::DictionaryRef screenEntry(const pf::DictionaryRef& ui, const std::string& fileName)
{
    if (!ui)
        return nullptr;
    for (const auto& [alias, entry] : *ui) {
        auto dict = entry.dictionary();
        if (dict && dict->string("view") == fileName)
            return dict;
    }
    return nullptr;
}

constexpr const char* kUsage =
    "usage: interfaceview FILE.xml [--styles NAME] [--data FILE.json] [--shot PNG] [--headless]\n";

constexpr const char* kHelp =
    "Shows an interface file of the framework or the application on the device screen.\n"
    "\n"
    "  --styles NAME     dress the file's style outlets from the style file NAME\n"
    "  --data FILE.json  fill its data outlets from the JSON item in FILE.json\n"
    "  --shot FILE.png   write the first frame to FILE.png and end\n"
    "  --headless        start without a window, settle, end\n"
    "  --tap X,Y, --drag X1,Y1,X2,Y2, --pinch X,Y,SCALE, --type TEXT\n"
    "                    headless input in points, in order, before the shot\n"
    "  --help            print this help and exit\n"
    "\n"
    "Pictures and templates come from the bundle above the file's \"interface\" folder; a screen\n"
    "controller gets that bundle's cfg.plist \"ui\" entry that names the file.\n";

}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    auto options = pf::HostOptions::take(arguments);
    std::string stylesName, dataPath;
    bool taken = pf::takeOptionValue(arguments, "--styles", stylesName) && pf::takeOptionValue(arguments, "--data", dataPath);
    if (!options || !taken || arguments.size() != 1) {
        if (!options)
            std::fprintf(stderr, "interfaceview: %s\n", options.error().description.c_str());
        std::fputs(kUsage, stderr);
        return 2;
    }
    options->program = "interfaceview";
    pf::registerUiClasses();
    registerUIClasses();
    registerDOMClasses();
    registerScreensClasses();

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
    // A screen controller named by the bundle's configuration loads its own
    // file as the application would, so its view-did-load work (a document
    // screen's template) runs.
    // Its styles come as the application's do: from a shell holding the
    // style file (--styles NAME, else "Styles") and the bundle's style.css;
    // the shell has the screen entries but no services, so nothing is sent.
    std::shared_ptr<KRShell> shell;
    auto ui = screenEntries(*bundle);
    if (auto screen = std::dynamic_pointer_cast<KRViewController>(owner)) {
        if (auto entry = screenEntry(ui, path.stem().string())) {
            shell = KRShell::create(pf::Dictionary::create({{"ui", pf::Value(ui)}}), bundle);
            auto styles = std::make_shared<KRStyleController>(stylesName.empty() ? "Styles" : stylesName, bundle.get());
            if (!styles->view() || !styles->styles()) {
                std::fprintf(stderr, "interfaceview: no styles in %s\n", stylesName.empty() ? "Styles" : stylesName.c_str());
                return 1;
            }
            shell->setStyleController(styles);
            if (auto css = bundle->pathForResource("style", "css"))
                if (auto cssBytes = pf::readFile(*css))
                    shell->loadDOMStyleSheet({reinterpret_cast<const char*>(cssBytes->data()), cssBytes->size()});
            screen->setContext(shell);
            screen->initWithNibName(path.stem().string(), bundle);
            screen->setConfig(entry);
            auto window = pf::Window::create();
            window->setBackgroundColor(pf::Color::whiteColor());
            window->setRootViewController(screen);
            window->makeKeyAndVisible();
            return pf::runHost(options.value(), pf::Screen::main());
        }
    }
    auto objects = file.value()->instantiate(owner);
    if (!objects) {
        std::fprintf(stderr, "%s\n", objects.error().description.c_str());
        return 1;
    }

    std::shared_ptr<KRStyleSheet> sheet;
    if (!stylesName.empty() && !(sheet = loadStyles(stylesName, bundle)))
        return 1;
    pf::Value item;
    if (!dataPath.empty()) {
        auto json = pf::readFile(dataPath);
        item = json ? KRJSON::decodeText(std::string(json->begin(), json->end())) : pf::Value();
        if (item.isNil()) {
            std::fprintf(stderr, "interfaceview: cannot read a JSON item from %s\n", dataPath.c_str());
            return 1;
        }
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
    runContainers(objects.value(), sheet, item, !dataPath.empty());
    return pf::runHost(options.value(), pf::Screen::main());
}
