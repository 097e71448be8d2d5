#pragma once

// Records every task it sees on the bus (its type, its class and how long
// the main queue stayed busy after the submission) into
// "<home>/Documents/monitor.db". It never takes a task.
//
// Main queue only. The record is made on the main queue's next turn and
// handed to the service's own serial queue on the turn after, together with
// the records of the tasks submitted meanwhile, to be written in one
// transaction; the database is opened and written only on that queue, so
// the main queue never waits for a write. The database is a log that may
// lose its last records to a power cut, never its consistency. Records made
// before the service goes away are written.

#include "framework/core/KRService.h"
#include "framework/db/Forward.h"

#include <string>

namespace pf {
class DispatchQueue;
}

class KRMonitorService : public KRService {
public:
    ~KRMonitorService() override;

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

    // The home directory below which "Documents/monitor.db" lives; the
    // platform's home directory unless set before the first task.
    void setHomeDirectory(std::string path) { m_homeDirectory = std::move(path); }
    // Null until the first task.
    std::shared_ptr<pf::DispatchQueue> dispatchQueue() const { return m_dispatchQueue; }
    // The service's queue only; null until the first write opened it.
    KRDBContextRef dbContext() const;

private:
    struct Store;
    struct Batch;
    std::shared_ptr<pf::DispatchQueue> m_dispatchQueue;
    std::shared_ptr<Store> m_store; // touched on the queue only, after creation
    std::shared_ptr<Batch> m_batch; // main queue only
    std::string m_homeDirectory;
};
