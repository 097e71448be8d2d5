#include "framework/data/KRItemViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/data/KRSameDataItem.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/View.h"

KRItemViewController::KRItemViewController(const std::optional<std::string>& nibName,
                                           const std::shared_ptr<pf::Bundle>& bundle)
    : KRItemBinding(static_cast<pf::Object&>(*this))
{
    initWithNibName(nibName, bundle);
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
    setDataOutletContainer(nullptr);
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
    reloadDataSource();
}

void KRItemViewController::doAction(const pf::ObjectRef& sender)
{
    if (!dynamic_cast<IKRAction*>(sender.get()))
        return;
    auto self = shared_from_this();
    if (auto delegate = std::dynamic_pointer_cast<KRItemViewControllerDelegate>(m_delegate.lock()))
        delegate->krItemViewControllerDoAction(*this, sender);
}
