#pragma once

// Work against the behaviour database, run on the behaviour service's queue.
// The base does nothing; the factories make tasks that run a block.

#include "framework/core/KRTask.h"
#include "framework/db/IKRBehaviorTask.h"

#include <functional>

class KRBehaviorTransactionTask : public KRTask, public IKRBehaviorTransactionTask {
public:
    using Block = std::function<void(KRDBContext& context)>;

    void onBehaviorDBContext(KRDBContext& context) override;

    // A task that calls `block` with the context (nothing for an empty block).
    static std::shared_ptr<KRBehaviorTransactionTask> behaviorTransactionTask(Block block);
    // A task that deletes the rows of `tableClass` whose rowid is at most `rowid`.
    static std::shared_ptr<KRBehaviorTransactionTask> behaviorCleanupTask(long long rowid, const pf::Class* tableClass);
};

class KRBehaviorTransactionTaskImpl : public KRBehaviorTransactionTask {
public:
    const Block& block() const { return m_onBehaviorDBContext; }
    void setBlock(Block block) { m_onBehaviorDBContext = std::move(block); }
    void onBehaviorDBContext(KRDBContext& context) override;

private:
    Block m_onBehaviorDBContext;
};
