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
        auto opened = KRDBContext::openAtPath(path, {pf::Class::named("KRMonitorObject")});
        if (!opened.ok()) {
            // Tried again on every record, but said once: the cause stays the same.
            if (!reported)
                pf::logLevel(pf::LogLevel::Error, "KRMonitorService: %s", opened.error().description.c_str());
            reported = true;
            return nullptr;
        }
        context = opened.value();
        return context.get();
    }
};

KRMonitorService::~KRMonitorService() = default;

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
    }
    std::string typeName = taskType ? taskType->name() : std::string();
    const pf::Class* cls = task ? task->objectClass() : nullptr;
    std::string className = cls ? cls->name() : std::string();
    std::weak_ptr<pf::DispatchQueue> queue = m_dispatchQueue;
    std::shared_ptr<Store> store = m_store;
    pf::dispatchMain([queue, store, submitted, typeName = std::move(typeName), className = std::move(className)] {
        auto record = std::make_shared<KRMonitorObject>();
        record->setRunTime(absoluteTime() - submitted);
        record->setTaskType(typeName);
        record->setTaskClass(className);
        // A service that went away before this turn records nothing more.
        if (auto q = queue.lock()) {
            q->async([store, record] {
                if (KRDBContext* context = store->open())
                    context->insertObject(record);
            });
        }
    });
    return false;
}
