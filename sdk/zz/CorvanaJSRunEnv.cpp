#include "sdk/zz/CorvanaJSRunEnv.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLCache.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaURLCache.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/URLTools.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Nothing for a broken escape or bytes that are not UTF-8.
std::optional<std::string> percentDecoded(std::string_view text)
{
    std::optional<std::string> out = pf::percentDecode(text);
    if (!out || !pf::isValidUtf8(*out))
        return std::nullopt;
    return out;
}

bool hasSchemePrefix(std::string_view url, std::string_view prefix)
{
    if (url.size() < prefix.size())
        return false;
    if (url.compare(0, prefix.size(), prefix) == 0)
        return true; // as scripts write it
    for (std::size_t i = 0; i < prefix.size(); i++) {
        char c = url[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The leading integer of the text (blanks, sign, digits), clamped to int.
int clampedInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// The leading number of the text, never infinite or not a number.
double clampedReal(const std::string& text, double limit)
{
    double value = std::strtod(text.c_str(), nullptr);
    if (std::isnan(value))
        return 0;
    return std::fmax(-limit, std::fmin(limit, value));
}

std::string formatted(const char* format, double value)
{
    int length = std::snprintf(nullptr, 0, format, value);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, format, value);
    return out;
}

}

std::shared_ptr<CorvanaJSRunEnv> CorvanaJSRunEnv::initWithWebView(std::shared_ptr<pf::WebView> webView,
                                                                  const std::string&,
                                                                  std::weak_ptr<pf::WebViewDelegate> delegate)
{
    if (!webView || !webView->scriptContext())
        return nullptr;
    std::shared_ptr<CorvanaJSRunEnv> runEnv(new CorvanaJSRunEnv(std::move(webView)));
    runEnv->m_delegate = std::move(delegate);
    runEnv->m_webview->setDelegate(runEnv);
    // Systems of version 4 want a document in the view before scripts run in it.
    if (OpenApi::js_getSystemOSVersion() == 4)
        runEnv->m_webview->loadHTMLString(
            "<!DOCTYPE html><html><head><meta content='text/html' charset='utf-8'/></head><body></body></html>", "");
    pf::URLCache::setShared(std::make_shared<CorvanaURLCache>());
    return runEnv;
}

void CorvanaJSRunEnv::webViewDidStartLoad(pf::WebView& webView)
{
    if (auto delegate = m_delegate.lock())
        delegate->webViewDidStartLoad(webView);
}

void CorvanaJSRunEnv::webViewDidFinishLoad(pf::WebView& webView)
{
    if (auto delegate = m_delegate.lock())
        delegate->webViewDidFinishLoad(webView);
}

void CorvanaJSRunEnv::webViewDidFailLoadWithError(pf::WebView& webView, const pf::Error& error)
{
    if (auto delegate = m_delegate.lock())
        delegate->webViewDidFailLoadWithError(webView, error);
}

bool CorvanaJSRunEnv::registNativeObj(const std::shared_ptr<CorvanaJSObject>& module)
{
    if (!module || !module->registerObj() || module->jsObjKey().empty())
        return false;
    std::shared_ptr<CorvanaJSObject>& slot = m_nativeObjPool[module->jsObjKey()];
    if (slot != module)
        retire(std::move(slot));
    slot = module;
    auto list = pf::Array::create();
    for (const CorvanaMethodDescription& method : module->methodList())
        list->add(pf::Dictionary::create({{"funcName", method.jsMethodKey()}, {"argNum", method.funcArgumentNumber()}}));
    CVOSDKEZJSONWriter writer;
    if (std::optional<std::string> json = writer.stringWithFragment(pf::Value(list)))
        m_webview->callScriptFunction("SendCmd.createClass", {module->jsObjKey(), *json});
    return true;
}

bool CorvanaJSRunEnv::removeRegistObjForKey(const std::string& key)
{
    auto found = m_nativeObjPool.find(key);
    if (found != m_nativeObjPool.end()) {
        retire(std::move(found->second));
        m_nativeObjPool.erase(found);
    }
    return true;
}

void CorvanaJSRunEnv::retire(std::shared_ptr<CorvanaJSObject>&& module)
{
    if (m_dispatchDepth > 0 && module)
        m_retired.push_back(std::move(module));
    module.reset();
}

// Counts the dispatches running; the outermost lets go of the modules
// retired meanwhile when it ends.
class CorvanaJSRunEnv::Dispatching {
public:
    explicit Dispatching(CorvanaJSRunEnv& runEnv) : m_runEnv(runEnv) { ++runEnv.m_dispatchDepth; }
    ~Dispatching()
    {
        if (--m_runEnv.m_dispatchDepth == 0 && !m_runEnv.m_retired.empty()) {
            auto retired = std::move(m_runEnv.m_retired);
            m_runEnv.m_retired.clear();
        }
    }
    Dispatching(const Dispatching&) = delete;
    Dispatching& operator=(const Dispatching&) = delete;

private:
    CorvanaJSRunEnv& m_runEnv;
};

std::shared_ptr<CorvanaJSObject> CorvanaJSRunEnv::registeredObject(const std::string& key) const
{
    auto found = m_nativeObjPool.find(key);
    return found == m_nativeObjPool.end() ? nullptr : found->second;
}

bool CorvanaJSRunEnv::webViewShouldStartLoadWithRequest(pf::WebView& webView, const std::string& url)
{
    constexpr std::string_view prefix = "corvanajsbridge://";
    if (!hasSchemePrefix(url, prefix)) {
        if (auto delegate = m_delegate.lock())
            return delegate->webViewShouldStartLoadWithRequest(webView, url);
        return true;
    }
    // Not held here, though a native method may drop the last other owner:
    // the caller holds the runtime for the call, as the web view does with
    // its delegate.
    std::string_view rest = std::string_view(url).substr(prefix.size());
    rest = rest.substr(0, rest.find('#'));
    std::size_t question = rest.find('?');
    std::string_view query = question == std::string_view::npos ? std::string_view() : rest.substr(question + 1);
    std::string_view location = rest.substr(0, question);
    std::size_t slash = location.find('/');
    std::string_view host = location.substr(0, slash);
    std::string_view function = slash == std::string_view::npos ? std::string_view() : location.substr(slash + 1);

    auto found = m_nativeObjPool.find(host);
    if (found == m_nativeObjPool.end())
        return false;
    // The method may register or remove modules: one taken out of the pool
    // meanwhile is kept until the dispatch ends.
    Dispatching dispatching(*this);
    const CorvanaJSObject& module = *found->second;
    const CorvanaMethodDescription* method = findMethodIn(module, function);
    if (!method)
        return false;
    // The spare vector's room serves the arguments and then the answer; it
    // is taken out while in use, so a call that comes back in here makes
    // its own.
    std::vector<pf::Value> arguments = std::move(m_spareValues);
    arguments.clear();
    if (method->attribute()) {
        const std::vector<int>& codes = *method->attribute();
        arguments.reserve(codes.size());
        pf::forEachQueryPiece(query, [&](std::string_view, std::string_view value) {
            if (arguments.size() < codes.size())
                arguments.push_back(decodeArgument(codes[arguments.size()], percentDecoded(value)));
        });
        while (arguments.size() < codes.size())
            arguments.push_back(decodeArgument(codes[arguments.size()], std::nullopt));
    }
    // The module is kept and its declared methods never move, so the method
    // outlives its own call even when it registers or declares more.
    std::optional<pf::Value> result = method->callable()(arguments);
    arguments.clear();
    if (!result) {
        keepSpare(std::move(arguments));
        return false;
    }
    // Moved in: a braced list would copy the answer's text once more. A
    // text answered as text, the most common answer, is already encoded.
    std::vector<pf::Value>& answer = arguments;
    if (method->returnType() == static_cast<int>(CorvanaType::String) && result->isString())
        answer.push_back(std::move(*result));
    else
        answer.push_back(encodeResult(method->returnType(), std::move(*result)));
    m_webview->callScriptFunction("SendCmd.setReturnValue", answer);
    answer.clear();
    keepSpare(std::move(answer));
    return true;
}

void CorvanaJSRunEnv::keepSpare(std::vector<pf::Value>&& values)
{
    if (values.capacity() <= spareValuesLimit && values.capacity() > m_spareValues.capacity())
        m_spareValues = std::move(values);
}

std::vector<std::string> CorvanaJSRunEnv::parseQueryParams(std::string_view query)
{
    std::vector<std::string> values;
    pf::forEachQueryPiece(query, [&](std::string_view, std::string_view value) { values.emplace_back(value); });
    return values;
}

const CorvanaMethodDescription* CorvanaJSRunEnv::findMethodIn(const CorvanaJSObject& module, std::string_view jsFunc)
{
    for (const CorvanaMethodDescription& method : module.methodList()) {
        if (method.jsMethodKey() == jsFunc)
            return &method;
    }
    return nullptr;
}

std::optional<std::string> CorvanaJSRunEnv::dicToJson(const pf::Value& value)
{
    CVOSDKEZJSONWriter writer;
    return writer.stringWithFragment(value);
}

pf::DictionaryRef CorvanaJSRunEnv::jsonToDic(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return nullptr;
    CVOSDKEZJSONParser parser;
    return parser.objectWithString(*text).dictionary();
}

pf::ArrayRef CorvanaJSRunEnv::jsArrayToNSArray(const std::optional<std::string>& text)
{
    if (!text || text->size() < 2)
        return nullptr;
    auto array = pf::Array::create();
    std::string_view inner = std::string_view(*text).substr(1, text->size() - 2);
    std::size_t start = 0;
    while (start <= inner.size()) {
        std::size_t end = inner.find(',', start);
        if (end == std::string_view::npos)
            end = inner.size();
        array->add(std::string(inner.substr(start, end - start)));
        start = end + 1;
    }
    return array;
}

pf::Value CorvanaJSRunEnv::decodeArgument(int code, std::optional<std::string> text) const
{
    const std::string empty;
    const std::string& value = text ? *text : empty;
    switch (static_cast<CorvanaType>(code)) {
    case CorvanaType::String: return text ? pf::Value(std::move(*text)) : pf::Value();
    case CorvanaType::Dictionary: return pf::Value(jsonToDic(text));
    case CorvanaType::Array: return pf::Value(jsArrayToNSArray(text));
    case CorvanaType::Bool: return pf::Value(value == "true");
    case CorvanaType::Int: return pf::Value(clampedInt(value));
    case CorvanaType::Float: return pf::Value(static_cast<float>(clampedReal(value, FLT_MAX)));
    case CorvanaType::Double: return pf::Value(clampedReal(value, DBL_MAX));
    case CorvanaType::Object: {
        std::shared_ptr<CorvanaJSObject> module = text ? registeredObject(*text) : nullptr;
        return module ? pf::Value(module->registerObj()) : pf::Value();
    }
    default: return pf::Value();
    }
}

pf::Value CorvanaJSRunEnv::encodeResult(int code, pf::Value result)
{
    std::optional<std::string> text;
    switch (static_cast<CorvanaType>(code)) {
    case CorvanaType::String:
        if (result.isString())
            return result;
        text = result.stringValue();
        break;
    case CorvanaType::Dictionary: text = result.isNilOrNull() ? std::nullopt : dicToJson(result); break;
    case CorvanaType::Array:
        if (pf::ArrayRef array = result.array()) {
            std::string joined;
            for (std::size_t i = 0; i < array->count(); i++) {
                if (i > 0)
                    joined += ',';
                joined += array->at(i).description();
            }
            text = joined;
        }
        break;
    case CorvanaType::Bool: text = result.boolValue() ? "true" : "false"; break;
    case CorvanaType::Int: text = std::to_string(result.intValue()); break;
    case CorvanaType::Float:
    case CorvanaType::Double: text = formatted("%f", result.doubleValue()); break;
    default: break;
    }
    return text ? pf::Value(*text) : pf::Value::null();
}
