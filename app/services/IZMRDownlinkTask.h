#pragma once

// A server list: the application's list data sources adopt it and hand
// themselves to the bus as IZMRDownlinkTask. The list service sends
// "taskType" as the server task name and every entry of queryValues() behind
// the prefix "zmr-"; the data sources keep their page in queryValues() as
// "pageIndex" and "pageSize". Only the first page of a list that allows
// caching is read from and written to the response cache. Main queue only.

#include "framework/core/IKRTask.h"

#include <optional>
#include <string>

class IZMRDownlinkTask : public virtual IKRDownlinkPageTask {
public:
    virtual bool isAllowCached() const = 0;
    virtual void setAllowCached(bool allow) = 0;
    // Keys to texts; the list's request items without their prefix.
    virtual pf::DictionaryRef queryValues() = 0;
    virtual const std::optional<std::string>& taskType() const = 0;
    virtual void setTaskType(std::optional<std::string> taskType) = 0;
};
