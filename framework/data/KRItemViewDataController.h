#pragma once

// What the data controllers over a KRContainerView share: the container view
// (whose delegate, and its layout's, the controller becomes), the class,
// interface file and bundle of the item view controllers, and the loading
// views' round around the data source's loads: a load of the own source
// starts them; its end, its failure and cancel() stop them; loaded data, the
// cached first page included, reloads the container view.
//
// The context and the delegate are not owned; the container view's delegate
// is cleared when the controller goes. Main queue only.

#include "framework/data/KRContainerLayout.h"
#include "framework/data/KRContainerView.h"
#include "framework/data/KRDataController.h"
#include "framework/data/KRItemViewController.h"

#include <optional>
#include <string>

class KRItemViewDataController : public KRDataController,
                                 public KRContainerViewDelegate,
                                 public KRContainerLayoutDelegate,
                                 public KRItemViewControllerDelegate {
public:
    const std::shared_ptr<KRContainerView>& containerView() const { return m_containerView; }
    void setContainerView(std::shared_ptr<KRContainerView> view);
    const std::optional<std::string>& itemViewNib() const { return m_itemViewNib; }
    void setItemViewNib(std::optional<std::string> nib) { m_itemViewNib = std::move(nib); }
    // A name of no item view controller class means KRItemViewController.
    const std::optional<std::string>& itemViewClass() const { return m_itemViewClass; }
    void setItemViewClass(std::optional<std::string> name) { m_itemViewClass = std::move(name); }
    const std::shared_ptr<pf::Bundle>& itemViewBundle() const { return m_itemViewBundle; }
    void setItemViewBundle(std::shared_ptr<pf::Bundle> bundle) { m_itemViewBundle = std::move(bundle); }

    virtual void startLoading() = 0;
    virtual void stopLoading() = 0;
    void cancel() override;

    void krDataSourceWillLoading(KRDataSource& dataSource) override;
    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;

protected:
    // A new item view controller of `itemViewClass`, from `itemViewNib`,
    // reused under `identifier`, with this controller as its delegate.
    std::shared_ptr<KRItemViewController> makeItemViewController(const std::string& identifier);
    bool isOwnSource(const KRDataSource& sender) const;

private:
    std::shared_ptr<KRContainerView> m_containerView;
    std::optional<std::string> m_itemViewNib;
    std::optional<std::string> m_itemViewClass;
    std::shared_ptr<pf::Bundle> m_itemViewBundle;
};
