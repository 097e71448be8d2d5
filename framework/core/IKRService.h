#pragma once

// Services and the context they reach the bus through.
//
// On the bus a task type is a protocol object and a task any object:
// - handle(): true means the service owns the task now and the walk stops;
//   a service may act on a task and still answer false (observers do).
// - cancelHandle(): true means nobody else needs to be asked.
// - cancelHandleForSource(): true ends the walk, so a service that shares
//   sources with others answers false. The source is compared by address
//   (IKRTask::sourceIdentity), so a source may call it from its destructor.
// Main queue only.

#include "platform/foundation/Forward.h"

namespace pf {
class Protocol;
}

class IKRContext {
public:
    virtual ~IKRContext() = default;
};

class IKRServiceContext : public virtual IKRContext {
public:
    virtual bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) = 0;
    virtual bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) = 0;
    virtual bool cancelHandleForSource(const pf::Object* source) = 0;
};

class IKRService {
public:
    virtual ~IKRService() = default;
    virtual bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) = 0;
    virtual bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) = 0;
    virtual bool cancelHandleForSource(const pf::Object* source) = 0;
    virtual void didReceiveMemoryWarning() = 0;
    virtual pf::DictionaryRef config() const = 0;
    virtual void setConfig(pf::DictionaryRef config) = 0;
    virtual std::shared_ptr<IKRServiceContext> context() const = 0;
    virtual void setContext(std::weak_ptr<IKRServiceContext> context) = 0;
};
