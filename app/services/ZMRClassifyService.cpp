#include "app/services/ZMRClassifyService.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRStoredRows.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>
#include <chrono>
#include <map>
#include <string>

const char* const ZMRClassifyChangedNotification = "ZMRClassifyChangedNotification";

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string cidKey(long long cid)
{
    return std::to_string(cid);
}

}

const pf::DictionaryRef& ZMRClassifyService::dataObjects()
{
    if (!m_dataObjects)
        m_dataObjects = pf::Dictionary::create();
    return m_dataObjects;
}

bool ZMRClassifyService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRClassifyTask()) {
        send(task);
        return true;
    }
    if (taskType == proto::IZMRClassifyGetTask()) {
        lookup(task);
        return true;
    }
    if (taskType == proto::IKRAPIResponseTask()) {
        auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(task);
        if (!response || response->taskType() != proto::IZMRClassifyTask())
            return false;
        answer(*response);
        return true;
    }
    return false;
}

void ZMRClassifyService::send(const pf::ObjectRef& task)
{
    auto body = ZMRRequestBody("ZMRClassifyTask");
    body->addItemValue("10", "zmr-top");
    ZMRSendRequest(*this, proto::IZMRClassifyTask(), task, body);
}

void ZMRClassifyService::lookup(const pf::ObjectRef& taskObject)
{
    auto task = std::dynamic_pointer_cast<IZMRClassifyGetTask>(taskObject);
    if (!task)
        return;
    std::string key = cidKey(task->cid());
    auto object = dataObjects()->get(key).objectAs<ZMRClassifyObject>();
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    KRDBContextRef db = context ? context->appDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRClassifyObject");
    if (!object && db && cls) {
        auto cursor = db->query(cls, std::string("WHERE [cid]=:cid"), pf::Dictionary::create({{"cid", task->cid()}}));
        if (cursor) {
            if (cursor->next()) {
                object = std::make_shared<ZMRClassifyObject>();
                cursor->toDataObject(pf::Value(pf::ObjectRef(object)));
                dataObjects()->set(key, pf::ObjectRef(object));
            }
            cursor->close();
        }
    }
    task->setDataObject(object);
}

void ZMRClassifyService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    ZMRAnswer answer = ZMRReadAnswer(response, "ZMRClassifyService", ZMRRequestKind::Read);
    if (answer.error)
        return;
    if (pf::ArrayRef categories = answer.results->array("classify-results"))
        mergeCategories(*categories);
    if (pf::ArrayRef tags = answer.results->array("tag-results"))
        mergeTags(*tags);
}

void ZMRClassifyService::mergeCategories(const pf::Array& entries)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    KRDBContextRef db = context ? context->appDBContext() : nullptr;
    if (!db)
        return;
    setDataObjects(pf::Dictionary::create());
    auto stored = ZMRReadUniqueRows<ZMRClassifyObject, std::string>(*db, "ZMRClassifyObject", " ORDER BY cid ASC",
                                                                    [](const ZMRClassifyObject& o) { return cidKey(o.cid()); })
                      .value_or(std::map<std::string, std::shared_ptr<ZMRClassifyObject>>());
    for (const pf::Value& entryValue : entries) {
        pf::DictionaryRef entry = entryValue.dictionary();
        if (!entry)
            continue;
        long long cid = ZMRWholeNumber(ZMRPresent(entryValue, "cid")).value_or(0);
        if (cid == 0)
            continue;
        std::string key = cidKey(cid);
        pf::Value titleValue = ZMRPresent(entryValue, "title");
        const std::string* text = titleValue.string();
        std::optional<std::string> title = text ? std::optional<std::string>(*text) : std::nullopt;
        // A category repeated within this answer is the object already handled.
        auto object = dataObjects()->get(key).objectAs<ZMRClassifyObject>();
        if (!object) {
            auto it = stored.find(key);
            if (it != stored.end()) {
                object = it->second;
                stored.erase(it);
            }
        }
        if (object) {
            object->setTitle(title);
            if (!db->updateObject(object))
                pf::log("cannot update category %lld", cid);
        } else {
            object = std::make_shared<ZMRClassifyObject>();
            object->setCid(cid);
            object->setTitle(title);
            object->setTimestamp(now());
            if (!db->insertObject(object))
                pf::log("cannot insert category %lld", cid);
        }
        dataObjects()->set(key, pf::ObjectRef(object));
    }
    for (auto& [key, object] : stored) {
        if (!db->deleteObject(object))
            pf::log("cannot delete category %s", key.c_str());
    }
    pf::NotificationCenter::defaultCenter().post(ZMRClassifyChangedNotification);
}

void ZMRClassifyService::mergeTags(const pf::Array& entries)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    KRDBContextRef db = context ? context->appDBContext() : nullptr;
    if (!db)
        return;
    auto stored = ZMRReadUniqueRows<ZMRTagObject, std::string>(*db, "ZMRTagObject", " ORDER BY tid ASC",
                                                               [](const ZMRTagObject& o) { return o.tag().value_or(""); })
                      .value_or(std::map<std::string, std::shared_ptr<ZMRTagObject>>());
    std::map<std::string, std::shared_ptr<ZMRTagObject>> handled;
    for (const pf::Value& entryValue : entries) {
        if (!entryValue.dictionary())
            continue;
        pf::Value tagValue = ZMRPresent(entryValue, "tag");
        const std::string* text = tagValue.string();
        if (!text || text->empty())
            continue;
        long long tid = ZMRWholeNumber(ZMRPresent(entryValue, "tid")).value_or(0);
        std::shared_ptr<ZMRTagObject> object;
        if (auto it = handled.find(*text); it != handled.end()) {
            object = it->second;
        } else if (auto kept = stored.find(*text); kept != stored.end()) {
            object = kept->second;
            stored.erase(kept);
        }
        if (object) {
            object->setTid(tid);
            if (!db->updateObject(object))
                pf::log("cannot update a tag");
        } else {
            object = std::make_shared<ZMRTagObject>();
            object->setTid(tid);
            object->setTag(*text);
            object->setTimestamp(now());
            if (!db->insertObject(object))
                pf::log("cannot insert a tag");
        }
        handled[*text] = object;
    }
    pf::NotificationCenter::defaultCenter().post(ZMRClassifyChangedNotification);
}
