#include "app/screens/feed/ZMRHomeViewController.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/shared/ZMRListFailure.h"
#include "app/screens/shared/ZMRPublishView.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "platform/controls/Button.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Image.h"

namespace {

constexpr double kMenuFlight = 0.3;
constexpr const char* kHomePath = "root:///root/fold/center/home";

}

std::string ZMRHomeViewController::classifyTitle(const std::optional<std::string>& classify)
{
    if (classify == "near")
        return "附近的";
    if (classify == "follow")
        return "关注的妈妈";
    if (classify == "friends")
        return "好友妈妈";
    return "Zomaru";
}

void ZMRHomeViewController::setClassify(std::optional<std::string> classify)
{
    m_classify = std::move(classify);
    if (m_classifyButton)
        m_classifyButton->setTitle(classifyTitle(m_classify), pf::ControlStates::Normal);
    if (m_feedController) {
        if (const auto& source = m_feedController->dataSource())
            source->setValueForKey("status", m_classify ? pf::Value(*m_classify) : pf::Value());
    }
}

void ZMRHomeViewController::viewDidLoad()
{
    if (auto outlets = dataOutletContainer())
        outlets->setStatus(m_classify);
    ZMRViewController::viewDidLoad();
    if (m_feedController)
        m_feedController->reloadData();
}

void ZMRHomeViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    // Likes and comment counts changed elsewhere show; nothing is asked of the server.
    if (m_feedController && m_feedController->tableView())
        m_feedController->tableView()->reloadData();
}

bool ZMRHomeViewController::goBack(bool animated)
{
    if (m_classifyView && !m_classifyView->isHidden()) {
        hiddenClassifyView(animated);
        return true;
    }
    return ZMRViewController::goBack(animated);
}

void ZMRHomeViewController::doClassifyChangeAction(const pf::ObjectRef&)
{
    if (m_classifyViewAnimating)
        return;
    if (publishView() && !publishView()->isHidden()) {
        publishView()->setHidden(true, true);
        return;
    }
    if (!m_classifyView || m_classifyView->isHidden())
        visableClassifyView(true);
    else
        hiddenClassifyView(true);
}

void ZMRHomeViewController::doClassifyHiddenAction(const pf::ObjectRef&) { hiddenClassifyView(true); }

void ZMRHomeViewController::setClassifyEnabled(bool enabled)
{
    if (!m_classifyEnabledViews)
        return;
    for (std::size_t i = 0; i < m_classifyEnabledViews->count(); ++i) {
        if (auto control = m_classifyEnabledViews->at(i).objectAs<pf::Control>())
            control->setEnabled(enabled);
    }
}

void ZMRHomeViewController::visableClassifyView(bool animated)
{
    if (m_classifyViewAnimating)
        return;
    if (m_classifyButton) {
        m_classifyButton->setSelected(true);
        m_classifyButton->setImage(pf::Image::named("ico11.png"), pf::ControlStates::Normal);
    }
    setClassifyEnabled(false);
    if (!m_classifyView)
        return;
    if (!animated) {
        m_classifyView->setAlpha(1);
        m_classifyView->setHidden(false);
        return;
    }
    m_classifyViewAnimating = true;
    m_classifyView->setAlpha(0);
    m_classifyView->setHidden(false);
    pf::Rect target;
    if (m_classifyContentView) {
        // A list that was never shown has not measured its rows yet.
        m_classifyContentView->layoutIfNeeded();
        target = m_classifyContentView->frame();
        target.size.height = m_classifyContentView->contentSize().height;
        pf::Rect closed = target;
        closed.size.height = 0;
        m_classifyContentView->setFrame(closed);
    }
    auto menu = m_classifyView;
    auto list = m_classifyContentView;
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::View::animate(kMenuFlight, [menu, list, target] {
        menu->setAlpha(1);
        if (list)
            list->setFrame(target);
    }, [weak](bool) {
        if (auto self = std::dynamic_pointer_cast<ZMRHomeViewController>(weak.lock()))
            self->m_classifyViewAnimating = false;
    });
}

void ZMRHomeViewController::hiddenClassifyView(bool animated)
{
    if (m_classifyViewAnimating)
        return;
    if (m_classifyButton) {
        m_classifyButton->setSelected(false);
        m_classifyButton->setImage(pf::Image::named("ico10.png"), pf::ControlStates::Normal);
    }
    setClassifyEnabled(true);
    if (!m_classifyView)
        return;
    if (!animated) {
        m_classifyView->setHidden(true);
        return;
    }
    m_classifyViewAnimating = true;
    auto menu = m_classifyView;
    auto list = m_classifyContentView;
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::View::animate(kMenuFlight, [menu, list] {
        menu->setAlpha(0);
        if (list) {
            pf::Rect closed = list->frame();
            closed.size.height = 0;
            list->setFrame(closed);
        }
    }, [weak, menu](bool) {
        menu->setHidden(true);
        if (auto self = std::dynamic_pointer_cast<ZMRHomeViewController>(weak.lock()))
            self->m_classifyViewAnimating = false;
    });
}

void ZMRHomeViewController::applyClassifyOutlets()
{
    if (auto outlets = dataOutletContainer()) {
        outlets->setStatus(m_classify);
        outlets->applyDataOutlet(pf::Value(weak_from_this().lock()));
    }
}

void ZMRHomeViewController::doAction(const pf::ObjectRef& sender)
{
    auto action = std::dynamic_pointer_cast<IKRAction>(sender);
    if (!action || action->actionName() != "classify") {
        ZMRViewController::doAction(sender);
        return;
    }
    auto keep = weak_from_this().lock();
    const pf::Value& info = action->userInfo();
    setClassify(info.isString() ? std::optional<std::string>(info.stringOr()) : std::nullopt);
    applyClassifyOutlets();
    hiddenClassifyView(true);
    if (m_feedController) {
        if (const auto& table = m_feedController->tableView())
            table->reloadData();
        m_feedController->reloadData();
    }
}

void ZMRHomeViewController::krDocumentDataControllerElementDoAction(KRDocumentDataController&, KRDOMElement& element,
                                                                    const pf::ObjectRef& sender)
{
    auto action = std::dynamic_pointer_cast<IKRAction>(sender);
    if (!action)
        return;
    auto keep = weak_from_this().lock();
    const std::string& name = action->actionName();
    const pf::Value& info = action->userInfo();
    auto attribute = [&](std::string_view key) { return element.attributeValueForKey(key); };
    if (name == "feed" || name == "user") {
        if (!info.isString())
            return;
        auto values = pf::Dictionary::create();
        if (name == "feed") {
            auto pid = attribute("pid");
            if (!pid) // a post without its id names nothing to open
                return;
            values->set("pid", std::string(*pid));
        } else {
            if (auto uid = attribute("uid"))
                values->set("uid", std::string(*uid));
            if (auto nick = attribute("nick"))
                values->set("nick", std::string(*nick));
        }
        openRelativeUrl(std::string(kHomePath) + "/" + info.stringOr(), pf::Value(values), true);
        return;
    }
    if (name == "image") {
        auto images = element.valueForKey("images").array();
        auto context = this->context();
        if (!images || !context)
            return;
        auto focus = pf::Dictionary::create();
        focus->set("images", pf::Value(images));
        auto page = attribute("pageIndex");
        focus->set("pageIndex", page ? pf::Value(std::string(*page)) : pf::Value());
        context->setFocusValue(pf::Value(focus), "image");
        openRelativeUrl(std::string(kHomePath) + "/image", pf::Value(), true);
    }
}

void ZMRHomeViewController::krDataControllerDidLoaded(KRDataController&)
{
    // An empty feed is no failure.
    if (m_feedController)
        ZMRHideListFailure(*m_feedController);
}

void ZMRHomeViewController::krDataControllerDidFitalError(KRDataController&, const pf::Error& error)
{
    if (m_feedController)
        ZMRShowListFailure(*m_feedController, error);
}
