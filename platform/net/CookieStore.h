#pragma once

// The cookies of web views: one jar per origin (scheme, host and port), shared
// by every exchange of the process whose request handles cookies. The
// transfer library parses "Set-Cookie" and chooses what to send back; it
// keys its own jars by host alone, so loopback servers on different ports
// would share one. Giving each origin its own jar means a cookie never
// reaches another origin, and a secure cookie set over https never travels
// over http (another scheme is another origin). A Secure cookie from an
// http origin is dropped: the library takes loopback hosts for secure
// contexts and would keep it, then send it back over plain http.
//
// Any thread: exchanges use the jars on worker threads; each jar is locked
// while the library reads or writes it. The store lives for the process.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pf {

struct HttpCookie {
    std::string name;
    std::string value;
    std::string path;
    bool secure = false;
    std::int64_t expires = 0; // seconds since 1970; 0 for a session cookie
};

class CookieStore {
public:
    static CookieStore& shared();

    // "scheme://host:port" of an http or https URL (the host in lower case,
    // the port always written); nothing for any other URL.
    static std::optional<std::string> originOfURL(const std::string& url);

    std::vector<HttpCookie> cookiesForOrigin(const std::string& origin);
    // Parses one "Set-Cookie" value as if the origin had sent it (a Secure
    // cookie of an http origin is not kept).
    void setCookieFromHeader(const std::string& origin, const std::string& setCookie);
    void deleteCookiesForOrigin(const std::string& origin);
    void deleteAllCookies();

    // The library's share handle holding the origin's jar (a CURLSH*), made
    // on first use and kept for the life of the process. Internal to pf_net.
    void* shareForOrigin(const std::string& origin);
    // Removes the Secure cookies of an http origin's jar, as one step for
    // the exchanges using it. Internal to pf_net: called as each "Set-Cookie"
    // field of an http answer arrives, once the library has stored it.
    void dropSecureCookiesOfPlainOrigin(const std::string& origin);

    CookieStore(const CookieStore&) = delete;
    CookieStore& operator=(const CookieStore&) = delete;

private:
    CookieStore() = default;
    struct Jar;
    std::mutex m_mutex; // guards m_jars (not the jars' contents, which lock themselves)
    std::vector<std::unique_ptr<Jar>> m_jars;
};

}
