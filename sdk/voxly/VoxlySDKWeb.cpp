// The facade's URL helpers and its two HTTP calls.
#include "sdk/voxly/VoxlySDK.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PercentEncode.h"
#include "platform/foundation/QueryString.h"
#include "platform/foundation/URL.h"
#include "platform/net/HttpConnection.h"
#include "platform/net/OperationQueue.h"
#include "sdk/voxly/VXBaseRequest.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class CallOperation final : public pf::Operation {
public:
    explicit CallOperation(std::function<void()> work) : m_work(std::move(work)) {}
    void main() override
    {
        if (!isCancelled())
            m_work();
    }

private:
    std::function<void()> m_work;
};

// The queue the HTTP calls run on; their completions run on its threads.
pf::OperationQueue& callQueue()
{
    static pf::OperationQueue queue(2);
    return queue;
}

using Params = std::vector<std::pair<std::string, std::string>>;

std::string joinQuery(const Params& params)
{
    std::string out;
    for (const auto& [key, value] : params) {
        if (!out.empty())
            out += '&';
        out += key + "=" + VoxlySDK::escapeQueryValue(value);
    }
    return out;
}

void get(const std::string& url, std::weak_ptr<VoxlySDKRequestDelegate> delegate)
{
    callQueue().addOperation(std::make_shared<CallOperation>([url, delegate] {
        pf::HttpRequest request(url, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, std::chrono::seconds(5));
        auto result = pf::HttpConnection::sendSynchronousRequest(request, std::size_t(1) << 20);
        std::string body;
        std::optional<pf::Error> error;
        if (result)
            body = pf::dropInvalidUtf8(std::string(result->body.begin(), result->body.end()));
        else
            error = result.error();
        pf::log("Response: %s", pf::redactSecrets(body).c_str());
        if (auto d = delegate.lock())
            d->didReceiveVoxlySDKResponse(body, error);
    }));
}

}

std::string VoxlySDK::escapeQueryValue(const std::string& value)
{
    return pf::percentEncode(value);
}

std::optional<std::string> VoxlySDK::serializeURLString(const std::optional<std::string>& base, const Params& params)
{
    if (!base)
        return std::nullopt;
    auto hash = base->find('#');
    std::string head = base->substr(0, hash);
    std::string out = head + (head.find('?') != std::string::npos ? "&" : "?") + joinQuery(params);
    if (hash != std::string::npos) {
        auto next = base->find('#', hash + 1);
        out += "#" + base->substr(hash + 1, next == std::string::npos ? std::string::npos : next - hash - 1);
    }
    return out;
}

std::optional<std::string> VoxlySDK::queryValueWithName(std::string name, const std::string& urlString)
{
    if (name.empty() || name.back() != '=')
        name += '=';
    std::string haystack = lower(urlString);
    std::string needle = lower(name);
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) {
        // A match inside another name ("xid=" for "id=") is passed over.
        if (at != 0 && std::string_view("#&?").find(urlString[at - 1]) == std::string_view::npos)
            continue;
        std::size_t start = at + name.size();
        std::size_t end = std::min(urlString.find_first_of("&#", start), urlString.size());
        // The first whole-name match decides: a value whose escapes are bad or
        // make no UTF-8 is no value, never a reason to read a later one.
        auto value = pf::percentDecode(std::string_view(urlString).substr(start, end - start));
        return value && pf::isValidUtf8(*value) ? value : std::nullopt;
    }
    return std::nullopt;
}

pf::DictionaryRef VoxlySDK::queryDictionaryOfURLQuery(const std::string& query)
{
    return pf::parseQuery(query, { .secondEquals = pf::SecondEquals::SkipsPiece,
                                   .decode = pf::QueryRules::Decode::NameAndValue,
                                   .separators = "&;" });
}

void VoxlySDK::logOutWithToken(const std::string& accessToken, std::weak_ptr<VoxlySDKRequestDelegate> delegate)
{
    Params params{{"access_token", accessToken}};
    std::string base = settings().webAuthorizeHost + "/oauth2/revokeoauth2?";
    pf::log("VoxlySDK logOut URL: %s", pf::redactSecrets(base + joinQuery(params)).c_str());
    get(base + joinQuery(params), std::move(delegate));
}

void VoxlySDK::inviteFriend(const std::string& text, const std::string& uid, const std::string& accessToken,
                            std::weak_ptr<VoxlySDKRequestDelegate> delegate)
{
    std::string appKey = registeredAppKey().value_or("");
    Params params{{"text", text},     {"uid", uid},       {"access_token", accessToken},
                  {"appkey", appKey}, {"source", appKey}, {"package", pf::Bundle::main()->infoDictionary()->string("CFBundleIdentifier").value_or("")},
                  {"sign", hashKey()}};
    std::string base = settings().apiHost + "/2/direct_messages/invite?";
    pf::log("VoxlySDK inviteFriend appkey: %s URL: %s", appKey.c_str(), pf::redactSecrets(base + joinQuery(params)).c_str());
    get(base + joinQuery(params), std::move(delegate));
}
