#pragma once

// One HTTP exchange as a task on the bus. Its owner fills in a request (or
// lets its delegate build one at the last moment), chooses what the answer
// becomes (text, decoded JSON or a file in the resource cache) and hands it
// to the context as IKRHttpAPITask, IKRHttpUploadTask or IKRHttpResourceTask;
// KRHttpService runs it.
//
// The task ends with exactly one of krHttpTaskDidLoaded or
// krHttpTaskDidFailError, unless it is cancelled first (then with none).
// An HTTP error status is not a failure here: owners read response().
//
// Threads: the do…() operations run on the main queue, except the
// doBackground…() ones, which run on the exchange thread. The delegate is not
// owned and is only ever called on the main queue.
//
// Resource cache: the file of a URL is the temporary directory joined with
// the lower-case MD5 of the URL text; while downloading, the bytes go to the
// same path plus ".tmp". A ranged resume appends only to a 206 answer (any
// other answer restarts the file); only a 2xx answer replaces the cached
// file (a 304 keeps it); a file that cannot be written fails the task and
// leaves no partial file behind.

#include "framework/core/IKRHttpTask.h"
#include "framework/core/KRTask.h"

#include <atomic>
#include <cstdio>
#include <mutex>

enum class KRHttpResponseType : std::int32_t { None = 0, Text = 1, JSON = 2, ResourceFile = 3 };

class KRHttpTask : public KRTask, public virtual IKRHttpResourceTask {
public:
    KRHttpTask() = default;
    ~KRHttpTask() override;

    static std::string localResourcePathForURL(const std::string& url);
    static bool hasResourceForURL(const std::string& url);
    static bool isLoadingResourceForURL(const std::string& url);

    // IKRHttpTask
    std::optional<pf::HttpRequest> doWillRequeset() override;
    void doFailError(const pf::Error& error) override;
    void doLoaded() override;
    bool hasDoLoading() const override;
    void doLoading() override;
    bool hasDoResponse() const override;
    void doResponse() override;
    bool hasDoReceiveData() const override;
    void doReceiveData(const pf::Bytes& data) override;
    bool hasDoSendBodyDataBytes() const override;
    void doSendBodyDataBytesWritten(std::int64_t bytesWritten, std::int64_t totalBytesWritten) override;
    std::optional<pf::Error> doBackgroundResponse(const pf::HttpResponse& response) override;
    std::optional<pf::Error> doBackgroundReceiveData(const std::uint8_t* bytes, std::size_t length) override;
    void doBackgroundLoaded() override;
    void doBackgroundFailed() override;
    void doBackgroundAnswerLost() override;

    std::optional<pf::HttpRequest> request() const override;
    void setRequest(std::optional<pf::HttpRequest> request) override;
    // The request's URL without copying the whole request; nothing without one.
    std::optional<std::string> requestUrl() const;
    bool isAllowWillRequest() const override { return m_allowWillRequest; }
    void setAllowWillRequest(bool allow) { m_allowWillRequest = allow; }
    bool isAllowStatusCode302() const override { return m_allowStatusCode302; }
    void setAllowStatusCode302(bool allow) { m_allowStatusCode302 = allow; }

    // IKRHttpResourceTask
    bool allowCheckContentLength() const override { return m_allowCheckContentLength; }
    void setAllowCheckContentLength(bool allow) override { m_allowCheckContentLength = allow; }
    bool forceUpdateResource() const override { return m_forceUpdateResource; }
    void setForceUpdateResource(bool force) override { m_forceUpdateResource = force; }
    bool allowResume() const override { return m_allowResume; }
    void setAllowResume(bool allow) override { m_allowResume = allow; }

    std::shared_ptr<IKRHttpTaskDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<IKRHttpTaskDelegate> delegate) { m_delegate = std::move(delegate); }
    KRHttpResponseType responseType() const { return m_responseType; }
    void setResponseType(KRHttpResponseType type) { m_responseType = type; }
    // 1: decode text as GB 18030; anything else: by the answer's charset.
    std::int32_t responseEncoding() const { return m_responseEncoding; }
    void setResponseEncoding(std::int32_t encoding) { m_responseEncoding = encoding; }

    // Once loaded: the text (Text), the decoded value (JSON), nil when the
    // bytes were not text; the cache file path (ResourceFile) from the start.
    pf::Value responseBody() const;
    void setResponseBody(pf::Value body);
    // Once loaded (JSON): the text ended inside its outermost container, so
    // responseBody() holds only the part read.
    bool isResponseBodyCut() const { return m_responseBodyCut.load(); }
    // Once failed: the request had gone out whole and its answer was lost,
    // so the server may have acted on it (doBackgroundAnswerLost).
    bool isAnswerLost() const { return m_answerLost.load(); }
    std::optional<pf::HttpResponse> response() const;
    // The answer's status without copying its header fields; 0 before the answer.
    int statusCode() const;
    pf::Value userInfo() const;
    void setUserInfo(pf::Value userInfo);
    std::optional<std::string> contentType() const;

    std::uint64_t contentLength() const { return m_contentLength.load(); }
    std::uint64_t downloadLength() const { return m_downloadLength.load(); }
    std::uint64_t beginLength() const { return m_beginLength.load(); }

private:
    void removePartialFile();
    void closePartialFile();

    bool m_allowCheckContentLength = false;
    bool m_forceUpdateResource = false;
    bool m_allowResume = false;
    bool m_allowWillRequest = false;
    bool m_allowStatusCode302 = false;
    std::weak_ptr<IKRHttpTaskDelegate> m_delegate;
    KRHttpResponseType m_responseType = KRHttpResponseType::None;
    std::int32_t m_responseEncoding = 0;

    mutable std::mutex m_mutex; // guards the five fields below
    std::optional<pf::HttpRequest> m_request;
    pf::Value m_responseBody;
    std::optional<pf::HttpResponse> m_response;
    pf::Value m_userInfo;
    std::optional<std::string> m_contentType;

    std::atomic<std::uint64_t> m_contentLength = 0;
    std::atomic<std::uint64_t> m_downloadLength = 0;
    std::atomic<std::uint64_t> m_beginLength = 0;
    std::atomic<bool> m_responseBodyCut = false;
    std::atomic<bool> m_answerLost = false;

    // Exchange thread only. Text and JSON bodies collect as text, so they
    // are decoded where they arrived.
    std::string m_received;
    std::FILE* m_partialFile = nullptr;
    std::string m_resourcePath;
    bool m_storeBody = false; // false for answers whose body must not reach the file
};
