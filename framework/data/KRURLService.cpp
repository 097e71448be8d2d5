#include "framework/data/KRURLService.h"

#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/QueryValue.h"
#include "framework/data/IKRURLDownlinkTask.h"
#include "framework/data/KRURLServiceItem.h"
#include "framework/data/KRURLTemplate.h"
#include "framework/util/KRMD5String.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <charconv>

namespace proto {
const pf::Protocol* IKRURLDownlinkTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRURLDownlinkTask", {IKRDownlinkPageTask()});
    return p;
}
}

namespace {

constexpr const char* domain = "KRURLService";
constexpr std::size_t kLogLimit = 1024;

pf::Error serviceError(long long code, std::string description)
{
    return pf::Error{domain, code, std::move(description)};
}

// Redacted and cut, so a log line never carries a secret or a whole page.
std::string forLog(std::string_view text)
{
    std::string out = pf::redactSecrets(text);
    if (out.size() > kLogLimit) {
        out.resize(kLogLimit);
        out += "…";
    }
    return out;
}

// A 64-bit code from a number or numeric text; nothing for any other value.
std::optional<long long> codeOf(const pf::Value& value)
{
    if (value.isNilOrNull())
        return 0;
    if (value.isNumber())
        return value.longLongValue();
    if (const std::string* text = value.string()) {
        long long code = 0;
        const char* begin = text->data();
        const char* end = begin + text->size();
        if (begin != end && *begin == '+')
            ++begin;
        auto [ptr, ec] = std::from_chars(begin, end, code);
        if (ec == std::errc() && ptr == end && begin != end)
            return code;
    }
    return std::nullopt;
}

bool isPageOne(const IKRDownlinkPageTask& task)
{
    return task.krDownlinkPageTaskPageIndex() == 1;
}

}

std::optional<std::string> KRURLService::urlForTask(IKRURLDownlinkTask& task)
{
    std::optional<std::string> templateText = task.url();
    if (!templateText && task.urlKey()) {
        if (auto settings = config()) {
            pf::Value setting = settings->get(*task.urlKey());
            if (const std::string* text = setting.string())
                templateText = *text;
        }
    }
    if (!templateText)
        return std::nullopt;
    std::string expanded = KRURLExpandTemplate(*templateText, task.krDownlinkPageTaskPageIndex(), task.krDownlinkPageTaskPageSize(),
                                               [&](std::string_view keyPath) { return task.templateValue(keyPath); });
    pf::DictionaryRef values = task.queryValues();
    auto url = URLWithString(expanded, values ? pf::Value(values) : pf::Value());
    if (!url || url->scheme().empty() || !url->hasAuthority())
        return std::nullopt;
    return url->absoluteString();
}

std::optional<std::string> KRURLService::dataKey(const pf::ObjectRef& task, const pf::Protocol* taskType)
{
    auto urlTask = std::dynamic_pointer_cast<IKRURLDownlinkTask>(task);
    if (taskType != proto::IKRURLDownlinkTask() || !urlTask)
        return KRDownlinkService::dataKey(task, taskType);
    if (!isPageOne(*urlTask))
        return std::nullopt;
    auto url = urlForTask(*urlTask);
    if (!url)
        return std::nullopt;
    return krMD5String(*url);
}

bool KRURLService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority)
{
    PF_ASSERT_MAIN_THREAD();
    auto urlTask = std::dynamic_pointer_cast<IKRURLDownlinkTask>(task);
    if (taskType != proto::IKRURLDownlinkTask() || !urlTask)
        return false;
    auto item = std::make_shared<KRURLServiceItem>();
    item->taskType = taskType;
    item->task = task;
    m_items.push_back(item);

    auto url = urlForTask(*urlTask);
    if (!url) {
        failLater(item, serviceError(-1, "no usable URL for the list"));
        return true;
    }
    std::shared_ptr<KRHttpTask> http;
    if (const pf::Class* cls = urlTask->httpClass())
        http = std::dynamic_pointer_cast<KRHttpTask>(cls->create());
    else
        http = std::make_shared<KRHttpTask>();
    if (!http) {
        failLater(item, serviceError(-1, "the list's HTTP class makes no HTTP task"));
        return true;
    }
    if (!urlTask->httpClass())
        http->setResponseType(KRHttpResponseType::JSON);
    http->setUserInfo(pf::Value(task));
    http->setSource(urlTask->source());
    http->setDelegate(std::static_pointer_cast<KRURLService>(shared_from_this()));
    pf::HttpRequest request(*url, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    request.setTimeoutInterval(std::chrono::duration<double>(120));
    request.setHttpMethod("GET");
    http->setRequest(request);
    pf::logLevel(pf::LogLevel::Debug, "KRURLService GET %s", forLog(*url).c_str());
    item->httpTask = http;
    if (isPageOne(*urlTask))
        item->cacheKey = krMD5String(*url);
    if (isPageOne(*urlTask) && !urlTask->isSkipCached())
        krDownlinkTaskDidLoadedFromCache(task, taskType);

    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    pf::dispatchMain([weakSelf, item, priority] {
        auto self = std::static_pointer_cast<KRURLService>(weakSelf.lock());
        if (!self || item->answered || std::find(self->m_items.begin(), self->m_items.end(), item) == self->m_items.end())
            return; // withdrawn before it left
        if (auto context = self->context())
            context->handle(proto::IKRHttpAPITask(), item->httpTask, priority);
    });
    return true;
}

void KRURLService::failLater(const std::shared_ptr<KRURLServiceItem>& item, pf::Error error)
{
    item->answered = true;
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    pf::dispatchMain([weakSelf, item, error = std::move(error)] {
        auto self = std::static_pointer_cast<KRURLService>(weakSelf.lock());
        if (!self)
            return;
        auto it = std::find(self->m_items.begin(), self->m_items.end(), item);
        if (it == self->m_items.end())
            return;
        self->m_items.erase(it);
        self->krDownlinkTaskDidFitalError(item->task, error, item->taskType);
    });
}

std::shared_ptr<KRURLServiceItem> KRURLService::takeItem(const KRHttpTask& httpTask)
{
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&](const auto& item) { return !item->answered && item->httpTask.get() == &httpTask; });
    if (it == m_items.end())
        return nullptr;
    auto item = *it;
    m_items.erase(it);
    return item;
}

void KRURLService::krHttpTaskDidLoaded(KRHttpTask& httpTask)
{
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&](const auto& item) { return !item->answered && item->httpTask.get() == &httpTask; });
    if (it == m_items.end())
        return;
    auto item = *it;
    item->answered = true;
    pf::Value body = httpTask.responseBody();
    auto response = httpTask.response();
    int status = response ? response->statusCode() : 0;
    if (pf::isLogLevelEnabled(pf::LogLevel::Debug))
        pf::logLevel(pf::LogLevel::Debug, "KRURLService %d %s", status, forLog(KRJSON::encodeObject(body)).c_str());
    // Delivered one turn later, unless the request is withdrawn meanwhile.
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    pf::dispatchMain([weakSelf, item, body, status] {
        auto self = std::static_pointer_cast<KRURLService>(weakSelf.lock());
        if (!self)
            return;
        auto found = std::find(self->m_items.begin(), self->m_items.end(), item);
        if (found == self->m_items.end())
            return;
        self->m_items.erase(found);
        self->didLoaded(item, body, status);
    });
}

void KRURLService::didLoaded(const std::shared_ptr<KRURLServiceItem>& item, const pf::Value& body, int status)
{
    auto urlTask = std::dynamic_pointer_cast<IKRURLDownlinkTask>(item->task);
    if (!urlTask)
        return;
    std::optional<pf::Error> error;
    if (status < 200 || status > 299)
        error = serviceError(status, "the list's server answered " + std::to_string(status));
    else if (!body.isDictionary() && !body.isArray())
        error = serviceError(-1, "the list's answer is no JSON list");
    else
        error = errorByResponseBody(body, *urlTask);
    if (error)
        krDownlinkTaskDidFitalError(item->task, *error, item->taskType);
    else
        krDownlinkTaskDidResponse(item->task, body, item->cacheKey, item->taskType);
}

void KRURLService::krHttpTaskDidFailError(KRHttpTask& httpTask, const pf::Error& error)
{
    auto item = takeItem(httpTask);
    if (!item)
        return;
    auto self = shared_from_this();
    krDownlinkTaskDidFitalError(item->task, error, item->taskType);
}

std::optional<pf::Error> KRURLService::errorByResponseBody(const pf::Value& body, IKRURLDownlinkTask& task)
{
    if (!task.errorCodeKeyPath())
        return std::nullopt;
    std::optional<long long> code = codeOf(dataForKeyPath(body, *task.errorCodeKeyPath()));
    if (!code)
        return serviceError(-1, "the list's error code is no number");
    if (*code == 0)
        return std::nullopt;
    std::string message;
    if (task.errorKeyPath()) {
        pf::Value text = dataForKeyPath(body, *task.errorKeyPath());
        if (const std::string* s = text.string())
            message = *s;
        else if (!text.isNilOrNull())
            message = text.description();
    }
    return serviceError(*code, std::move(message));
}

void KRURLService::withdraw(const std::shared_ptr<KRURLServiceItem>& item)
{
    if (!item->httpTask)
        return;
    item->httpTask->setDelegate({});
    if (auto context = this->context())
        context->cancelHandle(proto::IKRHttpTask(), item->httpTask);
}

bool KRURLService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IKRURLDownlinkTask())
        return false;
    std::vector<std::shared_ptr<KRURLServiceItem>> gone;
    std::erase_if(m_items, [&](const auto& item) {
        bool match = task && item->task == task;
        if (match)
            gone.push_back(item);
        return match;
    });
    for (const auto& item : gone)
        withdraw(item);
    dropDeliveries(task);
    return true;
}

bool KRURLService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    std::vector<std::shared_ptr<KRURLServiceItem>> gone;
    std::erase_if(m_items, [&](const auto& item) {
        auto ikr = std::dynamic_pointer_cast<IKRTask>(item->task);
        bool match = item->task.get() == source || (ikr && ikr->sourceIdentity() == source);
        if (match)
            gone.push_back(item);
        return match;
    });
    for (const auto& item : gone)
        withdraw(item);
    KRDownlinkService::cancelHandleForSource(source);
    return false;
}
