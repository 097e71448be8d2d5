#pragma once

// What a list row that binds one data item shares, whether it is a table
// cell or a container's item view controller: the context (not owned),
// handed on to a data source of its own; that source (owned), whose
// delegate the row is and whose loads refill the row (outlets again, image
// downloads, layout); the data outlet container, applied with the row as
// data object (key paths read "dataItem.…"); the layout container; and the
// image tasks of its views, sent to the context with the row as source.
// Destroying the row withdraws its tasks and detaches and cancels its source.
//
// `owner` is the row itself; it must be owned by a shared pointer before it
// is given a data source or applies its outlets. Main queue only.

#include "framework/data/KRDataSourceDelegate.h"
#include "framework/ui/KRViewImageTaskSource.h"
#include "platform/foundation/Forward.h"

#include <memory>

class IKRUIContext;
class KRDataOutletContainer;
class KRDataSource;
class KRLayoutContainer;

class KRItemBinding : public KRDataSourceDelegate, public KRViewImageTaskSource {
public:
    explicit KRItemBinding(pf::Object& owner) : m_owner(owner) {}
    ~KRItemBinding() override;
    KRItemBinding(const KRItemBinding&) = delete;
    KRItemBinding& operator=(const KRItemBinding&) = delete;

    std::shared_ptr<IKRUIContext> context() const { return m_context.lock(); }
    // A different context withdraws the row's tasks from the old one and is
    // handed on to the own data source; the same one again does nothing.
    void setContext(std::weak_ptr<IKRUIContext> context);
    const std::shared_ptr<KRDataSource>& dataSource() const { return m_dataSource; }
    // The row becomes the source's delegate (and no longer the old one's).
    void setDataSource(std::shared_ptr<KRDataSource> dataSource);
    const std::shared_ptr<KRDataOutletContainer>& dataOutletContainer() const { return m_dataOutletContainer; }
    void setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container);
    const std::shared_ptr<KRLayoutContainer>& layoutContainer() const { return m_layoutContainer; }
    void setLayoutContainer(std::shared_ptr<KRLayoutContainer> container);

    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

protected:
    // After a different context was stored and handed on.
    virtual void didChangeContext() {}
    // The view a refill downloads the images of; null: none.
    virtual pf::View* boundView() = 0;
    void applyOutlets();
    void runLayout();
    // The own source's reload for a new item: cancel, then reload.
    void reloadDataSource();

    std::shared_ptr<IKRUIContext> imageTaskContext() const override { return context(); }
    pf::ObjectRef imageTaskSource() override;

private:
    void refill(KRDataSource& sender);

    pf::Object& m_owner;
    std::weak_ptr<IKRUIContext> m_context;
    std::shared_ptr<KRDataSource> m_dataSource;
    std::shared_ptr<KRDataOutletContainer> m_dataOutletContainer;
    std::shared_ptr<KRLayoutContainer> m_layoutContainer;
};
