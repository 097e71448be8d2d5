#include "framework/ui/KRViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/View.h"

namespace {

KRViewController::ExternalOpener& externalOpener()
{
    static auto* opener = new KRViewController::ExternalOpener;
    return *opener;
}

}

void KRViewController::setExternalOpener(ExternalOpener opener) { externalOpener() = std::move(opener); }

KRViewController::~KRViewController()
{
    if (auto context = this->context())
        context->cancelHandleForSource(this);
    detachCompanions(true);
}

void KRViewController::initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle)
{
    m_nibBundle = bundle;
    setNib(nibName.value_or(""), bundle.get());
}

void KRViewController::setConfig(pf::DictionaryRef config)
{
    if (!storeConfig(config) || !config)
        return;
    pf::Value title = config->get("title");
    if (title.isString())
        setTitle(title.stringOr());
    pf::Value hides = config->get("hidesBottomBarWhenPushed");
    if (!hides.isNilOrNull())
        setHidesBottomBarWhenPushed(hides.boolValue());
}

bool KRViewController::applyContainerConfig(const pf::DictionaryRef& config)
{
    bool changed = config != this->config();
    KRViewController::setConfig(config);
    if (!changed || !config)
        return false;
    applyConfigScheme();
    return true;
}

bool KRViewController::openUrl(const pf::URL& url, bool animated)
{
    return openOtherUrl(url, animated);
}

std::string KRViewController::loadUrl(const pf::URL&, const std::string& basePath, bool) { return pathBelow(basePath, alias()); }

std::shared_ptr<IKRUIViewController> KRViewController::topController() { return selfController(); }

void KRViewController::doAction(const pf::ObjectRef& sender)
{
    auto action = std::dynamic_pointer_cast<IKRAction>(sender);
    if (!action)
        return;
    auto keep = weak_from_this().lock();
    const std::string& name = action->actionName();
    if (name == "url") {
        pf::Value info = action->userInfo();
        if (!info.isString())
            return;
        if (info.stringOr() == ".")
            goBack(true);
        else
            openRelativeUrl(info.stringOr(), pf::Value(), true);
    } else if (name == "openUrl") {
        pf::Value info = action->userInfo();
        if (!info.isString())
            return;
        std::string text = escapeURLText(info.stringOr());
        auto target = pf::URL::create(text);
        if (!target) {
            pf::log("%s: not a URL: %s", name.c_str(), text.c_str());
            return;
        }
        if (target->scheme() != "http" && target->scheme() != "https") {
            pf::log("openUrl: refused %s (only http and https open outside)", target->absoluteString().c_str());
        } else if (!externalOpener() || !externalOpener()(*target)) {
            pf::log("openUrl: nothing opened %s", target->absoluteString().c_str());
        }
    } else if (name == "popclose" || name == "popclosed") {
        if (auto window = KRPopWindow::topPopWindow())
            window->closeAnimated(name == "popclose");
    }
}

bool KRViewController::goBack(bool animated)
{
    auto keep = weak_from_this().lock(); // opening may release this screen
    auto back = backURL();
    return back && openUrl(*back, animated);
}

bool KRViewController::openRelativeUrl(std::string_view text, const pf::Value& queryValues, bool animated)
{
    auto keep = weak_from_this().lock();
    std::string escaped = escapeURLText(text);
    auto place = stackURL();
    const pf::URL* base = place ? &*place : nullptr;
    auto target = queryValues.isNil() ? pf::URL::create(escaped, base) : URLWithString(escaped, base, queryValues);
    if (!target) {
        pf::log("url: not a URL: %s", escaped.c_str());
        return false;
    }
    return openUrl(*target, animated);
}

void KRViewController::viewDidLoad()
{
    pf::ViewController::viewDidLoad();
    applyEdgesForExtendedLayout();
    attachCompanions();
    auto context = this->context();
    if (auto holder = std::dynamic_pointer_cast<IKRStyleSheetHolder>(styleContainer()); holder && context)
        holder->setStyleSheet(context->styleSheet());
    if (auto layouts = layoutContainer())
        layouts->layout();
    if (auto outlets = dataOutletContainer())
        outlets->applyDataOutlet(pf::Value(weak_from_this().lock()));
}

void KRViewController::viewDidUnload()
{
    detachCompanions(false);
    if (auto context = this->context())
        context->cancelHandleForSource(this);
    pf::ViewController::viewDidUnload();
}

void KRViewController::viewDidLayoutSubviews()
{
    pf::ViewController::viewDidLayoutSubviews();
    if (auto layouts = layoutContainer())
        layouts->layout();
}

bool KRViewController::shouldAutorotateToInterfaceOrientation(int orientation) const
{
    pf::ArrayRef list = config() ? config()->array("orientations") : nullptr;
    if (!config() || config()->get("orientations").isNilOrNull())
        return orientation == pf::InterfaceOrientation::Portrait;
    for (std::size_t i = 0; list && i < list->count(); ++i)
        if (list->at(i).intValue() == orientation)
            return true;
    return false;
}

unsigned KRViewController::supportedInterfaceOrientations() const
{
    pf::ArrayRef list = config() ? config()->array("orientations") : nullptr;
    unsigned mask = 0;
    for (std::size_t i = 0; list && i < list->count(); ++i) {
        int v = list->at(i).intValue();
        if (v >= 1 && v <= 4)
            mask |= 1u << v;
    }
    return mask ? mask : pf::InterfaceOrientation::PortraitMask;
}
