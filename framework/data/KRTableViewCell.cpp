#include "framework/data/KRTableViewCell.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRSameDataItem.h"
#include "framework/data/KRTableViewCellDelegate.h"
#include "framework/ui/KRViewImageTasks.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/PerformRequest.h"
#include "platform/ui/ViewController.h"

namespace {

constexpr const char* kDownloadRequest = "downloadImagesForView";

}

KRTableViewCell::~KRTableViewCell()
{
    if (auto context = m_context.lock())
        context->cancelHandleForSource(this);
    if (m_dataSource) {
        m_dataSource->setDelegate(nullptr);
        m_dataSource->cancel();
    }
}

std::shared_ptr<KRTableViewCell> KRTableViewCell::tableViewCellWithNibName(const std::string& nibName,
                                                                           const pf::Bundle* bundle)
{
    auto owner = std::make_shared<pf::ViewController>(nibName, bundle);
    auto cell = std::dynamic_pointer_cast<KRTableViewCell>(owner->view());
    if (cell)
        cell->removeFromSuperview();
    return cell;
}

void KRTableViewCell::setDataItem(const pf::Value& item)
{
    const bool same = KRSameDataItem(item, m_dataItem);
    m_dataItem = item;
    applyOutlets();
    if (!same) {
        cancelDownloadImagesForView(*this);
        loadImagesForView(*this);
    }
    scheduleDownload();
    layout();
    if (!same && m_dataSource) {
        m_dataSource->cancel();
        m_dataSource->reloadData();
    }
}

void KRTableViewCell::setContext(std::weak_ptr<IKRUIContext> context)
{
    if (!m_context.owner_before(context) && !context.owner_before(m_context) && !m_context.expired())
        return;
    if (auto old = m_context.lock())
        old->cancelHandleForSource(this);
    m_context = std::move(context);
    if (m_dataSource)
        m_dataSource->setContext(m_context);
    dressWithStyleSheet();
    layout();
}

void KRTableViewCell::setStyleContainers(pf::ArrayRef containers)
{
    m_styleContainers = std::move(containers);
    dressWithStyleSheet();
}

pf::ObjectRef KRTableViewCell::styleContainer() const
{
    return m_styleContainers ? m_styleContainers->last().object() : nullptr;
}

void KRTableViewCell::setStyleContainer(const pf::ObjectRef& container)
{
    setStyleContainers(container ? pf::Array::create({pf::Value(container)}) : nullptr);
}

void KRTableViewCell::dressWithStyleSheet()
{
    auto context = m_context.lock();
    if (!context || !m_styleContainers)
        return;
    for (const pf::Value& entry : *m_styleContainers)
        if (auto holder = std::dynamic_pointer_cast<IKRStyleSheetHolder>(entry.object()))
            holder->setStyleSheet(context->styleSheet());
}

void KRTableViewCell::layout()
{
    if (m_layoutContainer)
        m_layoutContainer->layout();
}

void KRTableViewCell::setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container)
{
    m_dataOutletContainer = std::move(container);
}

void KRTableViewCell::setDataSource(std::shared_ptr<KRDataSource> dataSource)
{
    if (m_dataSource && m_dataSource != dataSource && m_dataSource->delegate().get() == this)
        m_dataSource->setDelegate(nullptr);
    m_dataSource = std::move(dataSource);
    if (m_dataSource) {
        m_dataSource->setDelegate(shared_from_this());
        m_dataSource->setContext(m_context);
    }
}

void KRTableViewCell::applyOutlets()
{
    if (m_dataOutletContainer)
        m_dataOutletContainer->applyDataOutlet(pf::Value(shared_from_this()));
}

void KRTableViewCell::scheduleDownload()
{
    pf::cancelPreviousPerformRequests(*this, kDownloadRequest);
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::performAfterDelay(shared_from_this(), kDownloadRequest, 0, [weak] {
        if (auto self = std::static_pointer_cast<KRTableViewCell>(weak.lock()))
            self->downloadImagesForView(*self);
    });
}

void KRTableViewCell::refill(KRDataSource& sender)
{
    if (&sender != m_dataSource.get())
        return;
    applyOutlets();
    downloadImagesForView(*this);
    layout();
}

void KRTableViewCell::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date)
{
    refill(sender);
}

void KRTableViewCell::krDataSourceDidLoaded(KRDataSource& sender)
{
    refill(sender);
}

void KRTableViewCell::krDataSourceDidContentChanged(KRDataSource& sender)
{
    refill(sender);
}

void KRTableViewCell::sendAction(const pf::ObjectRef& action)
{
    if (auto delegate = std::dynamic_pointer_cast<KRTableViewCellDelegate>(m_delegate.lock()))
        delegate->krTableViewCellDoAction(*this, action);
}

void KRTableViewCell::doAction(const pf::ObjectRef& sender)
{
    if (dynamic_cast<IKRAction*>(sender.get()))
        sendAction(sender);
}

void KRTableViewCell::krDOMViewDoActionElement(KRDOMView&, KRDOMElement& element)
{
    if (dynamic_cast<IKRAction*>(&element)) {
        sendAction(element.shared_from_this());
        return;
    }
    if (!element.name().starts_with('a'))
        return;
    auto href = element.attributeValueForKey("href");
    if (!href || href->empty())
        return;
    auto action = std::make_shared<KRAction>();
    action->setActionName("url");
    action->setUserInfo(pf::Value(std::string(*href)));
    sendAction(action);
}

void KRTableViewCell::downloadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRDownloadImagesForView(*context, shared_from_this(), view);
}

void KRTableViewCell::loadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRLoadImagesForView(*context, view);
}

void KRTableViewCell::cancelDownloadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRCancelDownloadImagesForView(*context, view);
}
