#include "framework/db/KRBehaviorService.h"

#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRBehaviorTask.h"
#include "framework/db/KRBehaviorObject.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

#include <map>

// The database side, touched only on the service's queue once created.
struct KRBehaviorService::Store {
    std::string path;
    std::vector<const pf::Class*> classes;
    KRDBContextRef context;
    bool reported = false; // a failure to open was logged
    // The rowids given to submitted records, by the submitter's object: a
    // record submitted again before it learnt its rowid is still updated.
    std::map<std::weak_ptr<KRBehaviorObject>, long long, std::owner_less<>> rowids;

    KRDBContext* open()
    {
        if (context)
            return context.get();
        auto opened = KRDBContext::openAtPath(path, classes);
        if (!opened.ok()) {
            // Tried again on every record, but said once: the cause stays the
            // same. An unwritable home the program has already reported.
            if (!reported)
                pf::logLevel(pf::homeDirectoryIsUnwritable() ? pf::LogLevel::Debug : pf::LogLevel::Error, "KRBehaviorService: %s",
                             opened.error().description.c_str());
            reported = true;
            return nullptr;
        }
        context = opened.value();
        return context.get();
    }

    void forgetReleased()
    {
        for (auto it = rowids.begin(); it != rowids.end();)
            it = it->first.expired() ? rowids.erase(it) : std::next(it);
    }
};

KRBehaviorService::~KRBehaviorService() = default;

KRDBContextRef KRBehaviorService::dbContext() const
{
    return m_store ? m_store->context : nullptr;
}

std::shared_ptr<pf::DispatchQueue> KRBehaviorService::dispatchQueue()
{
    if (!m_dispatchQueue)
        m_dispatchQueue = pf::DispatchQueue::create("com.zomaru.kr.behavior");
    return m_dispatchQueue;
}

std::shared_ptr<KRBehaviorService::Store> KRBehaviorService::store()
{
    if (!m_store) {
        m_store = std::make_shared<Store>();
        std::string home = m_homeDirectory.empty() ? pf::homeDirectory() : m_homeDirectory;
        m_store->path = home + "/Documents/behavior.db";
        const pf::Class* base = pf::Class::named("KRDBObject");
        pf::ArrayRef names = config() ? config()->array("db") : nullptr;
        for (const pf::Value& name : names ? names->values() : pf::Array::Values()) {
            const pf::Class* cls = name.isString() ? pf::Class::named(*name.string()) : nullptr;
            if (cls && base && cls->isSubclassOf(base))
                m_store->classes.push_back(cls);
        }
    }
    return m_store;
}

bool KRBehaviorService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IKRBehaviorTask()) {
        auto behaviorTask = std::dynamic_pointer_cast<IKRBehaviorTask>(task);
        std::shared_ptr<KRBehaviorObject> original = behaviorTask ? behaviorTask->dataObject() : nullptr;
        if (!original)
            return true;
        original->setTimestamp(pf::Date::now().seconds);
        // The queue writes its own copy: the submitter keeps its object.
        std::shared_ptr<KRBehaviorObject> record = original->copyRecord();
        std::weak_ptr<KRBehaviorObject> submitted = original;
        std::shared_ptr<Store> s = store();
        dispatchQueue()->async([s, record, submitted] {
            KRDBContext* context = s->open();
            if (!context)
                return;
            if (record->rowid() == 0) {
                auto known = s->rowids.find(submitted);
                if (known != s->rowids.end())
                    record->setRowid(known->second);
            }
            if (record->rowid() != 0) {
                context->updateObject(record);
                return;
            }
            if (!context->insertObject(record))
                return;
            s->forgetReleased();
            s->rowids[submitted] = record->rowid();
            pf::dispatchMain([submitted, rowid = record->rowid()] {
                if (auto object = submitted.lock(); object && object->rowid() == 0)
                    object->setRowid(rowid);
            });
        });
        return true;
    }
    if (taskType == proto::IKRBehaviorTransactionTask()) {
        auto transaction = std::dynamic_pointer_cast<IKRBehaviorTransactionTask>(task);
        if (!transaction)
            return true;
        std::shared_ptr<Store> s = store();
        dispatchQueue()->async([s, transaction] {
            if (KRDBContext* context = s->open())
                transaction->onBehaviorDBContext(*context);
        });
        return true;
    }
    return false;
}
