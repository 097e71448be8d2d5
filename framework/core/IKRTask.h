#pragma once

// The task interfaces every task adopts: a task carries its source; an
// uplink task reports its outcome to a delegate; a downlink task loads a
// list, from the cache first when allowed.
//
// Sources and delegates are not owned: they are held weakly and answered as
// null once released, so a released object is never called. A source is also
// remembered by address, so that it can withdraw its tasks from its own
// destructor (cancelHandleForSource), when it can no longer be locked.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace pf {
class Protocol;
}

class IKRTask {
public:
    virtual ~IKRTask() = default;
    virtual pf::ObjectRef source() const = 0;
    virtual void setSource(const pf::ObjectRef& source) = 0;
    // The source's address, for identity comparisons only; stays set after
    // the source was released.
    virtual const pf::Object* sourceIdentity() const = 0;
};

// Callbacks are optional: the defaults do nothing, as when no delegate is set.
class IKRUplinkTaskDelegate {
public:
    virtual ~IKRUplinkTaskDelegate() = default;
    virtual void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                               const pf::Protocol* taskType);
    virtual void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                              const pf::Protocol* taskType);
};

class IKRUplinkTask : public virtual IKRTask {
public:
    virtual std::shared_ptr<IKRUplinkTaskDelegate> delegate() const = 0;
    virtual void setDelegate(std::weak_ptr<IKRUplinkTaskDelegate> delegate) = 0;
};

class IKRDownlinkTask : public virtual IKRTask {
public:
    virtual bool isSkipCached() const = 0;
    virtual void setSkipCached(bool skip) = 0;
    // Optional callbacks; the defaults do nothing.
    virtual void krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp,
                                                  const pf::Protocol* taskType);
    virtual void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* taskType);
    virtual void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol* taskType);
};

class IKRDownlinkPageTask : public virtual IKRDownlinkTask {
public:
    virtual int krDownlinkPageTaskPageSize() const = 0;
    virtual int krDownlinkPageTaskPageIndex() const = 0;
};
