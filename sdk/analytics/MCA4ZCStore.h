#pragma once

// The collector's own database ("corvana_analysis_zc.db" in Documents):
// events waiting to be sent (status 1) or handed to an upload (status 2),
// the analytics user and the online configuration rows. It also drives the
// chunked upload of stored events and decides, after each, what is deleted,
// retried or sent next.
//
// One SQLite connection, used only on the serial queue "MCA4ZCStatStore":
// writes are posted there; reads called from elsewhere wait for it, and run
// inline when already on it (so a session event made on the queue never
// waits for itself). Values are always bound, never spliced into SQL.
// Statements are prepared once per SQL text and kept for the connection's
// life; each is reset as soon as its run ends, so none holds a lock between
// runs, and all are finalized before the connection closes.

#include "sdk/analytics/MCA4ZCDataConfig.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCUser.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
namespace pf {
class DispatchQueue;
}

struct MCA4ZCStoreEvent {
    std::uint32_t sendCount = 0;
    std::uint32_t ts = 0;
    std::uint32_t eventId = 0;
    std::uint32_t status = 0;
    std::string content;
};

class MCA4ZCStore : public MCA4ZCConfigStore,
                    public MCA4ZCUserStore,
                    public std::enable_shared_from_this<MCA4ZCStore> {
public:
    static constexpr const char* kFileName = "corvana_analysis_zc.db";

    // The process store in the Documents directory, opened on first use.
    static std::shared_ptr<MCA4ZCStore> getInstance();
    // The process store if one was opened, without opening it.
    static std::shared_ptr<MCA4ZCStore> peekInstance();
    // Closes and forgets the process store after its queued work (tests
    // simulate a restart).
    static void resetInstance();
    static std::shared_ptr<MCA4ZCStore> create(std::string path);
    ~MCA4ZCStore() override;

    // The event's JSON text is made by the caller, before the queue.
    void storeEvent(std::string content, std::uint32_t ts, std::function<void()> done = {});
    void sendCachedEvents(int count);
    void deleteEvents(std::vector<MCA4ZCStoreEvent> events);
    void updateSendFailedEvents(std::vector<MCA4ZCStoreEvent> events);
    void updateEvents(std::vector<MCA4ZCStoreEvent> events, std::uint32_t status);

    std::shared_ptr<MCA4ZCUser> loadUser() override;
    void storeUser(const MCA4ZCUser& user) override;
    void storeConfig(const MCA4ZCDataConfig& config) override;
    void loadConfig(const std::function<void(const MCA4ZCDataConfig&)>& row) override;

    // Up to maxLoadEventCount waiting events, oldest first.
    std::vector<MCA4ZCStoreEvent> loadCachedEvents();
    std::uint32_t storedEventCount() const { return m_numStoredEvents.load(); }
    std::uint32_t getStoredEventsNum();
    // Every row of the events table (tests and diagnostics).
    std::vector<MCA4ZCStoreEvent> allEvents();

    // Closes the database; the next use opens it again.
    void close();
    const std::shared_ptr<pf::DispatchQueue>& getTaskQueue() const { return m_queue; }
    const std::string& path() const { return m_path; }

private:
    explicit MCA4ZCStore(std::string path);
    void start();
    template <class F> auto onQueue(F&& work) -> decltype(work());

    // Queue only.
    bool getDB();
    bool initDB();
    void closeDB();
    void deleteDB();
    int exec(const char* sql);
    // Texts are bound without a copy: they live until run() returns.
    using Param = std::variant<std::string_view, long long>;
    // Runs one statement with bound values, calling `row` per result row;
    // answers the SQLite result code (0 for success), -1 without a database.
    int run(const char* sql, std::initializer_list<Param> params, const std::function<void(sqlite3_stmt*)>& row = {});
    // The kept statement for `sql`, prepared on first use; null on failure
    // (the code is in `code`).
    sqlite3_stmt* statement(const char* sql, int& code);
    void finalizeStatements();
    std::uint32_t countWaiting();
    void refreshCount();
    bool removeEvent(std::uint32_t eventId, int& waitingRemoved);
    void finishBatch(bool batch, bool ok, int waitingDelta);
    std::vector<MCA4ZCStoreEvent> loadCachedEventsOnQueue();
    void afterUpload(std::vector<MCA4ZCStoreEvent> sent, int count, MCA4ZCDispatcher::Outcome outcome);

    std::string m_path;
    std::shared_ptr<pf::DispatchQueue> m_queue;
    sqlite3* m_db = nullptr;
    std::map<std::string, sqlite3_stmt*, std::less<>> m_statements; // of m_db, queue only
    std::atomic<std::uint32_t> m_numStoredEvents{0};
};
