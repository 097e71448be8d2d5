#include "framework/data/KRItemViewDataController.h"

#include "framework/data/KRDataSource.h"
#include "platform/foundation/Object.h"

void KRItemViewDataController::setContainerView(std::shared_ptr<KRContainerView> view)
{
    m_containerView = std::move(view);
    if (!m_containerView)
        return;
    m_containerView->setDelegateObject(shared_from_this());
    if (auto layout = m_containerView->containerLayout())
        layout->setDelegate(std::dynamic_pointer_cast<KRContainerLayoutDelegate>(shared_from_this()));
}

std::shared_ptr<KRItemViewController> KRItemViewDataController::makeItemViewController(const std::string& identifier)
{
    std::shared_ptr<KRItemViewController> item;
    if (m_itemViewClass)
        if (const pf::Class* cls = pf::Class::named(*m_itemViewClass))
            item = std::dynamic_pointer_cast<KRItemViewController>(cls->create());
    if (!item)
        item = std::make_shared<KRItemViewController>();
    item->initWithNibName(m_itemViewNib, m_itemViewBundle);
    item->setReuseIdentifier(identifier);
    item->setDelegate(shared_from_this());
    return item;
}

bool KRItemViewDataController::isOwnSource(const KRDataSource& sender) const { return &sender == dataSource().get(); }

void KRItemViewDataController::cancel()
{
    KRDataController::cancel();
    stopLoading();
}

void KRItemViewDataController::krDataSourceWillLoading(KRDataSource& sender)
{
    auto self = shared_from_this();
    if (isOwnSource(sender))
        startLoading();
    KRDataController::krDataSourceWillLoading(sender);
}

void KRItemViewDataController::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date timestamp)
{
    auto self = shared_from_this();
    KRDataController::krDataSourceDidLoadedFromCache(sender, timestamp);
    if (isOwnSource(sender) && m_containerView)
        m_containerView->reloadData();
}

void KRItemViewDataController::krDataSourceDidLoaded(KRDataSource& sender)
{
    auto self = shared_from_this();
    KRDataController::krDataSourceDidLoaded(sender);
    if (!isOwnSource(sender))
        return;
    if (m_containerView)
        m_containerView->reloadData();
    stopLoading();
}

void KRItemViewDataController::krDataSourceDidFitalError(KRDataSource& sender, const pf::Error& error)
{
    auto self = shared_from_this();
    if (isOwnSource(sender))
        stopLoading();
    KRDataController::krDataSourceDidFitalError(sender, error);
}
