#include "framework/core/KRHttpTask.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/util/file_time.h"
#include "framework/util/md5.h"
#include "framework/util/text_helpers.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/URL.h"
#include "platform/net/HttpRequest.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace proto {

const pf::Protocol* IKRHttpUploadTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRHttpUploadTask", {proto::IKRHttpTask()});
    return p;
}

const pf::Protocol* IKRHttpResourceTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRHttpResourceTask", {proto::IKRHttpTask()});
    return p;
}

}

void IKRHttpTaskDelegate::krHttpTaskWillRequest(KRHttpTask&) {}
void IKRHttpTaskDelegate::krHttpTaskDidFailError(KRHttpTask&, const pf::Error&) {}
void IKRHttpTaskDelegate::krHttpTaskDidLoaded(KRHttpTask&) {}
void IKRHttpTaskDelegate::krHttpTaskDidLoading(KRHttpTask&) {}
void IKRHttpTaskDelegate::krHttpTaskDidResponse(KRHttpTask&) {}
void IKRHttpTaskDelegate::krHttpTaskDidReceiveData(KRHttpTask&, const pf::Bytes&, std::uint64_t, std::uint64_t) {}
void IKRHttpTaskDelegate::krHttpTaskDidSendBodyDataBytesWritten(KRHttpTask&, std::int64_t, std::int64_t) {}

namespace {

pf::Error notFoundFile()
{
    return pf::Error{"KRHttpTask", -4, "not found file"};
}

pf::Error writeFailed(const std::string& path, int error)
{
    return pf::Error{"KRHttpTask", -5, "cannot write " + path + ": " + std::strerror(error)};
}

// A text or JSON answer is held whole in memory until decoded; the app's
// answers are far smaller, so a longer one is a broken or hostile server.
constexpr std::size_t kMaxAnswerText = 16u << 20;

// Cache and partial files live in a folder only this user can enter, but a
// link planted there must still never be followed: it is removed instead.
bool cacheFileExists(const std::string& path)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode)) {
        ::unlink(path.c_str());
        return false;
    }
    return S_ISREG(info.st_mode);
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// Opens the partial file for writing without following a link, creating it
// private to this user: emptied for a fresh download, appended to for a
// resumed one.
std::FILE* openPartialFile(const std::string& path, bool append)
{
    cacheFileExists(path); // drops a link found there
    auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        pf::createDirectories(path.substr(0, slash));
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, append ? "ab" : "wb");
    if (!file)
        ::close(fd);
    return file;
}

std::string partialPath(const std::string& path)
{
    return path + ".tmp";
}

// Whether `text` holds `needle` in any ASCII letter case; the answer's
// content type is looked at this way on every exchange.
bool containsIgnoringCase(std::string_view text, std::string_view needle)
{
    for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
        if (pf::equalsIgnoringCase(text.substr(at, needle.size()), needle))
            return true;
    }
    return false;
}

std::string lowercased(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}

KRHttpTask::~KRHttpTask()
{
    closePartialFile();
}

std::string KRHttpTask::localResourcePathForURL(const std::string& url)
{
    char digest[33];
    md5_hex(url.data(), url.size(), digest);
    return pf::temporaryDirectory() + "/" + digest;
}

bool KRHttpTask::hasResourceForURL(const std::string& url)
{
    return cacheFileExists(localResourcePathForURL(url));
}

bool KRHttpTask::isLoadingResourceForURL(const std::string& url)
{
    return cacheFileExists(partialPath(localResourcePathForURL(url)));
}

std::optional<pf::HttpRequest> KRHttpTask::request() const
{
    std::lock_guard lock(m_mutex);
    return m_request;
}

void KRHttpTask::setRequest(std::optional<pf::HttpRequest> request)
{
    std::lock_guard lock(m_mutex);
    m_request = std::move(request);
}

std::optional<std::string> KRHttpTask::requestUrl() const
{
    std::lock_guard lock(m_mutex);
    return m_request ? std::optional<std::string>(m_request->url()) : std::nullopt;
}

pf::Value KRHttpTask::responseBody() const
{
    std::lock_guard lock(m_mutex);
    return m_responseBody;
}

void KRHttpTask::setResponseBody(pf::Value body)
{
    std::lock_guard lock(m_mutex);
    m_responseBody = std::move(body);
}

std::optional<pf::HttpResponse> KRHttpTask::response() const
{
    std::lock_guard lock(m_mutex);
    return m_response;
}

int KRHttpTask::statusCode() const
{
    std::lock_guard lock(m_mutex);
    return m_response ? m_response->statusCode() : 0;
}

pf::Value KRHttpTask::userInfo() const
{
    std::lock_guard lock(m_mutex);
    return m_userInfo;
}

void KRHttpTask::setUserInfo(pf::Value userInfo)
{
    std::lock_guard lock(m_mutex);
    m_userInfo = std::move(userInfo);
}

std::optional<std::string> KRHttpTask::contentType() const
{
    std::lock_guard lock(m_mutex);
    return m_contentType;
}

std::optional<pf::HttpRequest> KRHttpTask::doWillRequeset()
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskWillRequest(*this);
    auto current = request();
    if (m_responseType != KRHttpResponseType::ResourceFile || !current)
        return current;

    const std::string& urlText = current->url();
    if (auto url = pf::URL::create(urlText); url && url->scheme() == "file") {
        std::string path = url->path();
        setResponseBody(path);
        if (pf::fileExists(path))
            doLoaded();
        else
            doFailError(notFoundFile());
        return std::nullopt;
    }

    std::string path = localResourcePathForURL(urlText);
    setResponseBody(path);
    m_resourcePath = path;
    bool cached = cacheFileExists(path);
    if (cached && !m_forceUpdateResource) {
        doLoaded();
        return std::nullopt;
    }
    if (m_allowResume && cacheFileExists(partialPath(path))) {
        pf::HttpRequest ranged(urlText, current->cachePolicy(), current->timeoutInterval());
        std::uint64_t size = fileSize(partialPath(path));
        m_beginLength = size;
        ranged.setValue("bytes=" + std::to_string(size) + "-", "Range");
        return ranged;
    }
    if (cached) {
        pf::HttpRequest revalidation(urlText, current->cachePolicy(), current->timeoutInterval());
        for (const auto& [name, value] : current->allHTTPHeaderFields())
            revalidation.addValue(value, name);
        char date[128];
        http_date_format(file_mtime(path.c_str()), date, sizeof date);
        revalidation.setValue(std::string(date), "If-Modified-Since");
        return revalidation;
    }
    return current;
}

void KRHttpTask::doFailError(const pf::Error& error)
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskDidFailError(*this, error);
}

void KRHttpTask::doLoaded()
{
    auto self = shared_from_this();
    auto d = delegate();
    if (m_responseType == KRHttpResponseType::ResourceFile) {
        auto path = responseBody().stringValue();
        if (!path || !pf::fileExists(*path)) {
            if (d)
                d->krHttpTaskDidFailError(*this, notFoundFile());
            return;
        }
    }
    if (d)
        d->krHttpTaskDidLoaded(*this);
}

void KRHttpTask::doLoading()
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskDidLoading(*this);
}

bool KRHttpTask::hasDoLoading() const
{
    auto d = delegate();
    return d && d->hasKrHttpTaskDidLoading();
}

bool KRHttpTask::hasDoResponse() const
{
    auto d = delegate();
    return d && d->hasKrHttpTaskDidResponse();
}

void KRHttpTask::doResponse()
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskDidResponse(*this);
}

bool KRHttpTask::hasDoReceiveData() const
{
    auto d = delegate();
    return d && d->hasKrHttpTaskDidReceiveData();
}

void KRHttpTask::doReceiveData(const pf::Bytes& data)
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskDidReceiveData(*this, data, downloadLength() + beginLength(), contentLength() + beginLength());
}

bool KRHttpTask::hasDoSendBodyDataBytes() const
{
    auto d = delegate();
    return d && d->hasKrHttpTaskDidSendBodyData();
}

void KRHttpTask::doSendBodyDataBytesWritten(std::int64_t bytesWritten, std::int64_t totalBytesWritten)
{
    auto self = shared_from_this();
    if (auto d = delegate())
        d->krHttpTaskDidSendBodyDataBytesWritten(*this, bytesWritten, totalBytesWritten);
}

std::optional<pf::Error> KRHttpTask::doBackgroundResponse(const pf::HttpResponse& response)
{
    {
        std::lock_guard lock(m_mutex);
        m_response = response;
        m_contentType = response.valueForHTTPHeaderField("Content-Type");
    }
    m_contentLength = response.expectedContentLength().value_or(0);
    m_downloadLength = 0;
    m_received.clear();
    if (m_responseType != KRHttpResponseType::ResourceFile)
        return std::nullopt;

    // Only a successful answer's body is the resource; an error page must not
    // become the cached file, and must not spoil a partial file either.
    m_storeBody = response.isSuccessful();
    if (!m_storeBody)
        return std::nullopt;
    std::string partial = partialPath(m_resourcePath);
    bool append = m_beginLength.load() > 0 && response.statusCode() == 206;
    if (!append)
        m_beginLength = 0; // the server ignored the range: start over
    closePartialFile();
    m_partialFile = openPartialFile(partial, append);
    if (!m_partialFile) {
        int error = errno;
        removePartialFile();
        return writeFailed(partial, error);
    }
    return std::nullopt;
}

std::optional<pf::Error> KRHttpTask::doBackgroundReceiveData(const std::uint8_t* bytes, std::size_t length)
{
    m_downloadLength += length;
    switch (m_responseType) {
    case KRHttpResponseType::Text:
    case KRHttpResponseType::JSON:
        if (length > kMaxAnswerText - m_received.size()) {
            // The server has answered, so it may have acted on the request:
            // what came of it is unknown, not failed.
            m_answerLost = true;
            m_received = std::string();
            return pf::Error{"KRHttpTask", -6, "answer longer than 16 MiB"};
        }
        m_received.append(reinterpret_cast<const char*>(bytes), length);
        break;
    case KRHttpResponseType::ResourceFile:
        if (!m_storeBody)
            break;
        if (!m_partialFile || std::fwrite(bytes, 1, length, m_partialFile) != length) {
            int error = m_partialFile ? errno : EBADF;
            removePartialFile();
            return writeFailed(partialPath(m_resourcePath), error);
        }
        break;
    case KRHttpResponseType::None:
        break;
    }
    return std::nullopt;
}

void KRHttpTask::doBackgroundLoaded()
{
    if (m_responseType == KRHttpResponseType::Text || m_responseType == KRHttpResponseType::JSON) {
        bool gb18030 = m_responseEncoding == 1;
        if (!gb18030) {
            std::lock_guard lock(m_mutex);
            gb18030 = m_contentType && containsIgnoringCase(*m_contentType, "charset=gbk");
        }
        std::optional<std::string> text;
        if (gb18030)
            text = pf::gb18030ToUtf8(m_received);
        else if (pf::isValidUtf8(m_received))
            text = std::move(m_received);
        m_received = std::string();
        if (m_responseType == KRHttpResponseType::Text)
            setResponseBody(text ? pf::Value(std::move(*text)) : pf::Value());
        else if (text) {
            auto decoded = KRJSON::decodeTextAndEnd(*text);
            m_responseBodyCut = !decoded.value.isNil() && !decoded.closed;
            setResponseBody(std::move(decoded.value));
        } else {
            setResponseBody(pf::Value());
        }
        return;
    }
    if (m_responseType != KRHttpResponseType::ResourceFile || !m_storeBody)
        return; // a 304 or an error status keeps whatever was cached

    std::string partial = partialPath(m_resourcePath);
    if (m_partialFile) {
        bool flushed = std::fflush(m_partialFile) == 0;
        closePartialFile();
        if (!flushed) {
            std::remove(partial.c_str());
            return;
        }
    }
    // A decoded body is longer than the "Content-Length" of its encoding, so
    // the length says nothing then.
    auto response = this->response();
    bool encoded = response && response->valueForHTTPHeaderField("Content-Encoding")
                   && lowercased(*response->valueForHTTPHeaderField("Content-Encoding")) != "identity";
    std::uint64_t expected = encoded ? 0 : contentLength();
    bool complete = expected == 0 || expected == downloadLength();
    if (!m_allowResume && m_allowCheckContentLength && !complete) {
        std::remove(partial.c_str());
        return;
    }
    if (m_allowResume && !complete)
        return; // continued with "Range" next time
    // rename() replaces an older cached file in one step.
    if (std::rename(partial.c_str(), m_resourcePath.c_str()) != 0)
        std::remove(partial.c_str());
}

void KRHttpTask::doBackgroundFailed()
{
    closePartialFile();
    if (m_responseType == KRHttpResponseType::ResourceFile && !m_resourcePath.empty() && !m_allowResume && m_storeBody)
        std::remove(partialPath(m_resourcePath).c_str());
    m_received.clear();
}

void KRHttpTask::doBackgroundAnswerLost()
{
    m_answerLost = true;
}

void KRHttpTask::closePartialFile()
{
    if (m_partialFile) {
        std::fclose(m_partialFile);
        m_partialFile = nullptr;
    }
}

void KRHttpTask::removePartialFile()
{
    closePartialFile();
    if (!m_resourcePath.empty())
        std::remove(partialPath(m_resourcePath).c_str());
}
