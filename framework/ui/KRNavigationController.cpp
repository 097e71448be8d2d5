#include "framework/ui/KRNavigationController.h"

#include "framework/ui/KRNavigationBar.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

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

bool KRNavigationController::openUrl(const pf::URL& url, bool animated)
{
    return openContainerUrl(url, animated, [&] {
        pf::log("%s", url.absoluteString().c_str());
        loadUrl(url, basePath(), animated);
    });
}

std::string KRNavigationController::loadUrl(const pf::URL& url, const std::string& base, bool animated)
{
    auto keep = weak_from_this().lock();
    Stack next = stackForUrl(url, base, animated, viewControllers());
    setViewControllers(std::move(next.controllers), animated);
    return next.path;
}

void KRNavigationController::didRemoveViewControllers(const std::vector<pf::ViewControllerRef>& removed)
{
    releaseRemoved(removed);
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
