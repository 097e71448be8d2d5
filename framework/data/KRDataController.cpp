#include "framework/data/KRDataController.h"

#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRDataSource.h"

void KRDataControllerDelegate::krDataControllerWillLoading(KRDataController&) {}
void KRDataControllerDelegate::krDataControllerDidLoadedFromCache(KRDataController&, pf::Date) {}
void KRDataControllerDelegate::krDataControllerDidLoaded(KRDataController&) {}
void KRDataControllerDelegate::krDataControllerDidFitalError(KRDataController&, const pf::Error&) {}
void KRDataControllerDelegate::krDataControllerDidContentChanged(KRDataController&) {}

KRDataController::~KRDataController()
{
    if (auto context = m_context.lock())
        context->cancelHandleForSource(this);
    if (m_dataSource) {
        m_dataSource->setDelegate(nullptr);
        m_dataSource->cancel();
    }
}

void KRDataController::setDataSource(std::shared_ptr<KRDataSource> dataSource)
{
    if (m_dataSource && m_dataSource != dataSource && m_dataSource->delegate().get() == this)
        m_dataSource->setDelegate(nullptr);
    m_dataSource = std::move(dataSource);
    if (m_dataSource)
        m_dataSource->setDelegate(shared_from_this());
}

void KRDataController::setContext(std::weak_ptr<IKRUIContext> context)
{
    auto old = m_context.lock();
    if (old != context.lock()) {
        if (old)
            old->cancelHandleForSource(this);
        m_context = context;
    }
    if (m_dataSource)
        m_dataSource->setContext(context);
}

void KRDataController::reloadData()
{
    if (m_dataSource)
        m_dataSource->reloadData();
}

void KRDataController::refreshData()
{
    if (m_dataSource)
        m_dataSource->refreshData();
}

void KRDataController::cancel()
{
    if (m_dataSource)
        m_dataSource->cancel();
}

std::shared_ptr<KRDataControllerDelegate> KRDataController::relayFor(const KRDataSource& sender) const
{
    if (m_dataSource.get() != &sender)
        return nullptr;
    return std::dynamic_pointer_cast<KRDataControllerDelegate>(m_delegate.lock());
}

void KRDataController::krDataSourceWillLoading(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataControllerWillLoading(*this);
}

void KRDataController::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date timestamp)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataControllerDidLoadedFromCache(*this, timestamp);
}

void KRDataController::krDataSourceDidLoaded(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataControllerDidLoaded(*this);
}

void KRDataController::krDataSourceDidFitalError(KRDataSource& sender, const pf::Error& error)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataControllerDidFitalError(*this, error);
}

void KRDataController::krDataSourceDidContentChanged(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataControllerDidContentChanged(*this);
}
