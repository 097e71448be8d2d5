#pragma once

#include "app/services/IZMRDownlinkTask.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRService.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTask.h"
#include "platform/foundation/Collections.h"

#include <string>
#include <vector>

// A list task that pages like the application's data sources and writes
// down what reached it.
class RecordingDataSource : public KRTask, public virtual IZMRDownlinkTask {
public:
    std::vector<std::string> events;
    std::vector<pf::Value> data;
    std::vector<pf::Error> errors;

    void setContext(std::weak_ptr<IKRServiceContext> context) { m_context = std::move(context); }
    void reloadData() { send(1, false); }
    void refreshData() { send(1, true); }
    void loadMoreData() { send(m_pageIndex + 1, m_skipCached); }
    void cancel()
    {
        if (auto context = m_context.lock())
            context->cancelHandle(proto::IZMRDownlinkTask(), shared_from_this());
    }

    bool isAllowCached() const override { return m_allowCached; }
    void setAllowCached(bool allow) override { m_allowCached = allow; }
    pf::DictionaryRef queryValues() override { return m_queryValues; }
    const std::optional<std::string>& taskType() const override { return m_taskType; }
    void setTaskType(std::optional<std::string> taskType) override { m_taskType = std::move(taskType); }
    bool isSkipCached() const override { return m_skipCached; }
    void setSkipCached(bool skip) override { m_skipCached = skip; }
    int krDownlinkPageTaskPageSize() const override { return 20; }
    int krDownlinkPageTaskPageIndex() const override { return m_pageIndex; }

    void krDownlinkTaskDidLoadedFromCache(const pf::Value& d, pf::Date, const pf::Protocol*) override
    {
        events.push_back("cache");
        data.push_back(d);
    }
    void krDownlinkTaskDidLoaded(const pf::Value& d, const pf::Protocol*) override
    {
        events.push_back("loaded");
        data.push_back(d);
    }
    void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol*) override
    {
        events.push_back("error " + std::to_string(error.code));
        errors.push_back(error);
    }

private:
    void send(int pageIndex, bool skipCached)
    {
        m_pageIndex = pageIndex;
        m_skipCached = skipCached;
        m_queryValues->set("pageIndex", std::to_string(pageIndex));
        m_queryValues->set("pageSize", "20");
        if (auto context = m_context.lock())
            context->handle(proto::IZMRDownlinkTask(), shared_from_this(), 0);
    }

    std::weak_ptr<IKRServiceContext> m_context;
    pf::DictionaryRef m_queryValues = pf::Dictionary::create();
    std::optional<std::string> m_taskType;
    int m_pageIndex = 1;
    bool m_allowCached = false;
    bool m_skipCached = false;
};

inline std::shared_ptr<RecordingDataSource> makeDataSource(const std::shared_ptr<IKRServiceContext>& context,
                                                           const std::string& taskType, bool allowCached = true)
{
    auto list = std::make_shared<RecordingDataSource>();
    list->setContext(context);
    list->setSource(list);
    list->setTaskType(taskType);
    list->setAllowCached(allowCached);
    return list;
}
