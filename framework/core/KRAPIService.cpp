#include "framework/core/KRAPIService.h"

#include "framework/core/KRAPITask.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/CachedCast.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

namespace {

std::string describeBody(const pf::Bytes& body, const std::optional<std::string>& contentType)
{
    if (contentType && contentType->starts_with("multipart/"))
        return "(multipart body of " + std::to_string(body.size()) + " bytes)";
    return pf::redactSecrets(std::string(body.begin(), body.end()));
}

}

bool KRAPIService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IKRAPIRequestTask())
        return false;
    auto request = pf::cachedCast<KRAPIRequestTask>(task);
    if (!request)
        return false;

    auto httpTask = std::make_shared<KRHttpTask>();
    httpTask->setUserInfo(pf::Value(request));
    httpTask->setSource(request->source());
    httpTask->setResponseType(KRHttpResponseType::JSON);
    httpTask->setDelegate(std::static_pointer_cast<KRAPIService>(shared_from_this()));
    m_httpTasks.push_back(httpTask);

    auto context = this->context();
    if (!context || !context->handle(proto::IKRHttpAPITask(), httpTask, priority)) {
        // Nobody runs HTTP tasks: answer on a later turn rather than leave
        // the requester waiting for good.
        auto weakSelf = std::weak_ptr<pf::Object>(shared_from_this());
        pf::dispatchMain([weakSelf, httpTask] {
            if (auto self = std::static_pointer_cast<KRAPIService>(weakSelf.lock()))
                self->fail(*httpTask, pf::Error{KRAPIErrorDomain, KRAPINoHttpServiceError, "no service runs HTTP tasks"});
        });
    }
    return true;
}

std::shared_ptr<KRAPIRequestTask> KRAPIService::requestOf(const KRHttpTask& task) const
{
    return task.userInfo().objectAs<KRAPIRequestTask>();
}

void KRAPIService::krHttpTaskWillRequest(KRHttpTask& task)
{
    auto self = shared_from_this();
    auto request = requestOf(task);
    auto context = this->context();
    if (!request)
        return;
    if (context)
        context->handle(proto::IKRAPIWillRequestTask(), request, 0);

    std::optional<std::string> urlText = request->apiUrl();
    if (!urlText && request->apiKey())
        urlText = dataForKeyPath(pf::Value(config()), *request->apiKey()).stringValue();
    std::string absolute;
    bool plain = urlText && request->queryValues().isNil();
    if (plain && !m_composed.empty() && *urlText == m_composedFrom) {
        absolute = m_composed;
    } else {
        std::optional<pf::URL> url;
        if (urlText)
            url = URLWithString(*urlText, request->queryValues());
        if (!url) {
            // No request is set, so the HTTP layer sends nothing; the
            // failure travels the usual way.
            std::string key = request->apiUrl() ? *request->apiUrl() : request->apiKey().value_or("(none)");
            task.doFailError(pf::Error{KRAPIErrorDomain, KRAPINoURLError, "no url for api " + key});
            return;
        }
        absolute = url->absoluteString();
        if (plain) {
            m_composedFrom = *urlText;
            m_composed = absolute;
        }
    }
    // Redacting costs more than composing; only a debug log reads it.
    bool debug = pf::isLogLevelEnabled(pf::LogLevel::Debug);
    if (debug)
        pf::logLevel(pf::LogLevel::Debug, "%s", pf::redactSecrets(absolute).c_str());

    double timeout = config() ? config()->get("timeout").doubleValue() : 0;
    pf::HttpRequest http(std::move(absolute), pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                         std::chrono::duration<double>(timeout));
    http.setValue("gzip, deflate", "Accept-Encoding");
    if (const auto& body = request->body()) {
        http.setHttpMethod("POST");
        pf::Bytes bytes = body->bytesBody();
        if (debug)
            pf::logLevel(pf::LogLevel::Debug, "body %s", describeBody(bytes, body->contentType()).c_str());
        http.setHttpBody(std::move(bytes));
        http.setValue(body->contentType(), "Content-Type");
    }
    task.setRequest(std::move(http));
}

std::shared_ptr<KRAPIResponseTask> KRAPIService::makeResponse(const KRAPIRequestTask& request, const KRHttpTask& task) const
{
    auto response = std::make_shared<KRAPIResponseTask>();
    response->setTask(request.task());
    response->setTaskType(request.taskType());
    response->setUserInfo(request.userInfo());
    response->setSource(request.source());
    response->setUrl(task.requestUrl());
    return response;
}

bool KRAPIService::forget(const KRHttpTask& task)
{
    return std::erase_if(m_httpTasks, [&](const auto& t) { return t.get() == &task; }) > 0;
}

void KRAPIService::krHttpTaskDidLoaded(KRHttpTask& task)
{
    auto self = shared_from_this();
    auto request = requestOf(task);
    if (pf::isLogLevelEnabled(pf::LogLevel::Debug)) {
        auto http = task.request();
        auto answer = task.response();
        if (http) {
            pf::logLevel(pf::LogLevel::Debug, "%s %s", http->httpMethod().c_str(), pf::redactSecrets(http->url()).c_str());
            if (answer) {
                for (const auto& [name, value] : answer->allHeaderFields())
                    pf::logLevel(pf::LogLevel::Debug, "%s: %s", name.c_str(), pf::redactSecrets(value).c_str());
            }
        }
    }
    // A status page or a body that is not the server's JSON is no answer:
    // the requester must hear of it as a failure, not as empty results. The
    // server had the request and may have acted on it before its gateway or
    // its own fault spoke: a write must not read as never sent.
    int status = task.statusCode();
    if (status < 200 || status >= 300) {
        fail(task, pf::Error{KRAPIErrorDomain, status, "http status " + std::to_string(status)}, true);
        return;
    }
    pf::Value results = task.responseBody();
    if (!results.isDictionary() && !results.isArray()) {
        fail(task, pf::Error{KRAPIErrorDomain, KRAPINotJSONError, "the answer is not a JSON dictionary or array"}, true);
        return;
    }
    // A text cut short reads as the part that arrived, whose missing
    // "error-code" would pass for success: it is no answer either.
    if (task.isResponseBodyCut()) {
        fail(task, pf::Error{KRAPIErrorDomain, KRAPIAnswerCutError, "the answer ends before its JSON text closes"}, true);
        return;
    }
    if (!forget(task) || !request)
        return;

    auto response = makeResponse(*request, task);
    response->setResultsData(std::move(results));
    m_responses.push_back({response, request.get()});
    auto weakSelf = std::weak_ptr<pf::Object>(self);
    pf::dispatchMain([weakSelf, response] {
        if (auto service = std::static_pointer_cast<KRAPIService>(weakSelf.lock()))
            service->deliver(response);
    });
}

void KRAPIService::deliver(const std::shared_ptr<KRAPIResponseTask>& response)
{
    auto self = shared_from_this();
    auto pending = [&] {
        return std::find_if(m_responses.begin(), m_responses.end(), [&](const Pending& p) { return p.response == response; });
    };
    if (pending() == m_responses.end())
        return; // cancelled meanwhile
    if (auto context = this->context())
        context->handle(proto::IKRAPIResponseTask(), response, 0);
    // The handler may have changed the list; look again.
    if (auto it = pending(); it != m_responses.end())
        m_responses.erase(it);
}

void KRAPIService::krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error)
{
    fail(task, error, task.isAnswerLost());
}

void KRAPIService::fail(KRHttpTask& task, const pf::Error& error, bool resultUnknown)
{
    auto self = shared_from_this();
    auto request = requestOf(task);
    if (!forget(task) || !request)
        return;
    pf::log("%s failed%s: %s %lld %s", pf::redactSecrets(task.requestUrl().value_or("(no url)")).c_str(),
            resultUnknown ? " after the request went out" : "", error.domain.c_str(), error.code,
            error.description.c_str());
    auto response = makeResponse(*request, task);
    response->setError(error);
    response->setResultUnknown(resultUnknown);
    if (auto context = this->context())
        context->handle(proto::IKRAPIResponseTask(), response, 0);
}

void KRAPIService::cancelHttpTasks(const std::function<bool(const KRHttpTask&, const KRAPIRequestTask&)>& matches)
{
    auto context = this->context();
    for (std::size_t i = 0; i < m_httpTasks.size();) {
        auto httpTask = m_httpTasks[i];
        auto request = requestOf(*httpTask);
        if (request && matches(*httpTask, *request)) {
            m_httpTasks.erase(m_httpTasks.begin() + static_cast<std::ptrdiff_t>(i));
            if (context)
                context->cancelHandle(proto::IKRHttpAPITask(), httpTask);
        } else {
            ++i;
        }
    }
}

bool KRAPIService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    if (taskType == proto::IKRAPIRequestTask()) {
        auto request = std::dynamic_pointer_cast<KRAPIRequestTask>(task);
        if (!request)
            return false;
        cancelHttpTasks([&](const KRHttpTask&, const KRAPIRequestTask& r) { return &r == request.get(); });
        std::erase_if(m_responses, [&](const Pending& p) {
            return p.request == request.get() || (request->task() && p.response->task() == request->task());
        });
        return true;
    }
    if (taskType == proto::IKRAPICancelTask()) {
        auto cancel = std::dynamic_pointer_cast<IKRAPITask>(task);
        if (!cancel)
            return false;
        auto target = cancel->task();
        auto type = cancel->taskType();
        cancelHttpTasks([&](const KRHttpTask&, const KRAPIRequestTask& r) { return r.task() == target && r.taskType() == type; });
        std::erase_if(m_responses, [&](const Pending& p) { return p.response->task() == target && p.response->taskType() == type; });
        return true;
    }
    return false;
}

bool KRAPIService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    auto self = shared_from_this();
    cancelHttpTasks([&](const KRHttpTask& http, const KRAPIRequestTask&) { return http.sourceIdentity() == source; });
    std::erase_if(m_responses, [&](const Pending& p) { return p.response->sourceIdentity() == source; });
    return false;
}
