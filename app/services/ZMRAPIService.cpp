#include "app/services/ZMRAPIService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/util/KRUUID.h"
#include "platform/foundation/CachedCast.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

bool isApplicationType(const pf::Protocol* taskType)
{
    return taskType && taskType->conformsTo(proto::IZMRAPITask());
}

}

bool ZMRAPIService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IKRAPIWillRequestTask())
        willRequest(task);
    else if (taskType == proto::IKRAPIResponseTask())
        didRespond(task);
    return false;
}

void ZMRAPIService::willRequest(const pf::ObjectRef& task)
{
    auto request = pf::cachedCast<IKRAPIWillRequestTask>(task);
    if (!request || !isApplicationType(request->taskType()) || !request->body())
        return;
    KRHttpFormBody& body = *request->body();
    auto& defaults = pf::UserDefaults::standard();
    pf::Value deviceId = defaults.objectForKey("device-did");
    if (!deviceId.isNilOrNull()) {
        body.addItemValue(deviceId.description(), "device-did");
    } else {
        const pf::DeviceProfile& device = pf::DeviceProfile::current();
        body.addItemValue(krUniqueIdentifier(), "device-unique");
        body.addItemValue("1", "device-type");
        body.addItemValue(device.name, "device-name");
        body.addItemValue(device.systemName, "device-systemName");
        body.addItemValue(device.systemVersion, "device-systemVersion");
        body.addItemValue(device.model, "device-model");
    }

    auto context = m_contextLink.of(this->context());
    pf::Value uid = context ? context->uid() : pf::Value();
    if (context) {
        if (!uid.isNilOrNull())
            body.addItemValue(uid.description(), "auth-uid");
        if (auto token = context->token())
            body.addItemValue(*token, "auth-token");
        if (auto deviceToken = context->deviceToken())
            body.addItemValue(*deviceToken, "device-token");
    }
    if (auto appTask = request->task()) {
        std::erase_if(m_carried, [&](const Carried& c) { return c.alive.expired(); });
        auto known = std::find_if(m_carried.begin(), m_carried.end(), [&](const Carried& c) { return c.task == appTask.get(); });
        if (known == m_carried.end())
            m_carried.push_back({appTask.get(), appTask, request.get(), uid});
        else if (known->request != request.get())
            *known = {appTask.get(), appTask, request.get(), uid};
        // A request offered twice (the logout) keeps what its form took first.
    }

    // Encoding the form only for the log would cost as much as sending it.
    if (!pf::isLogLevelEnabled(pf::LogLevel::Debug))
        return;
    pf::Bytes bytes = body.bytesBody();
    pf::logLevel(pf::LogLevel::Debug, "%s", body.contentType().value_or("").c_str());
    if (!body.contentType() || !body.contentType()->starts_with("multipart/"))
        pf::logLevel(pf::LogLevel::Debug, "%s", pf::redactSecrets(std::string(bytes.begin(), bytes.end())).c_str());
}

std::optional<pf::Value> ZMRAPIService::takeCarriedUid(const pf::ObjectRef& appTask)
{
    if (!appTask)
        return std::nullopt;
    for (auto it = m_carried.begin(); it != m_carried.end(); ++it) {
        if (it->task == appTask.get() && !it->alive.expired()) {
            pf::Value uid = it->uid;
            m_carried.erase(it);
            return uid;
        }
    }
    return std::nullopt;
}

void ZMRAPIService::didRespond(const pf::ObjectRef& task)
{
    auto response = pf::cachedCast<IKRAPIResponseTask>(task);
    if (!response || !isApplicationType(response->taskType()))
        return;
    std::optional<pf::Value> carried = takeCarriedUid(response->task());
    if (response->error())
        return;
    if (pf::isLogLevelEnabled(pf::LogLevel::Debug))
        pf::logLevel(pf::LogLevel::Debug, "%s", pf::redactSecrets(KRJSON::encodeObject(response->resultsData())).c_str());
    const pf::Value& results = response->resultsData();
    if (!results.isDictionary() || ZMRErrorCode(results) != 0)
        return;

    auto& defaults = pf::UserDefaults::standard();
    pf::Value deviceId = ZMRPresent(results, "device-did");
    // The same id again would only cost a disk write.
    if ((deviceId.isNumber() || deviceId.isString()) && !(defaults.objectForKey("device-did") == deviceId)) {
        defaults.setObject(deviceId, "device-did");
        defaults.synchronize();
    }
    auto context = m_contextLink.of(this->context());
    if (!context)
        return;
    pf::Value timestamp = ZMRPresent(results, "timestamp");
    // Stored on every answer, so that the local time it was received at stays
    // fresh and the kept clock drifts no further than one exchange.
    if (timestamp.isNumber() && std::isfinite(timestamp.doubleValue()))
        context->setTimestamp(timestamp.doubleValue());

    pf::Value tokenValue = ZMRPresent(results, "auth-token");
    const std::string* token = tokenValue.string();
    pf::Value uid = context->uid();
    if (token && !uid.isNil() && carried && *carried == uid && !ZMRIsSignIn(response->taskType()) && context->token() != *token)
        context->setToken(*token);
}
