#pragma once

// The two behaviour task types: a record to store, and work to run against
// the behaviour database on its queue.

#include "framework/core/IKRTask.h"
#include "framework/db/Forward.h"

class KRBehaviorObject;

class IKRBehaviorTask : public virtual IKRTask {
public:
    virtual std::shared_ptr<KRBehaviorObject> dataObject() const = 0;
    virtual void setDataObject(std::shared_ptr<KRBehaviorObject> dataObject) = 0;
};

class IKRBehaviorTransactionTask : public virtual IKRTask {
public:
    // Behaviour service's queue.
    virtual void onBehaviorDBContext(KRDBContext& context) = 0;
};
