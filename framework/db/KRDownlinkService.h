#pragma once

// The base of list-loading services (IKRDownlinkTask, usually data sources):
// relays a fresh answer or a failure to the task and keeps the latest answer
// of every (service class, data key) pair in a response cache, so that a list
// can show its cached page at once and the fresh one when it arrives.
//
// The cache is one database per process, "Documents/KRDownlinkService.db"
// below the home directory, used only on one serial queue: every read, write
// and JSON encoding runs there; cached and fresh results come back on the
// main queue, always on a later turn. A fresh answer passes through the cache
// queue, behind whatever is queued there (a cached copy on its way to the
// same task comes first), and is encoded there before the task has it (the
// task may change it). A failure is relayed at once, on the caller's turn,
// even while a cached copy is on its way. A cache database that cannot be
// opened or written disables caching (nothing is read or stored), never the
// delivery of answers.
//
// Cancelling withdraws the task's API request through the bus and drops any
// cached or fresh result still on its way to that task.
//
// Main queue only, except where marked.

#include "framework/core/KRService.h"
#include "framework/db/Forward.h"
#include "framework/db/KRDBObject.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

class IKRDownlinkTask;

namespace pf {
class DispatchQueue;
}

// One cached answer: the service class that stored it, its data key, the
// answer as JSON text and when it was stored (whole seconds since 1970).
class KRDownlinkServiceDBObject : public KRDBObject {
public:
    std::optional<std::string> service() const { return m_service; }
    void setService(std::optional<std::string> service) { m_service = std::move(service); }
    std::optional<std::string> key() const { return m_key; }
    void setKey(std::optional<std::string> key) { m_key = std::move(key); }
    std::optional<std::string> jsonString() const { return m_jsonString; }
    void setJsonString(std::optional<std::string> json) { m_jsonString = std::move(json); }
    int timestamp() const { return m_timestamp; }
    void setTimestamp(int timestamp) { m_timestamp = timestamp; }

private:
    std::optional<std::string> m_service;
    std::optional<std::string> m_key;
    std::optional<std::string> m_jsonString;
    int m_timestamp = 0;
};

class KRDownlinkService : public KRService {
public:
    // The shared cache queue, made on first use.
    static std::shared_ptr<pf::DispatchQueue> dispatchQueue();
    // Cache queue only. The shared cache, opened on first use; null when it
    // cannot be used.
    static KRDBContextRef dbContext();
    // Closes the shared cache so that the next use opens it below the home
    // directory of that time (tests use it to simulate a restart). Waits for
    // the queue's pending work.
    static void resetSharedCache();

    // The cache key of a task; the base answers the task type's name.
    // Nothing means: do not cache.
    virtual std::optional<std::string> dataKey(const pf::ObjectRef& task, const pf::Protocol* taskType);
    // Cache queue only. This service's row for the key, or null.
    static std::shared_ptr<KRDownlinkServiceDBObject> dataObjectForKey(const std::string& service, const std::string& key);

    // Cache-first delivery: the stored answer, if any, reaches the task's
    // krDownlinkTaskDidLoadedFromCache on a later main-queue turn.
    void krDownlinkTaskDidLoadedFromCache(const pf::ObjectRef& task, const pf::Protocol* taskType);
    // Delivers a fresh answer on a later main-queue turn and, with isCache,
    // stores it under the task's key; the delivery follows the encoding and
    // precedes the write.
    void krDownlinkTaskDidResponse(const pf::ObjectRef& task, const pf::Value& data, bool isCache, const pf::Protocol* taskType);
    // The same with the key recorded when the request was sent (nothing:
    // do not cache), so a task changed meanwhile cannot move the answer.
    void krDownlinkTaskDidResponse(const pf::ObjectRef& task, const pf::Value& data, const std::optional<std::string>& key,
                                   const pf::Protocol* taskType);
    // Relays the failure to the task at once; the cache is not touched.
    void krDownlinkTaskDidFitalError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType);

    // Sends IKRAPICancelTask for the task and its type and answers true.
    // Cached or fresh results still on their way to the task are dropped.
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    // Drops the results on their way to tasks of that source, or to the
    // source itself when it is a task; answers false.
    bool cancelHandleForSource(const pf::Object* source) override;

    // Results scheduled but not yet delivered (zero once idle).
    std::size_t pendingDeliveryCount() const { return m_pending.size(); }

protected:
    // Forgets every result on its way to the task.
    void dropDeliveries(const pf::ObjectRef& task);

private:
    // Records a delivery; the serial is what the main-queue step looks for.
    std::uint64_t expectDelivery(const pf::ObjectRef& task);
    // True once per recorded serial; false after a cancel dropped it.
    bool takeDelivery(std::uint64_t serial);
    // Delivers on a later main-queue turn through the cache queue, behind
    // what is queued there.
    void deliverLater(const pf::ObjectRef& task, std::function<void(IKRDownlinkTask&)> call);

    // Pending deliveries by serial; serials are never reused, and each entry
    // leaves when it is delivered or dropped.
    std::unordered_map<std::uint64_t, std::weak_ptr<pf::Object>> m_pending;
    std::uint64_t m_nextSerial = 1;
};
