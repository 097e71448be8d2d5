#pragma once

// The in-app ZZ login: shows the OAuth server's "m_authorize" page in the
// SDK's page window and watches every navigation of it (redirects
// included) for the redirect that ends the login, "auth://<redirect URI
// without scheme>", matched only at the start of the URL; its fragment (or
// query) gives the token, open id and lifetime. The page may ask to go on
// in a browser ("auth://browser"): the same page then opens in ZZ Browser
// or the system's, with a fresh per-login key, and the answer comes back as
// "corvana<appid>://<authorisation host>/#…" carrying the token enciphered
// with that key. The login delegate hears the outcome with the login's
// serial. After 21 navigations without an outcome the next is refused (a
// redirect loop).
//
// A browser answer counts only for a serial with a browser login in flight,
// once; its "cb" script runs in the page only after serial and key matched,
// and only when it names a dotted identifier (the parameters are passed as
// a value, never as script text).
//
// Main queue only. The kit is its own page delegate; the login delegate
// and the application's login delegate are not retained.

#include "sdk/zz/CVWebViewKit.h"

#include "platform/foundation/Collections.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CVLoginViewKit;
class CorvanaSessionDelegate;
namespace pf {
class URL;
}

class CVLoginViewDelegate {
public:
    virtual ~CVLoginViewDelegate() = default;
    virtual void loginViewKitDidSucceedLogin(CVLoginViewKit&, const std::string& /*serial*/) {}
    // No error: the user cancelled, or the page denied access without a code.
    virtual void loginViewKitDidFailuredWithError(CVLoginViewKit&, const std::optional<pf::Error>&,
                                                  const std::string& /*serial*/)
    {
    }
};

class CVLoginViewKit : public CVWebViewKit, public CVWebViewKitDelegate {
public:
    static constexpr unsigned kMaxNavigations = 21;

    static std::shared_ptr<CVLoginViewKit> create(std::string appId, std::optional<std::string> redirectURI,
                                                  std::vector<std::string> permissions,
                                                  std::weak_ptr<CVLoginViewDelegate> loginDelegate);

    void setAuthorData(std::string appId, std::optional<std::string> redirectURI, std::vector<std::string> permissions);
    void setSerial(std::string serial) { m_serial = std::move(serial); }
    const std::string& serial() const { return m_serial; }
    void setNewloginDelegate(std::weak_ptr<CorvanaSessionDelegate> delegate) { m_newloginDelegate = std::move(delegate); }
    void setExtraParams(pf::DictionaryRef params) { m_extraParams = std::move(params); }
    void setLoginDelegate(std::weak_ptr<CVLoginViewDelegate> delegate) { m_loginDelegate = std::move(delegate); }

    // The in-app page; false without an app id.
    bool openWithExtraParams(const pf::DictionaryRef& extraParams);
    bool open() { return openWithExtraParams(nullptr); }
    // Takes the login's app id, redirect URI, permissions and delegate, then open().
    bool openWithAppId(std::string appId, std::optional<std::string> redirectURI, std::vector<std::string> permissions,
                       std::weak_ptr<CVLoginViewDelegate> loginDelegate);
    // The browser variant: false without an app id or serial, without our
    // callback scheme, without multitasking, or when no browser opened it.
    bool openWithSafariAndExtraParams(const pf::DictionaryRef& extraParams);
    bool openWithSafari() { return openWithSafariAndExtraParams(nullptr); }

    // A browser's answer (see above).
    bool canHandleOpenURL(const pf::URL& url) const;
    bool handleOpenURL(const pf::URL& url);

    static bool isNewZZBrowserInstall();
    static bool isOldZZBrowserInstall();
    std::string getOwnBaseUrl() const;
    // base?k=v&… in the dictionary's order, values encoded, keys as they are.
    static std::string generateUrlString(const std::string& base, const pf::DictionaryRef& params);
    // "a=b&c=d": the first two parts of each piece, the value percent-decoded;
    // a piece that does not decode to UTF-8 is skipped; null for nothing.
    static pf::DictionaryRef parseURLParams(const std::optional<std::string>& query);
    // The page's own address ("…/oauth2.0/m_authorize").
    static std::string authorizeAddress();

    // Runs `callback`(params) in the page, then closes it.
    void doJsFun(const std::string& callback, const pf::DictionaryRef& params);
    void cleanUp();
    void clearData();

    const std::optional<std::string>& accessToken() const { return m_accessToken; }
    const std::optional<std::string>& openId() const { return m_openId; }
    const std::optional<pf::Date>& expirationDate() const { return m_expirationDate; }
    const std::string& appId() const { return m_appId; }
    const std::string& redirectURI() const { return m_redirectURI; }
    unsigned loginCount() const { return m_loginCount; }
    bool isUseSafari() const { return m_isUseSafari; }
    std::size_t browserLoginsInFlight() const { return m_loginDict.size(); }

    // CVWebViewKitDelegate (the kit's own pages).
    bool webViewKitShouldStartLoadWithRequest(CVWebViewKit&, const std::string& url) override;
    void webViewKitDidFinishedWithError(CVWebViewKit&, const std::optional<pf::Error>& error) override;
    void webViewKitDidLoadWithNetworkError(CVWebViewKit&, const pf::Error& error) override;

private:
    CVLoginViewKit() = default;
    pf::DictionaryRef pageParams(const pf::DictionaryRef& extraParams) const;
    void reportFailure(const std::optional<pf::Error>& error);
    void reportSuccess();
    std::weak_ptr<CVWebViewKitDelegate> self();

    bool m_isUseSafari = false;
    bool m_isBrowserError = false;
    bool m_isUserCancel = false;
    unsigned m_loginCount = 0;
    std::optional<std::string> m_accessToken;
    std::optional<std::string> m_openId;
    std::optional<pf::Date> m_expirationDate;
    std::string m_appId;
    std::string m_redirectURI;
    std::vector<std::string> m_permissions;
    std::weak_ptr<CVLoginViewDelegate> m_loginDelegate;
    pf::DictionaryRef m_extraParams;
    std::optional<std::string> m_errorUrl;
    std::weak_ptr<CorvanaSessionDelegate> m_newloginDelegate;
    struct BrowserLogin {
        std::string tokenKey;
        std::weak_ptr<CorvanaSessionDelegate> newLoginDel;
    };
    std::map<std::string, BrowserLogin> m_loginDict; // by serial
    std::string m_serial;
};
