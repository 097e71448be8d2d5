#include "framework/core/KRImageService.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/util/md5.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <cstdio>
#include <cassert>
#include <strings.h>

namespace proto {

const pf::Protocol* IKRImageTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRImageTask", {proto::IKRTask()});
    return p;
}

const pf::Protocol* IKRLocalImageTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRLocalImageTask", {IKRImageTask()});
    return p;
}

}

namespace {

bool startsWithIgnoringCase(const std::string& text, const char* prefix)
{
    std::size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

}

std::string KRImageService::keySrc(const std::string& src)
{
    char digest[33];
    md5_hex(src.data(), src.size(), digest);
    return digest;
}

bool KRImageService::isRemoteSrc(const std::string& src)
{
    return startsWithIgnoringCase(src, "http://") || startsWithIgnoringCase(src, "https://");
}

std::optional<std::string> KRImageService::absoluteSrc(const std::optional<std::string>& src) const
{
    if (!src || src->starts_with("@") || isRemoteSrc(*src))
        return src;
    std::size_t separator = src->find("://");
    auto settings = config();
    if (separator == std::string::npos || !settings)
        return src;
    // Only text is a base URL; a number or a dictionary under the scheme's
    // key is some other setting.
    if (auto base = settings->string(std::string_view(*src).substr(0, separator)))
        return *base + src->substr(separator + 3);
    return src;
}

void KRImageService::setMemoryCacheLimits(std::size_t count, std::size_t bytes)
{
    m_maxCachedCount = count;
    m_maxCachedBytes = bytes;
    while (!m_recent.empty() && (m_imageCached.size() > m_maxCachedCount || m_cachedBytes > m_maxCachedBytes)) {
        auto oldest = m_imageCached.find(m_recent.back());
        m_cachedBytes -= oldest->second.bytes;
        m_imageCached.erase(oldest);
        m_recent.pop_back();
    }
}

pf::ImageRef KRImageService::cachedImage(const std::string& key)
{
    auto found = m_imageCached.find(key);
    if (found == m_imageCached.end())
        return nullptr;
    m_recent.splice(m_recent.begin(), m_recent, found->second.recent);
    return found->second.image;
}

void KRImageService::cacheImage(const std::string& key, const pf::ImageRef& image)
{
    if (!image)
        return;
    std::size_t bytes = image->byteCount();
    if (auto found = m_imageCached.find(key); found != m_imageCached.end()) {
        m_cachedBytes -= found->second.bytes;
        m_recent.erase(found->second.recent);
        m_imageCached.erase(found);
    }
    // A picture larger than the whole cache is shown but not kept.
    if (bytes > m_maxCachedBytes || m_maxCachedCount == 0)
        return;
    m_recent.push_front(key);
    m_imageCached.emplace(key, CacheEntry{image, bytes, m_recent.begin()});
    m_cachedBytes += bytes;
    setMemoryCacheLimits(m_maxCachedCount, m_maxCachedBytes);
}

pf::ImageRef KRImageService::bundleImage(const std::string& name) const
{
    auto bundle = m_bundle ? m_bundle : pf::Bundle::main();
    return pf::Image::named(name, *bundle, pf::DeviceProfile::current().scale);
}

pf::ImageRef KRImageService::cacheFileImage(const std::string& src)
{
    if (!KRHttpTask::hasResourceForURL(src))
        return nullptr;
    std::string path = KRHttpTask::localResourcePathForURL(src);
    auto image = pf::Image::contentsOfFile(path);
    if (image)
        return image.value();
    // Kept, it would be answered from the cache for ever and never replaced.
    pf::log("KRImageService: deleting cache file of %s: %s", src.c_str(), image.error().description.c_str());
    std::remove(path.c_str());
    return nullptr;
}

void KRImageService::fillDefaultImage(IKRImageTask& task)
{
    auto defaultSrc = absoluteSrc(task.defaultSrc());
    if (!defaultSrc)
        return;
    pf::ImageRef image;
    if (defaultSrc->starts_with("@")) {
        // Set even when the bundle lacks it, so a reused view drops its old placeholder.
        task.setDefaultImage(bundleImage(defaultSrc->substr(1)));
        return;
    } else {
        std::string key = keySrc(*defaultSrc);
        image = cachedImage(key);
        if (!image) {
            // A placeholder is never downloaded.
            image = isRemoteSrc(*defaultSrc) ? cacheFileImage(*defaultSrc) : bundleImage(*defaultSrc);
            cacheImage(key, image);
        }
    }
    if (image)
        task.setDefaultImage(image);
}

bool KRImageService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    auto imageTask = std::dynamic_pointer_cast<IKRImageTask>(task);
    if (!imageTask)
        return false;
    auto self = shared_from_this(); // the task's callbacks may release the shell's last hold
    fillDefaultImage(*imageTask);

    auto src = absoluteSrc(imageTask->src());
    std::optional<std::string> key = src ? std::optional(keySrc(*src)) : std::nullopt;
    if (auto waiting = m_waitingKeys.find(task.get()); waiting != m_waitingKeys.end()) {
        if (key == waiting->second)
            return true; // already waiting for this very picture
        detach(task.get());
    }
    if (!src) {
        imageTask->setLoading(false);
        imageTask->setImage(nullptr, false);
        return true;
    }
    if (src->starts_with("@")) {
        imageTask->setLoading(false);
        imageTask->setImage(bundleImage(src->substr(1)), true);
        return true;
    }
    bool remote = isRemoteSrc(*src);
    pf::ImageRef image = cachedImage(*key);
    if (!image && remote) {
        image = cacheFileImage(*src);
        cacheImage(*key, image);
    }
    if (image) {
        imageTask->setLoading(false);
        imageTask->setImage(image, true);
        return true;
    }
    if (!remote) {
        image = bundleImage(*src);
        cacheImage(*key, image);
        imageTask->setLoading(false);
        imageTask->setImage(image, true);
        return true;
    }
    if (taskType == proto::IKRLocalImageTask())
        return true;
    if (auto list = m_imageTasks.find(*key); list != m_imageTasks.end()) {
        list->second.push_back({task, imageTask});
        m_waitingKeys[task.get()] = *key;
        imageTask->setLoading(true);
        return true;
    }
    startDownload(*src, *key, {task, imageTask});
    return true;
}

void KRImageService::startDownload(const std::string& src, const std::string& key, Waiter waiter)
{
    auto url = pf::URL::create(src);
    if (!url || url->host().empty()) {
        // Not a URL: settled like a download that failed.
        waiter.task->setLoading(false);
        waiter.task->setImage(nullptr, false);
        return;
    }
    auto settings = config();
    double timeout = settings ? settings->get("timeout").doubleValue() : 0;
    pf::HttpRequest request(src, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                            std::chrono::duration<double>(timeout));
    // The page's address without port, query or fragment.
    request.setValue(url->scheme() + "://" + url->host() + url->encodedPath(), "Referer");

    auto http = std::make_shared<KRHttpTask>();
    http->setRequest(std::move(request));
    http->setResponseType(KRHttpResponseType::ResourceFile);
    http->setAllowCheckContentLength(true);
    http->setAllowWillRequest(true);
    // The download belongs to every waiter, so none of them is its source:
    // withdrawing one waiter's own tasks must not cancel it for the others.
    http->setSource(shared_from_this());
    http->setDelegate(std::static_pointer_cast<KRImageService>(shared_from_this()));
    http->setUserInfo(pf::Value(pf::Dictionary::create({{"key", key}})));

    const pf::Object* identity = waiter.object.get();
    auto task = waiter.task;
    m_imageTasks[key].push_back(std::move(waiter));
    m_waitingKeys[identity] = key;
    task->setLoading(true);
    m_httpTasks[key] = http;

    auto bus = context();
    bool taken = bus && bus->handle(proto::IKRHttpResourceTask(), http, 0);
    if (!taken) {
        pf::log("KRImageService: nobody downloads %s", src.c_str());
        auto running = m_httpTasks.find(key);
        if (running != m_httpTasks.end() && running->second == http)
            finishDownload(*http, nullptr);
    }
}

void KRImageService::finishDownload(KRHttpTask& task, const pf::ImageRef& image)
{
    auto userInfo = task.userInfo().dictionary();
    auto key = userInfo ? userInfo->string("key") : std::nullopt;
    if (!key)
        return;
    auto running = m_httpTasks.find(*key);
    if (running == m_httpTasks.end() || running->second.get() != &task)
        return; // a download that was cancelled meanwhile
    auto keepTask = running->second;
    auto self = shared_from_this();
    // The lists are dropped before anyone hears of the outcome, so that a
    // task asking again from its callback starts afresh.
    std::vector<Waiter> waiters;
    if (auto list = m_imageTasks.find(*key); list != m_imageTasks.end()) {
        waiters = std::move(list->second);
        m_imageTasks.erase(list);
    }
    m_httpTasks.erase(running);
    for (const auto& waiter : waiters)
        m_waitingKeys.erase(waiter.object.get());
    for (const auto& waiter : waiters) {
        waiter.task->setLoading(false);
        waiter.task->setImage(image, false);
    }
}

void KRImageService::krHttpTaskDidLoaded(KRHttpTask& task)
{
    PF_ASSERT_MAIN_THREAD();
    auto userInfo = task.userInfo().dictionary();
    auto key = userInfo ? userInfo->string("key") : std::nullopt;
    if (!key)
        return;
    pf::ImageRef image;
    if (auto path = task.responseBody().stringValue()) {
        auto decoded = pf::Image::contentsOfFile(*path);
        if (decoded) {
            image = decoded.value();
        } else if (pf::fileExists(*path)) {
            pf::log("KRImageService: deleting undecodable download %s: %s", path->c_str(),
                    decoded.error().description.c_str());
            std::remove(path->c_str());
        }
    }
    cacheImage(*key, image);
    finishDownload(task, image);
}

void KRImageService::krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error)
{
    PF_ASSERT_MAIN_THREAD();
    pf::logLevel(pf::LogLevel::Debug, "KRImageService: download failed: %s", error.description.c_str());
    finishDownload(task, nullptr);
}

void KRImageService::removeWaitingList(const std::string& key, bool cancelDownload)
{
    m_imageTasks.erase(key);
    auto running = m_httpTasks.find(key);
    if (running == m_httpTasks.end())
        return;
    auto http = running->second;
    m_httpTasks.erase(running);
    if (cancelDownload) {
        if (auto bus = context())
            bus->cancelHandle(proto::IKRHttpResourceTask(), http);
    }
}

void KRImageService::detach(const pf::Object* task)
{
    auto waiting = m_waitingKeys.find(task);
    if (waiting == m_waitingKeys.end())
        return;
    std::string key = waiting->second;
    m_waitingKeys.erase(waiting);
    auto list = m_imageTasks.find(key);
    if (list == m_imageTasks.end())
        return;
    std::shared_ptr<IKRImageTask> removed;
    std::erase_if(list->second, [&](const Waiter& w) {
        if (w.object.get() != task)
            return false;
        removed = w.task;
        return true;
    });
    if (list->second.empty())
        removeWaitingList(key, true);
    if (removed)
        removed->setLoading(false);
}

bool KRImageService::cancelHandle(const pf::Protocol*, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (task)
        detach(task.get());
    return true;
}

bool KRImageService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    std::vector<const pf::Object*> leaving;
    for (const auto& [key, list] : m_imageTasks) {
        for (const auto& waiter : list) {
            if (waiter.task->sourceIdentity() == source)
                leaving.push_back(waiter.object.get());
        }
    }
    for (const pf::Object* task : leaving)
        detach(task);
    return false;
}

void KRImageService::didReceiveMemoryWarning()
{
    PF_ASSERT_MAIN_THREAD();
    for (auto it = m_recent.begin(); it != m_recent.end();) {
        auto entry = m_imageCached.find(*it);
        if (entry->second.image.use_count() > 1) {
            ++it;
            continue;
        }
        m_cachedBytes -= entry->second.bytes;
        m_imageCached.erase(entry);
        it = m_recent.erase(it);
    }
}
