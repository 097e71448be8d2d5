#include "framework/data/KRItemBinding.h"

#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSource.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "platform/ui/View.h"

KRItemBinding::~KRItemBinding()
{
    if (auto context = m_context.lock())
        context->cancelHandleForSource(&m_owner);
    if (m_dataSource) {
        m_dataSource->setDelegate(nullptr);
        m_dataSource->cancel();
    }
}

void KRItemBinding::setContext(std::weak_ptr<IKRUIContext> context)
{
    if (!m_context.owner_before(context) && !context.owner_before(m_context) && !m_context.expired())
        return;
    if (auto old = m_context.lock())
        old->cancelHandleForSource(&m_owner);
    m_context = std::move(context);
    if (m_dataSource)
        m_dataSource->setContext(m_context);
    didChangeContext();
}

void KRItemBinding::setDataSource(std::shared_ptr<KRDataSource> dataSource)
{
    if (m_dataSource && m_dataSource != dataSource && m_dataSource->delegate().get() == &m_owner)
        m_dataSource->setDelegate(nullptr);
    m_dataSource = std::move(dataSource);
    if (m_dataSource) {
        m_dataSource->setDelegate(m_owner.shared_from_this());
        m_dataSource->setContext(m_context);
    }
}

void KRItemBinding::setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container)
{
    m_dataOutletContainer = std::move(container);
}

void KRItemBinding::setLayoutContainer(std::shared_ptr<KRLayoutContainer> container)
{
    m_layoutContainer = std::move(container);
}

void KRItemBinding::applyOutlets()
{
    if (m_dataOutletContainer)
        m_dataOutletContainer->applyDataOutlet(pf::Value(m_owner.shared_from_this()));
}

void KRItemBinding::runLayout()
{
    if (m_layoutContainer)
        m_layoutContainer->layout();
}

void KRItemBinding::reloadDataSource()
{
    if (m_dataSource) {
        m_dataSource->cancel();
        m_dataSource->reloadData();
    }
}

pf::ObjectRef KRItemBinding::imageTaskSource()
{
    return m_owner.shared_from_this();
}

void KRItemBinding::refill(KRDataSource& sender)
{
    if (&sender != m_dataSource.get())
        return;
    applyOutlets();
    if (pf::View* view = boundView())
        downloadImagesForView(*view);
    runLayout();
}

void KRItemBinding::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date)
{
    refill(sender);
}

void KRItemBinding::krDataSourceDidLoaded(KRDataSource& sender)
{
    refill(sender);
}

void KRItemBinding::krDataSourceDidContentChanged(KRDataSource& sender)
{
    refill(sender);
}
