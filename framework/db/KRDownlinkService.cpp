#include "framework/db/KRDownlinkService.h"

#include "framework/core/IKRTask.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <mutex>

namespace {

// The shared cache; `context` and `opened` are touched on the cache queue only.
struct SharedCache {
    std::shared_ptr<pf::DispatchQueue> queue;
    KRDBContextRef context;
    bool opened = false;
};

std::mutex g_mutex; // guards the creation of the shared queue
SharedCache& shared()
{
    static SharedCache* cache = new SharedCache;
    return *cache;
}

KRDBContextRef openCache()
{
    std::string directory = pf::documentsDirectory();
    if (!pf::createDirectories(directory)) {
        pf::log("KRDownlinkService: cannot create %s; caching is off", directory.c_str());
        return nullptr;
    }
    // A cache: a lost last answer is fetched again, so a commit need not
    // wait for the disk (the next list would wait behind it on this queue).
    auto db = KRSqlite::initWithPath(directory + "/KRDownlinkService.db", KRSqliteDurability::Relaxed);
    if (!db) {
        pf::log("KRDownlinkService: %s; caching is off", db.error().description.c_str());
        return nullptr;
    }
    auto context = std::make_shared<KRDBContext>();
    context->setDb(*db);
    const pf::Class* cls = pf::Class::named("KRDownlinkServiceDBObject");
    if (!cls || !context->regDBObjectClass(cls)) {
        pf::log("KRDownlinkService: the cache table cannot be made; caching is off");
        return nullptr;
    }
    return context;
}

int nowSeconds()
{
    double now = std::floor(pf::Date::now().seconds);
    return now >= 2147483647.0 ? 2147483647 : static_cast<int>(now);
}

}

std::shared_ptr<pf::DispatchQueue> KRDownlinkService::dispatchQueue()
{
    std::lock_guard lock(g_mutex);
    if (!shared().queue)
        shared().queue = pf::DispatchQueue::create("com.zomaru.kr.downlink");
    return shared().queue;
}

KRDBContextRef KRDownlinkService::dbContext()
{
    SharedCache& cache = shared();
    if (!cache.opened) {
        cache.opened = true;
        cache.context = openCache();
    }
    return cache.context;
}

void KRDownlinkService::resetSharedCache()
{
    dispatchQueue()->sync([] {
        SharedCache& cache = shared();
        if (cache.context && cache.context->db())
            cache.context->db()->close();
        cache.context.reset();
        cache.opened = false;
    });
}

std::optional<std::string> KRDownlinkService::dataKey(const pf::ObjectRef&, const pf::Protocol* taskType)
{
    if (!taskType)
        return std::nullopt;
    return taskType->name();
}

std::shared_ptr<KRDownlinkServiceDBObject> KRDownlinkService::dataObjectForKey(const std::string& service, const std::string& key)
{
    KRDBContextRef context = dbContext();
    const pf::Class* cls = pf::Class::named("KRDownlinkServiceDBObject");
    if (!context || !cls)
        return nullptr;
    auto values = pf::Dictionary::create({{"service", service}, {"key", key}});
    KRSqliteCursorRef cursor = context->query(cls, " WHERE [service]=:service AND [key]=:key", pf::Value(values));
    if (!cursor)
        return nullptr;
    std::shared_ptr<KRDownlinkServiceDBObject> row;
    if (cursor->next()) {
        row = std::make_shared<KRDownlinkServiceDBObject>();
        cursor->toDataObject(pf::Value(row));
    }
    cursor->close();
    return row;
}

std::uint64_t KRDownlinkService::expectDelivery(const pf::ObjectRef& task)
{
    std::uint64_t serial = m_nextSerial++;
    m_pending.emplace(serial, task);
    return serial;
}

bool KRDownlinkService::takeDelivery(std::uint64_t serial)
{
    return m_pending.erase(serial) > 0;
}

void KRDownlinkService::dropDeliveries(const pf::ObjectRef& task)
{
    if (!task)
        return;
    std::erase_if(m_pending, [&](const auto& entry) { return entry.second.expired() || entry.second.lock() == task; });
}

void KRDownlinkService::deliverLater(const pf::ObjectRef& task, std::function<void(IKRDownlinkTask&)> call)
{
    // Runs on the cache queue: hops back to the main queue.
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    std::uint64_t serial = expectDelivery(task);
    // The task (often a data source, whose release cancels its requests)
    // travels on to the main queue instead of being copied: the cache queue
    // must never hold its last reference.
    dispatchQueue()->async([weakSelf, task, serial, call = std::move(call)]() mutable {
        pf::dispatchMain([weakSelf, task = std::move(task), serial, call = std::move(call)] {
            auto self = std::static_pointer_cast<KRDownlinkService>(weakSelf.lock());
            if (!self || !self->takeDelivery(serial))
                return;
            if (auto downlink = std::dynamic_pointer_cast<IKRDownlinkTask>(task))
                call(*downlink);
        });
    });
}

void KRDownlinkService::krDownlinkTaskDidLoadedFromCache(const pf::ObjectRef& task, const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    auto key = dataKey(task, taskType);
    if (!key || !std::dynamic_pointer_cast<IKRDownlinkTask>(task))
        return;
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    std::string service = objectClass() ? objectClass()->name() : std::string();
    std::uint64_t serial = expectDelivery(task);
    dispatchQueue()->async([weakSelf, task, serial, taskType, service, key = *key]() mutable {
        auto row = dataObjectForKey(service, key);
        pf::Value data;
        pf::Date date{0};
        if (row && row->jsonString()) {
            data = KRJSON::decodeText(*row->jsonString());
            date = pf::Date{static_cast<double>(row->timestamp())};
        }
        // The main-queue step runs even without a row, to retire the record,
        // and takes the task along: its last release belongs there.
        pf::dispatchMain([weakSelf, task = std::move(task), serial, taskType, data = std::move(data), date] {
            auto self = std::static_pointer_cast<KRDownlinkService>(weakSelf.lock());
            if (!self || !self->takeDelivery(serial) || data.isNil())
                return;
            if (auto downlink = std::dynamic_pointer_cast<IKRDownlinkTask>(task))
                downlink->krDownlinkTaskDidLoadedFromCache(data, date, taskType);
        });
    });
}

void KRDownlinkService::krDownlinkTaskDidResponse(const pf::ObjectRef& task, const pf::Value& data, bool isCache,
                                                  const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    krDownlinkTaskDidResponse(task, data, isCache ? dataKey(task, taskType) : std::nullopt, taskType);
}

void KRDownlinkService::krDownlinkTaskDidResponse(const pf::ObjectRef& task, const pf::Value& data,
                                                  const std::optional<std::string>& key, const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    // Each step goes to the cache queue in this order: the encoding, the hop
    // to the main queue with the answer, the write. The encoding thus reads
    // the answer before the task has it (the task may change it), and the
    // encoded text travels from the encoding step to the write step.
    auto encoded = std::make_shared<std::string>();
    auto queue = dispatchQueue();
    if (key)
        queue->async([encoded, data] { *encoded = KRJSON::encodeObject(data); });
    deliverLater(task, [data, taskType](IKRDownlinkTask& downlink) { downlink.krDownlinkTaskDidLoaded(data, taskType); });
    if (!key)
        return;
    std::string service = objectClass() ? objectClass()->name() : std::string();
    queue->async([encoded, service, key = *key] {
        KRDBContextRef context = dbContext();
        if (!context)
            return;
        int now = nowSeconds();
        auto row = dataObjectForKey(service, key);
        bool stored;
        if (!row) {
            row = std::make_shared<KRDownlinkServiceDBObject>();
            row->setKey(key);
            row->setService(service);
            row->setJsonString(*encoded);
            row->setTimestamp(now);
            stored = context->insertObject(row);
        } else {
            row->setJsonString(*encoded);
            row->setTimestamp(now);
            stored = context->updateObject(row);
        }
        if (!stored)
            pf::log("KRDownlinkService: cannot store %s", key.c_str());
        encoded->clear();
    });
}

void KRDownlinkService::krDownlinkTaskDidFitalError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (auto downlink = std::dynamic_pointer_cast<IKRDownlinkTask>(task))
        downlink->krDownlinkTaskDidFitalError(error, taskType);
}

bool KRDownlinkService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    dropDeliveries(task);
    auto cancel = std::make_shared<KRAPITask>();
    cancel->setTaskType(taskType);
    cancel->setTask(task);
    if (auto context = this->context())
        context->cancelHandle(proto::IKRAPICancelTask(), cancel);
    return true;
}

bool KRDownlinkService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    std::erase_if(m_pending, [&](const auto& entry) {
        auto task = entry.second.lock();
        auto ikr = std::dynamic_pointer_cast<IKRTask>(task);
        return !task || task.get() == source || (ikr && ikr->sourceIdentity() == source);
    });
    return false;
}
