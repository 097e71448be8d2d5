#include "framework/data/KRItemViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRSameDataItem.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRViewImageTasks.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRLayoutContainer.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/View.h"

KRItemViewController::KRItemViewController(const std::optional<std::string>& nibName,
                                           const std::shared_ptr<pf::Bundle>& bundle)
{
    initWithNibName(nibName, bundle);
}

KRItemViewController::~KRItemViewController()
{
    if (auto context = m_context.lock())
        context->cancelHandleForSource(this);
    if (m_dataSource) {
        m_dataSource->setDelegate(nullptr);
        m_dataSource->cancel();
    }
}

void KRItemViewController::initWithNibName(const std::optional<std::string>& nibName,
                                           const std::shared_ptr<pf::Bundle>& bundle)
{
    m_itemNibName = nibName && !nibName->empty() ? nibName : std::nullopt;
    m_itemBundle = bundle;
}

void KRItemViewController::loadView()
{
    if (m_itemNibName) {
        auto bundle = m_itemBundle ? m_itemBundle : pf::Bundle::main();
        auto file = pf::InterfaceFile::named(*m_itemNibName, *bundle);
        if (file) {
            auto objects = file.value()->instantiate(shared_from_this());
            if (objects)
                m_nibObjects = std::move(objects.value());
            else
                pf::log("KRItemViewController: %s", objects.error().description.c_str());
        } else {
            pf::log("KRItemViewController: %s", file.error().description.c_str());
        }
        if (viewIfLoaded())
            return;
    }
    pf::ViewController::loadView();
}

void KRItemViewController::viewDidLoad()
{
    auto context = this->context();
    if (auto holder = std::dynamic_pointer_cast<IKRStyleSheetHolder>(m_styleContainer); holder && context)
        holder->setStyleSheet(context->styleSheet());
    runLayout();
}

void KRItemViewController::viewDidLayoutSubviews()
{
    runLayout();
}

void KRItemViewController::viewDidUnload()
{
    m_styleContainer.reset();
    m_dataOutletContainer.reset();
    m_nibObjects.clear();
}

void KRItemViewController::setDataItem(const pf::Value& item)
{
    if (KRSameDataItem(item, m_dataItem))
        return;
    m_dataItem = item;
    auto root = view();
    applyOutlets();
    loadImagesForView(*root);
    runLayout();
    if (m_dataSource) {
        m_dataSource->cancel();
        m_dataSource->reloadData();
    }
}

void KRItemViewController::setContext(std::weak_ptr<IKRUIContext> context)
{
    if (!m_context.owner_before(context) && !context.owner_before(m_context) && !m_context.expired())
        return;
    if (auto old = m_context.lock())
        old->cancelHandleForSource(this);
    m_context = std::move(context);
    if (m_dataSource)
        m_dataSource->setContext(m_context);
}

void KRItemViewController::setDataSource(std::shared_ptr<KRDataSource> dataSource)
{
    if (m_dataSource && m_dataSource != dataSource && m_dataSource->delegate().get() == this)
        m_dataSource->setDelegate(nullptr);
    m_dataSource = std::move(dataSource);
    if (m_dataSource) {
        m_dataSource->setDelegate(shared_from_this());
        m_dataSource->setContext(m_context);
    }
}

void KRItemViewController::applyOutlets()
{
    if (m_dataOutletContainer)
        m_dataOutletContainer->applyDataOutlet(pf::Value(shared_from_this()));
}

void KRItemViewController::runLayout()
{
    if (m_layoutContainer)
        m_layoutContainer->layout();
}

void KRItemViewController::refill(KRDataSource& sender)
{
    if (&sender != m_dataSource.get())
        return;
    applyOutlets();
    if (auto root = viewIfLoaded())
        downloadImagesForView(*root);
    runLayout();
}

void KRItemViewController::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date)
{
    refill(sender);
}

void KRItemViewController::krDataSourceDidLoaded(KRDataSource& sender)
{
    refill(sender);
}

void KRItemViewController::krDataSourceDidContentChanged(KRDataSource& sender)
{
    refill(sender);
}

void KRItemViewController::doAction(const pf::ObjectRef& sender)
{
    if (!dynamic_cast<IKRAction*>(sender.get()))
        return;
    auto self = shared_from_this();
    if (auto delegate = std::dynamic_pointer_cast<KRItemViewControllerDelegate>(m_delegate.lock()))
        delegate->krItemViewControllerDoAction(*this, sender);
}

void KRItemViewController::downloadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRDownloadImagesForView(*context, shared_from_this(), view);
}

void KRItemViewController::loadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRLoadImagesForView(*context, view);
}

void KRItemViewController::cancelDownloadImagesForView(pf::View& view)
{
    if (auto context = this->context())
        KRCancelDownloadImagesForView(*context, view);
}
