#pragma once

// The query mechanics the application's list sources share: the server task
// name, the query values the list service sends behind "zmr-", whether the
// first page may come from the cache, and sending and withdrawing the source
// as an IZMRDownlinkTask. Sending always withdraws the request still under
// way first, so a late answer for an earlier page never lands in a reloaded
// list. The page itself is mirrored into the query values as "pageIndex" and
// "pageSize" ("%d" text). Main queue only.
//
// Keys a source class does not declare are query values too (the classes
// are registered as taking any key): an interface file or a caller sets
// "uid", "pid" or a search word by name, and every later page carries it as
// text: integers "%lld", booleans "1" or "0", other numbers in their
// shortest form; nil or null removes the key, and any other kind of value is
// refused. Reading such a key answers the stored text.

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
    std::optional<pf::Error> setQueryValueForKey(std::string_view key, const pf::Value& value);
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
