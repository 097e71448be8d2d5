#pragma once

// One face over several status sources: the active member is the first
// whose status equals the gatherer's, else the first member. Queries, loads
// and cancels go to the active member only; page settings and the context
// reach the members too. Callbacks of the active member are passed on with
// the gatherer as sender; those of the others are dropped.
//
// Whoever builds the gatherer makes it every member's delegate. Destroying it
// detaches the members (context and delegate cleared). Main queue only.

#include "framework/data/KRDataSourceDelegate.h"
#include "framework/data/KRStatusDataSource.h"

#include <vector>

class KRStatusGatherDataSource : public KRStatusDataSource, public KRDataSourceDelegate {
public:
    ~KRStatusGatherDataSource() override;

    const std::vector<std::shared_ptr<KRStatusDataSource>>& dataSources() const { return m_dataSources; }
    void setDataSources(std::vector<std::shared_ptr<KRStatusDataSource>> sources) { m_dataSources = std::move(sources); }
    // Null when there are no members.
    std::shared_ptr<KRStatusDataSource> dataSource() const;

    bool isLoading() const override;
    bool isLoaded() const override;
    bool isEmpty() override;
    bool hasMoreData() override;
    pf::ArrayRef dataObjects() override;
    void reloadData() override;
    void refreshData() override;
    void cancel() override;
    void loadMoreData() override;
    void setPageIndex(int pageIndex) override;
    void setPageSize(int pageSize) override;
    void setContext(std::weak_ptr<IKRUIContext> context) override;

    void krDataSourceWillLoading(KRDataSource& dataSource) override;
    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

private:
    // The own delegate when `sender` is the active member.
    std::shared_ptr<KRDataSourceDelegate> relayFor(const KRDataSource& sender) const;

    std::vector<std::shared_ptr<KRStatusDataSource>> m_dataSources;
};
