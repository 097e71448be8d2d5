#include "sdk/zz/CVOSDKServers.h"

#include "platform/foundation/URL.h"

#include <array>
#include <mutex>
#include <optional>

const char* const CVOSDKServers::kAuthorisationHost = "openmobile.zz.example";
const char* const CVOSDKServers::kDefaultRedirectURI = "http://www.zz.example";
const char* const CVOSDKServers::kJSSDKScriptURL = "http://jssdk.zz.example/jssdk.js";

namespace {

constexpr std::size_t kRowCount = static_cast<std::size_t>(CVOSDKServers::Row::AppStore) + 1;

std::array<std::string, kRowCount> builtInRows()
{
    return {
        "https://openmobile.zz.example", // OAuth
        "http://openmobile.zz.example",  // Connect
        "http://report.zz.example",      // Report
        "http://webpresence.zz.example", // OnlineStatus
        "http://bizcheck.zz.example",    // BusinessCheck
        "http://plaza.zz.example",       // PlazaWeb
        "http://analytics.zz.example",   // Analytics
        "http://appstore.zz.example",    // AppStore
    };
}

std::mutex& tableLock()
{
    static std::mutex lock;
    return lock;
}

// Guarded by tableLock().
std::array<std::string, kRowCount>& table()
{
    static std::array<std::string, kRowCount> rows = builtInRows();
    return rows;
}

std::string& row(CVOSDKServers::Row r)
{
    return table()[static_cast<std::size_t>(r)];
}

// The text as an origin without a trailing slash, when it is one of the
// allowed schemes with a host and nothing after it but "/".
std::optional<std::string> normalisedOrigin(std::string_view text, bool allowHttp, bool allowHttps)
{
    auto url = pf::URL::create(text);
    if (!url || url->host().empty() || url->query() || url->fragment())
        return std::nullopt;
    bool http = url->scheme() == "http";
    bool https = url->scheme() == "https";
    if (!((http && allowHttp) || (https && allowHttps)))
        return std::nullopt;
    std::string path = url->encodedPath();
    if (!path.empty() && path != "/")
        return std::nullopt;
    std::string origin(text);
    if (origin.ends_with('/'))
        origin.pop_back();
    return origin;
}

}

std::string CVOSDKServers::origin(Row r)
{
    std::lock_guard guard(tableLock());
    return row(r);
}

std::string CVOSDKServers::url(Row r, std::string_view path)
{
    std::string result = origin(r);
    if (!path.starts_with('/'))
        result += '/';
    result += path;
    return result;
}

bool CVOSDKServers::isPlaceholder(Row r)
{
    std::lock_guard guard(tableLock());
    return row(r) == builtInRows()[static_cast<std::size_t>(r)];
}

bool CVOSDKServers::setHttpOrigin(std::string_view text)
{
    auto normalised = normalisedOrigin(text, true, false);
    if (!normalised)
        return false;
    std::lock_guard guard(tableLock());
    for (Row r : { Row::Connect, Row::Report, Row::OnlineStatus, Row::BusinessCheck, Row::PlazaWeb })
        row(r) = *normalised;
    return true;
}

bool CVOSDKServers::setHttpsOrigin(std::string_view text)
{
    auto normalised = normalisedOrigin(text, false, true);
    if (!normalised)
        return false;
    std::lock_guard guard(tableLock());
    row(Row::OAuth) = *normalised;
    return true;
}

bool CVOSDKServers::setAnalyticsOrigin(std::string_view text)
{
    auto normalised = normalisedOrigin(text, true, true);
    if (!normalised)
        return false;
    std::lock_guard guard(tableLock());
    row(Row::Analytics) = *normalised;
    return true;
}

void CVOSDKServers::reset()
{
    std::lock_guard guard(tableLock());
    table() = builtInRows();
}

std::string CVOSDKServers::watchedHost()
{
    auto url = pf::URL::create(origin(Row::OAuth));
    return url ? url->host() : std::string();
}
