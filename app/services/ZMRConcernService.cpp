#include "app/services/ZMRConcernService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "framework/util/Pinyin.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <cassert>
#include <string>

const char* const ZMRConcernChangedNotification = "ZMRConcernChangedNotification";
const char* const ZMRConcernFailedNotification = "ZMRConcernFailedNotification";

std::optional<pf::Error> ZMRConcernFailure(const pf::Notification& notification)
{
    if (notification.name != ZMRConcernFailedNotification || !notification.userInfo)
        return std::nullopt;
    const pf::DictionaryRef& info = notification.userInfo;
    return pf::Error{info->get("domain").stringOr(), info->get("code").longLongValue(), info->get("description").stringOr()};
}

bool ZMRConcernIndexSections(KRDBContext& db)
{
    // A database without the follow list's table (a context storing other
    // things) needs no index.
    auto table = db.db() ? db.db()->query("SELECT 1 FROM [sqlite_master] WHERE [type]='table' AND [name]='ZMRConcernObject'")
                         : nullptr;
    bool listed = table && table->next();
    if (table)
        table->close();
    if (!listed)
        return true;
    // The follow list's order, "ORDER BY py COLLATE NOCASE ASC,nick ASC".
    if (db.db()->execture("CREATE INDEX IF NOT EXISTS [ZMRConcernObject_sections] ON [ZMRConcernObject]"
                          "([py] COLLATE NOCASE ASC,[nick] ASC,[uid],[logo],[version],[mutual])"))
        return true;
    pf::log("cannot index the follow list: %s", db.db()->errmsg().value_or("").c_str());
    return false;
}

namespace {

constexpr const char* domain = "ZMRConcernService";

std::shared_ptr<ZMRContext> appContext(const KRService& service)
{
    return std::dynamic_pointer_cast<ZMRContext>(service.context());
}

KRDBContextRef userDB(const KRService& service)
{
    auto context = appContext(service);
    return context ? context->userDBContext() : nullptr;
}

// The nickname of a profile, unless it is missing or names nobody (it shows
// nothing: empty, or only blanks and zero-width characters): a row with such
// a name stands nameless under "#".
const std::string* namingNick(const pf::Value& nick)
{
    const std::string* text = nick.string();
    return text && !pf::isInvisibleText(*text) ? text : nullptr;
}

// What a refresh rewrites of a stored row.
void refreshFrom(ZMRConcernObject& object, const pf::Value& data)
{
    // A profile read in part (a key missing, null or of another kind) keeps
    // what is stored for it.
    const pf::Value nick = ZMRPresent(data, "nick");
    if (const std::string* text = namingNick(nick)) {
        object.setNick(*text);
        object.setPy(pinyinInitials(*text));
    }
    const pf::Value logo = ZMRPresent(data, "logo");
    if (const std::string* text = logo.string())
        object.setLogo(*text);
    const pf::Value mutual = ZMRPresent(data, "mutual");
    if (!mutual.isNil())
        object.setMutual(mutual.boolValue() ? 1 : 0);
}

bool execute(KRDBContext& db, const std::string& sql)
{
    if (db.db()->execture(sql))
        return true;
    pf::log("cannot run %s: %s", sql.c_str(), db.db()->errmsg().value_or("").c_str());
    return false;
}

}

void ZMRConcernService::fillConcernObject(ZMRConcernObject& object, const pf::Value& data)
{
    object.setUid(ZMRWholeNumber(ZMRPresent(data, "uid")).value_or(0));
    pf::Value nick = ZMRPresent(data, "nick");
    if (const std::string* text = nick.string()) {
        object.setNick(*text);
        object.setPy(pinyinInitials(*text));
    } else {
        object.setNick(std::string());
        object.setPy(std::nullopt);
    }
    pf::Value logo = ZMRPresent(data, "logo");
    const std::string* logoText = logo.string();
    object.setLogo(logoText ? std::optional<std::string>(*logoText) : std::nullopt);
    object.setMutual(ZMRPresent(data, "mutual").boolValue() ? 1 : 0);
}

bool ZMRConcernService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRFollowTask() || taskType == proto::IZMRUnFollowTask()) {
        send(taskType, task);
        return true;
    }
    if (taskType == proto::IZMRConcernTask()) {
        startSync(task);
        return false;
    }
    if (taskType == proto::IZMRRefreshUserTask()) {
        refreshUser(task);
        return false;
    }
    if (taskType == proto::IKRAPIResponseTask()) {
        auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(task);
        if (!response)
            return false;
        const pf::Protocol* answered = response->taskType();
        if (answered != proto::IZMRFollowTask() && answered != proto::IZMRUnFollowTask() && answered != proto::IZMRConcernTask())
            return false;
        answer(*response);
        return true;
    }
    return false;
}

bool ZMRConcernService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRConcernTask())
        return KRUplinkService::cancelHandle(taskType, task);
    if (task) {
        cancelSync(task);
        if (task == m_concernTask)
            m_concernTask = nullptr;
    } else if (m_concernTask) {
        cancelSync(m_concernTask);
        m_concernTask = nullptr;
    }
    return false;
}

void ZMRConcernService::cancelSync(const pf::ObjectRef& task)
{
    auto cancel = std::make_shared<KRAPITask>();
    cancel->setTask(task);
    cancel->setTaskType(proto::IZMRConcernTask());
    if (auto context = this->context())
        context->cancelHandle(proto::IKRAPICancelTask(), cancel);
}

void ZMRConcernService::send(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    long long tuid = 0;
    if (auto follow = std::dynamic_pointer_cast<IZMRFollowTask>(task)) // an unfollow has the same fields
        tuid = follow->tuid();
    auto body = ZMRRequestBody(taskType == proto::IZMRFollowTask() ? "ZMRFollowTask" : "ZMRUnFollowTask");
    body->addItemValue(std::to_string(tuid), "zmr-tuid");
    ZMRSendRequest(*this, taskType, task, body);
}

std::shared_ptr<KRAPIRequestTask> ZMRConcernService::pageRequest(const pf::ObjectRef& task)
{
    auto sync = std::dynamic_pointer_cast<IZMRConcernTask>(task);
    auto context = appContext(*this);
    long long version = context ? context->concernVersion() : 0;
    auto body = ZMRRequestBody("ZMRUserConcernTask");
    if (version != 0)
        body->addItemValue(std::to_string(version), "zmr-version");
    body->addItemValue(std::to_string(sync ? sync->pageIndex() : 1), "zmr-pageIndex");
    return ZMRMakeRequest(*this, proto::IZMRConcernTask(), task, body);
}

void ZMRConcernService::startSync(const pf::ObjectRef& task)
{
    auto sync = std::dynamic_pointer_cast<IZMRConcernTask>(task);
    if (!sync)
        return;
    if (m_concernTask) {
        cancelSync(m_concernTask);
        m_concernTask = nullptr;
    }
    sync->setStatus(1);
    sync->setPageIndex(1);
    m_concernTask = task;
    m_receivedItems = 0;
    m_syncVersion.reset();
    m_restarts = 0;
    // Page 1 of a changed list empties the table: until the sync ends
    // complete, what is stored may be a part of the list.
    m_wholeFor.reset();
    if (auto context = this->context())
        context->handle(proto::IKRAPIRequestTask(), pageRequest(task), 0);
}

void ZMRConcernService::sendLater(const pf::ObjectRef& task)
{
    m_concernTask = task;
    auto request = pageRequest(task);
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    pf::Value user = ZMRSignedInUser(*this);
    pf::dispatchMain([weakSelf, task, request, user] {
        auto self = std::static_pointer_cast<ZMRConcernService>(weakSelf.lock());
        if (!self || self->m_concernTask != task)
            return;
        if (!ZMRIsSignedIn(*self, user)) {
            self->m_concernTask = nullptr;
            return;
        }
        if (auto bus = self->context())
            bus->handle(proto::IKRAPIRequestTask(), request, 0);
    });
}

void ZMRConcernService::postFailure(const pf::Error& error)
{
    auto info = pf::Dictionary::create();
    info->set("domain", error.domain);
    info->set("code", error.code);
    info->set("description", error.description);
    pf::NotificationCenter::defaultCenter().post(ZMRConcernFailedNotification, pf::Value(), info);
}

void ZMRConcernService::refreshUser(const pf::ObjectRef& taskObject)
{
    auto task = std::dynamic_pointer_cast<IZMRRefreshUserTask>(taskObject);
    KRDBContextRef db = userDB(*this);
    const pf::Class* cls = pf::Class::named("ZMRConcernObject");
    if (!task || !task->data().dictionary() || !db || !cls)
        return;
    std::optional<long long> uid = ZMRWholeNumber(ZMRPresent(task->data(), "uid"));
    if (!uid)
        return;
    auto cursor = db->query(cls, std::string("WHERE uid=") + std::to_string(*uid));
    if (!cursor)
        return;
    pf::ArrayRef rows = cursor->dataObjects(cls);
    cursor->close();
    for (const pf::Value& row : *rows) {
        auto object = row.objectAs<ZMRConcernObject>();
        if (!object)
            continue;
        refreshFrom(*object, task->data());
        if (!db->updateObject(object))
            pf::log("cannot rewrite a followed user");
    }
}

void ZMRConcernService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    const pf::Protocol* taskType = response.taskType();
    if (taskType == proto::IZMRConcernTask()) {
        answerSync(response);
        return;
    }
    pf::ObjectRef task = response.task();
    ZMRAnswer answer = ZMRReadAnswer(response, domain);
    // The list stored now may be another user's: an answer for the previous
    // one leaves it alone.
    bool ours = ZMRAnsweredForSignedInUser(*this, response);
    if (answer.error) {
        // The server may have made the change: the stored list may be stale.
        bool unknown = ours && answer.error->code == ZMRResultUnknownCode;
        if (unknown) {
            if (auto context = appContext(*this))
                context->setHasConcernChanged(true);
        }
        krUplinkTaskDidFailWithError(task, *answer.error, taskType);
        if (unknown)
            syncAfterChange();
        return;
    }
    if (taskType == proto::IZMRUnFollowTask()) {
        auto unfollow = std::dynamic_pointer_cast<IZMRUnFollowTask>(task);
        // An open follow list drops the person now, not at the next sync.
        KRDBContextRef db = ours ? userDB(*this) : nullptr;
        if (db && unfollow && execute(*db, "DELETE FROM [ZMRConcernObject] WHERE uid=" + std::to_string(unfollow->tuid())))
            pf::NotificationCenter::defaultCenter().post(ZMRConcernChangedNotification);
        krUplinkTaskDidSuccessResults(task, pf::Value(answer.results), taskType);
        // A failed or stopped sync may have left the table empty or partial:
        // the rest of the list is read now, not at some later visit. A
        // running sync reads it anyway.
        if (ours && !m_concernTask && !isListWhole())
            syncAfterChange();
        return;
    }
    if (!ours) {
        krUplinkTaskDidSuccessResults(task, pf::Value(answer.results), taskType);
        return;
    }
    // Still raised when the row is stored here: the next sync settles the
    // list against the server's.
    if (auto context = appContext(*this))
        context->setHasConcernChanged(true);
    // A running sync would list the person again on a later page (a sync
    // de-duplicates nothing): it is restarted instead.
    bool listed = !m_concernTask && storeFollowed(task);
    krUplinkTaskDidSuccessResults(task, pf::Value(answer.results), taskType);
    if (!listed)
        syncAfterChange();
}

bool ZMRConcernService::storeFollowed(const pf::ObjectRef& taskObject)
{
    auto task = std::dynamic_pointer_cast<IZMRFollowTask>(taskObject);
    auto context = appContext(*this);
    KRDBContextRef db = context ? context->userDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRConcernObject");
    // A list that a failed or stopped sync left empty or partial would
    // hold only this person: only a sync can make it whole.
    if (!task || !db || !cls || !isListWhole())
        return false;
    // No profile, or one without a name: only a sync can list the person.
    if (!namingNick(ZMRPresent(task->user(), "nick")))
        return false;
    auto cursor = db->query(cls, "WHERE uid=" + std::to_string(task->tuid()) + " LIMIT 1");
    if (!cursor)
        return false;
    bool stored = cursor->next();
    cursor->close();
    if (stored)
        return true;
    auto object = std::make_shared<ZMRConcernObject>();
    // "mutual" as the sender knew it (following back one who follows the
    // user); without it, not mutual, and the next sync settles it.
    fillConcernObject(*object, task->user());
    object->setUid(task->tuid());
    object->setVersion(context->concernVersion());
    if (!db->insertObject(object)) {
        pf::log("cannot store a followed user");
        return false;
    }
    pf::NotificationCenter::defaultCenter().post(ZMRConcernChangedNotification);
    return true;
}

bool ZMRConcernService::isListWhole() const
{
    return m_wholeFor && ZMRIsSignedIn(*this, *m_wholeFor);
}

void ZMRConcernService::markWhole(const IKRAPIResponseTask& response)
{
    if (ZMRAnsweredForSignedInUser(*this, response))
        m_wholeFor = ZMRSignedInUser(*this);
}

void ZMRConcernService::syncAfterChange()
{
    // Without a row of the person, only a sync can place them in their
    // letter's section; an open follow list would otherwise miss them until
    // it is opened afresh.
    if (auto context = this->context())
        context->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
}

void ZMRConcernService::answerSync(const IKRAPIResponseTask& response)
{
    pf::ObjectRef task = response.task();
    // A sync that was replaced or withdrawn no longer owns the table.
    if (!task || task != m_concernTask)
        return;
    m_concernTask = nullptr;
    auto sync = std::dynamic_pointer_cast<IZMRConcernTask>(task);
    ZMRAnswer answer = ZMRReadAnswer(response, domain, ZMRRequestKind::Read);
    if (!sync)
        return;
    if (answer.error) {
        // The list shown is what is stored; a screen with nothing stored
        // has only this failure to show. The stored list is not known to be
        // current, so the relation screen syncs again when it opens.
        if (auto context = appContext(*this))
            context->setHasConcernChanged(true);
        postFailure(*answer.error);
        return;
    }
    pf::Value results = ZMRPresent(pf::Value(answer.results), "user-concern-results");
    if (!results.dictionary()) {
        // Says nothing of the list, as a failed page: the next visit of
        // the follow list syncs again.
        if (auto context = appContext(*this))
            context->setHasConcernChanged(true);
        return;
    }
    auto context = appContext(*this);
    KRDBContextRef db = context ? context->userDBContext() : nullptr;
    if (!context || !db)
        return;
    // Read whole, as 64 bits, never narrowed to 32: the version goes back to
    // the server as "zmr-version", and a narrowed one would name another.
    long long version = ZMRPresent(results, "version").longLongValue();
    if (sync->pageIndex() == 1) {
        // After a restart the table holds pages of another version: it is
        // rewritten even when the list is back at the stored version.
        if (version == context->concernVersion() && m_restarts == 0) {
            markWhole(response);
            return;
        }
        m_syncVersion = version;
    } else if (version != m_syncVersion) {
        // Pages are by offset: a change on the server since page 1 shifted
        // the later pages, so the list is read again from its start.
        if (++m_restarts > kMaxConcernRestarts) {
            // What is stored stays, without a version: the next sync reads it all.
            pf::log("follow list kept changing during %d syncs; stopped", kMaxConcernRestarts + 1);
            sync->setStatus(0);
            sync->setPageIndex(0);
            // What is stored is not the server's list: the next visit of
            // the follow list syncs again.
            context->setHasConcernChanged(true);
            return;
        }
        sync->setPageIndex(1);
        m_receivedItems = 0;
        sendLater(task);
        return;
    }
    // One transaction a page: a list of thousands is written in as many
    // flushes as pages, not users, and page 1 never leaves the table empty.
    bool inTransaction = db->db()->beginTransaction();
    if (sync->pageIndex() == 1 && !execute(*db, "DELETE FROM [ZMRConcernObject]")) {
        if (inTransaction)
            db->db()->rollback();
        return;
    }
    pf::ArrayRef items = ZMRPresent(results, "items").array();
    bool more = items && !items->empty();
    if (items) {
        for (const pf::Value& item : *items) {
            if (!item.dictionary())
                continue;
            auto object = std::make_shared<ZMRConcernObject>();
            fillConcernObject(*object, item);
            object->setVersion(version);
            if (!db->insertObject(object))
                pf::log("cannot store a followed user");
        }
    }
    if (inTransaction && !db->db()->commit()) {
        pf::log("cannot store a page of followed users");
        db->db()->rollback();
        return;
    }
    if (items)
        m_receivedItems += static_cast<long long>(items->count());
    if (more && m_receivedItems >= kMaxConcernItems) {
        pf::log("follow list still not complete after %lld users; stopped", m_receivedItems);
    } else if (more) {
        sync->setPageIndex(sync->pageIndex() + 1);
        sendLater(task);
    } else {
        context->setConcernVersion(version);
        sync->setStatus(0);
        sync->setPageIndex(0);
        markWhole(response);
    }
    pf::NotificationCenter::defaultCenter().post(ZMRConcernChangedNotification);
}
