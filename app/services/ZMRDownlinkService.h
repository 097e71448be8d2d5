#pragma once

// The application's list service: turns any IZMRDownlinkTask (a list data
// source) into a request to the application server whose server task name
// and items come from the task, shows the cached first page at once when the
// task allows it, and hands the answer, or a failure, back to the task.
//
// The request form is "config", "taskType", then "zmr-<key>" for each query
// value in sorted key order, so equal lists give equal forms. The cache key
// is the signed-in user id (or "anon") and the MD5 of that form: one user
// never sees another's cached lists. Only page 1 of a list that allows
// caching is read from or written to the cache, and a refresh skips the
// cached delivery but still stores the fresh page. Failures (the server's
// error, no answer, an answer that is not a dictionary) reach the task as
// errors of domain "ZMRDownlinkService" and leave the cache alone; those
// without results read as ZMRAnswer.h says, while JSON that is not a
// dictionary (an array) is code 0 with the description "".
//
// Whether an answer is cached, and under which key, is fixed when its request
// is sent: a list that moved on to another page meanwhile cannot store page 2
// as its first page. An answer whose request was withdrawn is dropped, and
// one that arrives after the signed-in user changed is delivered but not
// cached. Main queue only; the cache works on the shared cache queue.

#include "framework/db/KRDownlinkService.h"

class KRHttpFormBody;

class ZMRDownlinkService final : public KRDownlinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;
    std::optional<std::string> dataKey(const pf::ObjectRef& task, const pf::Protocol* taskType) override;

    // Requests sent and neither answered nor withdrawn (zero once idle).
    std::size_t pendingRequestCount() const { return m_requests.size(); }

private:
    // What was decided when a request was sent.
    struct Request {
        std::weak_ptr<pf::Object> task;
        std::optional<std::string> cacheKey; // nothing: the answer is not stored
        std::string askedAs;                 // userPart() at sending
    };

    void answer(const pf::ObjectRef& response);
    // "anon" or "u<uid>" of the signed-in user now.
    std::string userPart() const;

    // By a serial that travels with the request and is never reused.
    std::unordered_map<std::uint64_t, Request> m_requests;
    std::uint64_t m_nextSerial = 1;
};
