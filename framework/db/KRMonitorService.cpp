#include "framework/db/KRMonitorService.h"

#include "framework/db/KRDBContext.h"
#include "framework/db/KRMonitorObject.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

#include <chrono>
#include <utility>

namespace {

double absoluteTime()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}

// The database side, owned by the queue's work once created.
struct KRMonitorService::Store {
    std::string path;
    KRDBContextRef context;
    bool reported = false; // a failure to open was logged

    // Queue only. Opens the database on first use; null when it cannot be.
    KRDBContext* open()
    {
        if (context)
            return context.get();
        // A log of timings: the last records may be lost to a power cut, so a
        // commit need not wait for the disk.
        auto opened = KRDBContext::openAtPath(path, {pf::Class::named("KRMonitorObject")}, KRSqliteDurability::Relaxed);
        if (!opened.ok()) {
            // Tried again on every record, but said once: the cause stays the
            // same. An unwritable home the program has already reported.
            if (!reported)
                pf::logLevel(pf::homeDirectoryIsUnwritable() ? pf::LogLevel::Debug : pf::LogLevel::Error, "KRMonitorService: %s",
                             opened.error().description.c_str());
            reported = true;
            return nullptr;
        }
        context = opened.value();
        return context.get();
    }

    // Queue only. One transaction for the lot: a burst of tasks costs one
    // commit, not one per task.
    void write(const std::vector<std::shared_ptr<KRMonitorObject>>& records)
    {
        KRDBContext* opened = open();
        if (!opened)
            return;
        bool batched = records.size() > 1 && opened->db()->beginTransaction();
        for (const auto& record : records)
            opened->insertObject(record);
        if (batched && !opened->db()->commit())
            opened->db()->rollback();
    }
};

// Records made on the main queue and not yet handed to the database queue.
struct KRMonitorService::Batch {
    std::vector<std::shared_ptr<KRMonitorObject>> records;
};

KRMonitorService::~KRMonitorService()
{
    // Records made but not yet handed over go with the queue's last work.
    if (m_dispatchQueue && !m_batch->records.empty())
        m_dispatchQueue->async([store = m_store, records = std::exchange(m_batch->records, {})] { store->write(records); });
}

KRDBContextRef KRMonitorService::dbContext() const
{
    return m_store ? m_store->context : nullptr;
}

bool KRMonitorService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    const double submitted = absoluteTime();
    if (!m_dispatchQueue) {
        m_dispatchQueue = pf::DispatchQueue::create("com.zomaru.kr.monitor");
        m_store = std::make_shared<Store>();
        std::string home = m_homeDirectory.empty() ? pf::homeDirectory() : m_homeDirectory;
        m_store->path = home + "/Documents/monitor.db";
        m_batch = std::make_shared<Batch>();
    }
    std::string typeName = taskType ? taskType->name() : std::string();
    const pf::Class* cls = task ? task->objectClass() : nullptr;
    std::string className = cls ? cls->name() : std::string();
    std::weak_ptr<pf::DispatchQueue> queue = m_dispatchQueue;
    std::shared_ptr<Store> store = m_store;
    std::shared_ptr<Batch> batch = m_batch;
    pf::dispatchMain([queue, store, batch, submitted, typeName = std::move(typeName), className = std::move(className)] {
        // A service that went away before this turn records nothing more.
        auto q = queue.lock();
        if (!q)
            return;
        auto record = std::make_shared<KRMonitorObject>();
        record->setRunTime(absoluteTime() - submitted);
        record->setTaskType(typeName);
        record->setTaskClass(className);
        batch->records.push_back(std::move(record));
        if (batch->records.size() > 1)
            return; // the first record's hand-over takes this one too
        // Handed over a turn later, with the records of the tasks submitted
        // meanwhile; a service gone by then handed them over as it went.
        pf::dispatchMain([queue, store, batch] {
            if (auto handOver = queue.lock())
                handOver->async([store, records = std::exchange(batch->records, {})] { store->write(records); });
        });
    });
    return false;
}
