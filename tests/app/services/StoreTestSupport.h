#pragma once

// The category, follow-list and ledger services on the test bus: StoreBus is
// AuthBus with them added and their record classes listed for "app.db" and
// the per-user database.

#include "AuthTestSupport.h"

#include "framework/db/Forward.h"

#include <string>
#include <vector>

// Appends the services and the "app-db" and "user-db" lists to a configuration.
void addStoreServices(const pf::DictionaryRef& config);

// Writes the names of the store services' notifications into `posted` while `observer` lives.
void observeStoreNotifications(const std::shared_ptr<int>& observer, std::vector<std::string>& posted);

// Each row of a query as its columns joined by "|" (NULL reads "-").
std::vector<std::string> dumpRows(const KRDBContextRef& db, const std::string& sql);

class StoreBus : public AuthBus {
protected:
    void SetUp() override;

    // Offers an answer to `request` (default: the last request).
    void answer(const std::string& json, std::shared_ptr<KRAPIRequestTask> request = nullptr) { respond(json, std::move(request)); }
    std::size_t notifications(const std::string& name) const { return countOf(posted, name); }
    std::vector<std::string> posted;
};
