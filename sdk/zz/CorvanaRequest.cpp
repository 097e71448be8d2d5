#include "sdk/zz/CorvanaRequest.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/graphics/Image.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/URLConnection.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/URLTools.h"

namespace {

bool isFileValue(const pf::Value& value)
{
    return value.isData() || value.objectAs<pf::Image>() != nullptr;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void append(pf::Bytes& body, std::string_view text)
{
    body.insert(body.end(), text.begin(), text.end());
}

// A name inside a quoted header parameter: quotes escaped the way form
// submissions do, so a name cannot end the parameter early.
std::string quotedName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        if (c == '"')
            out += "%22";
        else
            out += c;
    }
    return out;
}

std::string formPairs(const pf::DictionaryRef& params)
{
    std::string pairs;
    if (!params)
        return pairs;
    for (const auto& [key, value] : *params) {
        if (isFileValue(value))
            continue;
        if (!pairs.empty())
            pairs += '&';
        pairs += key;
        pairs += '=';
        pairs += URLTools::escape(value.description());
    }
    return pairs;
}

std::optional<std::string> nonEmptyString(const pf::DictionaryRef& params, std::string_view key)
{
    if (!params)
        return std::nullopt;
    pf::Value value = params->get(key);
    const std::string* text = value.string();
    return text && !text->empty() ? std::optional<std::string>(*text) : std::nullopt;
}

}

std::shared_ptr<CorvanaRequest> CorvanaRequest::getRequestWithParams(const pf::DictionaryRef& params,
                                                                     const std::string& httpMethod,
                                                                     std::weak_ptr<CorvanaRequestDelegate> delegate,
                                                                     const std::string& requestURL)
{
    auto request = std::make_shared<CorvanaRequest>();
    request->m_delegate = std::move(delegate);
    request->m_url = requestURL;
    request->m_httpMethod = httpMethod;
    for (const auto& [key, value] : params ? *params : pf::Dictionary())
        request->params()->set(key, value);
    return request;
}

std::string CorvanaRequest::serializeURL(const std::string& url, const pf::DictionaryRef& params,
                                         const std::string&)
{
    std::string separator = url.find('?') != std::string::npos ? "&" : "?";
    return url + separator + formPairs(params);
}

CorvanaRequest::~CorvanaRequest()
{
    if (m_connection)
        m_connection->cancel();
}

const pf::DictionaryRef& CorvanaRequest::params()
{
    if (!m_params)
        m_params = std::make_shared<pf::Dictionary>();
    return m_params;
}

const pf::DictionaryRef& CorvanaRequest::httpHeaders()
{
    if (!m_httpHeaders)
        m_httpHeaders = std::make_shared<pf::Dictionary>();
    return m_httpHeaders;
}

bool CorvanaRequest::loading() const { return m_connection != nullptr; }

std::optional<std::string> CorvanaRequest::unsafeParameter() const
{
    if (!m_params)
        return std::nullopt;
    for (const auto& [key, value] : *m_params) {
        if (hasLineBreak(key))
            return key;
        bool lineField = key == "uin" || key == "skey" || key == "filename";
        if (lineField && value.string() && hasLineBreak(*value.string()))
            return key;
    }
    return std::nullopt;
}

void CorvanaRequest::connect()
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->requestLoading(*this);

    if (auto unsafe = unsafeParameter()) {
        // Header fields and body parts are split at line breaks: such a text
        // would smuggle fields of its own, so nothing is sent.
        CorvanaError error = formError(kGenericErrorCode, pf::Dictionary::create({
            { "error_msg", "parameter \"" + *unsafe + "\" holds a line break" } }));
        std::weak_ptr<CorvanaRequest> weak = self;
        pf::RunLoop::main().post([weak, error] {
            if (auto request = weak.lock())
                request->failWithError(error);
        });
        return;
    }

    bool isGet = m_httpMethod == "GET";
    pf::HttpRequest http(isGet ? serializeURL(m_url, m_params, m_httpMethod) : m_url,
                            pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, m_timeout);
    http.setValue(std::string(kUserAgent), "User-Agent");
    http.setHttpMethod(m_httpMethod);
    auto skey = nonEmptyString(m_params, "skey");
    auto uin = nonEmptyString(m_params, "uin");
    if (skey && uin)
        http.setValue("_uin=" + *uin + ";_oskey=" + *skey, "Cookie");
    if (m_httpHeaders) {
        for (const auto& [field, value] : *m_httpHeaders) {
            if (value.isString() && !hasLineBreak(field) && !hasLineBreak(*value.string()))
                http.setValue(*value.string(), field);
        }
    }
    if (m_httpMethod == "POST") {
        bool multipart = false;
        for (const auto& entry : m_params ? *m_params : pf::Dictionary())
            multipart = multipart || isFileValue(entry.second);
        if (multipart) {
            http.setValue(std::string("multipart/form-data; boundary=") + kBoundary, "Content-Type");
            http.setHttpBody(generatePostBody());
        } else {
            http.setHttpBody(generateOtherPostBody());
        }
    }
    start(std::move(http));
}

void CorvanaRequest::connectWithRequest(pf::HttpRequest request)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->requestLoading(*this);
    start(std::move(request));
}

void CorvanaRequest::start(pf::HttpRequest http)
{
    std::weak_ptr<CorvanaRequest> weak = shared_from_this();
    pf::URLConnectionCallbacks callbacks;
    callbacks.response = [weak](const pf::HttpResponse& response) {
        auto request = weak.lock();
        if (!request)
            return;
        request->m_responseText.clear();
        auto expected = response.expectedContentLength();
        request->m_expectedLength = expected && *expected <= INT64_MAX ? static_cast<std::int64_t>(*expected) : -1;
        if (auto delegate = request->m_delegate.lock())
            delegate->requestDidReceiveResponse(*request, response);
    };
    callbacks.data = [weak](const pf::Bytes& chunk) {
        auto request = weak.lock();
        if (!request)
            return;
        if (request->m_responseText.size() + chunk.size() > kMaxAnswerSize) {
            request->m_connection->cancel();
            request->failWithError({ { pf::urlErrorDomain, -1103, "The answer is larger than 4 MiB" }, nullptr });
            return;
        }
        request->m_responseText.insert(request->m_responseText.end(), chunk.begin(), chunk.end());
        if (auto delegate = request->m_delegate.lock()) {
            auto size = static_cast<std::int64_t>(request->m_responseText.size());
            delegate->requestDidWriteData(*request, static_cast<std::int64_t>(chunk.size()), size,
                                          request->m_expectedLength);
        }
    };
    callbacks.bodySent = [weak](std::int64_t written, std::int64_t total, std::int64_t expected) {
        auto request = weak.lock();
        if (!request)
            return;
        if (auto delegate = request->m_delegate.lock())
            delegate->requestDidSendBodyData(*request, written, total, expected);
    };
    callbacks.finished = [weak] {
        if (auto request = weak.lock())
            request->finish();
    };
    callbacks.failed = [weak](const pf::Error& error) {
        if (auto request = weak.lock())
            request->failWithError({ pf::urlError(error), nullptr });
    };
    if (m_connection)
        m_connection->cancel();
    m_connection = pf::URLConnection::start(std::move(http), std::move(callbacks));
}

void CorvanaRequest::cancel()
{
    if (!m_connection)
        return;
    m_connection->cancel();
    m_delegate.reset();
}

void CorvanaRequest::finish()
{
    pf::Bytes body = std::move(m_responseText);
    m_responseText.clear();
    m_connection.reset();
    handleResponseData(body);
}

void CorvanaRequest::handleResponseData(const pf::Bytes& data)
{
    auto self = shared_from_this();
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    delegate->requestDidLoadRawResponse(*this, data);
    CorvanaError error;
    pf::Value result = parseJsonResponse(data, &error);
    if (!error.error.domain.empty()) {
        delegate->requestDidFailWithError(*this, error);
        return;
    }
    delegate->requestDidLoad(*this, result, data);
}

void CorvanaRequest::failWithError(const CorvanaError& error)
{
    auto self = shared_from_this();
    m_responseText.clear();
    m_connection.reset();
    if (auto delegate = m_delegate.lock())
        delegate->requestDidFailWithError(*this, error);
}

CorvanaError CorvanaRequest::formError(long long code, pf::DictionaryRef userInfo)
{
    if (!userInfo)
        userInfo = pf::Dictionary::create({ { "error_msg", "This operation can not be completed" } });
    std::string description = userInfo->get("error_msg").stringOr(userInfo->get("error").stringOr());
    return { { kErrorDomain, code, description }, std::move(userInfo) };
}

pf::Value CorvanaRequest::parseJsonResponse(const pf::Bytes& data, CorvanaError* error)
{
    std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    std::optional<std::string> text;
    if (data.size() <= kMaxAnswerSize)
        text = pf::isValidUtf8(raw) ? std::optional<std::string>(std::string(raw)) : pf::gb18030ToUtf8(raw);
    if (!text) {
        if (error)
            *error = formError(kGenericErrorCode, pf::Dictionary::create({
                { "error_msg", "The answer is not text the SDK can read" } }));
        return {};
    }
    if (*text == "true")
        return pf::Dictionary::create({ { "result", "true" } });
    if (*text == "false") {
        if (error)
            *error = formError(kGenericErrorCode, nullptr);
        return {};
    }
    CVOSDKEZJSONParser parser;
    pf::Value parsed = parser.objectWithString(*text);
    auto dictionary = parsed.dictionary();
    if (!dictionary)
        return parsed.isArray() ? parsed : pf::Value();
    if (dictionary->contains("error")) {
        if (error)
            *error = formError(kGenericErrorCode, dictionary);
        return {};
    }
    if (dictionary->contains("error_code")) {
        if (error)
            *error = formError(dictionary->get("error_code").longLongValue(), dictionary);
        return {};
    }
    if (error && (dictionary->contains("error_msg") || dictionary->contains("error_reason")))
        *error = formError(kGenericErrorCode, dictionary);
    return parsed;
}

pf::Bytes CorvanaRequest::generateOtherPostBody() const
{
    std::string pairs = formPairs(m_params);
    return pf::Bytes(pairs.begin(), pairs.end());
}

pf::Bytes CorvanaRequest::generatePostBody() const
{
    const std::string boundary = kBoundary;
    const std::string separator = "\r\n--" + boundary + "\r\n";
    pf::Bytes body;
    append(body, "--" + boundary + "\r\n");
    bool first = true;
    std::string fileName;
    std::vector<std::pair<std::string, pf::Value>> files;
    for (const auto& [key, value] : m_params ? *m_params : pf::Dictionary()) {
        if (isFileValue(value)) {
            files.emplace_back(key, value);
            continue;
        }
        if (key == "filename" && value.isString()) {
            fileName = *value.string();
            continue;
        }
        if (!first)
            append(body, separator);
        first = false;
        append(body, "Content-Disposition: form-data; name=\"" + quotedName(key) + "\"\r\n\r\n");
        append(body, value.description());
    }
    if (fileName.empty())
        fileName = "picture";
    for (const auto& [key, value] : files) {
        if (!first)
            append(body, separator);
        first = false;
        append(body, "Content-Disposition: form-data; name=\"" + quotedName(key) + "\"; filename=\"" +
                         quotedName(fileName) + "\"\r\n");
        append(body, "Content-Type: image/jpeg\r\n\r\n");
        if (auto bytes = value.data()) {
            body.insert(body.end(), bytes->begin(), bytes->end());
        } else if (auto image = value.objectAs<pf::Image>()) {
            auto jpeg = image->jpegRepresentation(0.4);
            if (jpeg)
                body.insert(body.end(), jpeg->begin(), jpeg->end());
        }
    }
    append(body, "\r\n--" + boundary + "--\r\n");
    return body;
}
