#pragma once

// One entry of a recycling container view: a small view controller, usually
// from an interface file, whose views are filled from its `dataItem`
// through its data outlet container (applied with the controller as data
// object, so key paths read "dataItem.title") and placed by its layout
// container. The container data controller makes it, the container view
// keeps it in its reuse queue by `reuseIdentifier` while it is out of sight,
// and each reuse gives it a new item. It may own a data source of its own
// for the details of its entry; that source's callbacks refill it.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/core/IKRUIViewController.h"
#include "framework/data/KRItemBinding.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KRItemViewController;

// The index an item view controller has when it shows nothing.
constexpr int KRItemIndexNone = 2147483647;

class KRItemViewControllerDelegate {
public:
    virtual ~KRItemViewControllerDelegate() = default;
    virtual void krItemViewControllerDoAction(KRItemViewController& controller, const pf::ObjectRef& action) = 0;
};

class KRItemViewController : public pf::ViewController, public KRItemBinding, public IKRNibLoadable {
public:
    KRItemViewController() : KRItemBinding(static_cast<pf::Object&>(*this)) {}
    KRItemViewController(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle);

    // For controllers made by class name: the interface file the view comes
    // from (the main bundle when `bundle` is null). A file that fails to
    // load is logged and leaves a plain view.
    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;

    void loadView() override;
    // Dresses the style container, then gives the layout container its first pass.
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    // Drops both outlet containers with the view.
    void viewDidUnload() override;

    const pf::Value& dataItem() const { return m_dataItem; }
    // The same item (the same container or object, or an equal plain value)
    // does nothing. A new one: the view is loaded, the outlets applied, the
    // local image caches asked, the layout run, and the own source reloaded.
    void setDataItem(const pf::Value& item);

    // Context, data source, outlet and layout containers, image tasks and
    // refills (of the view, once loaded): see KRItemBinding.

    // Told only when it is a KRItemViewControllerDelegate.
    pf::ObjectRef delegate() const { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) { m_delegate = delegate; }
    // Given the context's style sheet when the view loads, if it can hold one (IKRStyleSheetHolder).
    const pf::ObjectRef& styleContainer() const { return m_styleContainer; }
    void setStyleContainer(pf::ObjectRef container) { m_styleContainer = std::move(container); }

    // The key of the container view's reuse queue; none: never queued.
    const std::optional<std::string>& reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(std::optional<std::string> identifier) { m_reuseIdentifier = std::move(identifier); }
    // The item shown; KRItemIndexNone while recycled.
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    const pf::Value& userInfo() const { return m_userInfo; }
    void setUserInfo(const pf::Value& userInfo) { m_userInfo = userInfo; }
    // The size of a header or footer item.
    pf::Size itemSize() const { return m_itemSize; }
    void setItemSize(pf::Size size) { m_itemSize = size; }

    // The target of the file's buttons: a sender that is an action goes to the delegate.
    void doAction(const pf::ObjectRef& sender);

protected:
    pf::View* boundView() override { return viewIfLoaded().get(); }

private:
    std::optional<std::string> m_itemNibName;
    std::shared_ptr<pf::Bundle> m_itemBundle;
    std::vector<pf::ObjectRef> m_nibObjects; // the interface file's top-level objects, kept with the view
    pf::ObjectRef m_styleContainer;
    std::optional<std::string> m_reuseIdentifier;
    pf::WeakObject m_delegate;
    pf::Value m_dataItem;
    pf::Value m_userInfo;
    int m_index = 0;
    pf::Size m_itemSize;
};
