#pragma once

// Where the SDK and its analytics collector find the ZZ platform's servers.
// Every row starts under the reserved ".example" domain, so nothing leaves the
// machine until the program is told where the servers are: setHttpOrigin
// repoints the http rows (ZZ Connect, reports, online status, business check,
// Plaza web; not analytics), setHttpsOrigin the https OAuth row, and
// setAnalyticsOrigin the analytics row.
//
// Origins are "scheme://host[:port]" without a trailing slash; URLs are the
// origin followed by a path that begins with "/". Any thread: the table is
// guarded by a lock, and readers get copies.

#include <string>
#include <string_view>

class CVOSDKServers {
public:
    enum class Row {
        OAuth,         // https: authorisation page, graph and user calls
        Connect,       // http: SDK policy, link-preview upload
        Report,        // http: usage reports
        OnlineStatus,  // http: online status of ZZ numbers
        BusinessCheck, // http: script-package update check
        PlazaWeb,      // http: the Plaza web origin whose local storage holds the login key
        Analytics,     // http: the analytics collector's uploads
        AppStore,      // http: the store page of the ZZ app (only shown, never fetched; no setter moves it)
    };

    static std::string origin(Row row);
    static std::string url(Row row, std::string_view path);
    // True while the row still holds its built-in ".example" origin, which
    // no server answers.
    static bool isPlaceholder(Row row);

    // False, changing nothing, unless the text is an origin of the right
    // scheme (http for the http rows, https for the OAuth row, either for
    // analytics) with a host.
    static bool setHttpOrigin(std::string_view origin);
    static bool setHttpsOrigin(std::string_view origin);
    static bool setAnalyticsOrigin(std::string_view origin);
    // Back to the built-in rows.
    static void reset();

    // Fixed names: the host in the callback URLs of a browser login, the
    // default redirect of a login, the JS SDK script's URL (answered from the
    // bundle, never fetched).
    static const char* const kAuthorisationHost;
    static const char* const kDefaultRedirectURI;
    static const char* const kJSSDKScriptURL;
    // The host watched for reachability during a login: the OAuth row's host.
    static std::string watchedHost();
};
