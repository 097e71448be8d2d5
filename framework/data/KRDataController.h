#pragma once

// The base of every list controller: owns one data source and is its
// delegate, relays that source's callbacks (and no other source's) to its own
// delegate, hands its context on to the source, and starts, re-reads and
// stops the image tasks of the views it fills.
//
// The context and the delegate are not owned. A new context withdraws the
// controller's image tasks from the old one; destroying the controller
// withdraws them too, detaches and cancels the data source. Main queue only.

#include "framework/core/KRController.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/ui/KRViewImageTaskSource.h"

class KRDataControllerDelegate;
class KRDataSource;

class KRDataController : public pf::Object,
                         public KRDataSourceDelegate,
                         public IKRController,
                         public KRViewImageTaskSource {
public:
    ~KRDataController() override;

    const std::shared_ptr<KRDataSource>& dataSource() const { return m_dataSource; }
    // Makes the controller the source's delegate (and no longer the old one's).
    virtual void setDataSource(std::shared_ptr<KRDataSource> dataSource);

    std::shared_ptr<IKRUIContext> context() const override { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    // Told only when it is a KRDataControllerDelegate.
    pf::ObjectRef delegate() const override { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) override { m_delegate = delegate; }

    virtual void reloadData();
    virtual void refreshData();
    virtual void cancel();

    // Image tasks of the views it fills: see KRViewImageTaskSource.

    void krDataSourceWillLoading(KRDataSource& dataSource) override;
    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

protected:
    // The own delegate when `sender` is the own data source.
    std::shared_ptr<KRDataControllerDelegate> relayFor(const KRDataSource& sender) const;
    std::shared_ptr<IKRUIContext> imageTaskContext() const override { return context(); }
    pf::ObjectRef imageTaskSource() override { return shared_from_this(); }

private:
    std::shared_ptr<KRDataSource> m_dataSource;
    std::weak_ptr<IKRUIContext> m_context;
    pf::WeakObject m_delegate;
};
