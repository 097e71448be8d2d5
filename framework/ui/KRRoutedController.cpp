#include "framework/ui/KRRoutedController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

bool KRRoutedController::canOpenUrl(const pf::URL& url)
{
    if (ownsScheme(url))
        return true;
    auto parent = parentController();
    return parent && parent->canOpenUrl(url);
}

bool KRRoutedController::ownsScheme(const pf::URL& url) const
{
    // A leaf screen's configured scheme names no level it could load.
    return !defaultScheme().empty() && url.scheme() == answeredScheme();
}

bool KRRoutedController::openContainerUrl(const pf::URL& url, bool animated, const std::function<void()>& loadOwn)
{
    auto keep = platformController().weak_from_this().lock();
    if (!ownsScheme(url))
        return openOtherUrl(url, animated);
    loadOwn();
    return true;
}

bool KRRoutedController::openOtherUrl(const pf::URL& url, bool animated)
{
    auto keep = platformController().weak_from_this().lock();
    return openWindowedUrl(url, animated) || openInParent(url, animated);
}

bool KRRoutedController::isDisplaced() const
{
    if (m_parent.lock())
        return false;
    auto& self = const_cast<KRRoutedController*>(this)->platformController();
    const pf::ViewRef& view = self.viewIfLoaded();
    return !view || !view->superview();
}

std::string KRRoutedController::pathBelow(const std::string& basePath, const std::string& alias)
{
    std::string out = basePath.empty() ? std::string("/") : basePath;
    if (out.back() != '/')
        out += '/';
    return out + alias;
}

void KRRoutedController::setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container)
{
    m_dataOutletContainer = std::move(container);
}

void KRRoutedController::setLayoutContainer(std::shared_ptr<KRLayoutContainer> container)
{
    m_layoutContainer = std::move(container);
}

std::shared_ptr<IKRUIViewController> KRRoutedController::selfController()
{
    return std::dynamic_pointer_cast<IKRUIViewController>(platformController().weak_from_this().lock());
}

bool KRRoutedController::storeConfig(const pf::DictionaryRef& config)
{
    if (config == m_config)
        return false;
    m_config = config;
    return true;
}

bool KRRoutedController::openInParent(const pf::URL& url, bool animated)
{
    auto parent = parentController();
    return parent && parent->openUrl(url, animated);
}

void KRRoutedController::applyConfigScheme()
{
    if (pf::Value scheme = m_config ? m_config->get("scheme") : pf::Value(); !scheme.isNil())
        setScheme(scheme);
}

bool KRRoutedController::openWindowedUrl(const pf::URL& url, bool animated)
{
    if (url.scheme() == "present")
        return openPresentUrl(url, animated);
    if (url.scheme() != "pop")
        return false;
    pf::log("%s", url.absoluteString().c_str());
    auto platform = topLevelScreen(url);
    if (!platform)
        return false;
    auto window = KRPopWindow::popWindow();
    window->setBackgroundColor(pf::Color::clear());
    window->showAnimated(animated);
    window->setRootViewController(platform);
    routed(platform)->setParentController(selfController());
    return true;
}

pf::ViewControllerRef KRRoutedController::topLevelScreen(const pf::URL& url)
{
    auto context = this->context();
    return std::dynamic_pointer_cast<pf::ViewController>(context ? context->getViewController(url, "/") : nullptr);
}

bool KRRoutedController::openPresentUrl(const pf::URL& url, bool animated)
{
    auto component = firstPathComponent(url, "/");
    if (!component) {
        if (!m_url || m_url->scheme() != "present")
            return false;
        pf::log("%s", url.absoluteString().c_str());
        platformController().dismissModalViewControllerAnimated(animated);
        return true;
    }
    if (!url.host().empty() && url.host() != answeredScheme())
        return false;
    pf::ViewController* presenter = &platformController();
    if (!url.host().empty())
        while (presenter->modalViewController())
            presenter = presenter->modalViewController().get();
    pf::log("%s", url.absoluteString().c_str());
    auto platform = topLevelScreen(url);
    if (!platform)
        return false;
    auto controller = routed(platform);
    auto parent = std::dynamic_pointer_cast<IKRUIViewController>(presenter->weak_from_this().lock());
    controller->setParentController(parent ? parent : selfController());
    presenter->presentModalViewController(platform, animated);
    if (presenter->modalViewController() != platform) {
        // Nothing on screen to present over, or a modal already shown.
        pf::log("%s: nothing presented", url.absoluteString().c_str());
        controller->setParentController(nullptr);
        return false;
    }
    return true;
}

void KRRoutedController::applyEdgesForExtendedLayout()
{
    if (!m_config)
        return;
    pf::Value value = m_config->get("edgesForExtendedLayout");
    if (!value.isString())
        return;
    std::string text = value.stringOr();
    pf::RectEdge edges = pf::RectEdges::None;
    if (text == "all")
        edges = pf::RectEdges::All;
    struct Word {
        const char* word;
        pf::RectEdge edge;
    };
    for (Word w : {Word{"left", pf::RectEdges::Left}, Word{"right", pf::RectEdges::Right}, Word{"top", pf::RectEdges::Top},
                   Word{"bottom", pf::RectEdges::Bottom}})
        if (text.find(w.word) != std::string::npos)
            edges |= w.edge;
    platformController().setEdgesForExtendedLayout(edges);
}

void KRRoutedController::attachCompanions()
{
    auto self = selfController();
    auto context = m_context;
    for (std::size_t i = 0; m_controllers && i < m_controllers->count(); ++i) {
        pf::ObjectRef object = m_controllers->at(i).object();
        if (auto companion = std::dynamic_pointer_cast<IKRController>(object))
            companion->setContext(context);
        if (auto companion = std::dynamic_pointer_cast<IKRParentControllerHolder>(object))
            companion->setParentController(self);
    }
}

void KRRoutedController::detachCompanions(bool cancel)
{
    auto controllers = m_controllers; // a companion may clear the outlet
    for (std::size_t i = 0; controllers && i < controllers->count(); ++i) {
        pf::ObjectRef object = controllers->at(i).object();
        if (auto companion = std::dynamic_pointer_cast<IKRCancellable>(object); companion && cancel)
            companion->cancel();
        if (auto companion = std::dynamic_pointer_cast<IKRController>(object))
            companion->setDelegate(nullptr);
        if (auto companion = std::dynamic_pointer_cast<IKRParentControllerHolder>(object))
            companion->setParentController(nullptr);
    }
}

KRRoutedController::Stack KRRoutedController::stackForUrl(const pf::URL& url, const std::string& basePath, bool animated,
                                                          std::vector<pf::ViewControllerRef> current)
{
    auto self = selfController();
    auto context = this->context();
    auto release = [&current] {
        for (auto& c : current)
            if (auto r = routed(c))
                r->setParentController(nullptr);
        current.clear();
    };
    Stack next{{}, pathBelow(basePath, m_alias)};
    for (auto component = firstPathComponent(url, next.path); component;
         component = firstPathComponent(url, next.path)) {
        auto bottom = current.empty() ? nullptr : routed(current.front());
        if (bottom && childStays(*bottom, *component, url, next.path)) {
            next.path = bottom->loadUrl(url, next.path, animated);
            next.controllers.push_back(current.front());
            current.erase(current.begin());
            continue;
        }
        release();
        auto made = context ? context->getViewController(url, next.path) : nullptr;
        auto platform = std::dynamic_pointer_cast<pf::ViewController>(made);
        if (!platform)
            break;
        made->setParentController(self);
        next.path = made->loadUrl(url, next.path, animated);
        next.controllers.push_back(platform);
    }
    release();
    return next;
}

std::optional<pf::URL> KRRoutedController::stackURL() const
{
    std::vector<std::string> aliases{m_alias};
    std::shared_ptr<IKRUIViewController> top;
    for (auto up = parentController(); up; up = up->parentController()) {
        aliases.push_back(up->alias());
        top = up;
    }
    if (!m_url || !top || !top->url())
        return m_url;
    std::string text;
    if (top->url()->scheme() == m_url->scheme()) {
        // A screen made while a URL passed through its level on the way
        // deeper holds that deeper URL: its place is its own path, and the
        // query belonged to the screen further down.
        // Rebuilt from the own path, so a URL ending in "/" (its own ".")
        // still has a level above it.
        if (basePath().empty())
            return m_url;
        std::string own = path();
        text = m_url->scheme() + "://" + m_url->host() + own;
        if (!pathComponents(*m_url, own) && m_url->query())
            text += "?" + *m_url->query();
    } else {
        text = top->url()->scheme() + "://";
        for (auto it = aliases.rbegin(); it != aliases.rend(); ++it)
            text += "/" + *it;
        if (m_url->query())
            text += "?" + *m_url->query();
    }
    auto placed = pf::URL::create(text);
    return placed ? placed : m_url;
}

std::optional<pf::URL> KRRoutedController::backURL() const
{
    auto place = stackURL();
    auto back = place ? pf::URL::create(".", &*place) : std::nullopt;
    if (!back)
        return std::nullopt;
    std::shared_ptr<IKRUIViewController> root;
    for (auto up = parentController(); up; up = up->parentController())
        root = up;
    // Only the root loads a URL of its own scheme from its own path.
    if (root && root->url() && root->url()->scheme() == back->scheme()
        && !firstPathComponent(*back, pathBelow(root->basePath(), root->alias())))
        return std::nullopt;
    return back;
}

bool KRRoutedController::childStays(const IKRUIViewController& child, const std::string& component, const pf::URL& url,
                                    const std::string& basePath)
{
    if (child.alias() != component)
        return false;
    if (firstPathComponent(url, pathBelow(basePath, component)))
        return true; // a level on the way to the screen the URL opens
    const std::optional<pf::URL>& opened = child.url();
    // A child made while a URL passed through its level on the way deeper
    // was never opened with a query of its own: it stays.
    if (!opened || pathComponents(*opened, "/") != pathComponents(url, "/"))
        return true;
    pf::DictionaryRef was = queryValues(*opened), now = queryValues(url);
    auto empty = [](const pf::DictionaryRef& d) { return !d || d->empty(); };
    // No query of its own (a back, a tab item): the screen shown there
    // stays with its query and its state.
    if (empty(now))
        return true;
    return !empty(was) && *was == *now;
}

void KRRoutedController::releaseRemoved(const std::vector<pf::ViewControllerRef>& removed)
{
    auto self = selfController();
    for (auto& c : removed)
        if (auto r = routed(c); r && r->parentController() == self)
            r->setParentController(nullptr);
}

std::shared_ptr<IKRUIViewController> KRRoutedController::routed(const pf::ViewControllerRef& controller)
{
    return std::dynamic_pointer_cast<IKRUIViewController>(controller);
}
