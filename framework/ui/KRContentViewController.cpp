#include "framework/ui/KRContentViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/View.h"

namespace {

std::shared_ptr<pf::ViewController> platformOf(const std::shared_ptr<IKRUIViewController>& controller)
{
    return std::dynamic_pointer_cast<pf::ViewController>(controller);
}

}

KRContentViewController::~KRContentViewController()
{
    if (m_child)
        m_child->setParentController(nullptr);
}

void KRContentViewController::setContentViewController(std::shared_ptr<IKRUIViewController> controller)
{
    if (controller == m_child)
        return;
    auto keep = weak_from_this().lock();
    bool shown = viewIfLoaded() && viewIfLoaded()->window();
    if (auto old = std::exchange(m_child, nullptr)) {
        auto platform = platformOf(old);
        if (platform && shown)
            platform->beginAppearanceTransition(false, false);
        if (platform && platform->viewIfLoaded())
            platform->viewIfLoaded()->removeFromSuperview();
        if (platform && shown)
            platform->endAppearanceTransition();
        old->setParentController(nullptr);
        if (platform)
            platform->removeFromParentViewController();
    }
    m_child = std::move(controller);
    if (!m_child)
        return;
    m_child->setParentController(selfController());
    if (auto platform = platformOf(m_child))
        addChildViewController(platform);
    installChild();
}

void KRContentViewController::installChild()
{
    auto platform = platformOf(m_child);
    pf::ViewRef host = m_contentView ? m_contentView : viewIfLoaded();
    if (!platform || !host || !viewIfLoaded())
        return;
    bool shown = viewIfLoaded()->window() != nullptr;
    pf::ViewRef childView = platform->view();
    if (childView->superview() == host)
        return;
    if (shown)
        platform->beginAppearanceTransition(true, false);
    childView->setFrame(host->bounds());
    childView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    host->addSubview(childView);
    if (shown)
        platform->endAppearanceTransition();
}

void KRContentViewController::reloadURL()
{
    auto context = this->context();
    if (!url() || !context)
        return;
    auto component = firstPathComponent(*url(), path());
    if (m_child && component && m_child->alias() == *component)
        return;
    setContentViewController(context->getViewController(*url(), path()));
}

void KRContentViewController::setConfig(pf::DictionaryRef config)
{
    KRViewController::setConfig(config);
    applyConfigScheme();
}

bool KRContentViewController::openUrl(const pf::URL& url, bool animated)
{
    return openContainerUrl(url, animated, [&] { loadUrl(url, basePath(), animated); });
}

std::string KRContentViewController::loadUrl(const pf::URL& url, const std::string& basePath, bool animated)
{
    auto keep = weak_from_this().lock();
    std::string at = pathBelow(basePath, alias());
    auto component = firstPathComponent(url, at);
    if (!component)
        return at;
    if (!m_child || !childStays(*m_child, *component, url, at)) {
        auto context = this->context();
        setContentViewController(context ? context->getViewController(url, at) : nullptr);
    }
    auto child = m_child; // loading may replace it
    return child ? child->loadUrl(url, at, animated) : at;
}

std::shared_ptr<IKRUIViewController> KRContentViewController::topController()
{
    return m_child ? m_child->topController() : nullptr;
}

void KRContentViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    installChild();
}

void KRContentViewController::viewDidUnload()
{
    KRViewController::viewDidUnload();
    m_contentView = nullptr;
    if (auto platform = platformOf(m_child); platform && platform->viewIfLoaded())
        platform->viewIfLoaded()->removeFromSuperview();
}
