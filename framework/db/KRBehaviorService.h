#pragma once

// Stores behaviour records (IKRBehaviorTask) into
// "<home>/Documents/behavior.db" and runs work against that database
// (IKRBehaviorTransactionTask). The record classes are those named by the
// configuration's "db" array that derive from KRDBObject, registered in
// order; other names are skipped.
//
// Main queue only. A submitted record is stamped on the main queue and a
// copy of it is handed to the service's serial queue, which alone opens and
// writes the database; the submitter's object learns its rowid on a later
// turn of the main queue. Work still queued when the service goes away is
// finished.

#include "framework/core/KRService.h"
#include "framework/db/Forward.h"

#include <string>

namespace pf {
class DispatchQueue;
}

class KRBehaviorService : public KRService {
public:
    ~KRBehaviorService() override;

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

    void setHomeDirectory(std::string path) { m_homeDirectory = std::move(path); }
    // The service's queue only; null until the first task opened it.
    KRDBContextRef dbContext() const;
    // Created on first use.
    std::shared_ptr<pf::DispatchQueue> dispatchQueue();

private:
    struct Store;
    std::shared_ptr<Store> store();

    std::shared_ptr<Store> m_store; // touched on the queue only, after creation
    std::shared_ptr<pf::DispatchQueue> m_dispatchQueue;
    std::string m_homeDirectory;
};
