#pragma once

// Fills image tasks from the bundle, a memory cache and the resource cache
// files, and downloads a missing remote picture once per source however many
// tasks wait for it. Settings: "timeout" (seconds for a download request) and,
// under any other key, a base URL (a string) for sources of that scheme:
// with "img" = "http://host/pics/", the source "img://a/b.png" is
// "http://host/pics/a/b.png".
//
// Answers are synchronous for what is found locally (inside handle()) and
// arrive on the main queue when a download ends. A task waits on one list at
// a time: sending it again with another source, cancelling it or cancelling
// its source takes it off, so a recycled view never receives an old picture.
// When the last waiter leaves, the download is cancelled.
//
// The memory cache keeps decoded pictures by source key, bounded by count and
// by decoded bytes (least recently used go first); a memory warning drops
// every picture that no view is showing. A cache file that does not decode is
// deleted, so that the next request downloads it again.
//
// Main queue only.

#include "framework/core/IKRHttpTask.h"
#include "framework/core/KRService.h"
#include "platform/graphics/Forward.h"

#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class IKRImageTask;

class KRImageService final : public KRService, public IKRHttpTaskDelegate {
public:
    static constexpr std::size_t defaultMemoryCacheCount = 256;
    static constexpr std::size_t defaultMemoryCacheBytes = 64u << 20;

    // The lower-case MD5 of the source text: the memory-cache key and, for
    // a remote source, the name of its cache file.
    static std::string keySrc(const std::string& src);
    // "http://" and "https://" sources.
    static bool isRemoteSrc(const std::string& src);
    // The source with a configured scheme replaced by its base URL.
    std::optional<std::string> absoluteSrc(const std::optional<std::string>& src) const;

    // Takes every task that is an IKRImageTask; the priority is not used.
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    // Takes the task off its waiting list; always true.
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    // Takes the source's tasks off the waiting lists; always false, since
    // other services hold tasks of the same sources.
    bool cancelHandleForSource(const pf::Object* source) override;
    void didReceiveMemoryWarning() override;

    // IKRHttpTaskDelegate
    void krHttpTaskDidLoaded(KRHttpTask& task) override;
    void krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error) override;

    // Bundle pictures come from here; the main bundle unless set.
    void setBundle(std::shared_ptr<pf::Bundle> bundle) { m_bundle = std::move(bundle); }
    void setMemoryCacheLimits(std::size_t count, std::size_t bytes);
    std::size_t memoryCacheCount() const { return m_imageCached.size(); }
    std::size_t memoryCacheBytes() const { return m_cachedBytes; }
    // Downloads running, by source key.
    std::size_t downloadCount() const { return m_httpTasks.size(); }

private:
    struct CacheEntry {
        pf::ImageRef image;
        std::size_t bytes = 0;
        std::list<std::string>::iterator recent;
    };
    struct Waiter {
        pf::ObjectRef object;
        std::shared_ptr<IKRImageTask> task;
    };

    void fillDefaultImage(IKRImageTask& task);
    pf::ImageRef cachedImage(const std::string& key);
    void cacheImage(const std::string& key, const pf::ImageRef& image);
    pf::ImageRef bundleImage(const std::string& name) const;
    // The picture of a remote source's cache file; an undecodable file is deleted.
    pf::ImageRef cacheFileImage(const std::string& src);
    void startDownload(const std::string& src, const std::string& key, Waiter waiter);
    // Takes the task off its list; a list left empty cancels its download.
    void detach(const pf::Object* task);
    void removeWaitingList(const std::string& key, bool cancelDownload);
    void finishDownload(KRHttpTask& task, const pf::ImageRef& image);

    std::unordered_map<std::string, CacheEntry> m_imageCached;
    std::list<std::string> m_recent; // most recently used first
    std::size_t m_cachedBytes = 0;
    std::size_t m_maxCachedCount = defaultMemoryCacheCount;
    std::size_t m_maxCachedBytes = defaultMemoryCacheBytes;
    std::unordered_map<std::string, std::vector<Waiter>> m_imageTasks;
    std::unordered_map<std::string, std::shared_ptr<KRHttpTask>> m_httpTasks;
    // The key each waiting task waits on, by task identity.
    std::unordered_map<const pf::Object*, std::string> m_waitingKeys;
    std::shared_ptr<pf::Bundle> m_bundle;
};
