#include "framework/ui/KRTabBarController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRTabItems.h"
#include "platform/controls/BarItem.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

namespace {

// The tab bar's companions also lose their context when it unloads or goes,
// beyond the delegate and parent that every routed container clears.
void clearCompanionContexts(pf::ArrayRef controllers)
{
    for (std::size_t i = 0; controllers && i < controllers->count(); ++i) {
        if (auto companion = std::dynamic_pointer_cast<IKRController>(controllers->at(i).object()))
            companion->setContext({});
    }
}

}

KRTabBarController::~KRTabBarController()
{
    detachCompanions(false);
    clearCompanionContexts(controllers());
}

void KRTabBarController::initWithNibName(const std::optional<std::string>& nibName,
                                         const std::shared_ptr<pf::Bundle>& bundle)
{
    m_nibBundle = bundle;
    setNib(nibName.value_or(""), bundle.get());
}

void KRTabBarController::setConfig(pf::DictionaryRef config)
{
    if (!storeConfig(config) || !config)
        return;
    auto keep = weak_from_this().lock();
    if (pf::Value scheme = config->get("scheme"); !scheme.isNil())
        setScheme(scheme);
    std::vector<pf::ViewControllerRef> tabs;
    for (auto& tab : KRMakeTabs(*config, context(), selfController())) {
        auto item = std::dynamic_pointer_cast<pf::TabBarItem>(tab.controller->tabBarItem());
        if (!item) {
            item = std::make_shared<pf::TabBarItem>();
            tab.controller->setTabBarItem(item);
        }
        if (auto title = tab.entry->string("title"))
            item->setTitle(*title);
        if (auto name = tab.entry->string("image"))
            item->setImage(m_nibBundle ? pf::Image::named(*name, *m_nibBundle, pf::Screen::main().scale())
                                       : pf::Image::named(*name));
        tabs.push_back(tab.controller);
    }
    setViewControllers(std::move(tabs));
}

bool KRTabBarController::canOpenUrl(const pf::URL& url) { return url.scheme() == answeredScheme(); }

bool KRTabBarController::openUrl(const pf::URL& url, bool animated)
{
    auto keep = weak_from_this().lock();
    if (url.scheme() == answeredScheme()) {
        auto component = firstPathComponent(url, "/");
        auto& tabs = viewControllers();
        for (std::size_t i = 0; component && i < tabs.size(); ++i) {
            if (auto r = routed(tabs[i]); r && r->alias() == *component) {
                setSelectedIndex(i);
                break;
            }
        }
        if (auto selected = routed(selectedViewController()))
            selected->loadUrl(url, "/", animated);
        return true;
    }
    if (url.scheme() == "present" && openWindowedUrl(url, animated))
        return true;
    return openInParent(url, animated);
}

std::string KRTabBarController::loadUrl(const pf::URL&, const std::string& base, bool) { return pathBelow(base, alias()); }

std::shared_ptr<IKRUIViewController> KRTabBarController::topController()
{
    auto selected = routed(selectedViewController());
    return selected ? selected->topController() : nullptr;
}

void KRTabBarController::receiveUrl(const pf::URL& url, const pf::ObjectRef& source)
{
    if (auto receiver = std::dynamic_pointer_cast<IKRUrlReceiver>(selectedViewController()))
        receiver->receiveUrl(url, source);
}

void KRTabBarController::didRemoveViewControllers(const std::vector<pf::ViewControllerRef>& removed)
{
    releaseRemoved(removed);
}

void KRTabBarController::viewDidLoad()
{
    pf::TabBarController::viewDidLoad();
    applyEdgesForExtendedLayout();
    attachCompanions();
}

void KRTabBarController::viewDidUnload()
{
    detachCompanions(false);
    clearCompanionContexts(controllers());
    pf::TabBarController::viewDidUnload();
}
