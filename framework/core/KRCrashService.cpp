#include "framework/core/KRCrashService.h"

#include "framework/core/KRCrashTask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/util/KRUUID.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/net/HttpConnection.h"

#include <strings.h>

namespace {

std::string exceptionJSON(const pf::Exception& exception)
{
    auto symbols = std::make_shared<pf::Array>();
    for (const auto& symbol : exception.callStackSymbols())
        symbols->add(symbol);
    auto addresses = std::make_shared<pf::Array>();
    for (std::uintptr_t address : exception.callStackReturnAddresses())
        addresses->add(pf::Value::unsignedNumber(address));
    auto object = pf::Dictionary::create({{"name", exception.name()}});
    if (exception.reason())
        object->set("reason", *exception.reason());
    object->set("callStackSymbols", symbols);
    object->set("callStackReturnAddresses", addresses);
    return KRJSON::encodeObject(object);
}

bool isHttpURL(const std::optional<pf::URL>& url)
{
    return url && !url->host().empty()
        && (strcasecmp(url->scheme().c_str(), "http") == 0 || strcasecmp(url->scheme().c_str(), "https") == 0);
}

}

std::shared_ptr<KRHttpFormBody> KRCrashService::reportForm(const pf::Exception& exception, const pf::Bundle& bundle)
{
    auto info = bundle.infoDictionary();
    auto infoText = [&](const char* key) { return info ? info->get(key).stringOr() : std::string(); };
    const pf::DeviceProfile& device = pf::DeviceProfile::current();
    auto form = std::make_shared<KRHttpFormBody>();
    form->addItemValue(infoText("CFBundleIdentifier"), "identifier");
    form->addItemValue(infoText("CFBundleShortVersionString"), "version");
    form->addItemValue(infoText("CFBundleVersion"), "build");
    form->addItemValue(device.name, "deviceName");
    form->addItemValue(device.systemName, "systemName");
    form->addItemValue(device.systemVersion, "systemVersion");
    form->addItemValue(device.model, "model");
    form->addItemValue(krUniqueIdentifier(), "deviceIdentifier");
    form->addItemValue(exceptionJSON(exception), "exception");
    return form;
}

bool KRCrashService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    if (taskType != proto::IKRCrashTask())
        return false;
    auto crash = std::dynamic_pointer_cast<IKRCrashTask>(task);
    if (!crash || !crash->exception())
        return true;

    auto settings = config();
    auto urlText = settings ? settings->string("url") : std::nullopt;
    auto url = urlText ? pf::URL::create(*urlText) : std::nullopt;
    if (!isHttpURL(url)) {
        pf::log("KRCrashService: no valid \"url\" to send the crash report to");
        return true;
    }
    auto bundle = m_bundle ? m_bundle : pf::Bundle::main();
    auto form = reportForm(*crash->exception(), *bundle);
    pf::HttpRequest request(url->absoluteString(), pf::URLRequestCachePolicy::UseProtocolCachePolicy,
                            std::chrono::duration<double>(sendTimeout));
    request.setHttpMethod("POST");
    request.setHttpBody(form->bytesBody());
    request.setValue(form->contentType(), "Content-Type");

    pf::HttpConnection connection(std::move(request));
    std::optional<pf::HttpResponse> response;
    pf::HttpConnectionCallbacks callbacks;
    callbacks.response = [&](const pf::HttpResponse& head) { response = head; };
    auto error = connection.run(callbacks, pf::HttpConnection::Clock::now() + sendTimeout);
    if (error) {
        pf::log("KRCrashService: %s", pf::redactSecrets(error->domain + " " + std::to_string(error->code) + " "
                                                        + error->description).c_str());
    } else if (response) {
        std::string headers;
        for (const auto& [field, value] : response->allHeaderFields())
            headers += "\n    " + field + ": " + value;
        pf::log("KRCrashService: %d%s", response->statusCode(), headers.c_str());
    }
    return true;
}
