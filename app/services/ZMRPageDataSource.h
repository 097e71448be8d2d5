#pragma once

// The application's paged list data sources: each is itself the list's
// downlink task. The page index starts at 1 (reloadData sets 1, loadMoreData
// adds 1) and the page size is 20; both are also kept as texts in
// queryValues() under "pageIndex" and "pageSize", which is how the list
// service sends them. reloadData, loadMoreData and refreshData hand the data
// source to the context as IZMRDownlinkTask; refreshData skips the cached
// first page; cancel withdraws it.
//
// The context is not owned. Results arrive through the IKRDownlinkTask
// callbacks, which subclasses override. Main queue only.

#include "app/services/IZMRDownlinkTask.h"
#include "framework/core/KRTask.h"

class IKRServiceContext;

class ZMRPageDataSource : public KRTask, public virtual IZMRDownlinkTask {
public:
    std::shared_ptr<IKRServiceContext> context() const { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRServiceContext> context) { m_context = std::move(context); }

    void reloadData();
    void loadMoreData();
    void refreshData();
    void cancel();

    int pageIndex() const { return m_pageIndex; }
    void setPageIndex(int pageIndex);
    int pageSize() const { return m_pageSize; }
    void setPageSize(int pageSize);

    // IZMRDownlinkTask
    bool isAllowCached() const override { return m_allowCached; }
    void setAllowCached(bool allow) override { m_allowCached = allow; }
    pf::DictionaryRef queryValues() override;
    const std::optional<std::string>& taskType() const override { return m_taskType; }
    void setTaskType(std::optional<std::string> taskType) override { m_taskType = std::move(taskType); }
    bool isSkipCached() const override { return m_skipCached; }
    void setSkipCached(bool skip) override { m_skipCached = skip; }
    int krDownlinkPageTaskPageSize() const override { return m_pageSize; }
    int krDownlinkPageTaskPageIndex() const override { return m_pageIndex; }

private:
    void load();

    std::weak_ptr<IKRServiceContext> m_context;
    pf::DictionaryRef m_queryValues;
    std::optional<std::string> m_taskType;
    int m_pageIndex = 1;
    int m_pageSize = 20;
    bool m_allowCached = false;
    bool m_skipCached = false;
};

// The feed lists' data source.
class ZMRFeedDataSource : public ZMRPageDataSource {};
