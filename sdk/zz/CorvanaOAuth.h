#pragma once

// The ZZ sign-in session an application holds: its app id, the token, open id
// and expiry of the signed-in user, and the ZZ Connect calls made on the
// user's behalf. Every call lives in the session's request table from sending
// until its answer is handed on or it is cancelled.
//
// The login itself is the scripts' business: initWithAppId() brings the
// script runtime up in a hidden web view of the session's own and registers
// the session's operations with it; authorize() asks the scripts to log in,
// and they switch to the ZZ or Plaza app or open the in-app login page.
// The token, open id and expiry live in the scripts' state: the getters read
// it there (nothing, and the start of 1970, when the runtime could not be
// made). A session made by its constructor alone has no runtime and keeps
// them in its own fields, for the request side on its own.
//
// Main queue only. Answers come back on the main queue, never inside the call
// that sent them. The delegate is not retained.

#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/APIBase.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVUiKit.h"
#include "sdk/zz/CorvanaRequest.h"
#include "sdk/zz/SetHeadImageViewController.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CVOSDKReachability;
class CorvanaApiResp;
class CorvanaJSRunEnv;
class CorvanaOAuth;
class JsUpdateManager;
class SetUserHeaderImageUiKit;
namespace pf {
class AlertView;
}

// What the session tells the application. Every callback has an empty
// default, so a delegate implements only what it wants to hear.
class CorvanaSessionDelegate {
public:
    using Response = std::shared_ptr<APIResponse>;
    virtual ~CorvanaSessionDelegate() = default;
    virtual void corvanaDidLogin() {}
    // `cancelled`: the user cancelled.
    virtual void corvanaDidNotLogin(bool /*cancelled*/) {}
    virtual void corvanaDidNotNetWork() {}
    virtual void corvanaDidLogout() {}
    virtual void corvanaDidUpdate(const pf::ObjectRef& /*session*/) {}
    virtual void corvanaFailedUpdate(const pf::Error& /*error*/) {}
    // Whether corvanaDidUpdate() is implemented: only a delegate that hears
    // updates is asked the two questions below.
    virtual bool hasCorvanaDidUpdate() const { return false; }
    // An answer wants more permissions (`permissions`) or a new login: false
    // holds the answer back from whoever made the call.
    virtual bool corvanaNeedPerformIncrAuth(const pf::ObjectRef& /*session*/, const pf::ArrayRef& /*permissions*/)
    {
        return true;
    }
    virtual bool corvanaNeedPerformReAuth(const pf::ObjectRef& /*session*/) { return true; }
    // Asked as a login delegate when a login starts: permissions that replace
    // the requested ones for this login, or nothing to keep them.
    virtual std::optional<std::vector<std::string>> getAuthorizedPermissions(const std::vector<std::string>& /*permissions*/,
                                                                             const pf::DictionaryRef& /*extraParams*/)
    {
        return std::nullopt;
    }
    // A portrait screen handed out by setUserHeadpic(…, &vc) is done or
    // cancelled: whoever presented it dismisses it now.
    virtual void corvanaOAuthDoCloseViewController(CorvanaOAuth&, const std::shared_ptr<SetHeadImageViewController>&) {}
    // A named answer of the ZZ or Plaza app that is none of the operations below.
    virtual void responseDidReceived(const Response&, const std::string& /*message*/) {}
    // Answers of the ZZ Connect operations, named after their callbacks.
    virtual void getUserInfoResponse(const Response&) {}
    virtual void getUserInfoNotShowResponse(const Response&) {}
    virtual void getVipInfoResponse(const Response&) {}
    virtual void getVipRichInfoResponse(const Response&) {}
    virtual void getListAlbumResponse(const Response&) {}
    virtual void getListPhotoResponse(const Response&) {}
    virtual void addShareResponse(const Response&) {}
    virtual void uploadPicResponse(const Response&) {}
    virtual void addAlbumResponse(const Response&) {}
    virtual void addOneBlogResponse(const Response&) {}
    virtual void addTopicResponse(const Response&) {}
    virtual void checkPageFansResponse(const Response&) {}
    virtual void matchNickTipsResponse(const Response&) {}
    virtual void getIntimateFriendsResponse(const Response&) {}
    virtual void sendStoryResponse(const Response&) {}
    virtual void setUserHeadpicResponse(const Response&) {}
    virtual void cgiRequestDidResponse(CVAPIRequest&, const std::shared_ptr<APIResponse>&) {}
    virtual void corvanaOAuthDidSendBodyData(CorvanaOAuth&, std::int64_t /*bytesWritten*/,
                                             std::int64_t /*totalBytesWritten*/, std::int64_t /*totalExpected*/,
                                             const pf::Value& /*userData*/)
    {
    }
};

class CorvanaOAuth : public pf::Object,
                     public ICorvanaAPISession,
                     public APIBaseDelegate,
                     public CorvanaSessionDelegate,
                     public CVLoginViewDelegate,
                     public setHeadImageDelegate,
                     public CVWebViewKitDelegate,
                     public CorvanaRequestDelegate,
                     public pf::WebViewDelegate {
public:
    // A session without script runtime (see above).
    CorvanaOAuth(std::string appId, std::weak_ptr<CorvanaSessionDelegate> delegate);
    ~CorvanaOAuth() override;

    // The session an application holds: registered with the app-switch
    // transport, recorded as the current session, its script runtime up,
    // its modules registered and the scripts initialised with the app id
    // (on systems before 5, once the runtime's web view has loaded), and the
    // script-package update timer running.
    static std::shared_ptr<CorvanaOAuth> initWithAppId(const std::string& appId,
                                                       std::weak_ptr<CorvanaSessionDelegate> delegate);
    // The session created last, while it lives.
    static std::shared_ptr<CorvanaOAuth> currentSession();

    const std::string& appId() const { return m_appId; }
    std::weak_ptr<CorvanaSessionDelegate> sessionDelegate() const { return m_sessionDelegate; }
    // Also registers the app, the delegate and the session with OpenApi.
    void setSessionDelegate(std::weak_ptr<CorvanaSessionDelegate> delegate);

    // The scripts' "corvana.oauth" values: nothing for a missing or null
    // one (an empty text is a value); the expiry is the start of 1970 then.
    // The setters write the field and the scripts (nothing as null).
    std::optional<std::string> accessToken() const;
    void setAccessToken(std::optional<std::string> token);
    std::optional<std::string> openId() const;
    // A value is also registered with the share API.
    void setOpenId(std::optional<std::string> openId);
    std::optional<pf::Date> expirationDate() const;
    void setExpirationDate(std::optional<pf::Date> date);
    const std::vector<std::string>& permissions() const { return m_permissions; }
    void setPermissions(std::vector<std::string> permissions) { m_permissions = std::move(permissions); }
    const std::string& redirectURI() const { return m_redirectURI; }
    void setRedirectURI(std::string uri) { m_redirectURI = std::move(uri); }

    const std::optional<std::string>& encryToken() const { return m_encryToken; }
    // A token also goes to the Plaza web pages' storage (CVWebViewLoadJs).
    void setEncryToken(std::optional<std::string> token);
    // Always nothing, whatever encryToken() holds: callers of this name
    // never got the token and must not start to.
    std::optional<std::string> encrytoken() const { return std::nullopt; }
    const std::optional<std::string>& localAppId() const { return m_localAppId; }

    // Asks the scripts to log in; always true. The browser flag changes
    // nothing. On systems of version 5 and later every 11th login of the
    // process first rebuilds the script runtime. The login delegate may
    // replace the permissions (getAuthorizedPermissions, given the extra
    // parameters); authorize() makes the session its own login delegate.
    bool authorize(const std::vector<std::string>& permissions, bool inSafari);
    bool authorize(const std::vector<std::string>& permissions, std::optional<std::string> localAppId, bool inSafari);
    bool authorizeWithPermissions(const std::vector<std::string>& permissions, const pf::DictionaryRef& extraParams,
                                  std::weak_ptr<CorvanaSessionDelegate> loginDelegate, bool inSafari);
    // Web windows: the scripts' window (every navigation asks the scripts'
    // "appUtils.nativeWebViewCallback", a network failure closes it) and the
    // window of the bundle's pages, whose "corvana<app id>://<operation>/<outcome>"
    // navigation closes it and answers the delegate: "/success" retCode 0,
    // "/cancel" and "/fail" retCode 1 (with their SDK error codes 2 and 12),
    // the query as the answer's JSON; "SendStory" reaches sendStoryResponse,
    // any other operation responseDidReceived. Windows open on a later turn.
    bool openNativeWebView(const std::optional<std::string>& url, const std::optional<std::string>& title);
    void closeNativeWebView();
    bool openPageWebView(const std::string& url, const std::string& title);
    const std::unique_ptr<CVUiKit>& cvJSUiKit() const { return m_cvJSUiKit; }
    const std::unique_ptr<CVUiKit>& cvUiKit() const { return m_cvUiKit; }
    bool webViewKitShouldStartLoadWithRequest(CVWebViewKit& kit, const std::string& url) override;
    void webViewKitDidLoadWithNetworkError(CVWebViewKit& kit, const pf::Error& error) override;

    // Checks the kept sign-in with the server first ("user/user_login_statis"):
    // a "ret" of 0 signs in at once, any other answer starts a full login, one
    // that does not parse does nothing. Always true.
    bool authorize(const std::vector<std::string>& permissions);
    bool userLoginStatis();
    void userLoginStatisResponse(const std::shared_ptr<APIResponse>& response);
    // Logins counted towards the next rebuild.
    static int loginCounter();
    bool incrAuthWithPermissions(const std::vector<std::string>& permissions);
    bool reauthorizeWithPermissions(const std::vector<std::string>& permissions);
    // Clears token, open id, expiry and permissions (fields and scripts),
    // then tells the session delegate, or else `other`.
    void logout(std::weak_ptr<CorvanaSessionDelegate> other = {});

    static bool iphoneZZInstalled();
    static bool iphonePlazaInstalled();
    static bool iphoneZZSupportSSOLogin();
    static bool iphonePlazaSupportSSOLogin();
    // "corvana.js", "local.js" and "config.js" of the SDK bundle.
    static std::vector<std::string> getBundleJsPaths();

    // The network watch of a login: false (and `corvanaDidNotNetWork` to the
    // session delegate) when the watched host is not reachable now; else a
    // one-second poll runs until StopNotifyNetWork(). A lost network shows
    // the "网络错误" alert once per outage, never a second one over it.
    bool StartNotifyNetWork();
    void StopNotifyNetWork();
    bool isWatchingNetwork() const { return m_timer != nullptr; }

    // The hidden web view of the script runtime; null without one.
    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    // pf::WebViewDelegate: the runtime's own page (systems before 5 finish
    // their bring-up here).
    void webViewDidFinishLoad(pf::WebView& webView) override;

    // The login outcome: the session tells its delegate.
    void corvanaDidLogin() override;
    void corvanaDidNotLogin(bool cancelled) override;
    void corvanaDidNotNetWork() override;
    void corvanaDidUpdate(const pf::ObjectRef& session) override;
    void corvanaFailedUpdate(const pf::Error& error) override;
    // Every URL that reopens the application: the app-switch transport
    // (and the Corvana app transport before it) reads it.
    static bool HandleOpenURL(const pf::URL& url);
    static bool CanHandleOpenURL(const pf::URL& url);
    // The Corvana app transport's answer and install page (CorvanaApiInterface.h).
    static int sendRespMessageToCorvanaApp(const std::shared_ptr<CorvanaApiResp>& response);
    static std::optional<std::string> getCorvanaAppInstallUrl(int platform);
    // Form encoding: letters, digits and "-._~" stay, a blank becomes "+",
    // every other byte "%XX".
    static std::string urlencode(std::string_view text);
    // The scripts hand an app's answer back ("urlStr", form-encoded): "YES"
    // when the app-switch transport read it.
    std::string jsCallHandleOpenUrlByOpenApi(const pf::DictionaryRef& args);
    // The converted app id; nothing when the id does not convert.
    static std::optional<std::string> convertAppId(const std::string& appId);
    // Script login operations of the module "oauth": the app-switch start
    // ("1" or "0"), a browser answer handed back, the app id conversion and
    // the share registration.
    std::string authorizeInappWithParams(const pf::DictionaryRef& args);
    // The app-switch login in the ZZ or the Plaza app: the dictionary goes
    // to OpenApi::sendCommandToZZWith / sendCommandToPlazaWith as it is and
    // their answer ("true" or "false") comes back. Not offered to the scripts.
    std::string authorizeInZZWithParams(const pf::DictionaryRef& args);
    std::string authorizeInPlazaWithParams(const pf::DictionaryRef& args);
    std::string jsCallHandleOpenURLByOAuth(const pf::DictionaryRef& args);
    std::string convertAppIdJs(const pf::DictionaryRef& args);
    void registZZAPIWithZZAppId(const pf::DictionaryRef& args);
    // An answer URL the app-switch transport does not read itself.
    bool handleOpenURL(const pf::URL& url);
    bool oldCanhandleOpenURL(const pf::URL& url) const { return m_loginViewKit && m_loginViewKit->canHandleOpenURL(url); }

    // The scripts' in-app web login ("permission", "appid", "appScheme",
    // "redirecURI", and "isAdd" with "accessToken"): "true" when the login
    // page opened.
    std::string authorizeInWebviewKitWithParams(const pf::DictionaryRef& args);
    // The in-app web login: false (with an alert) when `scheme` is not one of
    // the application's, or (telling the delegate) without network; the
    // delegate then hears the outcome.
    bool authorizeWithCorvanaAppAuthInappId(const std::string& appId, const std::vector<std::string>& permissions,
                                            const std::string& scheme, const std::optional<std::string>& redirectURI,
                                            const pf::DictionaryRef& extraParams,
                                            std::weak_ptr<CorvanaSessionDelegate> delegate);
    // The same login for the session's own app id and redirect URI, on its
    // "corvana<app id>" scheme; the page hands over to the ZZ browser when
    // the server asks for it.
    bool authorizeWithCorvanaAppAuthInSafari(const std::vector<std::string>& permissions,
                                             const pf::DictionaryRef& extraParams,
                                             std::weak_ptr<CorvanaSessionDelegate> delegate);
    const std::shared_ptr<CVLoginViewKit>& loginViewKit() const { return m_loginViewKit; }
    // Logins whose delegate waits for an outcome.
    std::size_t pendingLogins() const { return m_loginDict.size(); }
    // CVLoginViewDelegate
    void loginViewKitDidSucceedLogin(CVLoginViewKit& kit, const std::string& serial) override;
    void loginViewKitDidFailuredWithError(CVLoginViewKit& kit, const std::optional<pf::Error>& error,
                                          const std::string& serial) override;
    // Asks "m_me" for the open id of a login that came without one; its
    // answer ends the login either way. False without a valid session or
    // with serial 0.
    bool getOpenId(const std::string& serial);
    void getOpenIdResponse(const std::shared_ptr<APIResponse>& response);

    // The set-portrait screen for a picture of at most 3264 × 2448 points
    // (larger ones, or none, answer setUserHeadpicResponse with retCode 1 at
    // once): shown in its own window, or handed out for the caller to
    // present. False without a valid session and open id.
    bool setUserHeadpic(const pf::ImageRef& pic, const std::optional<std::string>& filename);
    bool setUserHeadpic(const pf::ImageRef& pic, const std::optional<std::string>& filename,
                        std::shared_ptr<SetHeadImageViewController>* outViewController);
    // The picture as it is uploaded: PNG up to 102,400 bytes, else JPEG at
    // quality 0.5; nothing when it does not encode.
    static std::optional<pf::Bytes> portraitUploadData(const pf::ImageRef& image);
    // setHeadImageDelegate: uploads the cut picture ("user/set_user_face").
    int didFinishedSetUserLocalPic(SetHeadImageViewController&, const pf::ImageRef& image,
                                   const std::string& fileName) override;
    void didCancelled(int seq) override;
    // The upload's answer: to the screen, then (converted) to the delegate.
    void setUserHeadpicResponse(const Response& response) override;
    const std::unique_ptr<SetUserHeaderImageUiKit>& setUserHeaderImageKit() const { return m_setUserHeaderImageKit; }

    // A token and an expiry later than now.
    bool isSessionValid() const;
    // Any open id, an empty one included.
    bool isOpenIdValid() const { return openId().has_value(); }

    // A request of the call layer filled with the parameters, when
    // sendAPIRequest() takes it; else null.
    std::shared_ptr<CVAPIRequest> cgiRequestWithURL(const std::string& url, const std::string& method,
                                                    const pf::DictionaryRef& params,
                                                    std::weak_ptr<CVAPIRequestDelegate> callback);
    // Sends the request with the session's token, open id and app id. Refused
    // (nothing sent) without a valid session and open id, when the request
    // cannot load (loading, cancelled or answered already), without an
    // absolute URL, or for a method other than GET or POST. The answer goes to
    // the request, which hands it to the callback.
    bool sendAPIRequest(const std::shared_ptr<CVAPIRequest>& request, std::weak_ptr<CVAPIRequestDelegate> callback);
    void onCGIRequestDidResponse(const std::shared_ptr<APIResponse>& response);

    // The first live request whose user data is this value is cancelled and
    // dropped; NO when none carries it.
    bool cancel(const pf::Value& userData);
    void cancelWithRequestKey(const pf::Value& requestKey) override;
    void deleteAPIRequestBySeq(const std::string& seq) override;
    // Asks the session delegate when it hears updates; else (and for no
    // permissions) true.
    bool corvanaNeedPerformIncrAuth(const pf::ObjectRef& session, const pf::ArrayRef& permissions) override;
    bool corvanaNeedPerformReAuth(const pf::ObjectRef& session) override;
    std::size_t liveRequestCount() const { return m_apiRequests.size(); }

    // The session's module "oauth" with its script requests, after the
    // modules every runtime has; false when one is refused.
    bool jsRegister(CorvanaJSRunEnv& runEnv);

    // Script requests. The answer of httpGet()/httpPost() waits in the
    // bridge's response table under the script's callback name and the
    // scripts are told; the request stays live until a delivery below
    // fetches it. A callback name reaches the delegate only when it is one
    // of the delegate's answer operations ("getUserInfoResponse:", …).
    void httpGet(const pf::DictionaryRef& args);
    void httpPost(const pf::DictionaryRef& args);
    void localHttpCallback(const std::shared_ptr<APIResponse>& response);
    void httpJsResponseCallback(const pf::DictionaryRef& args);
    void httpJsResponseCallbackType2(const pf::DictionaryRef& args);
    void httpJsResponseCallbackType3(const pf::DictionaryRef& args);
    // User-information answers: the nickname (HTML escapes replaced) is
    // kept. The scripts say whether the application asked for the answer
    // (userAskedForUserInfo): then the delegate hears getUserInfoResponse;
    // otherwise the nickname goes to the set-portrait screen, which wants
    // it. The answer of getUserInfoNotShow() never reaches the delegate;
    // getUserInfoNotUserResponse() is the session's own request's answer.
    void httpJsResponseCallbackUserInfo(const pf::DictionaryRef& args);
    void httpJsResponseNotShowCallbackUserInfo(const pf::DictionaryRef& args);
    void getUserInfoNotUserResponse(const Response& response);
    bool userAskedForUserInfo() const;
    const std::optional<std::string>& userNick() const { return m_userNick; }
    // Calls the named answer operation of the delegate; false for a name
    // that is none of them.
    static bool deliverNamedResponse(CorvanaSessionDelegate& delegate, std::string_view name,
                                     const std::shared_ptr<APIResponse>& response);

    // ZZ Connect operations carried out by the scripts: true when the
    // scripts took the call. Parameters wait in the bridge's user table
    // under the callback name.
    bool getUserInfo();
    bool getUserInfoNotShow();
    bool getVipInfo();
    bool getVipRichInfo();
    bool getListAlbum();
    bool getListPhotoWithParams(const pf::DictionaryRef& params);
    bool addShareWithParams(const pf::DictionaryRef& params);
    bool uploadPicWithParams(const pf::DictionaryRef& params);
    bool addAlbumWithParams(const pf::DictionaryRef& params);
    bool addOneBlogWithParams(const pf::DictionaryRef& params);
    bool addTopicWithParams(const pf::DictionaryRef& params);
    bool checkPageFansWithParams(const pf::DictionaryRef& params);
    bool matchNickTips(const pf::DictionaryRef& params);
    bool getIntimateFriends(const pf::DictionaryRef& params);
    bool sendAPIJS(const pf::DictionaryRef& params, const std::string& key);
    bool sendStory(const pf::DictionaryRef& params, const pf::ArrayRef& friendList);

    // The pending story of sendStory() (the scripts call this with the
    // user's "accesstoken" and "openid"): "NO" without a valid session and
    // open id, or (with an alert) without a title; else it goes to a Plaza
    // app of version 3 or later, or to the bundle's page, and "YES".
    std::string sendStoryImple(const pf::DictionaryRef& args);
    // Invitation, challenge ("pk" or "brag", to a receiver) and gift
    // ("request" or "freegift"): false without a valid session and open id,
    // or (with an alert) for bad arguments. A Plaza app of version 4 or
    // later takes them, else the bundle's page shows them; its answer reaches
    // the delegate's responseDidReceived under the operation's name.
    bool sendAppInvitationWithDescription(const std::optional<std::string>& description,
                                          const std::optional<std::string>& imageURL,
                                          const std::optional<std::string>& source);
    bool sendChallenge(const std::optional<std::string>& receiver, const std::optional<std::string>& type,
                       const std::optional<std::string>& imageURL, const std::optional<std::string>& message,
                       const std::optional<std::string>& source);
    bool sendGiftRequest(const std::optional<std::string>& receiver, const std::optional<std::string>& exclude,
                         const std::optional<std::string>& specified, int only,
                         const std::optional<std::string>& type, const std::optional<std::string>& title,
                         const std::optional<std::string>& message, const std::optional<std::string>& imageURL,
                         const std::optional<std::string>& source);
    // The bundle's "local.html" with the parameters as its query; empty
    // when the page is missing.
    static std::string localPageURL(const pf::DictionaryRef& params);

    // Legacy requests of the OAuth server: "/<method>" or the graph path
    // under "/oauth2.0/", with "format" json, the app id and, while valid,
    // the token and open id added to a copy of the parameters. The session
    // keeps the last one alive. requestWithParams() takes the method from
    // "method" (null without one).
    std::shared_ptr<CorvanaRequest> requestWithParams(const pf::DictionaryRef& params,
                                                      std::weak_ptr<CorvanaRequestDelegate> delegate);
    std::shared_ptr<CorvanaRequest> requestWithMethodName(const std::string& method, const pf::DictionaryRef& params,
                                                          const std::string& httpMethod,
                                                          std::weak_ptr<CorvanaRequestDelegate> delegate);
    std::shared_ptr<CorvanaRequest> requestWithGraphPath(const std::string& graphPath,
                                                         const pf::DictionaryRef& params = nullptr,
                                                         const std::string& httpMethod = "GET",
                                                         std::weak_ptr<CorvanaRequestDelegate> delegate = {});
    std::shared_ptr<CorvanaRequest> openUrl(const std::string& url, const pf::DictionaryRef& params,
                                            const std::string& httpMethod,
                                            std::weak_ptr<CorvanaRequestDelegate> delegate);
    const std::shared_ptr<CorvanaRequest>& request() const { return m_request; }
    // A login made elsewhere hands its token over; "m_me" then names the
    // user: a non-empty open id signs in, any other answer or a failed
    // request does not.
    void corvanaDialogLogin(const std::string& token, const std::optional<pf::Date>& expirationDate);
    // CorvanaRequestDelegate, for the session's own legacy requests.
    void requestDidLoad(CorvanaRequest&, const pf::Value& result, const pf::Bytes& data) override;
    void requestDidFailWithError(CorvanaRequest&, const CorvanaError&) override;

    // MD5 (lower-case hex) of the salted token, app id and open id; nothing
    // while the token or the open id is missing.
    std::optional<std::string> localEncrytedToken() const;
    // "corvana<app id>://<redirect URI>".
    std::string getOwnBaseUrl() const;

    // A query's "name=value" pieces, values percent-decoded; "a=b=c" gives
    // a = b. A piece without "=", or whose value does not decode to UTF-8,
    // is skipped; later names replace earlier ones.
    static pf::DictionaryRef parseURLParams(std::string_view query);
    static std::optional<std::string> stringByCVOSDKReplacingHtmlEscapes(const std::optional<std::string>& text);
    // The JSON inside "callback( … );" (a JSONP answer) and inside
    // "_Callback( … );", found only at the ends of the text (blanks around
    // ignored); the text itself when it is not wrapped.
    static std::string unwrapCallback(std::string_view message);
    static std::string unwrapStatisCallback(std::string_view message);

    void apiBaseDidSendBodyData(APIBase&, std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                std::int64_t totalExpected) override;
    void apiBaseDidWriteData(APIBase&, std::int64_t, std::int64_t, std::int64_t) override {}

private:
    enum class ScriptState { Detached, Running, Missing };
    void initWithJsSDK();
    void initScripts();
    std::optional<std::string> scriptText(const char* name) const;
    void runScript(const std::string& text);
    void onTimer();
    void showNetworkAlert();
    void sendScriptRequest(const pf::DictionaryRef& args, const std::string& method, pf::DictionaryRef params);
    bool scriptOperation(const std::string& function, const std::string& space, const std::string& callback,
                         const pf::DictionaryRef& params);
    std::shared_ptr<APIResponse> takeScriptAnswer(const pf::DictionaryRef& args);
    bool takeNickname(const std::shared_ptr<APIResponse>& response);
    void handNicknameToScreens();
    pf::DictionaryRef plazaAccountKeys() const;
    pf::DictionaryRef pageAccountKeys(const char* iface) const;
    bool showLocalPage(const pf::DictionaryRef& params, const std::string& title);

    std::string m_appId;
    std::weak_ptr<CorvanaSessionDelegate> m_sessionDelegate;
    std::optional<std::string> m_accessToken;
    std::optional<std::string> m_openId;
    std::optional<pf::Date> m_expirationDate;
    std::string m_redirectURI;
    std::vector<std::string> m_permissions;
    std::optional<std::string> m_encryToken;
    std::map<std::string, std::shared_ptr<APIBase>> m_apiRequests;
    std::map<std::string, std::string> m_callbacks; // sequence text -> script callback name
    std::optional<std::string> m_localAppId;
    std::optional<std::string> m_userNick;
    ScriptState m_scriptState = ScriptState::Detached;
    std::shared_ptr<pf::WebView> m_webView;
    std::shared_ptr<JsUpdateManager> m_jsUpdateManager;
    std::shared_ptr<CVOSDKReachability> m_reachHost;
    pf::TimerRef m_timer;
    std::uint64_t m_reachObserver = 0;
    bool m_outageAlerted = false; // the alert of the current outage was shown
    std::shared_ptr<CVLoginViewKit> m_loginViewKit;
    std::unique_ptr<SetUserHeaderImageUiKit> m_setUserHeaderImageKit;
    std::unique_ptr<CVUiKit> m_cvJSUiKit;
    std::unique_ptr<CVUiKit> m_cvUiKit;
    pf::TimerRef m_closeTimer;
    std::map<std::string, std::weak_ptr<CorvanaSessionDelegate>> m_loginDict; // login serial -> delegate
    std::map<std::string, std::string> m_openIdSerials; // open-id request's sequence text -> login serial
    std::shared_ptr<pf::AlertView> m_networkAlert;
    std::shared_ptr<CorvanaRequest> m_request;
};
