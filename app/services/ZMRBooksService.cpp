#include "app/services/ZMRBooksService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRStoredRows.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>
#include <map>
#include <string>

const char* const ZMRBooksChangedNotification = "ZMRBooksChangedNotification";

namespace {

constexpr const char* domain = "ZMRBooksService";

std::optional<std::string> textAt(const pf::Value& data, std::string_view keyPath)
{
    pf::Value value = ZMRPresent(data, keyPath);
    const std::string* text = value.string();
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

// An amount or position that does not read (text such as "12abc", a
// Boolean, a number out of range) is stored as 0, the value the ledger
// screens show for one; the entry itself is kept.
double decimalAt(const pf::Value& entry, std::string_view key)
{
    return ZMRDecimalNumber(ZMRPresent(entry, key)).value_or(0);
}

// An entry without a readable id matches no row and is not stored.
long long bidOf(const pf::Value& entry)
{
    return ZMRWholeNumber(ZMRPresent(entry, "bid")).value_or(0);
}

const pf::Class* booksClass()
{
    return pf::Class::named("ZMRBooksObject");
}

// Writes an answered entry over its stored row, or inserts it when it has none.
void storeEntry(KRDBContext& db, long long bid, const pf::Value& entry)
{
    auto rows = ZMRReadUniqueRows<ZMRBooksObject, long long>(
        db, "ZMRBooksObject", "WHERE [bid]=" + std::to_string(bid) + " ORDER BY [rowid]",
        [](const ZMRBooksObject& row) { return row.bid(); });
    bool found = rows && !rows->empty();
    std::shared_ptr<ZMRBooksObject> object = found ? rows->begin()->second : std::make_shared<ZMRBooksObject>();
    object->setBid(bid);
    ZMRBooksService::data(entry, *object);
    bool stored = found ? db.updateObject(object) : db.insertObject(object);
    if (!stored)
        pf::log("cannot store ledger entry %lld", bid);
}

}

void ZMRBooksService::data(const pf::Value& entry, ZMRBooksObject& object)
{
    object.setPayMoney(decimalAt(entry, "payMoney"));
    object.setExpendMoney(decimalAt(entry, "expendMoney"));
    object.setLatitude(decimalAt(entry, "latitude"));
    object.setLongitude(decimalAt(entry, "longitude"));
    object.setShopTitle(textAt(entry, "body.title"));
    object.setShopAddress(textAt(entry, "body.address"));
    object.setRemark(textAt(entry, "body.remark"));
    object.setCids(ZMRPresent(entry, "cids"));
    object.setTimestamp(double(ZMRClampInt64(decimalAt(entry, "createTime"))));
}

bool ZMRBooksService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRBooksCreateTask() || taskType == proto::IZMRBooksSearchTask()) {
        send(taskType, task);
        return true;
    }
    if (taskType == proto::IKRAPIResponseTask()) {
        auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(task);
        if (!response || (response->taskType() != proto::IZMRBooksCreateTask() && response->taskType() != proto::IZMRBooksSearchTask()))
            return false;
        answer(*response);
        return true;
    }
    return false;
}

void ZMRBooksService::send(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    std::shared_ptr<KRHttpFormBody> body;
    if (auto create = std::dynamic_pointer_cast<IZMRBooksCreateTask>(task)) {
        body = ZMRRequestBody("ZMRBooksCreateTask");
        body->addItemValue(ZMRFormDecimal(create->payMoney()), "zmr-payMoney");
        body->addItemValue(ZMRFormDecimal(create->expendMoney()), "zmr-expendMoney");
        body->addItemValue(ZMRFormDecimal(create->latitude()), "zmr-latitude");
        body->addItemValue(ZMRFormDecimal(create->longitude()), "zmr-longitude");
        body->addItemValue(create->shopTitle().value_or(""), "zmr-shopTitle");
        body->addItemValue(create->shopAddress().value_or(""), "zmr-shopAddress");
        body->addItemValue(create->remark().value_or(""), "zmr-remark");
        std::string cids;
        if (const pf::ArrayRef& objects = create->classifyObjects()) {
            for (const pf::Value& value : *objects) {
                auto category = value.objectAs<ZMRClassifyObject>();
                if (!category)
                    continue;
                if (!cids.empty())
                    cids += ',';
                cids += std::to_string(category->cid());
            }
        }
        body->addItemValue(cids, "zmr-cids");
    } else if (auto search = std::dynamic_pointer_cast<IZMRBooksSearchTask>(task)) {
        body = ZMRRequestBody("ZMRBooksSearchTask");
        body->addItemValue(std::to_string(ZMRClampInt64(search->startTime())), "zmr-startTime");
        body->addItemValue(std::to_string(ZMRClampInt64(search->endTime())), "zmr-endTime");
    } else {
        return;
    }
    ZMRSendRequest(*this, taskType, task, body);
}

void ZMRBooksService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    const pf::Protocol* taskType = response.taskType();
    pf::ObjectRef task = response.task();
    bool read = taskType == proto::IZMRBooksSearchTask();
    ZMRAnswer answer = ZMRReadAnswer(response, domain, read ? ZMRRequestKind::Read : ZMRRequestKind::Write);
    if (answer.error) {
        krUplinkTaskDidFailWithError(task, *answer.error, taskType);
        return;
    }
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    // The ledger open now may be another user's: an answer for the previous
    // one leaves it alone.
    KRDBContextRef db = context && ZMRAnsweredForSignedInUser(*this, response) ? context->userDBContext() : nullptr;
    if (db && booksClass()) {
        if (taskType == proto::IZMRBooksCreateTask()) {
            pf::Value entry = ZMRPresent(pf::Value(answer.results), "books-create-results");
            if (entry.dictionary())
                storeCreated(*db, entry);
        } else if (auto search = std::dynamic_pointer_cast<IZMRBooksSearchTask>(task)) {
            if (pf::ArrayRef entries = ZMRPresent(pf::Value(answer.results), "books-search-results").array())
                mergeSearch(*db, *entries, ZMRClampInt64(search->startTime()), ZMRClampInt64(search->endTime()));
        }
    }
    krUplinkTaskDidSuccessResults(task, pf::Value(answer.results), taskType);
}

void ZMRBooksService::storeCreated(KRDBContext& db, const pf::Value& entry)
{
    long long bid = bidOf(entry);
    if (bid == 0)
        return;
    storeEntry(db, bid, entry);
    pf::NotificationCenter::defaultCenter().post(ZMRBooksChangedNotification);
}

void ZMRBooksService::mergeSearch(KRDBContext& db, const pf::Array& entries, long long start, long long end)
{
    std::string tail = "WHERE [timestamp] >= " + std::to_string(start) + " AND [timestamp] <= " + std::to_string(end) + " ORDER BY [rowid]";
    auto stored = ZMRReadUniqueRows<ZMRBooksObject, long long>(db, "ZMRBooksObject", tail,
                                                               [](const ZMRBooksObject& row) { return row.bid(); });
    if (!stored)
        return;
    std::map<long long, std::shared_ptr<ZMRBooksObject>>& window = *stored;
    for (const pf::Value& entry : entries) {
        long long bid = bidOf(entry);
        if (bid == 0 || !entry.dictionary())
            continue;
        auto it = window.find(bid);
        if (it == window.end()) {
            // Not in this window: it may still be stored under another time.
            storeEntry(db, bid, entry);
            continue;
        }
        data(entry, *it->second);
        if (!db.updateObject(it->second))
            pf::log("cannot update ledger entry %lld", bid);
        window.erase(it);
    }
    for (auto& [bid, object] : window) {
        if (!db.deleteObject(object))
            pf::log("cannot delete ledger entry %lld", bid);
    }
    pf::NotificationCenter::defaultCenter().post(ZMRBooksChangedNotification);
}
