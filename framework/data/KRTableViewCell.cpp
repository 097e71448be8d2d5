#include "framework/data/KRTableViewCell.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRSameDataItem.h"
#include "framework/data/KRTableViewCellDelegate.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/PerformRequest.h"
#include "platform/ui/ViewController.h"

namespace {

constexpr const char* kDownloadRequest = "downloadImagesForView";

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
    runLayout();
    if (!same)
        reloadDataSource();
}

void KRTableViewCell::didChangeContext()
{
    dressWithStyleSheet();
    runLayout();
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
    auto bus = context();
    if (!bus || !m_styleContainers)
        return;
    for (const pf::Value& entry : *m_styleContainers)
        if (auto holder = std::dynamic_pointer_cast<IKRStyleSheetHolder>(entry.object()))
            holder->setStyleSheet(bus->styleSheet());
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
