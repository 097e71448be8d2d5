#include "framework/db/KRBehaviorTransactionTask.h"

#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Object.h"

void KRBehaviorTransactionTask::onBehaviorDBContext(KRDBContext&) {}

std::shared_ptr<KRBehaviorTransactionTask> KRBehaviorTransactionTask::behaviorTransactionTask(Block block)
{
    auto task = std::make_shared<KRBehaviorTransactionTaskImpl>();
    task->setBlock(std::move(block));
    return task;
}

std::shared_ptr<KRBehaviorTransactionTask> KRBehaviorTransactionTask::behaviorCleanupTask(long long rowid,
                                                                                         const pf::Class* tableClass)
{
    std::string table = tableClass ? tableClass->name() : std::string();
    std::string sql = "DELETE FROM [" + table + "] WHERE [rowid]<=" + std::to_string(rowid);
    return behaviorTransactionTask([sql](KRDBContext& context) {
        if (auto db = context.db())
            db->execture(sql);
    });
}

void KRBehaviorTransactionTaskImpl::onBehaviorDBContext(KRDBContext& context)
{
    if (m_onBehaviorDBContext)
        m_onBehaviorDBContext(context);
}
