#include "app/services/ZMRDownlinkService.h"

#include "app/services/IZMRDownlinkTask.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
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
    auto body = std::make_shared<KRHttpFormBody>();
    body->addItemValue("config_zmr", "config");
    body->addItemValue(task.taskType().value_or(""), "taskType");
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
        auto request = std::make_shared<KRAPIRequestTask>();
        request->setTaskType(taskType);
        request->setTask(task);
        request->setSource(list->source());
        request->setApiKey("url");
        request->setBody(listForm(*list));
        m_askedAs[task.get()] = userPart();
        if (auto context = this->context())
            context->handle(proto::IKRAPIRequestTask(), request, 0);
        return true;
    }
    if (taskType == proto::IKRAPIResponseTask()) {
        auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(task);
        if (!response || response->taskType() != proto::IZMRDownlinkTask())
            return false;
        answer(task);
        return true;
    }
    return false;
}

void ZMRDownlinkService::answer(const pf::ObjectRef& responseObject)
{
    auto self = shared_from_this();
    auto response = std::dynamic_pointer_cast<IKRAPIResponseTask>(responseObject);
    pf::ObjectRef task = response->task();
    auto list = std::dynamic_pointer_cast<IZMRDownlinkTask>(task);
    if (!list)
        return;
    std::optional<std::string> askedAs;
    if (auto it = m_askedAs.find(task.get()); it != m_askedAs.end()) {
        askedAs = it->second;
        m_askedAs.erase(it);
    }
    ZMRAnswer answer = ZMRReadAnswer(*response, domain);
    if (answer.error) {
        krDownlinkTaskDidFitalError(task, *answer.error, response->taskType());
        return;
    }
    bool isCache = cachesFirstPage(*list) && askedAs == userPart();
    krDownlinkTaskDidResponse(task, pf::Value(answer.results), isCache, response->taskType());
}

bool ZMRDownlinkService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    if (taskType != proto::IZMRDownlinkTask())
        return false;
    if (task)
        m_askedAs.erase(task.get());
    return KRDownlinkService::cancelHandle(taskType, task);
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
