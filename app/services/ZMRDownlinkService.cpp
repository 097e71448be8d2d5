#include "app/services/ZMRDownlinkService.h"

#include "app/services/IZMRDownlinkTask.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/util/KRMD5String.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr const char* domain = "ZMRDownlinkService";

std::shared_ptr<KRHttpFormBody> listForm(IZMRDownlinkTask& task)
{
    auto body = ZMRRequestBody(task.taskType().value_or("").c_str());
    if (auto values = task.queryValues()) {
        std::vector<std::string> keys = values->keys();
        std::sort(keys.begin(), keys.end());
        for (const std::string& key : keys) {
            pf::Value value = values->get(key);
            body->addItemValue(value.isString() ? *value.string() : value.description(), "zmr-" + key);
        }
    }
    return body;
}

bool cachesFirstPage(const IZMRDownlinkTask& task)
{
    return task.isAllowCached() && task.krDownlinkPageTaskPageIndex() == 1;
}

}

bool ZMRDownlinkService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRDownlinkTask()) {
        auto list = std::dynamic_pointer_cast<IZMRDownlinkTask>(task);
        if (!list)
            return false;
        if (cachesFirstPage(*list) && !list->isSkipCached())
            krDownlinkTaskDidLoadedFromCache(task, taskType);
        std::uint64_t serial = m_nextSerial++;
        Request record{task, cachesFirstPage(*list) ? dataKey(task, taskType) : std::nullopt, userPart()};
        m_requests.emplace(serial, std::move(record));
        ZMRSendRequest(*this, taskType, task, listForm(*list), ZMRFormFill::WhenSent,
                       pf::Value(static_cast<long long>(serial)));
        return true;
    }
    if (ZMRResponseOf(taskType, task, proto::IZMRDownlinkTask())) {
        answer(task);
        return true;
    }
    return false;
}

void ZMRDownlinkService::answer(const pf::ObjectRef& responseObject)
{
    auto self = shared_from_this();
    auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(responseObject);
    auto it = m_requests.find(static_cast<std::uint64_t>(ZMRRequestUserInfo(*response).longLongValue()));
    if (it == m_requests.end())
        return; // withdrawn
    Request record = std::move(it->second);
    m_requests.erase(it);
    pf::ObjectRef task = response->task();
    if (!task || record.task.lock() != task)
        return;
    ZMRAnswer answer = ZMRReadAnswer(*response, domain, ZMRRequestKind::Read);
    if (answer.error) {
        // A list answered whole with JSON that is not a dictionary fails
        // with code 0: such an answer carries neither a code nor an "error"
        // to tell.
        const pf::Value& results = response->resultsData();
        if (!response->error() && !results.isNil() && !results.isDictionary())
            answer.error = pf::Error{domain, 0, ""};
        krDownlinkTaskDidFitalError(task, *answer.error, response->taskType());
        return;
    }
    std::optional<std::string> key = record.askedAs == userPart() ? record.cacheKey : std::nullopt;
    krDownlinkTaskDidResponse(task, pf::Value(answer.results), key, response->taskType());
}

bool ZMRDownlinkService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    if (taskType != proto::IZMRDownlinkTask())
        return false;
    std::erase_if(m_requests, [&](const auto& entry) {
        auto recorded = entry.second.task.lock();
        return !recorded || (task && recorded == task);
    });
    return KRDownlinkService::cancelHandle(taskType, task);
}

bool ZMRDownlinkService::cancelHandleForSource(const pf::Object* source)
{
    if (!source)
        return false;
    std::erase_if(m_requests, [&](const auto& entry) {
        auto recorded = entry.second.task.lock();
        auto ikr = std::dynamic_pointer_cast<IKRTask>(recorded);
        return !recorded || recorded.get() == source || (ikr && ikr->sourceIdentity() == source);
    });
    return KRDownlinkService::cancelHandleForSource(source);
}

std::optional<std::string> ZMRDownlinkService::dataKey(const pf::ObjectRef& task, const pf::Protocol* taskType)
{
    auto list = std::dynamic_pointer_cast<IZMRDownlinkTask>(task);
    if (taskType != proto::IZMRDownlinkTask() || !list)
        return KRDownlinkService::dataKey(task, taskType);
    return userPart() + "/" + krMD5String(listForm(*list)->bytesBody());
}

std::string ZMRDownlinkService::userPart() const
{
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context())) {
        pf::Value uid = context->uid();
        if (!uid.isNilOrNull()) {
            std::string part = "u";
            part += uid.description();
            return part;
        }
    }
    return "anon";
}
