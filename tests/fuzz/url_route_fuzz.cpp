// Links: kr_ui
// Input: the text of a "url" action. It is escaped, resolved against a
// screen's URL and loaded through a navigation root of leaf entries (views
// never load): no crash, and every screen of the stack stands at the level
// of the decoded path that carries its alias.
#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/Log.h"

#include <cstdint>
#include <cstdlib>

const char* kConfig = R"({"url": "root:///root", "ui": {"root": {"class": "KRNavigationController", "scheme": "root"},
    "a": {"class": "KRViewController"}, "b": {"class": "KRViewController", "cached": true},
    "中": {"class": "KRViewController"}, "x y": {"class": "KRViewController"}, "%41": {"class": "KRViewController"}}})";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (registerUIClasses(), pf::setLogLevel(pf::LogLevel::Error), true);
    static const auto shell = (void(ready), KRShell::create(KRJSON::decodeText(kConfig).dictionary(), nullptr));
    static const auto root = std::dynamic_pointer_cast<KRNavigationController>(shell->rootViewController());
    std::string text(reinterpret_cast<const char*>(data), size);
    auto top = root->topController();
    auto base = top && top->url() ? *top->url() : *pf::URL::create("root:///root/a");
    auto url = pf::URL::create(escapeURLText(text), &base);
    if (!url)
        return 0;
    if (url->scheme() == "root")
        root->openUrl(*url, false);
    else
        root->loadUrl(*url, "/", false);

    std::vector<std::string> components = url->pathComponents();
    const auto& stack = root->viewControllers();
    for (std::size_t i = 0; i < stack.size(); ++i) {
        auto screen = std::dynamic_pointer_cast<IKRUIViewController>(stack[i]);
        if (!screen || stack[i]->isViewLoaded())
            abort();
        // "/", "root", then one component per level.
        if (components.size() < i + 3 || components[i + 2] != screen->alias() || components[1] != "root")
            abort();
        if (screen->parentController() != root)
            abort();
    }
    return 0;
}
