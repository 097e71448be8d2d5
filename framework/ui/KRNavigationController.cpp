#include "framework/ui/KRNavigationController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRNavigationBar.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

namespace {

std::shared_ptr<IKRUIViewController> routed(const pf::ViewControllerRef& controller)
{
    return std::dynamic_pointer_cast<IKRUIViewController>(controller);
}

}

KRNavigationController::~KRNavigationController() { detachCompanions(false); }

void KRNavigationController::initWithNibName(const std::optional<std::string>& nibName,
                                             const std::shared_ptr<pf::Bundle>& bundle)
{
    m_nibBundle = bundle;
    setNib(nibName.value_or(""), bundle.get());
}

void KRNavigationController::setConfig(pf::DictionaryRef config)
{
    if (!storeConfig(config) || !config)
        return;
    if (pf::Value v = config->get("navbar-hidden"); !v.isNilOrNull())
        setNavigationBarHidden(v.boolValue(), false);
    if (pf::Value v = config->get("toolbar-hidden"); !v.isNilOrNull())
        setToolbarHidden(v.boolValue(), false);
    if (pf::Value v = config->get("title"); v.isString())
        setTitle(v.stringOr());
    applyBarImage();
}

void KRNavigationController::applyBarImage()
{
    auto name = config() ? config()->string("navbar-bg") : std::nullopt;
    auto bar = std::dynamic_pointer_cast<KRNavigationBar>(navigationBar());
    if (!name || !bar)
        return; // a plain bar draws no image
    bar->setBackgroundImage(m_nibBundle ? pf::Image::named(*name, *m_nibBundle, pf::Screen::main().scale())
                                        : pf::Image::named(*name));
}

bool KRNavigationController::canOpenUrl(const pf::URL& url)
{
    return url.scheme() == answeredScheme() || KRRoutedController::canOpenUrl(url);
}

bool KRNavigationController::openUrl(const pf::URL& url, bool animated)
{
    auto keep = weak_from_this().lock();
    if (url.scheme() == answeredScheme()) {
        pf::log("%s", url.absoluteString().c_str());
        loadUrl(url, basePath(), animated);
        return true;
    }
    if (openWindowedUrl(url, animated))
        return true;
    return openInParent(url, animated);
}

std::string KRNavigationController::loadUrl(const pf::URL& url, const std::string& base, bool animated)
{
    auto keep = weak_from_this().lock();
    auto self = selfController();
    auto context = this->context();
    std::vector<pf::ViewControllerRef> old = viewControllers();
    std::vector<pf::ViewControllerRef> next;
    std::string at = pathBelow(base, alias());
    auto component = firstPathComponent(url, at);
    while (component) {
        auto bottom = old.empty() ? nullptr : routed(old.front());
        if (bottom && bottom->alias() == *component) {
            at = bottom->loadUrl(url, at, animated);
            next.push_back(old.front());
            old.erase(old.begin());
        } else {
            for (auto& c : old)
                if (auto r = routed(c))
                    r->setParentController(nullptr);
            old.clear();
            auto made = context ? context->getViewController(url, at) : nullptr;
            auto platform = std::dynamic_pointer_cast<pf::ViewController>(made);
            if (!platform)
                break;
            made->setParentController(self);
            at = made->loadUrl(url, at, animated);
            next.push_back(platform);
        }
        component = firstPathComponent(url, at);
    }
    for (auto& c : old)
        if (auto r = routed(c))
            r->setParentController(nullptr);
    setViewControllers(std::move(next), animated);
    return at;
}

void KRNavigationController::didRemoveViewControllers(const std::vector<pf::ViewControllerRef>& removed)
{
    auto self = selfController();
    for (auto& c : removed)
        if (auto r = routed(c); r && r->parentController() == self)
            r->setParentController(nullptr);
}

std::shared_ptr<IKRUIViewController> KRNavigationController::topController()
{
    auto top = routed(topViewController());
    return top ? top->topController() : nullptr;
}

void KRNavigationController::viewDidLoad()
{
    pf::NavigationController::viewDidLoad();
    applyEdgesForExtendedLayout();
    attachCompanions();
    applyBarImage();
}

void KRNavigationController::viewDidUnload()
{
    detachCompanions(false);
    pf::NavigationController::viewDidUnload();
}

bool KRNavigationController::shouldAutorotateToInterfaceOrientation(int orientation) const
{
    auto top = topViewController();
    return top ? top->shouldAutorotateToInterfaceOrientation(orientation)
               : pf::NavigationController::shouldAutorotateToInterfaceOrientation(orientation);
}

bool KRNavigationController::shouldAutorotate() const
{
    auto top = topViewController();
    return top ? top->shouldAutorotate() : true;
}

unsigned KRNavigationController::supportedInterfaceOrientations() const
{
    auto top = topViewController();
    return top ? top->supportedInterfaceOrientations() : pf::NavigationController::supportedInterfaceOrientations();
}
