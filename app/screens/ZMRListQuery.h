#pragma once

// The query mechanics the application's list sources share: the server task
// name, the query values the list service sends behind "zmr-", whether the
// first page may come from the cache, and sending and withdrawing the source
// as an IZMRDownlinkTask. Sending always withdraws the request still under
// way first, so a late answer for an earlier page never lands in a reloaded
// list. The page itself is mirrored into the query values as "pageIndex" and
// "pageSize" ("%d" text). Main queue only.

#include "app/services/IZMRDownlinkTask.h"

#include <string_view>

class KRDataSource;

class ZMRListQuery : public virtual IZMRDownlinkTask {
public:
    bool isAllowCached() const override { return m_allowCached; }
    void setAllowCached(bool allow) override { m_allowCached = allow; }
    // Made empty on first use.
    pf::DictionaryRef queryValues() override;
    // One query value; nil when absent.
    pf::Value queryValue(std::string_view key) const;
    const std::optional<std::string>& taskType() const override { return m_taskType; }
    void setTaskType(std::optional<std::string> taskType) override { m_taskType = std::move(taskType); }

protected:
    void mirrorPageIndex(int pageIndex);
    void mirrorPageSize(int pageSize);
    // Withdraws the source, then hands it to its context again.
    static void sendList(KRDataSource& source);
    static void withdrawList(KRDataSource& source);

private:
    pf::DictionaryRef m_queryValues;
    std::optional<std::string> m_taskType;
    bool m_allowCached = false;
};
