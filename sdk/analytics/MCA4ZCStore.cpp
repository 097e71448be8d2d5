#include "sdk/analytics/MCA4ZCStore.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZCClock.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCHelper.h"

#include <cstdio>
#include <mutex>
#include <sqlite3.h>

namespace {

std::mutex g_instanceMutex; // guards g_instance
std::shared_ptr<MCA4ZCStore> g_instance;

std::string columnText(sqlite3_stmt* statement, int column)
{
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

bool isCorrupt(int code) { return code == SQLITE_CORRUPT || code == SQLITE_NOTADB; }

// One events row, selected as "event_id, content, status, send_count, ts".
MCA4ZCStoreEvent eventFromRow(sqlite3_stmt* statement)
{
    MCA4ZCStoreEvent event;
    event.eventId = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0));
    event.content = columnText(statement, 1);
    event.status = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 2));
    event.sendCount = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 3));
    event.ts = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 4));
    return event;
}

}

std::shared_ptr<MCA4ZCStore> MCA4ZCStore::getInstance()
{
    std::lock_guard lock(g_instanceMutex);
    if (!g_instance) {
        pf::createDirectories(pf::documentsDirectory());
        g_instance = create(pf::documentsDirectory() + "/" + kFileName);
    }
    return g_instance;
}

std::shared_ptr<MCA4ZCStore> MCA4ZCStore::peekInstance()
{
    std::lock_guard lock(g_instanceMutex);
    return g_instance;
}

void MCA4ZCStore::resetInstance()
{
    std::shared_ptr<MCA4ZCStore> store;
    {
        std::lock_guard lock(g_instanceMutex);
        store = std::move(g_instance);
    }
    if (store) {
        store->close();
        if (!store->m_queue->isCurrent())
            store->m_queue->sync([] {});
    }
}

std::shared_ptr<MCA4ZCStore> MCA4ZCStore::create(std::string path)
{
    std::shared_ptr<MCA4ZCStore> store(new MCA4ZCStore(std::move(path)));
    store->start();
    return store;
}

MCA4ZCStore::MCA4ZCStore(std::string path)
    : m_path(std::move(path)), m_queue(pf::DispatchQueue::create("MCA4ZCStatStore"))
{
}

MCA4ZCStore::~MCA4ZCStore()
{
    // Queued work holds the store strongly, so nothing is left to run here.
    closeDB();
}

template <class F> auto MCA4ZCStore::onQueue(F&& work) -> decltype(work())
{
    if (m_queue->isCurrent())
        return work();
    decltype(work()) result{};
    m_queue->sync([&] { result = work(); });
    return result;
}

void MCA4ZCStore::start()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (defaults.integerForKey("MCA4ZC_SDK_DB_VER") == 0) {
        defaults.setObject(pf::Value(1LL), "MCA4ZC_SDK_DB_VER");
        defaults.synchronize();
    }
    m_queue->async([self = shared_from_this()] {
        if (!self->getDB())
            return;
        // Uploads cut off by the end of the last process wait again.
        self->run("update events set status=?1 where status=?2", {1LL, 2LL});
        self->refreshCount();
    });
}

bool MCA4ZCStore::getDB() { return m_db || initDB(); }

bool MCA4ZCStore::initDB()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (sqlite3_open(m_path.c_str(), &m_db) != SQLITE_OK) {
            closeDB();
            return false;
        }
        int code = exec("create table if not exists events(event_id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "
                        "content TEXT, status INTEGER, send_count INTEGER, ts INTEGER)");
        if (code == SQLITE_OK)
            code = exec("create table if not exists user(uid TEXT, user_type INTEGER, app_ver TEXT, ts INTEGER, "
                        "PRIMARY KEY(uid))");
        if (code == SQLITE_OK)
            code = exec("create table if not exists config(type INTEGER, content TEXT, md5sum TEXT, version INTEGER, "
                        "PRIMARY KEY(type))");
        // Serves the count of waiting rows and the oldest-first chunk
        // without reading the whole table.
        if (code == SQLITE_OK)
            code = exec("create index if not exists events_waiting on events(status, ts, event_id)");
        if (code == SQLITE_OK)
            return true;
        // A file that is not a database (or a damaged one) is replaced by a fresh one.
        if (isCorrupt(code) && attempt == 0) {
            deleteDB();
            continue;
        }
        closeDB();
        return false;
    }
    return false;
}

void MCA4ZCStore::finalizeStatements()
{
    for (auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
}

void MCA4ZCStore::closeDB()
{
    // A connection with statements left open would not close and would keep
    // the file (even a removed, corrupt one) open.
    finalizeStatements();
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void MCA4ZCStore::deleteDB()
{
    closeDB();
    std::remove(m_path.c_str());
    std::remove((m_path + "-journal").c_str());
}

int MCA4ZCStore::exec(const char* sql)
{
    if (!m_db)
        return -1;
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

sqlite3_stmt* MCA4ZCStore::statement(const char* sql, int& code)
{
    auto found = m_statements.find(std::string_view(sql));
    // A statement still stepping (a row callback running another run of the
    // same text) is not reused: that one gets a fresh statement of its own.
    if (found != m_statements.end() && !sqlite3_stmt_busy(found->second)) {
        code = SQLITE_OK;
        return found->second;
    }
    sqlite3_stmt* made = nullptr;
    code = sqlite3_prepare_v3(m_db, sql, -1, found == m_statements.end() ? SQLITE_PREPARE_PERSISTENT : 0, &made, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_finalize(made);
        return nullptr;
    }
    if (found == m_statements.end())
        m_statements.emplace(sql, made);
    return made;
}

int MCA4ZCStore::run(const char* sql, std::initializer_list<Param> params, const std::function<void(sqlite3_stmt*)>& row)
{
    if (!m_db)
        return -1;
    int code = SQLITE_OK;
    sqlite3_stmt* statement = this->statement(sql, code);
    if (statement) {
        int index = 1;
        for (const Param& param : params) {
            if (code != SQLITE_OK)
                break;
            if (auto* text = std::get_if<std::string_view>(&param))
                code = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
            else
                code = sqlite3_bind_int64(statement, index, std::get<long long>(param));
            ++index;
        }
        while (code == SQLITE_OK) {
            int step = sqlite3_step(statement);
            if (step == SQLITE_ROW) {
                if (row)
                    row(statement);
                continue;
            }
            code = step == SQLITE_DONE ? SQLITE_OK : step;
            break;
        }
        // Reset at once, so the statement holds no lock until its next run,
        // and drop the bound texts, which are gone after this call.
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        auto kept = m_statements.find(std::string_view(sql));
        if (kept == m_statements.end() || kept->second != statement)
            sqlite3_finalize(statement);
    }
    if (isCorrupt(code)) {
        deleteDB();
        initDB();
    }
    return code;
}

std::uint32_t MCA4ZCStore::countWaiting()
{
    long long count = 0;
    run("select count(*) from events where status=?1", {1LL},
        [&](sqlite3_stmt* statement) { count = sqlite3_column_int64(statement, 0); });
    return static_cast<std::uint32_t>(count);
}

void MCA4ZCStore::refreshCount() { m_numStoredEvents = countWaiting(); }

void MCA4ZCStore::storeEvent(std::string content, std::uint32_t ts, std::function<void()> done)
{
    m_queue->async([self = shared_from_this(), content = std::move(content), ts, done = std::move(done)] {
        if (self->getDB()) {
            if (self->m_numStoredEvents >= MCA4ZCConfig::getInstance().maxStoreEventCount.load()) {
                // Rows handed to an upload may share the oldest time; only
                // the waiting ones leave the kept count.
                std::uint32_t removed = 0;
                if (self->run("delete from events where ts in (select min(ts) from events) returning status", {},
                              [&](sqlite3_stmt* statement) { removed += sqlite3_column_int64(statement, 0) == 1; }) ==
                    SQLITE_OK) {
                    std::uint32_t count = self->m_numStoredEvents;
                    self->m_numStoredEvents = count > removed ? count - removed : 0;
                }
            }
            if (self->run("insert into events(content, status, send_count, ts) values(?1, ?2, ?3, ?4)",
                          {content, 1LL, 0LL, static_cast<long long>(ts)}) == SQLITE_OK)
                ++self->m_numStoredEvents;
        }
        if (done)
            done();
    });
}

std::vector<MCA4ZCStoreEvent> MCA4ZCStore::loadCachedEventsOnQueue()
{
    std::vector<MCA4ZCStoreEvent> events;
    if (!getDB())
        return events;
    long long limit = MCA4ZCConfig::getInstance().maxLoadEventCount.load();
    run("select event_id, content, status, send_count, ts from events where status = ?1 order by ts, event_id limit ?2",
        {1LL, limit}, [&](sqlite3_stmt* statement) {
            if (sqlite3_column_count(statement) == 5)
                events.push_back(eventFromRow(statement));
        });
    return events;
}

std::vector<MCA4ZCStoreEvent> MCA4ZCStore::loadCachedEvents()
{
    return onQueue([this] { return loadCachedEventsOnQueue(); });
}

std::vector<MCA4ZCStoreEvent> MCA4ZCStore::allEvents()
{
    return onQueue([this] {
        std::vector<MCA4ZCStoreEvent> events;
        if (getDB())
            run("select event_id, content, status, send_count, ts from events order by ts, event_id", {},
                [&](sqlite3_stmt* statement) { events.push_back(eventFromRow(statement)); });
        return events;
    });
}

std::uint32_t MCA4ZCStore::getStoredEventsNum()
{
    return onQueue([this] { return getDB() ? countWaiting() : 0u; });
}

void MCA4ZCStore::sendCachedEvents(int count)
{
    m_queue->async([self = shared_from_this(), count] {
        if (!MCA4ZCConfig::getInstance().statEnable || self->m_numStoredEvents == 0 || !self->getDB())
            return;
        std::vector<MCA4ZCStoreEvent> events = self->loadCachedEventsOnQueue();
        if (events.empty())
            return;
        for (auto& event : events)
            event.status = 2;
        self->updateEvents(events, 2);
        std::vector<std::string> texts;
        texts.reserve(events.size());
        for (const auto& event : events)
            texts.push_back(event.content);
        std::weak_ptr<MCA4ZCStore> weak = self;
        MCA4ZCDispatcher::getInstance()->send(std::move(texts), [weak, events, count](MCA4ZCDispatcher::Outcome outcome) {
            if (auto store = weak.lock())
                store->afterUpload(events, count, outcome);
        });
    });
}

// Dispatcher queue: decides what follows an upload.
void MCA4ZCStore::afterUpload(std::vector<MCA4ZCStoreEvent> sent, int count, MCA4ZCDispatcher::Outcome outcome)
{
    if (outcome == MCA4ZCDispatcher::Outcome::NotSent) {
        // Nothing reached a server, so no try is counted: the chunk simply waits again.
        updateEvents(std::move(sent), 1);
        return;
    }
    if (outcome == MCA4ZCDispatcher::Outcome::Failed) {
        updateSendFailedEvents(std::move(sent));
        return;
    }
    int number = static_cast<int>(sent.size());
    deleteEvents(std::move(sent));
    if (count < 0) {
        sendCachedEvents(-1);
    } else if (count >= 1) {
        if (count > number)
            sendCachedEvents(count - number);
        if (m_numStoredEvents >= static_cast<std::uint32_t>(count))
            sendCachedEvents(count);
    }
}

void MCA4ZCStore::deleteEvents(std::vector<MCA4ZCStoreEvent> events)
{
    m_queue->async([self = shared_from_this(), events = std::move(events)] {
        bool batch = events.size() >= 2;
        if (batch)
            self->exec("BEGIN TRANSACTION");
        int waitingRemoved = 0;
        bool ok = true;
        for (const auto& event : events)
            if (!(ok = self->removeEvent(event.eventId, waitingRemoved)))
                break;
        self->finishBatch(batch, ok, -waitingRemoved);
    });
}

// Deletes one row, adding 1 to `waitingRemoved` when it was waiting (status 1).
bool MCA4ZCStore::removeEvent(std::uint32_t eventId, int& waitingRemoved)
{
    long long id = eventId;
    // Rows handed to an upload are the usual case: one statement for them.
    if (run("delete from events where event_id = ?1 and status is not ?2", {id, 1LL}) != SQLITE_OK)
        return false;
    if (sqlite3_changes(m_db) > 0)
        return true;
    if (run("delete from events where event_id = ?1", {id}) != SQLITE_OK)
        return false;
    waitingRemoved += sqlite3_changes(m_db);
    return true;
}

// Ends a batch and brings the kept count of waiting rows up to date: by the
// counted change when every statement went through, else from the database,
// which then holds whatever part of the batch was kept.
void MCA4ZCStore::finishBatch(bool batch, bool ok, int waitingDelta)
{
    if (batch && exec("END TRANSACTION") != SQLITE_OK)
        ok = false;
    if (!ok || !m_db) {
        refreshCount();
        return;
    }
    long long count = static_cast<long long>(m_numStoredEvents.load()) + waitingDelta;
    m_numStoredEvents = static_cast<std::uint32_t>(count > 0 ? count : 0);
}

void MCA4ZCStore::updateSendFailedEvents(std::vector<MCA4ZCStoreEvent> events)
{
    m_queue->async([self = shared_from_this(), events = std::move(events)] {
        bool batch = events.size() >= 2;
        std::uint32_t maxRetry = MCA4ZCConfig::getInstance().maxSendRetryCount;
        if (batch)
            self->exec("BEGIN TRANSACTION");
        int delta = 0;
        bool ok = true;
        for (const auto& event : events) {
            std::uint32_t sendCount = event.sendCount + 1;
            if (sendCount < maxRetry) {
                // Only a row that was not already waiting adds to the count.
                ok = self->run("update events set status=?1, send_count=?2 where event_id = ?3 and status is not ?1",
                               {1LL, static_cast<long long>(sendCount), static_cast<long long>(event.eventId)}) == SQLITE_OK;
                if (ok && sqlite3_changes(self->m_db) > 0)
                    ++delta;
                else if (ok)
                    ok = self->run("update events set send_count=?1 where event_id = ?2",
                                   {static_cast<long long>(sendCount), static_cast<long long>(event.eventId)}) == SQLITE_OK;
            } else {
                int removed = 0;
                ok = self->removeEvent(event.eventId, removed);
                delta -= removed;
            }
            if (!ok)
                break;
        }
        self->finishBatch(batch, ok, delta);
    });
}

void MCA4ZCStore::updateEvents(std::vector<MCA4ZCStoreEvent> events, std::uint32_t status)
{
    auto work = [self = shared_from_this(), events = std::move(events), status] {
        bool batch = events.size() >= 2;
        if (batch)
            self->exec("BEGIN TRANSACTION");
        int delta = 0;
        bool ok = true;
        for (const auto& event : events) {
            long long id = event.eventId;
            if (status == 1) {
                ok = self->run("update events set status = ?1 where event_id = ?2 and status is not ?1", {1LL, id}) == SQLITE_OK;
                if (ok)
                    delta += sqlite3_changes(self->m_db);
            } else {
                // A waiting row leaves the count; any other row just changes status.
                ok = self->run("update events set status = ?1 where event_id = ?2 and status = ?3",
                               {static_cast<long long>(status), id, 1LL}) == SQLITE_OK;
                if (ok && sqlite3_changes(self->m_db) > 0)
                    --delta;
                else if (ok)
                    ok = self->run("update events set status = ?1 where event_id = ?2", {static_cast<long long>(status), id}) ==
                         SQLITE_OK;
            }
            if (!ok)
                break;
        }
        self->finishBatch(batch, ok, delta);
    };
    // Marking a chunk as handed over must happen before the upload starts.
    if (m_queue->isCurrent())
        work();
    else
        m_queue->async(std::move(work));
}

std::shared_ptr<MCA4ZCUser> MCA4ZCStore::loadUser()
{
    return onQueue([this]() -> std::shared_ptr<MCA4ZCUser> {
        if (!getDB())
            return nullptr;
        std::vector<std::shared_ptr<MCA4ZCUser>> rows;
        int code = run("select uid, user_type, app_ver, ts from user", {}, [&](sqlite3_stmt* statement) {
            if (sqlite3_column_count(statement) != 4 || sqlite3_column_type(statement, 0) == SQLITE_NULL)
                return;
            auto user = std::make_shared<MCA4ZCUser>();
            user->uid = columnText(statement, 0);
            user->userType = static_cast<std::int32_t>(sqlite3_column_int64(statement, 1));
            user->appVer = columnText(statement, 2);
            user->tagTime = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 3));
            rows.push_back(user);
        });
        if (code != SQLITE_OK || rows.size() > 1)
            return nullptr;
        if (rows.size() == 1)
            return rows[0];
        auto user = std::make_shared<MCA4ZCUser>();
        const MCA4ZCEnv& env = MCA4ZCHelper::getInstance()->getEnv();
        user->uid = env.deviceid;
        user->appVer = env.app_version;
        user->tagTime = MCA4ZCClock::now();
        run("insert into user values(?1, ?2, ?3, ?4)",
            {user->uid, static_cast<long long>(user->userType), user->appVer, static_cast<long long>(user->tagTime)});
        return user;
    });
}

void MCA4ZCStore::storeUser(const MCA4ZCUser& user)
{
    m_queue->async([self = shared_from_this(), user] {
        if (self->getDB())
            self->run("update user set user_type=?1, app_ver=?2, ts=?3 where uid=?4",
                      {static_cast<long long>(user.userType), user.appVer, static_cast<long long>(user.tagTime), user.uid});
    });
}

void MCA4ZCStore::storeConfig(const MCA4ZCDataConfig& config)
{
    m_queue->async([self = shared_from_this(), config] {
        if (self->getDB())
            self->run("replace into config(type, content, md5sum, version) values(?1, ?2, ?3, ?4)",
                      {static_cast<long long>(config.type), config.content, config.md5,
                       static_cast<long long>(config.version)});
    });
}

void MCA4ZCStore::loadConfig(const std::function<void(const MCA4ZCDataConfig&)>& row)
{
    auto rows = onQueue([this] {
        std::vector<MCA4ZCDataConfig> out;
        if (getDB())
            run("select type, content, md5sum, version from config", {}, [&](sqlite3_stmt* statement) {
                if (sqlite3_column_count(statement) != 4 || sqlite3_column_type(statement, 0) == SQLITE_NULL)
                    return;
                MCA4ZCDataConfig config;
                config.type = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0));
                config.content = columnText(statement, 1);
                config.md5 = columnText(statement, 2);
                config.version = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 3));
                out.push_back(std::move(config));
            });
        return out;
    });
    for (const auto& config : rows)
        row(config);
}

void MCA4ZCStore::close()
{
    m_queue->async([self = shared_from_this()] { self->closeDB(); });
}
