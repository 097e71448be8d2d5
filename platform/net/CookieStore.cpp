#include "platform/net/CookieStore.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace pf {

struct CookieStore::Jar {
    std::string origin;
    CURLSH* share = nullptr;
    // The library's lock for this jar's cookies; recursive so that we can
    // hold it across several of the library's steps on the jar.
    std::recursive_mutex lock;

    static void onLock(CURL*, curl_lock_data, curl_lock_access, void* user) { static_cast<Jar*>(user)->lock.lock(); }
    static void onUnlock(CURL*, curl_lock_data, void* user) { static_cast<Jar*>(user)->lock.unlock(); }

    // A handle bound to the jar for reading or editing it; never transfers.
    template <class F>
    void withHandle(F&& f)
    {
        CURL* easy = curl_easy_init();
        if (!easy)
            return;
        if (curl_easy_setopt(easy, CURLOPT_SHARE, share) == CURLE_OK)
            f(easy);
        curl_easy_setopt(easy, CURLOPT_SHARE, nullptr);
        curl_easy_cleanup(easy);
    }
};

CookieStore& CookieStore::shared()
{
    // Never destroyed: worker threads may still be in an exchange at exit.
    static CookieStore* store = new CookieStore;
    return *store;
}

std::optional<std::string> CookieStore::originOfURL(const std::string& url)
{
    CURLU* handle = curl_url();
    if (!handle)
        return std::nullopt;
    std::optional<std::string> origin;
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
        && curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK
        && curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK
        && curl_url_get(handle, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        std::string s = scheme;
        std::string h = host;
        std::transform(h.begin(), h.end(), h.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (s == "http" || s == "https")
            origin = s + "://" + h + ":" + port;
    }
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(handle);
    return origin;
}

void* CookieStore::shareForOrigin(const std::string& origin)
{
    std::lock_guard guard(m_mutex);
    for (auto& jar : m_jars) {
        if (jar->origin == origin)
            return jar->share;
    }
    auto jar = std::make_unique<Jar>();
    jar->origin = origin;
    jar->share = curl_share_init();
    if (!jar->share)
        return nullptr;
    if (curl_share_setopt(jar->share, CURLSHOPT_LOCKFUNC, &Jar::onLock) != CURLSHE_OK
        || curl_share_setopt(jar->share, CURLSHOPT_UNLOCKFUNC, &Jar::onUnlock) != CURLSHE_OK
        || curl_share_setopt(jar->share, CURLSHOPT_USERDATA, jar.get()) != CURLSHE_OK
        || curl_share_setopt(jar->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
        curl_share_cleanup(jar->share);
        return nullptr;
    }
    m_jars.push_back(std::move(jar));
    return m_jars.back()->share;
}

std::vector<HttpCookie> CookieStore::cookiesForOrigin(const std::string& origin)
{
    std::vector<HttpCookie> cookies;
    Jar* jar = nullptr;
    {
        std::lock_guard guard(m_mutex);
        for (auto& j : m_jars)
            if (j->origin == origin)
                jar = j.get();
    }
    if (!jar)
        return cookies;
    jar->withHandle([&](CURL* easy) {
        curl_slist* list = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK)
            return;
        // Netscape lines: domain, tail match, path, secure, expiry, name, value.
        for (curl_slist* item = list; item; item = item->next) {
            std::vector<std::string> fields;
            std::stringstream line(item->data);
            for (std::string field; std::getline(line, field, '\t');)
                fields.push_back(field);
            if (fields.size() < 6)
                continue;
            HttpCookie cookie;
            cookie.path = fields[2];
            cookie.secure = fields[3] == "TRUE";
            cookie.expires = std::strtoll(fields[4].c_str(), nullptr, 10);
            cookie.name = fields[5];
            cookie.value = fields.size() > 6 ? fields[6] : "";
            cookies.push_back(std::move(cookie));
        }
        curl_slist_free_all(list);
    });
    return cookies;
}

void CookieStore::setCookieFromHeader(const std::string& origin, const std::string& setCookie)
{
    auto* share = static_cast<CURLSH*>(shareForOrigin(origin));
    if (!share)
        return;
    {
        std::lock_guard guard(m_mutex);
        for (auto& jar : m_jars) {
            if (jar->share == share)
                jar->withHandle([&](CURL* easy) {
                    std::string line = "Set-Cookie: " + setCookie;
                    curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
                });
        }
    }
    dropSecureCookiesOfPlainOrigin(origin);
}

void CookieStore::dropSecureCookiesOfPlainOrigin(const std::string& origin)
{
    if (!origin.starts_with("http://"))
        return;
    std::lock_guard guard(m_mutex);
    for (auto& jar : m_jars) {
        if (jar->origin != origin)
            continue;
        std::lock_guard held(jar->lock);
        jar->withHandle([](CURL* easy) {
            curl_slist* list = nullptr;
            if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK)
                return;
            // Netscape lines; the fourth field says whether the cookie is Secure.
            std::vector<std::string> kept;
            bool dropped = false;
            for (curl_slist* item = list; item; item = item->next) {
                std::vector<std::string> fields;
                std::stringstream line(item->data);
                for (std::string field; std::getline(line, field, '\t');)
                    fields.push_back(field);
                if (fields.size() >= 4 && fields[3] == "TRUE")
                    dropped = true;
                else
                    kept.emplace_back(item->data);
            }
            curl_slist_free_all(list);
            if (!dropped)
                return;
            curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
            for (const auto& line : kept)
                curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
        });
    }
}

void CookieStore::deleteCookiesForOrigin(const std::string& origin)
{
    std::lock_guard guard(m_mutex);
    for (auto& jar : m_jars) {
        if (jar->origin == origin)
            jar->withHandle([](CURL* easy) { curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL"); });
    }
}

void CookieStore::deleteAllCookies()
{
    std::lock_guard guard(m_mutex);
    for (auto& jar : m_jars)
        jar->withHandle([](CURL* easy) { curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL"); });
}

}
