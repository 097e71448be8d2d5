#pragma once

// Serves IKRURLDownlinkTask: builds the URL from the task's template (page
// values, placeholders filled from the task, query values), answers page 1
// from the downlink cache first unless the task skips it, and sends one GET
// (cache policy: reload, 120 s) as an HTTP task under IKRHttpAPITask on a
// later turn. The answer reaches the task one turn after it arrived; a
// transport failure at once.
//
// Failures, all without caching: no template, an unusable URL or an HTTP
// class that is no KRHttpTask (domain "KRURLService", code -1, on a later
// turn); a status outside 2xx (code: the status); a body that is neither a
// dictionary nor an array (code -1); a non-zero code at the task's
// errorCodeKeyPath, read as a 64-bit integer from a number or numeric text
// (0, missing or null: success; any other value: code -1), with the text at
// errorKeyPath or "" as description.
//
// Page 1 is cached per URL, under the key fixed when its request was sent;
// later pages never touch the cache. Withdrawing (cancelHandle for the task,
// cancelHandleForSource for its source or the task itself) removes its
// requests and anything of theirs still on its way. Logged URLs and bodies
// are redacted and cut to 1 KB. Main queue only.

#include "framework/core/IKRHttpTask.h"
#include "framework/db/KRDownlinkService.h"

#include <vector>

class IKRURLDownlinkTask;
class KRURLServiceItem;

class KRURLService : public KRDownlinkService, public IKRHttpTaskDelegate {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;
    // Page 1 of a URL task: the MD5 of its full URL; nothing when it has none.
    std::optional<std::string> dataKey(const pf::ObjectRef& task, const pf::Protocol* taskType) override;

    // The full URL of the task's current page, or nothing.
    std::optional<std::string> urlForTask(IKRURLDownlinkTask& task);
    // A server error in the answer, by the task's key paths; nothing: success.
    static std::optional<pf::Error> errorByResponseBody(const pf::Value& body, IKRURLDownlinkTask& task);

    void krHttpTaskDidLoaded(KRHttpTask& task) override;
    void krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error) override;
    bool hasKrHttpTaskDidLoading() const override { return false; }

    // Requests not yet answered, withdrawn or delivered (zero once idle).
    std::size_t itemCount() const { return m_items.size(); }

private:
    std::shared_ptr<KRURLServiceItem> takeItem(const KRHttpTask& httpTask);
    void withdraw(const std::shared_ptr<KRURLServiceItem>& item);
    void failLater(const std::shared_ptr<KRURLServiceItem>& item, pf::Error error);
    void didLoaded(const std::shared_ptr<KRURLServiceItem>& item, const pf::Value& body, int status);

    std::vector<std::shared_ptr<KRURLServiceItem>> m_items;
};
