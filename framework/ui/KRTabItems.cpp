#include "framework/ui/KRTabItems.h"

#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Log.h"

std::vector<KRTab> KRMakeTabs(const pf::Dictionary& config, const std::shared_ptr<IKRUIContext>& context,
                              const std::shared_ptr<IKRUIViewController>& parent)
{
    std::vector<KRTab> tabs;
    pf::ArrayRef items = config.array("items");
    for (std::size_t i = 0; items && context && i < items->count(); ++i) {
        pf::DictionaryRef entry = items->at(i).dictionary();
        auto text = entry ? entry->string("url") : std::nullopt;
        if (!text)
            continue;
        auto url = pf::URL::create(*text);
        if (!url) {
            pf::log("tab item url is not a URL: %s", text->c_str());
            continue;
        }
        auto made = context->getViewController(*url, "/");
        auto platform = std::dynamic_pointer_cast<pf::ViewController>(made);
        if (!platform)
            continue;
        made->setParentController(parent);
        made->loadUrl(*url, "/", false);
        tabs.push_back({platform, entry});
    }
    return tabs;
}
